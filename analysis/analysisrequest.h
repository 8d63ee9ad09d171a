#ifndef ANALYSISREQUEST_H
#define ANALYSISREQUEST_H

#include <QMetaType>
#include <QVector>

#include "analysis/lcfrefdata.h"

// What one analysis request needs beyond its signal's arguments; the answers
// carry its id back.
struct AnalysisRequest
{
    quint64 id = 0;
    QVector<LcfRefData> refs;   // one per row of the request's row vector, same order
    bool contAccess = false;    // the window's continuous-access flag for this request
};
Q_DECLARE_METATYPE(AnalysisRequest)

#endif
