#ifndef VARIANT_H
#define VARIANT_H

// Which of the two programs this is. The classic program is built from the
// same sources: libraries that behave differently in it are compiled a second
// time with VANTOSCOPE_CLASSIC defined (see the top-level CMakeLists.txt).
class Variant
{
public:
    static bool isClassic();
    static const char *programName();
};

#endif
