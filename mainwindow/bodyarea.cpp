// The point-by-point area runs: the reference-fit run and the element run walk
// the analysis area through the area engine, which builds and analyses the
// blocks' spectra on a pool of threads; each chunk of blocks is recorded into
// the analysis window's maps here, in walk order.
#include "mainwindow/body.h"

#include <algorithm>
#include <cmath>

#include "analysis/elemanalysis.h"
#include "analysis/spectrumfit.h"
#include "analysis/ui/aelemsconds.h"
#include "analysis/ui/analyzer.h"
#include "analysis/ui/elemctrl.h"
#include "analysis/ui/lcfreference.h"
#include "batch/ui/batchctrl.h"
#include "calibration/ui/calibctrl.h"
#include "core/globals.h"
#include "core/xafsspectrum.h"
#include "display/colorbar.h"
#include "display/imgdispa.h"
#include "imagedata/tiffdata.h"
#include "ui_body.h"

namespace {

// Debug lines of skipped blocks, dropped answers and notes written in one
// run; the rest are counted and summed up at its end.
const int LoggedPerRun = 3;

using NoResult = AreaEngine::Chunk::NoResult;
// The parts of a fit run's block values: the fit's, the edge position's.
const int FitBit = 0, EdgeBit = 1;
const unsigned FitPart = 1u << FitBit, EdgePart = 1u << EdgeBit;

// What a pool thread of a fit run reuses from block to block.
struct FitThread
{
    XafsSpectrum spectrum;
    SpectrumFit::Scratch fit;
};

} // namespace

QString Body::suggestionProblem(const SuggestElm &s)
{
    if (!s.use)
        return QString();
    const struct
    {
        const char *what;
        double v;
    } numbers[] = {{QT_TR_NOOP("edge energy"), s.edgeEV},
                   {QT_TR_NOOP("pre-edge end"), s.dPreE},
                   {QT_TR_NOOP("post-edge start"), s.dPostS},
                   {QT_TR_NOOP("jump threshold"), s.thJumpSigma}};
    for (const auto &n : numbers) {
        if (!std::isfinite(n.v))
            return tr("the suggested %1 is %2, not a finite number").arg(tr(n.what)).arg(n.v);
    }
    return QString();
}

QString Body::searchProblem(const char *what, double range, double step, double minStep)
{
    if (XafsSpectrum::shiftSearchUsable(range, step, minStep))
        return QString();
    return tr("the %1 needs a finite range and positive steps (range %2, step %3, "
              "min. step %4)")
        .arg(tr(what)).arg(range).arg(step).arg(minStep);
}

QString Body::fitRunProblem(const FitJob &job, const SuggestElm &s)
{
    if (job.fit && (!std::isfinite(job.sE0) || !std::isfinite(job.eE0)))
        return tr("the fit range %1 .. %2 eV is not finite").arg(job.sE0).arg(job.eE0);
    if (job.edge && job.midPoint && !std::isfinite(s.edgeEV))
        return tr("the edge position is taken against the suggested edge energy %1 eV")
            .arg(s.edgeEV);
    if (job.edge && !job.midPoint)
        return searchProblem(QT_TR_NOOP("edge search"), job.rangeEV, job.initDEeV, job.minDEeV);
    return QString();
}

// -- The energy shifts of the blocks

double Body::ShiftTable::at(int x, int y) const
{
    const qint64 mx = qint64(x) + dx, my = qint64(y) + dy;
    if (mx < 0 || my < 0 || mx >= w || my >= h)
        return 0.0;
    return values[int(mx + my * w)];
}

Body::ShiftTable Body::shiftTable() const
{
    ShiftTable t;
    t.dx = qint64(imageOriginX) - mapOriginX;
    t.dy = qint64(imageOriginY) - mapOriginY;
    const qint64 cells = qint64(eShiftMap.area.width) * qMax(0, eShiftMap.area.height);
    if (eShiftMap.area.width <= 0 || eShiftMap.area.height <= 0 || cells > INT_MAX)
        return t;
    t.w = eShiftMap.area.width;
    t.h = eShiftMap.area.height;
    t.values.resize(int(cells));
    for (int y = 0; y < t.h; y++)
        for (int x = 0; x < t.w; x++)
            t.values[x + y * t.w] = eShiftMap.value(x, y);
    return t;
}

