#ifndef AELEMSCONDSDATA_H
#define AELEMSCONDSDATA_H

#include <QMetaType>

// The background values of the element analysis as the GUI thread read them
// when a request was made; the defaults are those of a fresh panel.
struct AElemsCondsData
{
    double bgDMut = 0.0;    // jump, mu+ and mu- of a row below its threshold
    double bgDMutR = 0.0;   // shown only; the element analysis does not read it
    double bgDE = 0.0;      // edge offset of a row below its threshold
    double bgROI = -1.0;    // region mean below the threshold or negative under NoNeg
    double bgNROI = -1.0;   // normalised region mean in the same cases
};
Q_DECLARE_METATYPE(AElemsCondsData)

#endif
