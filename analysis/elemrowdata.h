#ifndef ELEMROWDATA_H
#define ELEMROWDATA_H

#include <QMetaType>
#include <QString>

// One element row as the GUI thread read it when a request was made; the
// element analysis reads this copy, never the row. The defaults are those of
// a fresh row.
struct ElemRowData
{
    QString name;           // "Fe-K"
    int Z = 0;
    int edge = 0;           // 0 K, 1 LI, 2 LII, 3 LIII
    double e0 = 0.0;        // edge energy [eV] (Eng)
    double dE = 20.0;       // half width [eV] (PrePostDE)
    double roiS = 7000.0;   // region of interest [eV] (ROIs, ROIe)
    double roiE = 7005.0;
    double thDMut = 0.1;    // jump threshold (ThDMut)
    bool noNeg = true;      // a negative region mean takes the background values
    bool use = true;        // takes part in the correlations
};
Q_DECLARE_METATYPE(ElemRowData)

#endif