// -- Starting and ending a run

int Body::completionOf(AreaRun kind)
{
    return kind == AreaRun::Elems ? EX_analyzer_exec_elems : EX_analyzer_exec_LCF;
}

bool Body::beginAreaRun(AreaRun kind, int token, const QString &problem)
{
    AnalyzeCond &walker = kind == AreaRun::Elems ? elemsArea : lcfArea;
    RunFailures &failures = kind == AreaRun::Elems ? elemsFailures : fitFailures;
    if (i1Frames.isEmpty()) {
        logDebug("2da: " + runRefusal(problem) + "; nothing is analysed");
        keepMapsWithoutI1(failures);
        reportRunEnd(completionOf(kind), token);
        return false;
    }
    // A pointer spectrum still waiting for the worker is not analysed after
    // the run: it would replace what the run leaves in the fields.
    pointSpectrumWaiting = false;
    const QString refusal = runRefusal(problem);
    if (!refusal.isEmpty() || !askAnalyzeCond(walker)) {
        const QString why = refusal.isEmpty() ? areaRefusal() : refusal;
        logDebug("2da: " + why + "; nothing is analysed");
        refuseRun(failures, areaRunMaps(kind), why);
        if (kind == AreaRun::Elems)
            analyzer->showNoElemsResults();
        else
            analyzer->showNoFit(true, true);
        // What was asked before the refusal does not fill the emptied fields.
        analyzer->dropAnswersInFlight();
        reportRunEnd(completionOf(kind), token);
        return false;
    }
    analyzing = true;
    areaRun = kind;
    areaRunToken = token;
    areaBlocksDone = 0;
    areaBlocksTotal = walker.centreCount();
    areaSkipped = 0;
    areaDropped = 0;
    areaNotes = 0;
    areaLastValues.clear();
    areaFailures().start(areaBlocksTotal);
    analyzer->setRunNote(QString());
    // Both flags, and whatever was asked before the run no longer counts.
    analyzer->setContAccess(true);
    analyzer->setAreaRunActive(true);
    if (kind == AreaRun::Elems)
        analyzer->setElemsProgress(0.0);
    else
        analyzer->setProgress(0.0);
    areaChunks.clear();
    connect(&areaEngine, &AreaEngine::chunkReady, this, &Body::queueAreaChunk,
            Qt::UniqueConnection);
    connect(&areaEngine, &AreaEngine::finished, this, &Body::areaEngineFinished,
            Qt::UniqueConnection);
    return true;
}

void Body::prepareAreaMap(Analyzed2DRes *map, const AnalyzeCond &area, int no)
{
    if (!map)
        return;
    map->setArea(area);
    map->no = no;
}

void Body::endAreaRun(bool completed, bool stopLog)
{
    const AreaRun kind = areaRun;
    areaEngine.stop();
    areaChunks.clear();
    if (completed) {
        if (kind == AreaRun::Elems) {
            // No box gave a value: the maps have none to show or save.
            if (elemsFailures.failedEverywhere()) {
                for (Analyzed2DRes *map : qAsConst(elemsResMaps))
                    elemsFailures.empty(map, elemsArea);
                analyzer->showNoElemsResults();
            }
            showLastElemsBlock();
            generateElemsResImages();
        } else {
            emptyFailedFitMaps();
            generateResImages();
        }
        ui->dispA->update();
    }
    analyzing = false;
    areaRun = AreaRun::None;
    analyzer->setContAccess(false);
    analyzer->setAreaRunActive(false);
    if (areaSkipped > LoggedPerRun || areaDropped > LoggedPerRun || areaNotes > LoggedPerRun)
        logDebug(QString("2da: %1 blocks skipped, %2 answers not recorded, %3 blocks without a fit "
                         "in this run")
                     .arg(areaSkipped)
                     .arg(areaDropped)
                     .arg(areaNotes));
    if (completed) {
        if (kind == AreaRun::Elems) {
            analyzer->setElemsProgress(100.0);
        } else {
            analyzer->setProgress(100.0);
            logDebug("2da 3:");
        }
    } else {
        if (stopLog)
            logDebug("2da 4:");
        logDebug(QString("2da: stopped; the %1 maps are unfinished, %2 of %3 blocks done")
                     .arg(kind == AreaRun::Elems ? "element" : "reference-fit")
                     .arg(areaBlocksDone)
                     .arg(areaBlocksTotal));
        const QString note =
            kind == AreaRun::Elems
                ? tr("Stopped; the element maps are unfinished, %1 of %2 blocks done")
                : tr("Stopped; the reference-fit maps are unfinished, %1 of %2 blocks done");
        analyzer->setRunNote(note.arg(areaBlocksDone).arg(areaBlocksTotal));
    }
    // A stopped run walked only part of its area: no summary of it.
    if (completed)
        noteRunFailures(kind == AreaRun::Elems ? elemsFailures : fitFailures);
    const int token = areaRunToken;
    areaRunToken = 0;
    reportRunEnd(completionOf(kind), token);
}

