#ifndef LCFREFDATA_H
#define LCFREFDATA_H

#include <QMetaType>
#include <QVector>

#include "core/xafsspectrum.h"

// One reference row of the fits as the GUI thread saw it when a request was
// made; the worker reads this copy, never the row.
struct LcfRefData
{
    bool inUse = false;      // use box checked and a file chosen
    XafsSpectrum spectrum;   // the row's loaded, normalised reference
    double fraction = 0.0;   // the row's stored fraction
};
Q_DECLARE_METATYPE(LcfRefData)

#endif
