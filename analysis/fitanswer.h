#ifndef FITANSWER_H
#define FITANSWER_H

#include <QMetaType>
#include <QVector>

#include "core/xafsspectrum.h"

// The result of one fit, handed back by value to the thread that asked.
struct FitAnswer
{
    quint64 id = 0;
    QVector<double> fractions;
    QVector<double> amounts;
    double zansa = 0.0;
    bool hasCurve = false;   // false on the degenerate paths
    XafsSpectrum curve;      // "anal-LCF" or "anal-MLCF"
    // Why no fit was made: a literal marked for translation in the context
    // "SpectrumFit"; null when the fit was made.
    const char *failure = nullptr;
};
Q_DECLARE_METATYPE(FitAnswer)

#endif
