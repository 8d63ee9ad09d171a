// The image stacks of the main window: loading, browsing, image type,
// colour bar, dark frame, dark areas, background and total-I0 tables.
#include "mainwindow/body.h"

#include <QDebug>
#include <QFileInfo>
#include <QMetaObject>
#include <QScopedValueRollback>
#include <algorithm>
#include <cmath>

#include "analysis/ui/analyzer.h"
#include "display/colorbar.h"
#include "display/imgdispa.h"
#include "imagedata/loadtiff.h"
#include "imagedata/tiffdata.h"
#include "imagedata/ui/selectdatafiles.h"
#include "ui_body.h"
#include "variant/variant.h"

namespace {

const char *const NormalFieldStyle = "background-color: rgb(255, 255, 255);";
const char *const BadFieldStyle = "background-color: rgb(255, 192, 192);";

// Rising energy, frames without a number last.
bool energyBefore(double a, double b)
{
    if (std::isnan(a))
        return false;
    return std::isnan(b) || a < b;
}

// Runs show after the events already waiting, frames from the loader among
// them, and only if no frame has come since: of frames arriving faster than
// they can be shown, the last of each burst is shown.
template <typename Show>
void showWhenCaughtUp(Body *body, const quint64 &generation, const QVector<TiffData *> &frames,
                      Show show)
{
    const quint64 g = generation;
    const int n = frames.size();
    QMetaObject::invokeMethod(
        body,
        [&generation, &frames, g, n, show] {
            if (generation == g && frames.size() == n)
                show();
        },
        Qt::QueuedConnection);
}

} // namespace

// -- The shown series

bool Body::showingI1() const { return !ui->ShowI0->isChecked(); }

const QVector<TiffData *> &Body::shownFrames() const
{
    return showingI1() ? i1Frames : i0Frames;
}

SelectDataFiles *Body::shownPanel() const
{
    return showingI1() ? ui->SelectI1Files : ui->SelectI0Files;
}

TiffData *Body::shownFrame() const
{
    TiffData *f = ui->dispA->frame;
    return f && shownFrames().contains(f) ? f : nullptr;
}

void Body::markFrameEnergy(const TiffData *f)
{
    if (!spectrumView)
        return;
    const double e = f ? f->energy : -1.0;
    const double m = spectrumView->energyMarker;
    if (f == markedFrame && (e == m || (std::isnan(e) && std::isnan(m))))
        return;
    markedFrame = f;
    spectrumView->energyMarker = e;
    spectrumView->update();
}

// -- Loading

void Body::readI1Files(QStringList files, bool clearFirst)
{
    requestLoad(true, files, clearFirst);
}

void Body::readI0Files(QStringList files, bool clearFirst)
{
    requestLoad(false, files, clearFirst);
}

void Body::requestLoad(bool i1, const QStringList &files, bool clearFirst)
{
    SelectDataFiles *panel = i1 ? ui->SelectI1Files : ui->SelectI0Files;
    LoadTiff *loader = i1 ? i1Loader : i0Loader;
    if (clearFirst) {
        if (i1) {
            clearI1Files();
            // Each new spectrum sets the x range until the load ends.
            spectrumView->followXRange = true;
            if (XafsView *v = analyzer->spectrumView())
                v->followXRange = true;
        } else {
            clearI0Files();
        }
    }
    // The frames are coloured in the loader thread with the bar as it is now.
    const ColorScale scale = ui->CBar->scale();
    QMetaObject::invokeMethod(
        loader, [loader, scale] { loader->setColorScale(scale); }, Qt::QueuedConnection);
    const int tail = panel->loadTail();
    const int start = panel->loadStart();
    const int step = panel->loadStep();
    // What the stacks hold now: the loader counts its frames on top.
    const qint64 held = stackMemoryBytes();
    const qint64 received = i1 ? i1ReceivedBytes : i0ReceivedBytes;
    QMetaObject::invokeMethod(
        loader, [loader, held, received] { loader->setStackMemory(held, received); },
        Qt::QueuedConnection);
    // Copied here: the panel may reload its list while the loader reads.
    const ErrPointsSnapshot list(panel->errPoints());
    if (i1)
        emit loadI1Files(files, panel->skipLive(), step, start, tail, list, EX_load_I1_files);
    else
        emit loadI0Files(files, panel->skipLive(), step, start, tail, list, EX_load_I0_files);
}