void Body::emptyFailedFitMaps()
{
    QVector<Analyzed2DRes *> maps;
    if (fitJobs.fit && fitFailures.failedEverywhere(FitBit)) {
        const int n = lcfResMaps.size() / qMax(analyzer->mapsPerRef, 1);
        for (int k : qAsConst(fitRowsInUse)) {
            for (int l = 0; l < analyzer->mapsPerRef && k < n; l++)
                maps << lcfResMaps.value(k + n * l);
        }
        maps << &analyzer->zansaMap;
    }
    if (fitJobs.edge && fitFailures.failedEverywhere(EdgeBit))
        maps << &analyzer->dEdgeMap;
    for (Analyzed2DRes *map : qAsConst(maps))
        fitFailures.empty(map, lcfArea);
    // The window shows no number of an earlier fit beside the run's failed one.
    analyzer->showNoFit(fitJobs.fit && fitFailures.failedEverywhere(FitBit),
                        fitJobs.edge && fitFailures.failedEverywhere(EdgeBit));
}

void Body::noteRunFailures(const RunFailures &f)
{
    noteRunLine(f, f.summary());
}

void Body::noteRunLine(const RunFailures &f, const QString &note)
{
    if (note.isEmpty())
        return;
    batchEditor->Log(note + "\n");
    if (&f == &calibFailures)
        calibCtrl->setRunNote(note);
    else
        analyzer->setRunNote(note);
}

QString Body::runRefusal(const QString &problem) const
{
    if (i1Frames.isEmpty())
        return tr("No I1 image is loaded");
    return problem.isEmpty() ? QString() : tr("The run did not start: %1").arg(problem);
}

void Body::keepMapsWithoutI1(const RunFailures &f)
{
    // f is left as it is too: a map it emptied keeps its reason.
    noteRunLine(f, runRefusal(QString()));
}

QString Body::areaRefusal()
{
    return tr("The analysis area lies outside the image");
}

void Body::refuseRun(RunFailures &f, const QVector<Analyzed2DRes *> &maps, const QString &why)
{
    f.start(0);
    f.refuse(why);
    AnalyzeCond area;
    area.init(qMax(imageWidth, 0), qMax(imageHeight, 0), 0, 0, QRectF(), -1, -1);
    for (Analyzed2DRes *map : maps) {
        f.empty(map, area);
        if (map)
            map->genImg();
    }
    if (ui->ShowResAnalysis->isChecked())
        ui->dispA->overlayMap = analyzer->currentMap();
    ui->dispA->update();
    noteRunFailures(f);
}

QVector<Analyzed2DRes *> Body::areaRunMaps(AreaRun kind)
{
    if (kind == AreaRun::Elems)
        return analyzer->elemsRunMaps();
    QVector<Analyzed2DRes *> maps;
    for (const LCFReference *row : qAsConst(analyzer->refs)) {
        if (row)
            maps += row->maps;
    }
    return maps << &analyzer->zansaMap << &analyzer->dEdgeMap;
}

