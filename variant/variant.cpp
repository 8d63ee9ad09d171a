#include "variant/variant.h"

#include <atomic>

static std::atomic<bool> classicProgram{false};

bool Variant::isClassic() { return classicProgram.load(std::memory_order_relaxed); }

void Variant::setClassic(bool classic) { classicProgram.store(classic, std::memory_order_relaxed); }

const char *Variant::programName() { return isClassic() ? "vantoscope-classic" : "vantoscope"; }