qint64 Body::stackMemoryBytes() const
{
    qint64 bytes = darkFrame ? darkFrame->memoryBytes() : 0;
    for (const QVector<TiffData *> *frames : {&i1Frames, &i0Frames}) {
        for (const TiffData *f : *frames)
            bytes += f->memoryBytes();
    }
    return bytes;
}

void Body::i1JobStarted(quint64 g) { i1ArrivingGeneration = g; }

void Body::i0JobStarted(quint64 g) { i0ArrivingGeneration = g; }

// Takes a loaded frame into its stack with its energy from the panel; false
// (the frame deleted) for a frame of a stack cleared since it was asked for.
bool Body::takeLoadedFrame(TiffData *frame, int index, bool current, SelectDataFiles *panel,
                           QVector<TiffData *> &frames)
{
    if (!frame)
        return false;
    if (!current) {
        delete frame;
        return false;
    }
    frame->energy = panel->addImageItem(frame->fileName, index);
    frames << frame;
    return true;
}

void Body::loadedI1(TiffData *frame, int index)
{
    if (frame && sender() == i1Loader)
        i1ReceivedBytes += frame->memoryBytes();
    SelectDataFiles *panel = ui->SelectI1Files;
    if (!takeLoadedFrame(frame, index, i1ArrivingGeneration == i1Generation, panel, i1Frames))
        return;
    const bool fromLoader = sender() == i1Loader;
    // A frame from the loader is always followed by the end of its load,
    // which shows the stack; the loader may have ended while frames were
    // still on their way here.
    if ((fromLoader || i1Loader->isBusy()) && !panel->showLatest())
        return;
    auto show = [this, panel] {
        showXafsSpectrum();
        takeI1Geometry();
        const int n = i1Frames.size();
        if (panel->showLatest() && showingI1())
            showData(n - 1);
        panel->select(n - 1);
    };
    if (fromLoader)
        showWhenCaughtUp(this, i1Generation, i1Frames, show);
    else
        show();
}

void Body::loadedI0(TiffData *frame, int index)
{
    if (frame && sender() == i0Loader)
        i0ReceivedBytes += frame->memoryBytes();
    SelectDataFiles *panel = ui->SelectI0Files;
    if (!takeLoadedFrame(frame, index, i0ArrivingGeneration == i0Generation, panel, i0Frames))
        return;
    insertI0ByEnergy(frame);
    const bool fromLoader = sender() == i0Loader;
    if ((fromLoader || i0Loader->isBusy()) && !panel->showLatest())
        return;
    if (fromLoader)
        showWhenCaughtUp(this, i0Generation, i0Frames, [this] { showXafsSpectrum(); });
    else
        showXafsSpectrum();
}

void Body::insertI0ByEnergy(TiffData *frame)
{
    const auto at = std::upper_bound(
        i0ByEnergy.begin(), i0ByEnergy.end(), frame,
        [](const TiffData *a, const TiffData *b) { return energyBefore(a->energy, b->energy); });
    i0ByEnergy.insert(at, frame);
}

void Body::takeI1Geometry()
{
    if (i1Frames.isEmpty())
        return;
    const TiffData *f0 = i1Frames.first();
    imageWidth = int(f0->width);
    imageHeight = int(f0->height);
    imageOriginX = f0->errOriginX;
    imageOriginY = f0->errOriginY;
    ui->dispA->setImageSize(imageWidth, imageHeight);
    QScopedValueRollback<bool> guard(settingSeekBar, true);
    ui->SeekBar->setMaximum(i1Frames.size() - 1);
}

void Body::finishedLoadI1Files() { finishedLoad(true); }

