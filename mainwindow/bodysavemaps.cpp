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

// Saves the colour bar in the format of the name's suffix; TIFF through the
// program's own writer, which needs no image plugin.
bool saveColorBar(const QPixmap &bar, const QString &fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    return suffix == "tif" || suffix == "tiff"
               ? TiffWriter().writeRgb(fileName, bar.toImage())
               : WholeFile::saveImage(bar.toImage(), fileName);
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

// The grid of analysed boxes of a walk: w x h boxes. False, with one line
// naming its size, when it is empty or far larger than the image (an area
// reaching far past it): nothing is allocated for it then.
bool gridSize(const AnalyzeCond &area, qint64 *w, qint64 *h)
{
    *w = gridCount(area.x0, area.x1, area.halfW, area.stepX);
    *h = gridCount(area.y0, area.y1, area.halfH, area.stepY);
    const qint64 limit = qMin(MaxGridSamples,
                              MaxGridPerPixel * qMax<qint64>(1, qint64(area.width) * area.height));
    if (*w < 1 || *h < 1) {
        qDebug().noquote() << QString("saveDataAsTiff: no grid of analysed boxes to save: %1 x %2")
                                  .arg(*w).arg(*h);
        return false;
    }
    if (*w > limit / *h) {
        qDebug().noquote() << QString("saveDataAsTiff: a grid of %1 x %2 analysed boxes is too "
                                      "large for the %3 x %4 image (at most %5 boxes); nothing "
                                      "is saved")
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

void Body::saveImage(QString fileName)
{
    // The colour bar goes only beside an image that was saved.
    const QImage image = ui->dispA->viewWindowImage();
    if (image.isNull())
        qDebug() << "saveImage: no image is shown; nothing is saved";
    else if (WholeFile::saveImage(image, fileName))
        saveColorBar(ui->CBar->pixmap, insertTag(fileName, "cBar"));
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
            if (map && map->imageValid && map->image)
                WholeFile::saveImage(*map->image,
                                     insertTag(fileName, QString("%1-%2").arg(k).arg(j)));
        }
    }
}

QString Body::nothingToSave(bool image)
{
    if (!image || ui->ShowResAnalysis->isChecked()) {
        const Analyzed2DRes *map = analyzer->currentMap();
        if (!map)
            return tr("No map shown: choose one in the Analyzer.");
        if (image ? !ui->dispA->showsImage() : !map->hasData())
            return tr("The map has no data yet: run its analysis.");
    }
    if (!image || !ui->dispA->viewWindowImage().isNull())
        return QString();
    if (!ui->dispA->showsImage())
        return ui->ShowShiftMap->isChecked() ? tr("No energy-shift map: calibrate or load one.")
                                             : tr("No image shown: load the data first.");
    return tr("View is off the image: press Reset Scale.");
}

bool Body::canSave(bool image)
{
    const QString why = nothingToSave(image);
    ui->SaveReason->setText(why);
    return why.isEmpty();
}

void Body::showSaveDataDialog()
{
    if (!canSave(false))
        return;
    if (saveDataCfg->saveAsTiff())
        dataSaveDialog->setNameFilters({tr("Tiff File (*.tif)"), tr("Any Files (* *.*)")});
    else
        dataSaveDialog->setNameFilters({tr("Data File (*.dat)"), tr("Any Files (* *.*)")});
    showInFront(dataSaveDialog);
}

void Body::saveData(QString fileName)
{
    if (!analyzer->currentMap()) {
        qDebug() << "saveData: no map is shown; nothing is saved";
        return;
    }
    // The shown row only numbers the files; the map saved is the one shown.
    int index = 0;
    for (int k = 0; k < analyzer->refs.size(); k++) {
        if (analyzer->refs[k]->showButton()->isChecked()) {
            index = k;
            break;
        }
    }
    if (saveDataCfg->saveAsTiff()) {
        qDebug() << "selected tiff";
        if (writeDataTiff(fileName, index))
            saveColorBar(ui->CBar->pixmap,
                         insertTag(insertTag(fileName, QString::number(index)), "-cBar"));
    } else {
        qDebug() << "selected text";
        saveDataAsText(fileName, index);
    }
}

void Body::saveDataAsTiff(QString fileName, int index) { writeDataTiff(fileName, index); }

bool Body::writeDataTiff(const QString &fileName, int index)
{
    const QString file = mapFileName(fileName, index, "tif");
    qDebug() << "saveDataAsTiff";
    Analyzed2DRes *map = analyzer->currentMap();
    if (!map) {
        qDebug() << "saveDataAsTiff: no map is shown";
        return false;
    }
    // The grid is checked before anything is allocated for it.
    const bool boxes = saveDataCfg->saveTiffAsAnalyzed();
    qint64 w = map->area.width, h = map->area.height;
    if (boxes && !gridSize(map->area, &w, &h))
        return false;
    // The samples of the whole map; the analysed boxes are picked out of them.
    std::unique_ptr<quint16[]> cells(
        map->tiffDataForSave(saveDataCfg->saveTiffScaleFixed(), saveDataCfg->saveTiffScaleMin(),
                             saveDataCfg->saveTiffScaleMax(), false));
    if (!cells) {
        qDebug() << "saveDataAsTiff: the map holds no data";
        return false;
    }
    const quint16 *samples = cells.get();
    std::unique_ptr<quint16[]> grid;
    if (boxes) {
        grid = gridSamples(map->area, cells.get(), w, h);
        if (!grid)
            return false;
        samples = grid.get();
        map->count = int(w * h);
    }
    return TiffWriter().writeTiff(file, int(w), int(h), samples);
}

void Body::saveDataAsText(QString fileName, int index)
{
    const QString file = mapFileName(fileName, index, "dat");
    Analyzed2DRes *map = analyzer->currentMap();
    if (!map) {
        qDebug() << "saveDataAsText: no map is shown";
        return;
    }
    map->saveAsText(QFileInfo(file), saveDataCfg->saveTiffAsAnalyzed(),
                    saveDataCfg->saveTextAsCSV(), saveDataCfg->saveTextAsXYVal());
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