QString Body::noDataReason(const Analyzed2DRes *map) const
{
    if (!map || map->hasData())
        return QString();
    // A map cleared since (no size) keeps the reason of a run refused only.
    const bool sized = map->area.width > 0 && map->area.height > 0;
    for (const RunFailures *f : {&fitFailures, &elemsFailures, &raFailures, &calibFailures}) {
        if (f->emptied(map) && (sized || f->refused()))
            return f->summary();
    }
    if (!sized)
        return QString();
    if (!fitJobs.fit)
        return QString();
    for (int k = 0; k < analyzer->refs.size(); k++) {
        const QVector<Analyzed2DRes *> &maps = analyzer->refs[k]->maps;
        if (std::find(maps.cbegin(), maps.cend(), map) != maps.cend() && !fitRowsInUse.contains(k))
            // Numbered as the window's "Select Ref" buttons are, from 1.
            return tr("Row %1 had no part in the fit: give it a reference and run again.").arg(k + 1);
    }
    return QString();
}

void Body::skipAreaBlock(int x, int y, const QString &why)
{
    if (++areaSkipped <= LoggedPerRun)
        logDebug(QString("2da: block at (%1, %2) skipped: %3").arg(x).arg(y).arg(why));
}

void Body::dropAreaAnswer(int x, int y, const QString &why)
{
    if (++areaDropped <= LoggedPerRun)
        logDebug(QString("2da: answer for the block at (%1, %2) not recorded: %3").arg(x).arg(y).arg(why));
}

void Body::noteAreaBlock(int x, int y, const QString &note)
{
    if (++areaNotes <= LoggedPerRun)
        logDebug(QString("2da: block at (%1, %2): %3").arg(x).arg(y).arg(note));
}

void Body::finishRunsReadingFrames()
{
    if (analyzing) {
        logDebug("2da: the frames change; the area run is finished first");
        areaEngine.finish();
    }
    if (calibrating) {
        calibEngine.finish();
        calibNextPoint();
    }
}

// -- Walking the area

void Body::runAreaEngine(const QString &skipAll, const NoResult &skipWhy, int valuesPerBlock,
                         AreaEngine::Work work)
{
    const AnalyzeCond &walk = areaWalker();
    if (!skipAll.isEmpty()) {
        // Nothing can be analysed: every block is passed over.
        AnalyzeCond w = walk;
        w.reset();
        do {
            skipAreaBlock(w.x, w.y, skipAll);
            areaFailures().add(skipWhy);
        } while (w.next());
        endAreaRun(true);
        return;
    }
    areaPerBlock = valuesPerBlock;
    areaEngine.start(walk, spectrumSource(), valuesPerBlock, std::move(work));
}

void Body::queueAreaChunk(const AreaEngine::Chunk &c)
{
    if (!analyzing || areaRun == AreaRun::None)
        return;
    areaChunks.enqueue(c);
    if (areaRun == AreaRun::Elems)
        recordElemsResForAPoint();
    else
        recordResForAPoint();
}

void Body::recordResForAPoint()
{
    while (analyzing && areaRun == AreaRun::Fit && !areaChunks.isEmpty())
        recordAreaChunk(areaChunks.dequeue());
}

void Body::recordElemsResForAPoint()
{
    while (analyzing && areaRun == AreaRun::Elems && !areaChunks.isEmpty())
        recordAreaChunk(areaChunks.dequeue());
}

void Body::recordAreaChunk(const AreaEngine::Chunk &c)
{
    const AnalyzeCond &w = areaWalker();
    const bool elems = areaRun == AreaRun::Elems;
    if (c.rowStart) {
        if (elems ? analyzer->elemsDispOnTime() : analyzer->dispOnTime()) {
            if (elems)
                generateElemsResImages();
            else
                generateResImages();
        }
        const double span = double(w.y1) - double(w.y0);
        const double perCent = span != 0.0 ? (double(c.y) - double(w.y0)) / span * 100.0 : 0.0;
        if (elems)
            analyzer->setElemsProgress(perCent);
        else
            analyzer->setProgress(perCent);
    }
    areaBlocksDone += c.xs.size();
    RunFailures &failures = areaFailures();
    for (int k = 0; k < c.xs.size(); k++) {
        const int x = c.xs[k];
        if (!w.reaches(x, c.y)) {
            skipAreaBlock(x, c.y, QStringLiteral("its box lies off the image"));
            failures.add(RunFailures::OffImage);
            continue;
        }
        const QString note = c.note(k);
        if (!note.isEmpty())
            noteAreaBlock(x, c.y, note);
        const NoResult no = c.noResult(k);
        if (!c.ok[k]) {
            skipAreaBlock(x, c.y, no.reason ? QString::fromLatin1(no.reason)
                                            : QStringLiteral("its spectrum has no points"));
            failures.add(no.reason ? no : RunFailures::NoPoints);
            continue;
        }
        // Recorded all the same: a failed part records its zeros.
        if (no.reason)
            failures.add(no);
        const double *v = c.values.constData() + qint64(k) * areaPerBlock;
        if (elems)
            recordElemsBlock(x, c.y, c.halfW, c.halfH, v);
        else
            recordFitBlock(x, c.y, c.halfW, c.halfH, v);
    }
    // Maps without the memory for their cells end the run with what they hold.
    if (noteMapsRanShort(areaRunMaps(areaRun)))
        endAreaRun(true);
}

