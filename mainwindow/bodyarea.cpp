// The point-by-point area runs: the reference-fit run and the element run walk
// the analysis area block by block, one block with the analysis worker at a
// time, and record each block's answer into the analysis window's maps.
#include "mainwindow/body.h"

#include <QCoreApplication>
#include <QEvent>

#include "analysis/ui/analyzer.h"
#include "analysis/ui/elemctrl.h"
#include "analysis/ui/lcfreference.h"
#include "calibration/ui/calibctrl.h"
#include "core/globals.h"
#include "display/colorbar.h"
#include "display/imgdispa.h"
#include "ui_body.h"

namespace {

// Debug lines of skipped blocks and dropped answers written in one run; the
// rest are counted and summed up at its end.
const int LoggedPerRun = 3;

} // namespace

// -- Starting and ending a run

int Body::completionOf(AreaRun kind)
{
    return kind == AreaRun::Elems ? EX_analyzer_exec_elems : EX_analyzer_exec_LCF;
}

bool Body::beginAreaRun(AreaRun kind)
{
    AnalyzeCond &walker = kind == AreaRun::Elems ? elemsArea : lcfArea;
    if (i1Frames.isEmpty()) {
        logDebug("2da: no I1 image is loaded; nothing to analyse");
        emit finishBatchExec(completionOf(kind));
        return false;
    }
    if (!askAnalyzeCond(walker)) {
        logDebug("2da: no analysis area");
        emit finishBatchExec(completionOf(kind));
        return false;
    }
    analyzing = true;
    areaRun = kind;
    aheadValid = false;
    QCoreApplication::instance()->installEventFilter(this);
    areaSkipped = 0;
    areaDropped = 0;
    areaBlock = AreaBlock();
    // Both flags, and whatever was asked before the run no longer counts.
    analyzer->setContAccess(true);
    analyzer->setAreaRunActive(true);
    if (kind == AreaRun::Elems)
        analyzer->setElemsProgress(0.0);
    else
        analyzer->setProgress(0.0);
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
    if (completed) {
        if (kind == AreaRun::Elems)
            generateElemsResImages();
        else
            generateResImages();
        ui->dispA->update();
    }
    analyzing = false;
    areaRun = AreaRun::None;
    aheadValid = false;
    QCoreApplication::instance()->removeEventFilter(this);
    analyzer->setContAccess(false);
    analyzer->setAreaRunActive(false);
    if (areaSkipped > LoggedPerRun || areaDropped > LoggedPerRun)
        logDebug(QString("2da: %1 blocks skipped, %2 answers not recorded in this run")
                     .arg(areaSkipped)
                     .arg(areaDropped));
    if (completed) {
        if (kind == AreaRun::Elems) {
            analyzer->setElemsProgress(100.0);
        } else {
            analyzer->setProgress(100.0);
            logDebug("2da 3:");
        }
    } else if (stopLog) {
        logDebug("2da 4:");
    }
    emit finishBatchExec(completionOf(kind));
}

void Body::skipAreaBlock(const QString &why)
{
    if (++areaSkipped <= LoggedPerRun) {
        const AnalyzeCond &w = areaWalker();
        logDebug(QString("2da: block at (%1, %2) skipped: %3").arg(w.x).arg(w.y).arg(why));
    }
}

void Body::dropAreaAnswer(const QString &why)
{
    if (++areaDropped <= LoggedPerRun)
        logDebug(QString("2da: answer for the block at (%1, %2) not recorded: %3")
                     .arg(areaBlock.x)
                     .arg(areaBlock.y)
                     .arg(why));
}

// -- Walking the area

void Body::buildAreaSpectrum(const AnalyzeCond &walker, XafsSpectrum &out)
{
    const double shift = eShiftAtPoint(walker.x, walker.y);
    const int mode = calibCtrl && calibCtrl->targetBGVictoreen() ? 0 : 1;
    out = XafsSpectrum(spectrumAtPoint(walker.x, walker.y, walker.halfW, walker.halfH),
                       QStringLiteral("Body-AaP"), mode, shift, getSuggestElm());
}

