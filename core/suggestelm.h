#ifndef SUGGESTELM_H
#define SUGGESTELM_H

#include <QMetaType>

// The element and edge that the user expects; steers the normalisation.
// Passed by value through queued signals.
struct SuggestElm
{
    bool use = false;
    int Z = 29;
    int edge = 0;               // 0 K, 1 LI, 2 LII, 3 LIII
    double edgeEV = 8984.36029; // expected edge energy E0 [eV]
    double dPreE = -20.0;       // start of the edge window relative to E0 [eV]
    double dPostS = 20.0;       // end of the edge window relative to E0 [eV]
    double thJumpSigma = 1.0;   // jump threshold in units of the lines' sigma
};

Q_DECLARE_METATYPE(SuggestElm)

#endif