bool Body::noteMapsRanShort(const QVector<Analyzed2DRes *> &maps)
{
    if (std::none_of(maps.begin(), maps.end(),
                     [](const Analyzed2DRes *m) { return m && m->ranShort(); }))
        return false;
    logRefusal(tr("Not enough memory: the run ended early, its maps lack the rest"));
    return true;
}

void Body::areaEngineFinished()
{
    if (analyzing && areaRun != AreaRun::None)
        endAreaRun(true);
}

// -- The reference-fit run

void Body::start2DAnalysis()
{
    const int token = takeRunToken();
    if (analyzing) {
        stop2DAnalysis();
        return;
    }
#if !VANTOSCOPE_CLASSIC
    analyzer->initAnalyzeSpectrum();
#endif
    const SuggestElm suggest = getSuggestElm();
    QString problem = suggestionProblem(suggest);
    if (problem.isEmpty())
        problem = fitRunProblem(analyzer->fitJob(), suggest);
    if (!beginAreaRun(AreaRun::Fit, token, problem))
        return;
    logDebug("2da 1:");
    const int n = analyzer->refs.size();
    lcfResMaps.clear();
    for (int l = 0; l < analyzer->mapsPerRef; l++) {
        for (int k = 0; k < n; k++) {
            LCFReference *row = analyzer->refs[k];
            Analyzed2DRes *map = row && l < row->maps.size() ? row->maps[l] : nullptr;
            prepareAreaMap(map, lcfArea, k + n * l);
            lcfResMaps << map;
        }
    }
    prepareAreaMap(&analyzer->zansaMap, lcfArea, 2 * n);
    prepareAreaMap(&analyzer->dEdgeMap, lcfArea, 2 * n + 1);
#if !VANTOSCOPE_CLASSIC
    if (analyzer->stepComparisonChosen())
        analyzer->makeDEdgeStepSpectrum();
#endif
    logDebug("2da 2:");

    const FitJob job = analyzer->fitJob();
    QString skipAll;
    NoResult skipWhy;
    if (!job.fit && !job.edge) {
        skipAll = QStringLiteral("neither SelMLCFAnal nor SelDEdgeAnal is checked");
        skipWhy = {"Body", QT_TRANSLATE_NOOP("Body", "no analysis chosen"), 0};
    } else if (job.fit && job.refs.size() < 2) {
        skipAll = QStringLiteral("fewer than two reference rows");
        skipWhy = {"SpectrumFit", QT_TRANSLATE_NOOP("SpectrumFit", "fewer than two reference rows"), 0};
    }
    fitRowsInUse.clear();
    for (int k = 0; k < job.refs.size(); k++) {
        if (job.refs[k].inUse)
            fitRowsInUse << k;
    }
    fitJobs = job;
    const int used = fitRowsInUse.size();
    // Per block: the amounts and fractions of the rows in use, zansa, dEdge.
    const int per = 2 * used + 2;
    const ShiftTable shifts = shiftTable();
    const int mode = calibCtrl && calibCtrl->targetBGVictoreen() ? 0 : 1;
    runAreaEngine(skipAll, skipWhy, per, [job, used, per, shifts, mode, suggest](
                                    AreaEngine::Chunk &c, int first, int count, const Spectrum *raw,
                                    const std::atomic<bool> &stopping, std::any &own) {
        FitThread *t = std::any_cast<FitThread>(&own);
        if (!t)
            t = &own.emplace<FitThread>();
        const QString name = QStringLiteral("Body-AaP");
        // The fits and the edge search read only the doubleNormalizedPreBase,
        // the edge's mid point none.
        const int derived = job.fit || !job.midPoint ? XafsSpectrum::DerivedPreBase : 0;
        for (int k = first; k < first + count && !stopping; k++) {
            const Spectrum &sp = raw[k - first];
            if (sp.isEmpty())
                continue;
            XafsSpectrum &s = t->spectrum;
            s.renew(sp, name, mode, shifts.at(c.xs[k], c.y), suggest, derived);
            double *v = c.values.data() + qint64(k) * per;
            if (job.fit) {
                QString why;
                const SpectrumFit::Scratch &a = t->fit;
                const char *failure = SpectrumFit::fitValues(job.kind, s, job.refs, job.refs.size(),
                                                             job.sE0, job.eE0, t->fit, &why);
                if (!why.isEmpty())
                    c.setNote(k, QStringLiteral("no fit, ") + why);
                if (failure)
                    c.noResultAt(k) = {"SpectrumFit", failure, FitPart};
                for (int j = 0; j < used && j < int(a.fractions.size()); j++) {
                    v[j] = a.amounts[size_t(j)];
                    v[used + j] = a.fractions[size_t(j)];
                }
                v[2 * used] = a.zansa;
            }
            if (job.edge) {
                QString why;
                const char *failure = nullptr;
                v[2 * used + 1] = SpectrumFit::edgePosition(s, suggest, job.midPoint, job.comparison,
                                                            job.rangeEV, job.initDEeV, job.minDEeV,
                                                            t->fit, &why, &failure);
                if (!why.isEmpty())
                    c.setNote(k, why);
                // The fit's reason first where both failed.
                if (failure) {
                    NoResult &no = c.noResultAt(k);
                    if (!no.reason)
                        no = {"SpectrumFit", failure, 0};
                    no.parts |= EdgePart;
                }
            }
            c.ok[k] = 1;
        }
    });
}

