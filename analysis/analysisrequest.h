#ifndef ANALYSISREQUEST_H
#define ANALYSISREQUEST_H

#include <QMetaType>
#include <QVector>

#include "analysis/aelemscondsdata.h"
#include "analysis/elemrowdata.h"
#include "analysis/lcfrefdata.h"

// What one analysis request needs beyond its signal's arguments; the answers
// carry its id back.
struct AnalysisRequest
{
    AnalysisRequest() = default;
    AnalysisRequest(quint64 requestId, const QVector<LcfRefData> &rows, bool cont)
        : id(requestId), refs(rows), contAccess(cont)
    {
    }

    quint64 id = 0;
    QVector<LcfRefData> refs;   // one per row of the request's row vector, same order
    bool contAccess = false;    // the window's continuous-access flag for this request
    QVector<ElemRowData> elems; // one per element row of the request, same order
    AElemsCondsData aec;        // the element background values
    int mainT = 0;              // the element target row
};
Q_DECLARE_METATYPE(AnalysisRequest)

#endif
