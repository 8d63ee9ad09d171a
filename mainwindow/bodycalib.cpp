// The energy-shift calibration run (its chunks of blocks computed on the area
// engine's pool, recorded one queued self-signal per chunk), the
// smoothing and clearing of the energy-shift map, and its ".emp" files.
#include "mainwindow/body.h"

#include <QDebug>
#include <QFile>
#include <QLineEdit>
#include <QTextStream>
#include <QtNumeric>
#include <cmath>
#include <memory>

#include "analysis/ui/analyzer.h"
#include "batch/ui/batchctrl.h"
#include "calibration/blockshift.h"
#include "calibration/empfile.h"
#include "calibration/empheader.h"
#include "calibration/ui/calibctrl.h"
#include "core/boundedlinereader.h"
#include "core/cmdid.h"
#include "core/globals.h"
#include "display/colorbar.h"
#include "display/imgdispa.h"
#include "ui_body.h"

namespace {

const double Huge = 1e300;

// "no shift" lines written in one run; the rest are counted at its end.
const int NoShiftLogged = 3;

// The method and its search parameters as the calibration window shows them.
BlockShift shiftMethod(const CalibCtrl *c)
{
    BlockShift m;
    m.innerProduct = c->calibByInnerProduct();
    m.range = c->searchRange();
    m.step = c->searchStep();
    m.minStep = c->minSearchStep();
    m.targetMode = c->targetBGVictoreen() ? 0 : 1;
    return m;
}

// Percent of the rows of the walk done when the row of the current centre starts.
double rowProgress(const AnalyzeCond &a)
{
    if (a.y1 <= a.y0)
        return 0.0;
    const double p = double(a.y - a.y0) / double(a.y1 - a.y0) * 100.0;
    return qBound(0.0, p, 100.0);
}

} // namespace

// -- The run

void Body::execCalibration()
{
    const int token = takeRunToken();
    if (calibrating) {
        stopCalibration();
        return;
    }
    if (i1Frames.isEmpty()) {
        // The map, computed or loaded, and the statistics stay.
        qDebug() << "Calibration: no I1 image is loaded; nothing is calibrated";
        keepMapsWithoutI1(calibFailures);
        reportRunEnd(EX_calib_exec, token);
        return;
    }
    // Whatever else keeps the run from its first block ends it as one in
    // which every block failed, in one line.
    const auto refuse = [this, token](const QString &why) {
        refuseRun(calibFailures, {&eShiftMap}, why);
        calibCtrl->showStatistics(qQNaN(), qQNaN(), qQNaN());
        calibCtrl->showSigma(qQNaN());
        reportRunEnd(EX_calib_exec, token);
    };
    const QRectF area = analysisArea();
    if (area.isEmpty()) {
        qDebug() << "Calibration: the area lies outside the image";
        return refuse(areaRefusal());
    }
    const BlockShift method = shiftMethod(calibCtrl);
    const SuggestElm suggest = getSuggestElm();
    QString problem = suggestionProblem(suggest);
    if (problem.isEmpty() && !std::isfinite(stdSpectrum.midx))
        problem = tr("the standard's edge position is %1").arg(stdSpectrum.midx);
    if (problem.isEmpty() && method.innerProduct)
        problem = searchProblem(QT_TR_NOOP("inner-product search"), method.range, method.step,
                                method.minStep);
    if (!problem.isEmpty()) {
        logDebug("Calibration: " + problem + "; nothing is calibrated");
        return refuse(runRefusal(problem));
    }
    calibrating = true;
    calibRunToken = token;
    calibBlocksDone = 0;
    calibNoShift = 0;
    logDebug("Start Calibration");
    if (stdSpectrum.isEmpty())
        qDebug() << "Calibration: no standard spectrum, shifts are taken against 0 eV";

    calibCond.init(imageWidth, imageHeight, ui->HWidth->text().toInt(nullptr, 10),
                   ui->VWidth->text().toInt(nullptr, 10), area, -1, -1);
    eShiftMap.setArea(calibCond);
    calibFailures.start(calibCond.centreCount());
    // Nothing of the earlier map is shown while this one is being made.
    forgetShiftMapRun();
    calibMapUnfinished = true;
    mapOriginX = imageOriginX;
    mapOriginY = imageOriginY;
    calibCtrl->showMapGeometry(mapOriginX, mapOriginY, imageWidth, imageHeight);

    calibMin = Huge;
    calibMax = -Huge;
    calibSum = 0;
    calibSigma = 0;
    calibCount = 0;
    calibChunks.clear();
    calibWalkDone = false;
    // Per block the shift; blocks wholly off the image are passed over.
    const XafsSpectrum standard = stdSpectrum;
    const AnalyzeCond walk = calibCond;
    // Reported when the run ends (finishCalib or a stop), not here.
    calibEngine.start(calibCond, spectrumSource(), 1,
                      [method, standard, suggest, walk](AreaEngine::Chunk &c, int first,
                                                        int count, const Spectrum *raw,
                                                        const std::atomic<bool> &stopping,
                                                        std::any &own) {
                          // The task's spectrum and search buffers, kept for the run.
                          auto *scratch = std::any_cast<BlockShift::Scratch>(&own);
                          if (!scratch)
                              scratch = &own.emplace<BlockShift::Scratch>();
                          for (int k = first; k < first + count && !stopping; k++) {
                              const Spectrum &sp = raw[k - first];
                              if (!walk.reaches(c.xs[k], c.y) || sp.isEmpty())
                                  continue;
                              c.values[k] = method.shiftOf(sp, standard, suggest, *scratch);
                              c.ok[k] = 1;
                              if (!std::isfinite(c.values[k]))
                                  c.noResultAt(k) = {"Body", QT_TRANSLATE_NOOP("Body", "shift not finite"), 0};
                          }
                      });
}

