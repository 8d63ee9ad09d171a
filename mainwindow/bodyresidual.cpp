// The residual-absorption maps: over the analysis area, the edge jump of every
// block at one energy, the rest pre - factor * jump, and their ratio.
#include "mainwindow/body.h"

#include <QDebug>
#include <QLineEdit>
#include <cmath>

#include "analysis/ui/analyzer.h"
#include "batch/ui/batchctrl.h"
#include "calibration/ui/calibctrl.h"
#include "display/colorbar.h"
#include "display/imgdispa.h"
#include "ui_body.h"

namespace {

// A line edit read as a number: 0, with a debug line, when it holds none.
double numberIn(const QLineEdit *edit)
{
    bool ok = false;
    const double v = edit->text().toDouble(&ok);
    if (ok && std::isfinite(v))
        return v;
    qDebug() << "Residual absorption:" << edit->objectName() << "is not a number:" << edit->text();
    return 0.0;
}

} // namespace

void Body::startRA2DAnalysis()
{
    if (!analyzer)
        return;
    if (i1Frames.isEmpty()) {
        qDebug() << "Residual absorption: no I1 image is loaded; no maps are made";
        keepMapsWithoutI1(raFailures);
        return;
    }
    if (!askAnalyzeCond(raArea)) {
        refuseRun(raFailures, {&analyzer->dMutMap, &analyzer->restMap, &analyzer->ratioMap},
                  areaRefusal());
        return;
    }
    raFailures.start(raArea.centreCount());
    analyzer->setRunNote(QString());
    raFactor = numberIn(analyzer->raFactorEdit());
    raEnergy = numberIn(analyzer->raEnergyEdit());

    Analyzed2DRes **const targets[] = {&raDMutMap, &raRestMap, &raRatioMap};
    Analyzed2DRes *const maps[] = {&analyzer->dMutMap, &analyzer->restMap, &analyzer->ratioMap};
    for (int i = 0; i < 3; i++) {
        *targets[i] = maps[i];
        maps[i]->setArea(raArea);
        maps[i]->setNo(-1);
    }
    analyzeRAPoints();
}

void Body::analyzeRAPoints()
{
    if (!raDMutMap || !raRestMap || !raRatioMap)
        return;
    const SuggestElm suggest = getSuggestElm();
    const int mode = calibCtrl && calibCtrl->targetBGVictoreen() ? 0 : 1;
    const double e = raEnergy;
    const double factor = raFactor;
    const ShiftTable shifts = shiftTable();
    raArea.reset();
    connect(&raEngine, &AreaEngine::chunkReady, this, &Body::recordRAChunk, Qt::UniqueConnection);
    // Per block: dMut and the rest; computed on the pool, recorded here in walk order.
    raEngine.runToEnd(raArea, spectrumSource(), 2,
                      [suggest, mode, e, factor, shifts](AreaEngine::Chunk &c, int first,
                                                         int count, const Spectrum *raw,
                                                         const std::atomic<bool> &stopping,
                                                         std::any &own) {
                          // The task's spectrum, normalised anew in place block after block.
                          auto *sp = std::any_cast<XafsSpectrum>(&own);
                          if (!sp)
                              sp = &own.emplace<XafsSpectrum>();
                          const QString name = QStringLiteral("Body-RaA");
                          for (int k = first; k < first + count && !stopping; k++) {
                              // A block without a value records 0.
                              c.ok[k] = 1;
                              if (raw[k - first].isEmpty()) {
                                  c.noResultAt(k) = RunFailures::NoPoints;
                                  continue;
                              }
                              // Only the lines are read: no derived spectra.
                              sp->renew(raw[k - first], name, mode,
                                        shifts.at(c.xs[k], c.y), suggest, 0);
                              const double post = sp->post.valueAt(e);
                              const double pre = sp->pre.valueAt(e);
                              const double dMut = post - pre;
                              const double rest = pre - factor * dMut;
                              if (!std::isfinite(dMut) || !std::isfinite(rest)) {
                                  c.noResultAt(k) = {"Body", QT_TRANSLATE_NOOP("Body", "value not finite"), 0};
                                  continue;
                              }
                              c.values[2 * k] = dMut;
                              c.values[2 * k + 1] = rest;
                          }
                      });
    // No box gave a value: the maps have none to show or save.
    if (raFailures.failedEverywhere()) {
        for (Analyzed2DRes *map : {raDMutMap, raRestMap, raRatioMap})
            raFailures.empty(map, raArea);
    }
    generateRAResImage();
    noteRunFailures(raFailures);
    noteMapsRanShort({raDMutMap, raRestMap, raRatioMap});
}

void Body::recordRAChunk(const AreaEngine::Chunk &c)
{
    if (c.index == 0 || c.rowStart)
        qDebug() << "RA row" << c.y;
    for (int k = 0; k < c.xs.size(); k++) {
        const AreaEngine::Chunk::NoResult no = c.noResult(k);
        if (!raArea.reaches(c.xs[k], c.y))
            raFailures.add(RunFailures::OffImage);
        else if (no.reason)
            raFailures.add(no);
        raDMutMap->setData(c.xs[k], c.y, c.halfW, c.halfH, c.values[2 * k]);
        raRestMap->setData(c.xs[k], c.y, c.halfW, c.halfH, c.values[2 * k + 1]);
    }
}

void Body::generateRAResImage()
{
    if (!raDMutMap || !raRestMap || !raRatioMap) {
        qDebug() << "Residual absorption: no maps yet";
        return;
    }
    const Analyzed2DRes &rest = *raRestMap;
    const int w = rest.area.width;
    const int h = rest.area.height;
    // The whole map, cells outside the area (0 from the preparation) included.
    double minRest = 1e300;
    if (rest.hasData()) {
        for (int y = 0; y < h; y++) {
            for (int x = 0; x < w; x++) {
                if (rest.value(x, y) < minRest)
                    minRest = rest.value(x, y);
            }
        }
        for (int y = 0; y < h; y++) {
            for (int x = 0; x < w; x++) {
                const double d = raDMutMap->value(x, y);
                const double r = rest.value(x, y) - minRest;
                raRatioMap->setData(x, y, 0, 0, r / (d + r));
            }
        }
    }
    Analyzed2DRes::genImgs({raDMutMap, raRestMap, raRatioMap}, ui->CBar->scale(),
                           raEngine.threads());
    if (analyzer)
        ui->dispA->overlayMap = analyzer->currentMap();
    ui->dispA->update();
}
