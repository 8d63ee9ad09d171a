#ifndef TIMING_H
#define TIMING_H

// Time bounds in tests are multiplied by this: ThreadSanitizer runs the
// programs several times slower, AddressSanitizer about twice as slow.
#if defined(__SANITIZE_THREAD__)
constexpr int SlowBuild = 20;
#elif defined(__SANITIZE_ADDRESS__)
constexpr int SlowBuild = 2;
#else
constexpr int SlowBuild = 1;
#endif

#endif