void Body::stopCalibration()
{
    calibStops++;
    calibEngine.stop();
    calibChunks.clear();
    calibWalkDone = false;
    calibrating = false;
    logDebug(QString("Calibration stopped; the energy-shift map is unfinished, %1 of %2 blocks done")
                 .arg(calibBlocksDone)
                 .arg(calibCond.centreCount()));
    calibCtrl->setRunNote(
        tr("Calibration stopped; the energy-shift map is unfinished, %1 of %2 blocks done")
            .arg(calibBlocksDone)
            .arg(calibCond.centreCount()));
    showCalibStatistics(calibBlocksDone);
    eShiftMap.colorScale = ui->CBar->scale();
    eShiftMap.genImg();
    ui->dispA->update();
    const int token = calibRunToken;
    calibRunToken = 0;
    reportRunEnd(EX_calib_exec, token);
}

// Records the chunks that have arrived, in walk order; after the last one of
// the walk, doFinishCalib().
void Body::calibNextPoint()
{
    while (calibrating && !calibChunks.isEmpty())
        recordCalibChunk(calibChunks.dequeue());
    if (calibrating && calibWalkDone) {
        calibWalkDone = false;
        emit doFinishCalib();
    }
}

void Body::recordCalibChunk(const AreaEngine::Chunk &c)
{
    if (c.index == 0 || c.rowStart) {
        AnalyzeCond at = calibCond;
        at.y = c.y;
        const int stops = calibStops;
        emit calibProgress(rowProgress(at));
        if (calibStops != stops)
            return;   // stopped from the progress signal: the chunk is not recorded
    }
    calibBlocksDone += c.xs.size();
    for (int k = 0; k < c.xs.size(); k++) {
        const int x = c.xs[k];
        if (!calibCond.reaches(x, c.y)) {
            calibFailures.add(RunFailures::OffImage);
            continue;
        }
        const double dE = c.values[k];
        const AreaEngine::Chunk::NoResult no = c.noResult(k);
        if (!c.ok[k])
            calibFailures.add(no.reason ? no : RunFailures::NoPoints);
        else if (no.reason)
            calibFailures.add(no);
        if (c.ok[k] && std::isfinite(dE)) {
            eShiftMap.setData(x, c.y, c.halfW, c.halfH, dE);
            if (calibMin > dE)
                calibMin = dE;
            if (dE > calibMax)
                calibMax = dE;
            calibSum += dE;
            calibCount++;
        } else if (++calibNoShift <= NoShiftLogged) {
            qDebug() << "Calibration: no shift at" << x << c.y;
        }
    }
}