void Body::stop2DAnalysis()
{
    if (analyzing) {
        endAreaRun(false, true);
        return;
    }
    analyzer->setContAccess(false);
    logDebug("2da 4:");
}

void Body::analyzeASpectrumFinished()
{
    // The area runs do not go through the analysis worker: its answers to
    // the window's own requests are not the run's.
}

void Body::recordFitBlock(int x, int y, int hw, int hh, const double *v)
{
    const int n = lcfResMaps.size() / qMax(analyzer->mapsPerRef, 1);
    const int used = fitRowsInUse.size();
    if (fitJobs.fit) {
        for (int c = 0; c < used; c++) {
            const int k = fitRowsInUse[c];
            if (k >= n)
                continue;   // a row added during the run has no map in it
            if (Analyzed2DRes *amounts = lcfResMaps[k])
                amounts->setData(x, y, hw, hh, v[c]);
            if (n + k < lcfResMaps.size() && lcfResMaps[n + k])
                lcfResMaps[n + k]->setData(x, y, hw, hh, v[used + c]);
        }
        analyzer->zansaMap.setData(x, y, hw, hh, v[2 * used]);
    }
    if (fitJobs.edge)
        analyzer->dEdgeMap.setData(x, y, hw, hh, v[2 * used + 1]);
}

void Body::generateResImages()
{
    Analyzed2DRes::genImgs(QVector<Analyzed2DRes *>(lcfResMaps)
                               << &analyzer->zansaMap << &analyzer->dEdgeMap,
                           ui->CBar->scale(), areaEngine.threads());
    ui->dispA->overlayMap = analyzer->currentMap();
}

// -- The element run

