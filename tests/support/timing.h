#ifndef TIMING_H
#define TIMING_H

// Time bounds in tests are multiplied by this: ThreadSanitizer runs the
// programs several times slower.
#if defined(__SANITIZE_THREAD__)
constexpr int SlowBuild = 20;
#else
constexpr int SlowBuild = 1;
#endif

#endif