bool Body::analyzeSpectrumAtPoint(const AnalyzeCond &cond)
{
    AreaBlock b;
    b.x = cond.x;
    b.y = cond.y;
    b.halfW = cond.halfW;
    b.halfH = cond.halfH;
    if (!cond.inside(cond.x, cond.y) || cond.x >= imageWidth || cond.y >= imageHeight) {
        skipAreaBlock(QStringLiteral("its centre lies off the image"));
        return false;
    }
    if (areaRun == AreaRun::Fit) {
        b.fit = analyzer->fitJobChosen();
        b.edge = analyzer->dEdgeJobChosen();
        if (!b.fit && !b.edge) {
            skipAreaBlock(QStringLiteral("neither SelMLCFAnal nor SelDEdgeAnal is checked"));
            return false;
        }
        if (b.fit && analyzer->refs.size() < 2) {
            skipAreaBlock(QStringLiteral("fewer than two reference rows"));
            return false;
        }
        for (int k = 0; k < analyzer->refs.size(); k++) {
            if (analyzer->refs[k] && analyzer->refs[k]->inUse())
                b.rowsInUse << k;
        }
    } else if (!analyzer->elemsJobChosen()) {
        skipAreaBlock(QStringLiteral("SelElemA is not checked"));
        return false;
    } else {
        b.elemRows = analyzer->elems.size();
    }
    if (aheadValid && aheadX == cond.x && aheadY == cond.y && aheadHalfW == cond.halfW
        && aheadHalfH == cond.halfH)
        areaSpectrum = aheadSpectrum;
    else
        buildAreaSpectrum(cond, areaSpectrum);
    aheadValid = false;
    if (areaSpectrum.isEmpty()) {
        skipAreaBlock(QStringLiteral("its spectrum has no points"));
        return false;
    }
    analyzer->analyzeSpectrum(areaSpectrum, areaSpectrum.suggest);
    b.request = analyzer->currentRequestId();
    areaBlock = b;
    buildAheadSpectrum(cond);
    return true;
}

void Body::buildAheadSpectrum(const AnalyzeCond &cond)
{
    AnalyzeCond next = cond;
    if (!next.next() || !next.inside(next.x, next.y))
        return;
    buildAreaSpectrum(next, aheadSpectrum);
    aheadX = next.x;
    aheadY = next.y;
    aheadHalfW = next.halfW;
    aheadHalfH = next.halfH;
    aheadValid = true;
}