void Body::finishedLoadI0Files() { finishedLoad(false); }

void Body::logLeftOut(bool i1, int refused, int files)
{
    logRefusal(tr("%1 stack: %2 of %3 images were left out (memory)")
                   .arg(i1 ? QStringLiteral("I1") : QStringLiteral("I0"))
                   .arg(refused)
                   .arg(files));
}

void Body::finishedLoad(bool i1)
{
    currentX = currentY = 0;
    // The last frames may have arrived while the loader was still busy: the
    // image size must be known before the spectrum is built from them.
    if (i1)
        takeI1Geometry();
    showXafsSpectrum();
    if (i1) {
        spectrumView->followXRange = false;
        if (XafsView *v = analyzer->spectrumView())
            v->followXRange = false;
    }
    const QVector<TiffData *> &frames = i1 ? i1Frames : i0Frames;
    if (frames.isEmpty())
        return;
    SelectDataFiles *panel = i1 ? ui->SelectI1Files : ui->SelectI0Files;
    const double e0 = frames.first()->exposureMs;
    bool agree = true;
    for (const TiffData *f : frames)
        agree = agree && f->exposureMs == e0;
    panel->setExpTimeMS(e0, agree);
    if (i1)
        panel->select(frames.size() - 1);
    if (i1 ? i1DarkAreaOn : i0DarkAreaOn) {
        (i1 ? i1DarkMeans : i0DarkMeans).clear();
        updateDarkArea(i1);
    }
}

// -- Clearing

void Body::forgetShownFrames(const QVector<TiffData *> &frames)
{
    ImgDispA *d = ui->dispA;
    if (d->frame && frames.contains(d->frame))
        d->forgetFrame();
}

void Body::clearI1Files()
{
    finishRunsReadingFrames();
    forgetShownFrames(i1Frames);
    ui->SelectI1Files->clearFiles();
    imgProc.setData(nullptr);
    clearTiffDataList(i1Frames);
    i1DarkMeans.clear();
    // Frames of the jobs asked for so far no longer belong to the stack.
    const quint64 g = ++i1Generation;
    LoadTiff *loader = i1Loader;
    QMetaObject::invokeMethod(
        loader, [loader, g] { loader->setGeneration(g); }, Qt::QueuedConnection);
}

void Body::clearI0Files()
{
    finishRunsReadingFrames();
    forgetShownFrames(i0Frames);
    ui->SelectI0Files->clearFiles();
    imgProc.setData(nullptr);
    i0ByEnergy.clear();
    clearTiffDataList(i0Frames);
    i0DarkMeans.clear();
    const quint64 g = ++i0Generation;
    LoadTiff *loader = i0Loader;
    QMetaObject::invokeMethod(
        loader, [loader, g] { loader->setGeneration(g); }, Qt::QueuedConnection);
}

// -- Browsing

void Body::showData(int i) { browseTo(i, "showData"); }

void Body::browseTo(int i, const char *who)
{
    const int n = shownFrames().size();
    if (i >= 0 && i < n) {
        showFrameAt(i);
        return;
    }
    logRefusal(QLatin1String(who) + QStringLiteral(": ")
               + tr("%1 is no image of the shown stack of %2 images; the image shown stays")
                     .arg(i)
                     .arg(n));
    // The slider may stand there already: back to the index on screen.
    QScopedValueRollback<bool> guard(settingSeekBar, true);
    ui->SeekBar->setValue(screenIndex());
}

int Body::screenIndex() const
{
    const int i = shownFrames().indexOf(ui->dispA->frame);
    return i >= 0 ? i : shownPanel()->currentIndex();
}

void Body::showFrameAt(int i)
{
    {
        QScopedValueRollback<bool> guard(settingSeekBar, true);
        ui->SeekBar->setValue(i);
    }
    // The panel follows; its signal may bring i back here first.
    shownPanel()->select(i);
    const QVector<TiffData *> &frames = shownFrames();
    TiffData *f = i >= 0 && i < frames.size() ? frames[i] : nullptr;
    ui->ImgNo->setText(f ? QString::number(i) : QString());
    ui->ImgNo->setToolTip(f ? f->fileName : QString());
    // A map view keeps its map over the frame; without a frame at i the
    // display holds none.
    ImgDispA *d = ui->dispA;
    if (f) {
        d->setImage(f);
        imgProc.setData(f);
    } else {
        d->forgetFrame();
    }
    markFrameEnergy(f);
    d->update();
}

