#include "core/units.h"

Units::Units(double d, QObject *parent) : QObject(parent), spacing(d) {}

double Units::d() const { return spacing; }

void Units::setD(double d) { spacing = d; }
