// Saving the shown result map (TIFF or text), the main image, the images of
// the reference maps and the flat and dark frames.
#include "mainwindow/body.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPixmap>
#include <QRadioButton>
#include <memory>
#include <new>

#include "analysis/ui/analyzer.h"
#include "analysis/ui/lcfreference.h"
#include "batch/ui/batchctrl.h"
#include "core/globals.h"
#include "core/wholefile.h"
#include "display/_filedialog.h"
#include "display/colorbar.h"
#include "display/imgdispa.h"
#include "display/widgethelpers.h"
#include "imagedata/tiffwriter.h"
#include "mainwindow/savedatacfg.h"
#include "ui_body.h"

namespace {

// A grid of analysed boxes may hold this many times the image's pixels (no
// selection on or near the image comes close), and never more than
// MaxGridSamples boxes.
const qint64 MaxGridPerPixel = 16;
const qint64 MaxGridSamples = qint64(1) << 30;

// Saves a colour bar in the format of the name's suffix; TIFF through the
// program's own writer, which needs no image plugin.
bool saveColorBar(const ColorScale &scale, const QString &fileName)
{
    const QImage bar = ColorBar::picture(scale, true).toImage();
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    return suffix == "tif" || suffix == "tiff" ? TiffWriter().writeRgb(fileName, bar)
                                               : WholeFile::saveImage(bar, fileName);
}

// dir/base-index.suffix of a chosen name; the suffix typed is dropped.
QString mapFileName(const QString &fileName, int index, const QString &suffix)
{
    const QFileInfo fi(fileName);
    return fi.absoluteDir().absolutePath() + "/"
           + QString("%1-%2.%3").arg(fi.completeBaseName()).arg(index).arg(suffix);
}

// Box centres per row (or rows) of a walk from lo to hi.
qint64 gridCount(int lo, int hi, int half, int step)
{
    return (qint64(hi) - lo - half - 1) / qMax(step, 1) + 1;
}

// The grid of analysed boxes of a walk: w x h boxes. False, with why, when
// it is empty or far larger than the image (an area reaching far past it).
bool gridSize(const AnalyzeCond &area, qint64 *w, qint64 *h, QString *why)
{
    *w = gridCount(area.x0, area.x1, area.halfW, area.stepX);
    *h = gridCount(area.y0, area.y1, area.halfH, area.stepY);
    const qint64 limit = qMin(MaxGridSamples,
                              MaxGridPerPixel * qMax<qint64>(1, qint64(area.width) * area.height));
    if (*w < 1 || *h < 1) {
        *why = QString("no grid of analysed boxes to save: %1 x %2").arg(*w).arg(*h);
        return false;
    }
    if (*w > limit / *h) {
        *why = QString("a grid of %1 x %2 analysed boxes is too large for the %3 x %4 image (at "
                       "most %5 boxes)")
                   .arg(*w).arg(*h).arg(area.width).arg(area.height).arg(limit);
        return false;
    }
    return true;
}

// One sample per analysed box of a w x h grid (gridSize), in walk order, from
// the samples of the whole map (width x height of area); a centre off the map
// gives 0. Null when it can not be allocated.
std::unique_ptr<quint16[]> gridSamples(const AnalyzeCond &area, const quint16 *cells, qint64 gw,
                                       qint64 gh)
{
    const qint64 total = gw * gh;
    std::unique_ptr<quint16[]> out(new (std::nothrow) quint16[size_t(total)]());
    if (!out) {
        qDebug() << "saveDataAsTiff: can't allocate" << total << "samples";
        return nullptr;
    }
    // Each centre at its place in the grid: those the walk steps over stay 0.
    AnalyzeCond walk = area;
    walk.reset();
    do {
        const qint64 c = (qint64(walk.x) - area.x0 - area.halfW) / qMax(area.stepX, 1);
        const qint64 r = (qint64(walk.y) - area.y0 - area.halfH) / qMax(area.stepY, 1);
        if (walk.inside(walk.x, walk.y) && c < gw && r < gh)
            out[size_t(r * gw + c)] = cells[qint64(walk.y) * area.width + walk.x];
    } while (walk.next());
    return out;
}

} // namespace

// -- What a save writes