void Body::seekImage(int i) { browseTo(i, "seek_image"); }

// From the frame on screen, which the panel's list may have left.
void Body::prev() { browseTo(screenIndex() - 1, "Prev"); }

void Body::next() { browseTo(screenIndex() + 1, "Next"); }

void Body::sliderMoved(int i) { browseTo(i, "SeekBar"); }

void Body::dispImgSelected(bool)
{
    if (Variant::isClassic())
        qDebug() << "disp img selected";
    ImgDispA *d = ui->dispA;
    const bool shiftMap = ui->ShowShiftMap->isChecked();
    const bool resultMap = ui->ShowResAnalysis->isChecked();
    d->setShowOverLayer(shiftMap || resultMap);
    if (shiftMap)
        d->overlayMap = &eShiftMap;
    if (resultMap)
        d->overlayMap = analyzer->currentMap();
    // The map views browse the I1 stack, the frame views their own; a view
    // whose stack has no frame at its index shows none.
    showFrameAt(shownPanel()->currentIndex());
    if (resultMap && !d->showsImage())
        ui->Value->clear();
    d->update();
}

void Body::selectedNewRef() { dispImgSelected(true); }

// -- Colour bar

void Body::cBarUpdating()
{
    const ColorScale scale = ui->CBar->scale();
    if (ui->ShowShiftMap->isChecked()) {
        if (eShiftMap.hasData()) {
            eShiftMap.colorScale = scale;
            eShiftMap.genImg();
        }
    } else if (ui->ShowResAnalysis->isChecked()) {
        setupResAnalysisImage();
    } else if (TiffData *f = shownFrame()) {
        f->makeImage(scale);
    }
    ui->dispA->update();
}

void Body::cBarUpdated()
{
    const ColorScale scale = ui->CBar->scale();
    qDebug() << "cBarUpdated" << scale.lowerLimit << scale.upperLimit;
    if (ui->ShowShiftMap->isChecked()) {
        if (eShiftMap.hasData()) {
            eShiftMap.colorScale = scale;
            eShiftMap.genImg();
        }
    } else if (ui->ShowResAnalysis->isChecked()) {
        setupResAnalysisImage();
    } else if (shownFrame()) {
        for (TiffData *f : shownFrames())
            f->makeImage(scale);
    }
    ui->dispA->update();
}

// -- Dark frame

void Body::clearDark()
{
    finishRunsReadingFrames();
    delete darkFrame;
    darkFrame = nullptr;
    ui->DarkFileName->clear();
}

void Body::selectedDark(QString fileName)
{
    clearDark();
    TiffData *d = new TiffData;
    d->colorScale = ui->CBar->scale();
    if (!d->load(fileName, nullptr)) {
        delete d;
        return;
    }
    darkFrame = d;
    ui->DarkFileName->setText(QFileInfo(fileName).fileName());
    ui->DarkExpTime->setText(QString::number(d->exposureMs, 'g', 6));
    darkExposureMs();
}

double Body::darkExposureMs()
{
    const QString text = ui->DarkExpTime->text();
    bool ok = false;
    const double ms = text.toDouble(&ok);
    const bool good = ok && std::isfinite(ms) && ms > 0;
    const int state = good ? 1 : 0;
    if (state != darkExpState) {
        darkExpState = state;
        ui->DarkExpTime->setStyleSheet(QString::fromLatin1(good ? NormalFieldStyle : BadFieldStyle));
        if (!good)
            qDebug() << "Dark exposure time" << text
                     << "is not a positive number: the dark frame is not scaled";
    }
    return good ? ms : 0.0;
}