void Body::startElems2DAnalysis()
{
    const int token = takeRunToken();
    if (analyzing) {
        stopElems2DAnalysis();
        return;
    }
    if (!beginAreaRun(AreaRun::Elems, token))
        return;
    elemsResMaps = analyzer->elemsRunMaps();
    for (int i = 0; i < elemsResMaps.size(); i++)
        prepareAreaMap(elemsResMaps[i], elemsArea, i);

    QVector<ElemRowData> rows;
    AElemsCondsData bg;
    int mainT = 0;
    QVector<double> stdRatios;
    analyzer->elemsJob(rows, bg, mainT, stdRatios);
    elemsRunRows = rows.size();
    QString skipAll;
    NoResult skipWhy;
    if (!analyzer->elemsJobChosen()) {
        skipAll = QStringLiteral("SelElemA is not checked");
        skipWhy = {"Body", QT_TRANSLATE_NOOP("Body", "Element Analysis not chosen"), 0};
    }
    // Per block: the seven kinds of every row, then the correlation.
    static_assert(ElemCtrl::MapKinds == ElemAnalysis::Kinds, "one map per kind");
    const int per = ElemCtrl::MapKinds * rows.size() + 1;
    // The block spectra take the energies of the loaded frames as abscissae.
    Spectrum energies;
    for (const TiffData *f : qAsConst(i1Frames)) {
        if (f)
            energies.addPoint(f->energy, 0.0);
    }
    const ElemAnalysis::Plan plan = ElemAnalysis::plan(energies, rows, bg, mainT, stdRatios);
    runAreaEngine(skipAll, skipWhy, per, [plan, stdRatios, per](AreaEngine::Chunk &c, int first,
                                                                int count, const Spectrum *raw,
                                                                const std::atomic<bool> &stopping,
                                                                std::any &own) {
        for (int k = first; k < first + count && !stopping; k++) {
            const Spectrum &sp = raw[k - first];
            if (sp.isEmpty())
                continue;
            // The element rows read the raw points alone, which normalising leaves as they are.
            double *v = c.values.data() + qint64(k) * per;
            const ElemAnalysis::Plan *p = &plan;
            if (!plan.fits(sp)) {
                // Other energies than the frames had when the run started: a plan of the task's own.
                p = std::any_cast<ElemAnalysis::Plan>(&own);
                if (!p || !p->fits(sp))
                    p = &own.emplace<ElemAnalysis::Plan>(ElemAnalysis::plan(
                        sp, plan.rows, plan.bg, plan.mainT, stdRatios));
            }
            ElemAnalysis::analyze(sp, *p, v);
            c.ok[k] = 1;
        }
    });
}

void Body::stopElems2DAnalysis()
{
    if (analyzing) {
        endAreaRun(false);
        return;
    }
    analyzer->setContAccess(false);
}

void Body::analyzeElemsFinished()
{
    // As analyzeASpectrumFinished: no run waits for the worker.
}

void Body::recordElemsBlock(int x, int y, int hw, int hh, const double *v)
{
    const int e = elemsRunRows;
    if (elemsResMaps.size() != ElemCtrl::MapKinds * e + 2) {
        dropAreaAnswer(x, y, QStringLiteral("the element rows changed during the run"));
        elemsFailures.add({"Body", QT_TRANSLATE_NOOP("Body", "element rows changed during the run"), 0});
        return;
    }
    for (int kind = 0; kind < ElemCtrl::MapKinds; kind++) {
        for (int j = 0; j < e; j++) {
            if (Analyzed2DRes *map = elemsResMaps[kind * e + j])
                map->setData(x, y, hw, hh, v[kind * e + j]);
        }
    }
    const double cor = v[ElemCtrl::MapKinds * e];
    elemsResMaps[ElemCtrl::MapKinds * e]->setData(x, y, hw, hh, cor);
    elemsResMaps[ElemCtrl::MapKinds * e + 1]->setData(x, y, hw, hh, cor < analyzer->corTh ? 0.0 : cor);
    // Kept in place: the same size for every block of the run.
    areaLastValues.resize(ElemCtrl::MapKinds * e + 1);
    std::copy(v, v + areaLastValues.size(), areaLastValues.begin());
}

// The rows show the results of the last block, as after a single analysis.
void Body::showLastElemsBlock()
{
    const int e = elemsRunRows;
    if (areaLastValues.size() != ElemCtrl::MapKinds * e + 1 || analyzer->elems.size() != e)
        return;
    const double *v = areaLastValues.constData();
    for (int j = 0; j < e; j++)
        analyzer->elems[j]->setResults(v[j], v[e + j], v[2 * e + j], v[3 * e + j], v[4 * e + j],
                                       v[5 * e + j], v[6 * e + j]);
    analyzer->correlation = v[ElemCtrl::MapKinds * e];
}

void Body::generateElemsResImages()
{
    Analyzed2DRes::genImgs(elemsResMaps, ui->CBar->scale(), areaEngine.threads());
    ui->dispA->overlayMap = analyzer->currentMap();
}
