#ifndef RUNFAILURES_H
#define RUNFAILURES_H

#include <QCoreApplication>
#include <QPointer>
#include <QString>
#include <QVector>

#include "imagedata/areaengine.h"

#include "imagedata/analyzed2dres.h"

// The boxes of one area run that gave no result, counted by reason, and the
// maps the run left without data because none of its boxes gave one. A
// reason stays the untranslated literal until the summary is made. A box may
// miss some parts of its values only (the run's parts, a bit each).
class RunFailures
{
    Q_DECLARE_TR_FUNCTIONS(RunFailures)

public:
    using NoResult = AreaEngine::Chunk::NoResult;
    // The reasons of every kind of run.
    static constexpr NoResult OffImage{"RunFailures",
                                       QT_TRANSLATE_NOOP("RunFailures", "box off the image"), 0};
    static constexpr NoResult NoPoints{
        "RunFailures", QT_TRANSLATE_NOOP("RunFailures", "spectrum without points"), 0};

    // A new run over boxes boxes: nothing counted, no map left empty.
    void start(int boxes);
    // One box of the run without (the parts of why of) its result.
    void add(const NoResult &why);
    int failed() const { return count; }
    // Every box of the run, at least one, is without the part of bit.
    bool failedEverywhere(int bit = 0) const;
    // A run that did not start: why (translated) stands for its summary.
    void refuse(const QString &why);
    // "<k> of <n> boxes had no fit: <the most common reason>", translated
    // now, or why the run was refused; empty when every box gave its result.
    QString summary() const;
    // Leaves map (null: none) with the run's area and no data, marked as
    // left so by this run.
    void empty(Analyzed2DRes *map, const AnalyzeCond &area);
    bool emptied(const Analyzed2DRes *map) const;
    bool refused() const { return !refusal.isEmpty(); }

private:
    static constexpr int Parts = 8;
    struct Reason
    {
        const char *context;
        const char *text;
        int count;
    };
    QVector<Reason> reasons;   // in the order first seen
    QVector<QPointer<const Analyzed2DRes>> emptiedMaps;   // null once deleted
    QString refusal;
    int total = 0;
    int count = 0;
    int partCounts[Parts] = {};
};

#endif