void Body::finishCalib()
{
    if (!calibrating)
        return;   // stopped meanwhile: the stop has reported the end
    calibrating = false;
    calibMapUnfinished = false;
    emit calibProgress(100.0);
    if (calibNoShift > NoShiftLogged)
        qDebug() << "Calibration:" << calibNoShift << "blocks gave no shift";
    if (calibCount == 0) {
        qDebug() << "Calibration: no block of the area gave a shift";
        calibMin = calibMax = 0;
    }
    noteMapsRanShort({&eShiftMap});
    // No box gave a shift: the map has none to show or save.
    if (calibFailures.failedEverywhere())
        calibFailures.empty(&eShiftMap, calibCond);
    calibSum = showCalibStatistics(calibCond.centreCount());

    eShiftMap.colorScale = ui->CBar->scale();
    eShiftMap.genImg();
    ui->dispA->update();
    logDebug("End Calibration   ");
    noteRunFailures(calibFailures);
    const int token = calibRunToken;
    calibRunToken = 0;
    reportRunEnd(EX_calib_exec, token);
}

// Shows the statistics of the first blocks of the run's walk, as the map
// holds them now, and returns their mean.
double Body::showCalibStatistics(int blocks)
{
    const double mean = calibCount > 0 ? calibSum / calibCount : 0.0;
    // No shift: no statistics, rather than those of an earlier run or zeros.
    const double none = qQNaN();
    if (calibCount > 0)
        calibCtrl->showStatistics(calibMin, calibMax, mean);
    else
        calibCtrl->showStatistics(none, none, none);

    double squares = 0;
    AnalyzeCond walk = calibCond;
    walk.reset();
    do {
        int c0, c1, r0, r1;
        if (blocks-- <= 0)
            break;
        if (walk.clippedBox(&c0, &c1, &r0, &r1)) {
            const double d = eShiftMap.value(c0, r0) - mean;
            squares += d * d;
        }
    } while (walk.next());
    calibSigma = calibCount > 0 ? std::sqrt(squares / calibCount) : 0.0;
    calibCtrl->showSigma(calibCount > 0 ? calibSigma : none);
    return mean;
}

// -- The map

void Body::normalizeEShift()
{
    logDebug("Start Normalize E Shift");
    eShiftMap.deglitch2(40.0);
    eShiftMap.copyProc2Data();
    eShiftMap.colorScale = ui->CBar->scale();
    eShiftMap.genImg();
    ui->dispA->update();
    logDebug("End Normalize E Shift  ");
}

void Body::clearShiftMap()
{
    eShiftMap.clear();
    calibFailures.start(0);   // no reason of the last run speaks for it now
    forgetShiftMapRun();
    calibCtrl->showMapGeometry(0, 0, 0, 0);
    mapOriginX = 0;
    mapOriginY = 0;
    ui->dispA->update();
}

// The map in place is gone: no note, statistics, file name or unfinished
// blocks of it are shown or kept.
void Body::forgetShiftMapRun()
{
    calibMapUnfinished = false;
    calibCtrl->setRunNote(QString());
    calibCtrl->showEMPFileName(QString());
    calibCtrl->showStatistics(qQNaN(), qQNaN(), qQNaN());
    calibCtrl->showSigma(qQNaN());
}

// -- Map files

double Body::mapEdgeEnergy() const
{
    if (stdSpectrum.midx > 0)
        return stdSpectrum.midx;
    if (calibCtrl->edgeEnergy() > 0)
        return calibCtrl->edgeEnergy();
    return lastMapEdgeEnergy > 0 ? lastMapEdgeEnergy : 0.0;
}

void Body::saveEMap(QString fileName)
{
    saveEMap(fileName, eShiftMap);
}

void Body::saveEMap(QString fileName, const Analyzed2DRes &map)
{
    // As the other map saves: nothing from a map without a value.
    if (!map.hasData()) {
        SavePlan plan;
        plan.reason = noDataReason(&map);
        if (plan.reason.isEmpty())
            plan.reason = tr("No energy-shift map: calibrate or load one.");
        logNothingSaved("saveEMap", plan);
        return;
    }
    EMPHeader h;
    h.stdEdgeEnergy = mapEdgeEnergy();
    if (!(h.stdEdgeEnergy > 0)) {
        qDebug() << "EMap: no edge energy known (no standard, EdgeEeV or map read);"
                 << "not written:" << fileName;
        return;
    }
    h.spacing = calibCtrl->crystalSpacing();
    h.xOffset = calibCtrl->xOffset();
    h.yOffset = calibCtrl->yOffset();
    // The header describes the calibration area, or the map itself when there is none.
    const AnalyzeCond &a = calibCond.width > 0 && calibCond.height > 0 ? calibCond : map.area;
    h.width = a.width;
    h.height = a.height;
    h.binHalfWidth = a.halfW;
    h.binHalfHeight = a.halfH;
    h.areaX0 = a.x0;
    h.areaX1 = a.x1;
    h.areaY0 = a.y0;
    h.areaY1 = a.y1;
    const QString path = addDefaultSuffix(fileName, "emp");
    if (!EmpFile::write(path, h, calibCtrl->stdFileName(), map))
        return;
    calibCtrl->showEMPFileName(fileName);
    // Written all the same; the blocks not reached hold 0.
    if (&map == &eShiftMap && calibMapUnfinished) {
        const QString note =
            tr("The energy-shift map saved to %1 is unfinished: %2 of %3 blocks done")
                .arg(path, QString::number(calibBlocksDone),
                     QString::number(calibCond.centreCount()));
        qDebug().noquote() << note;
        batchEditor->Log(note + "\n");
        calibCtrl->setRunNote(note);
    }
}

