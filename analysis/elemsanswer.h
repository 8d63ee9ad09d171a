#ifndef ELEMSANSWER_H
#define ELEMSANSWER_H

#include <QMetaType>
#include <QVector>

// The element analysis of one spectrum, handed back by value: one value per
// row of the request in row order.
struct ElemsAnswer
{
    quint64 id = 0;
    QVector<double> dMut;       // jump, or the background value below the threshold
    QVector<double> dMutRatio;  // dMut over the target row's dMut
    QVector<double> muPlus;
    QVector<double> muMinus;
    QVector<double> dE;         // edge position less the row's edge energy [eV]
    QVector<double> roi;        // mean signal over the region of interest
    QVector<double> nroi;       // roi over the jump
    QVector<double> res;        // the measured jump of every row
    bool valid = false;         // false when the request's rows did not match its snapshot
};
Q_DECLARE_METATYPE(ElemsAnswer)

#endif
