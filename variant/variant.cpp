#include "variant/variant.h"

#ifdef VANTOSCOPE_CLASSIC
bool Variant::isClassic() { return true; }
const char *Variant::programName() { return "vantoscope-classic"; }
#else
bool Variant::isClassic() { return false; }
const char *Variant::programName() { return "vantoscope"; }
#endif