Body::SavePlan Body::planSave(SaveKind kind)
{
    SavePlan plan;
    const auto refuse = [&plan](const QString &reason, const QString &detail = QString()) {
        plan.reason = reason;
        plan.detail = detail;
        return plan;
    };
    const bool image = kind == SaveKind::Image;
    if (!image || ui->ShowResAnalysis->isChecked()) {
        plan.map = analyzer->currentMap();
        if (!plan.map)
            return refuse(tr("No map shown: choose one in the Analyzer."));
        if (!plan.map->hasData()) {
            const QString why = noDataReason(plan.map);
            return refuse(why.isEmpty() ? tr("The map has no data yet: run its analysis.") : why);
        }
    }
    if (image) {
        const ImgDispA *d = ui->dispA;
        if (!d->shownScale(&plan.bar)) {
            if (plan.map)
                return refuse(tr("The map has no data yet: run its analysis."));
            if (ui->ShowShiftMap->isChecked())
                return refuse(tr("No energy-shift map: calibrate or load one."));
            return refuse(shownFrames().isEmpty()
                              ? tr("No image shown: load the data first.")
                              : tr("No image shown: choose one with the slider."));
        }
        plan.view = d->viewWindowRect();
        if (plan.view.isEmpty())
            return refuse(tr("View is off the image: press Reset Scale."));
        return plan;
    }

    const Analyzed2DRes *map = plan.map;
    // Both formats write the values at the boxes' centres, or neither does.
    const bool boxes = kind == SaveKind::Text || saveDataCfg->saveTiffAsAnalyzed();
    if (boxes && !map->area.centreOnImage())
        return refuse(tr("No box centre lies on the image: use smaller boxes or another area."),
                      QString("no centre of the %1 x %2 boxes lies on the %3 x %4 image")
                          .arg(2 * qint64(map->area.halfW) + 1)
                          .arg(2 * qint64(map->area.halfH) + 1)
                          .arg(map->area.width)
                          .arg(map->area.height));
    plan.gridW = map->area.width;
    plan.gridH = map->area.height;
    if (kind == SaveKind::Tiff && boxes) {
        QString why;
        if (!gridSize(map->area, &plan.gridW, &plan.gridH, &why))
            return refuse(tr("The area reaches far past the image: select an area on it."), why);
    }
    // The map's colours, labelled with the range the samples span.
    plan.bar = map->colorScale;
    plan.bar.valueMin = saveDataCfg->saveTiffScaleMin();
    plan.bar.valueMax = saveDataCfg->saveTiffScaleMax();
    map->tiffRange(saveDataCfg->saveTiffScaleFixed(), &plan.bar.valueMin, &plan.bar.valueMax);
    return plan;
}

Body::SaveKind Body::dataSaveKind() const
{
    return saveDataCfg->saveAsTiff() ? SaveKind::Tiff : SaveKind::Text;
}

bool Body::showSaveReason(SaveKind kind)
{
    const QString why = planSave(kind).reason;
    ui->SaveReason->setText(why);
    saveReasonKind = why.isEmpty() ? -1 : int(kind);
    return why.isEmpty();
}

void Body::refreshSaveReason()
{
    if (saveReasonKind < 0)
        return;
    // Save Data follows the format chosen since.
    const SaveKind kind = saveReasonKind == int(SaveKind::Image) ? SaveKind::Image : dataSaveKind();
    const QString why = planSave(kind).reason;
    if (why != ui->SaveReason->text())
        ui->SaveReason->setText(why);
    if (why.isEmpty())
        saveReasonKind = -1;
}

void Body::logNothingSaved(const char *who, const SavePlan &plan)
{
    QString line = QString("%1: nothing is saved: %2").arg(QLatin1String(who), plan.reason);
    if (!plan.detail.isEmpty())
        line += QString(" (%1)").arg(plan.detail);
    logRefusal(line);
}

int Body::shownRowIndex() const
{
    for (int k = 0; k < analyzer->refs.size(); k++) {
        if (analyzer->refs[k]->showButton()->isChecked())
            return k;
    }
    return 0;
}

// -- Saving

void Body::saveImage(QString fileName)
{
    const SavePlan plan = planSave(SaveKind::Image);
    if (!plan.reason.isEmpty()) {
        logNothingSaved("saveImage", plan);
        return;
    }
    // The colour bar goes only beside an image that was saved.
    const QImage image = ui->dispA->viewWindowImage();
    if (!image.isNull() && WholeFile::saveImage(image, fileName))
        saveColorBar(plan.bar, insertTag(fileName, "cBar"));
}

