#ifndef EDGEMARKER_H
#define EDGEMARKER_H

#include <QString>
#include <QtGlobal>

// One absorption edge marked in the spectrum view: a vertical line at its
// energy [eV] with its name written along it.
struct EdgeMarker
{
    QString name;
    double energy = 0.0;

    bool operator==(const EdgeMarker &o) const { return name == o.name && energy == o.energy; }
    bool operator!=(const EdgeMarker &o) const { return !(*this == o); }
};

Q_DECLARE_TYPEINFO(EdgeMarker, Q_MOVABLE_TYPE);

#endif