EMPHeader Body::loadMapHeader(QTextStream &in)
{
    return EmpFile::readHeader(in);
}

void Body::loadEMap(QString fileName)
{
    qDebug() << "loading emap" << fileName;
    EMPHeader header;
    loadMap(fileName, eShiftMap, header);
}

// Every end reports to the batch (99). The main window's state beside the
// target changes only when the target is the energy-shift map and the file
// has passed every check.
void Body::loadMap(QString fileName, Analyzed2DRes &map, EMPHeader &header)
{
    const bool shiftMap = &map == &eShiftMap;
    auto refuse = [&](const QString &why) {
        qDebug().noquote() << QString("Invalid Energy Map Data File : %1 (%2)").arg(fileName, why);
        header.valid = false;
        emit finishBatchExec(EX_calib_load_map);
    };
    if (shiftMap && calibrating) {
        qDebug() << "A calibration is running: the energy-shift map is not loaded from"
                 << fileName;
        emit finishBatchExec(EX_calib_load_map);
        return;
    }
    QString notFile;
    QFile f(fileName);
    // A FIFO or a device would block the window or never end.
    if (!BoundedLineReader::isReadableFile(fileName, &notFile)
        || !f.open(QIODevice::ReadOnly | QIODevice::Text)) {
        qDebug() << "Can not open" << fileName << notFile;
        emit finishBatchExec(EX_calib_load_map);
        return;
    }
    QTextStream in(&f);
    header = loadMapHeader(in);
    QString why;
    if (!header.valid)
        return refuse(QStringLiteral("incomplete header"));
    if (!EmpFile::checkGeometry(header, &why))
        return refuse(why);

    bool takeImageSize = false;
    if (calibCtrl->checkSize()) {
        if (imageWidth < 0 && imageHeight < 0) {
            takeImageSize = shiftMap;
        } else if (header.width != imageWidth || header.height != imageHeight) {
            qDebug().noquote() << QString("Loading Energy Map size : %1 x %2 : is not matched to "
                                          "the current image size : %3 x %4")
                                      .arg(header.width).arg(header.height)
                                      .arg(imageWidth).arg(imageHeight);
            header.valid = false;
            emit finishBatchExec(EX_calib_load_map);
            return;
        }
    }

    const double e0 = calibCtrl->edgeEnergy() > 0 ? calibCtrl->edgeEnergy() : header.stdEdgeEnergy;
    logDebug("Start Reading EMP file ");
    std::unique_ptr<double[]> shifts;
    if (!EmpFile::readShifts(in, header, e0, shifts, &why))
        return refuse(why);
    f.close();

    const AnalyzeCond area = EmpFile::areaOf(header);
    if (shiftMap) {
        calibCtrl->showMapGeometry(header.xOffset, header.yOffset, header.width, header.height);
        mapOriginX = header.xOffset;
        mapOriginY = header.yOffset;
        calibCond = area;
        lastMapEdgeEnergy = e0;
        forgetShiftMapRun();
        if (takeImageSize) {
            imageWidth = header.width;
            imageHeight = header.height;
        }
    }
    EmpFile::fillMap(map, area, shifts.get());
    map.colorScale = ui->CBar->scale();
    map.genImg();
    ui->dispA->update();
    logDebug("End Reading EMP file   ");
    if (shiftMap)
        calibCtrl->showEMPFileName(fileName);
    emit finishBatchExec(EX_calib_load_map);
}