bool Body::eventFilter(QObject *watched, QEvent *event)
{
    if (aheadValid) {
        switch (event->type()) {
        case QEvent::Paint:
        case QEvent::UpdateRequest:
        case QEvent::UpdateLater:
        case QEvent::LayoutRequest:
            break;
        case QEvent::MetaCall:
            // The answers reach the window; anything else may change the inputs.
            if (watched != analyzer)
                aheadValid = false;
            break;
        default:
            aheadValid = false;
            break;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void Body::sendAreaBlocks()
{
    // Every pass sends a block or steps the walker, whose walk ends.
    while (analyzing) {
        if (analyzeSpectrumAtPoint(areaWalker()))
            return;
        if (!stepAreaWalker()) {
            endAreaRun(true);
            return;
        }
    }
}

bool Body::stepAreaWalker()
{
    AnalyzeCond &w = areaWalker();
    if (!w.next())
        return false;
    if (w.rowStart) {
        const bool elems = areaRun == AreaRun::Elems;
        if (elems ? analyzer->elemsDispOnTime() : analyzer->dispOnTime()) {
            if (elems)
                generateElemsResImages();
            else
                generateResImages();
        }
        const double span = double(w.y1) - double(w.y0);
        const double perCent = span != 0.0 ? (double(w.y) - double(w.y0)) / span * 100.0 : 0.0;
        if (elems)
            analyzer->setElemsProgress(perCent);
        else
            analyzer->setProgress(perCent);
    }
    return true;
}

// -- The reference-fit run

void Body::start2DAnalysis()
{
    if (analyzing) {
        stop2DAnalysis();
        return;
    }
    if (!beginAreaRun(AreaRun::Fit))
        return;
#if !VANTOSCOPE_CLASSIC
    analyzer->initAnalyzeSpectrum();
#endif
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
    sendAreaBlocks();
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
    if (!analyzing || areaRun != AreaRun::Fit)
        return;
    if (analyzer->currentRequestId() != areaBlock.request) {
        // Another request took the block's place (a row re-analysed the
        // window's spectrum): the block goes again.
        logDebug(QString("2da: the block at (%1, %2) is sent again").arg(areaBlock.x).arg(areaBlock.y));
        sendAreaBlocks();
        return;
    }
    recordResForAPoint();
    if (stepAreaWalker())
        sendAreaBlocks();
    else
        endAreaRun(true);
}

void Body::recordResForAPoint()
{
    const AreaBlock &b = areaBlock;
    const int n = lcfResMaps.size() / qMax(analyzer->mapsPerRef, 1);
    if (b.fit) {
        const FitAnswer &a = analyzer->lastFitAnswer();
        if (a.id != b.request) {
            dropAreaAnswer(QString("the fit answer is of request %1, not %2").arg(a.id).arg(b.request));
        } else {
            if (a.fractions.size() != b.rowsInUse.size() || a.amounts.size() != b.rowsInUse.size()) {
                dropAreaAnswer(QString("%1 fractions and %2 amounts for %3 reference rows in use")
                                   .arg(a.fractions.size())
                                   .arg(a.amounts.size())
                                   .arg(b.rowsInUse.size()));
            } else {
                for (int c = 0; c < b.rowsInUse.size(); c++) {
                    const int k = b.rowsInUse[c];
                    if (k >= n)
                        continue;   // a row added during the run has no map in it
                    if (Analyzed2DRes *amounts = lcfResMaps[k])
                        amounts->setData(b.x, b.y, b.halfW, b.halfH, a.amounts[c]);
                    if (n + k < lcfResMaps.size() && lcfResMaps[n + k])
                        lcfResMaps[n + k]->setData(b.x, b.y, b.halfW, b.halfH, a.fractions[c]);
                }
            }
            analyzer->zansaMap.setData(b.x, b.y, b.halfW, b.halfH, a.zansa);
        }
    }
    if (b.edge)
        analyzer->dEdgeMap.setData(b.x, b.y, b.halfW, b.halfH, analyzer->lastDEdge());
}

void Body::generateResImages()
{
    const ColorScale scale = ui->CBar->scale();
    for (Analyzed2DRes *map : qAsConst(lcfResMaps)) {
        if (map) {
            map->colorScale = scale;
            map->genImg();
        }
    }
    for (Analyzed2DRes *map : {&analyzer->zansaMap, &analyzer->dEdgeMap}) {
        map->colorScale = scale;
        map->genImg();
    }
    ui->dispA->overlayMap = analyzer->currentMap();
}

// -- The element run

void Body::startElems2DAnalysis()
{
    if (analyzing) {
        stopElems2DAnalysis();
        return;
    }
    if (!beginAreaRun(AreaRun::Elems))
        return;
    elemsResMaps = analyzer->elemsRunMaps();
    for (int i = 0; i < elemsResMaps.size(); i++)
        prepareAreaMap(elemsResMaps[i], elemsArea, i);
    sendAreaBlocks();
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
    if (!analyzing || areaRun != AreaRun::Elems)
        return;
    if (analyzer->currentRequestId() != areaBlock.request) {
        logDebug(QString("2da: the block at (%1, %2) is sent again").arg(areaBlock.x).arg(areaBlock.y));
        sendAreaBlocks();
        return;
    }
    recordElemsResForAPoint();
    if (stepAreaWalker())
        sendAreaBlocks();
    else
        endAreaRun(true);
}

void Body::recordElemsResForAPoint()
{
    const AreaBlock &b = areaBlock;
    const ElemsAnswer &a = analyzer->lastElemsAnswer();
    if (a.id != b.request) {
        dropAreaAnswer(QString("the element answer is of request %1, not %2").arg(a.id).arg(b.request));
        return;
    }
    if (!a.valid) {
        dropAreaAnswer(QStringLiteral("the element analysis refused the request"));
        return;
    }
    const int e = b.elemRows;
    const QVector<double> *values[ElemCtrl::MapKinds] = {&a.dMut, &a.dMutRatio, &a.muPlus,
                                                         &a.muMinus, &a.dE, &a.roi, &a.nroi};
    for (const QVector<double> *v : values) {
        if (v->size() != e) {
            dropAreaAnswer(QString("%1 values for %2 element rows").arg(v->size()).arg(e));
            return;
        }
    }
    if (elemsResMaps.size() != ElemCtrl::MapKinds * e + 2) {
        dropAreaAnswer(QString("the element rows changed during the run"));
        return;
    }
    for (int kind = 0; kind < ElemCtrl::MapKinds; kind++) {
        for (int j = 0; j < e; j++) {
            if (Analyzed2DRes *map = elemsResMaps[kind * e + j])
                map->setData(b.x, b.y, b.halfW, b.halfH, (*values[kind])[j]);
        }
    }
    const double cor = analyzer->correlation;
    elemsResMaps[ElemCtrl::MapKinds * e]->setData(b.x, b.y, b.halfW, b.halfH, cor);
    elemsResMaps[ElemCtrl::MapKinds * e + 1]->setData(b.x, b.y, b.halfW, b.halfH,
                                                      cor < analyzer->corTh ? 0.0 : cor);
}

void Body::generateElemsResImages()
{
    const ColorScale scale = ui->CBar->scale();
    for (Analyzed2DRes *map : qAsConst(elemsResMaps)) {
        if (map) {
            map->colorScale = scale;
            map->genImg();
        }
    }
    ui->dispA->overlayMap = analyzer->currentMap();
}