double Body::darkExposureScale(double stackExpMs)
{
    const double darkMs = darkExposureMs();
    if (!(darkMs > 0) || !(stackExpMs > 0) || !std::isfinite(stackExpMs))
        return 1.0;
    return stackExpMs / darkMs;
}

// -- Dark areas

void Body::setI0DarkArea() { setDarkArea(false); }

void Body::setI1DarkArea() { setDarkArea(true); }

void Body::setDarkArea(bool i1)
{
    ImgDispA *d = ui->dispA;
    const QRectF area(d->areaX, d->areaY, d->areaW, d->areaH);
    (i1 ? i1DarkAreaOn : i0DarkAreaOn) = true;
    (i1 ? i1DarkArea : i0DarkArea) = area;
    (i1 ? ui->SelectI1Files : ui->SelectI0Files)->darkArea(area);
    d->recallOldSelectedArea();
    (i1 ? i1DarkMeans : i0DarkMeans).clear();
    updateDarkArea(i1);
    d->update();
}

void Body::clearUpdateI0DarkArea()
{
    if (!i0DarkAreaOn)
        return;
    i0DarkMeans.clear();
    updateI0DarkArea();
}

void Body::clearUpdateI1DarkArea()
{
    if (!i1DarkAreaOn)
        return;
    i1DarkMeans.clear();
    updateI1DarkArea();
}

void Body::updateI0DarkArea() { updateDarkArea(false); }

void Body::updateI1DarkArea() { updateDarkArea(true); }

void Body::updateDarkArea(bool i1)
{
    const QVector<TiffData *> &frames = i1 ? i1Frames : i0Frames;
    QVector<double> &means = i1 ? i1DarkMeans : i0DarkMeans;
    const QRectF area = i1 ? i1DarkArea : i0DarkArea;
    if (means.size() > frames.size())
        means.resize(frames.size());
    const double dark = darkFrame ? darkFrame->rectAverage(area) : 0.0;
    for (int i = means.size(); i < frames.size(); i++)
        means << frames[i]->rectAverage(area) - dark;
}

void Body::clearI0DarkArea()
{
    i0DarkAreaOn = false;
    i0DarkMeans.clear();
    ui->dispA->update();
}

void Body::clearI1DarkArea()
{
    i1DarkAreaOn = false;
    i1DarkMeans.clear();
    ui->dispA->update();
}

double Body::i1DarkMeanAt(int i)
{
    if (!i1DarkAreaOn)
        return 0.0;
    updateDarkArea(true);
    if (i1DarkMeans.isEmpty())
        return 0.0;
    return i >= 0 && i < i1DarkMeans.size() ? i1DarkMeans[i] : i1DarkMeans.first();
}

double Body::i0DarkMeanAt(int i)
{
    if (!i0DarkAreaOn)
        return 0.0;
    updateDarkArea(false);
    if (i0DarkMeans.isEmpty())
        return 0.0;
    return i >= 0 && i < i0DarkMeans.size() ? i0DarkMeans[i] : i0DarkMeans.first();
}

// -- Background and total I0

void Body::clearedBG()
{
    bgValid = false;
    bgSpectrum = XafsSpectrum();
    bgView.setXafsSpectrum(bgSpectrum);
}

void Body::selectedBG(QString fileName)
{
    bgValid = bgSpectrum.load(fileName);
    if (bgValid)
        bgView.setXafsSpectrum(bgSpectrum);
}

void Body::newTotalI0ofI1File(QString fileName) { newTotalI0File(totalI0ofI1, fileName); }

void Body::newTotalI0ofI0File(QString fileName) { newTotalI0File(totalI0ofI0, fileName); }

void Body::newTotalI0File(XafsSpectrum &table, const QString &fileName)
{
    if (!table.load(fileName))
        qDebug() << "No total I0 table read from" << fileName;
    const int n = table.count();
    const int n0 = table.i0.count();
    for (int i = 0; i < n; i++)
        qDebug() << table.xAt(i) << (i < n0 ? table.i0.points[i].y() : 0.0);
}