void Body::saveImageWNum(QString fileName, QString tag)
{
    saveImage(insertTag(fileName, tag));
}

void Body::saveAllImages(QString fileName)
{
    const QFileInfo target(fileName);
    if (!target.absoluteDir().exists()) {
        qDebug() << "saveAllImages: no image saved, no folder" << target.absolutePath();
        return;
    }
    if (!WholeFile::hasImageFormat(fileName)) {
        qDebug() << "saveAllImages: no image saved, no image format for the suffix of"
                 << fileName;
        return;
    }
    for (int j = 0; j < analyzer->mapsPerRef; j++) {
        for (int k = 0; k < analyzer->refs.size(); k++) {
            const LCFReference *row = analyzer->refs[k];
            if (!row->inUse() || j >= row->maps.size())
                continue;
            const Analyzed2DRes *map = row->maps[j];
            if (map && map->hasData() && map->imageValid && map->image)
                WholeFile::saveImage(*map->image,
                                     insertTag(fileName, QString("%1-%2").arg(k).arg(j)));
        }
    }
}

void Body::showSaveDataDialog()
{
    const SaveKind kind = dataSaveKind();
    if (!showSaveReason(kind))
        return;
    if (kind == SaveKind::Tiff)
        dataSaveDialog->setNameFilters({tr("Tiff File (*.tif)"), tr("Any Files (* *.*)")});
    else
        dataSaveDialog->setNameFilters({tr("Data File (*.dat)"), tr("Any Files (* *.*)")});
    showInFront(dataSaveDialog);
}

void Body::saveData(QString fileName)
{
    const SaveKind kind = dataSaveKind();
    qDebug() << (kind == SaveKind::Tiff ? "selected tiff" : "selected text");
    // The shown row only numbers the files; the map saved is the one shown.
    saveMap(fileName, shownRowIndex(), kind, true, "saveData");
}

void Body::saveDataAsTiff(QString fileName, int index)
{
    saveMap(fileName, index, SaveKind::Tiff, false, "saveDataAsTiff");
}

void Body::saveDataAsText(QString fileName, int index)
{
    saveMap(fileName, index, SaveKind::Text, false, "saveDataAsText");
}

void Body::saveMap(const QString &fileName, int index, SaveKind kind, bool bar, const char *who)
{
    if (kind == SaveKind::Tiff)
        qDebug() << "saveDataAsTiff";
    const SavePlan plan = planSave(kind);
    if (!plan.reason.isEmpty()) {
        logNothingSaved(who, plan);
        return;
    }
    Analyzed2DRes *map = plan.map;
    if (kind == SaveKind::Text) {
        map->saveAsText(QFileInfo(mapFileName(fileName, index, "dat")),
                        saveDataCfg->saveTiffAsAnalyzed(), saveDataCfg->saveTextAsCSV(),
                        saveDataCfg->saveTextAsXYVal());
        return;
    }
    // The samples of the whole map; the analysed boxes are picked out of them.
    std::unique_ptr<quint16[]> cells(
        map->tiffDataForSave(true, plan.bar.valueMin, plan.bar.valueMax, false));
    if (!cells) {
        qDebug() << "saveDataAsTiff: the map holds no data";
        return;
    }
    const quint16 *samples = cells.get();
    std::unique_ptr<quint16[]> grid;
    if (saveDataCfg->saveTiffAsAnalyzed()) {
        grid = gridSamples(map->area, cells.get(), plan.gridW, plan.gridH);
        if (!grid)
            return;
        samples = grid.get();
        map->count = int(plan.gridW * plan.gridH);
    }
    if (!TiffWriter().writeTiff(mapFileName(fileName, index, "tif"), int(plan.gridW),
                                int(plan.gridH), samples))
        return;
    // The map's own bar: the same whatever the view shows.
    if (bar)
        saveColorBar(plan.bar, insertTag(insertTag(fileName, QString::number(index)), "-cBar"));
}

void Body::saveFlatDark()
{
    // Relative names: both land in the current folder.
    if (imageWidth < 1 || imageHeight < 1) {
        qDebug() << "saveFlatDark: no I1 image gives the size yet";
        return;
    }
    TiffWriter writer;
    writer.writeFlat("flat.dat", imageWidth, imageHeight);
    writer.writeDark("dark.dat", imageWidth, imageHeight);
}
