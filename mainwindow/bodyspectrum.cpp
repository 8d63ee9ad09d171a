// The spectrum of a pixel box of the image stacks, and the spectrum of the
// current point shown in the spectrum view and handed to the analysis window.
#include "mainwindow/body.h"

#include <QLineEdit>
#include <QMetaObject>
#include <QtGlobal>
#include <cmath>

#include "analysis/analyzeproc.h"
#include "analysis/ui/analyzer.h"
#include "calibration/ui/calibctrl.h"
#include "imagedata/tiffdata.h"
#include "imagedata/ui/selectdatafiles.h"
#include "ui_body.h"

namespace {

int halfSize(const QLineEdit *edit)
{
    return edit->text().toInt(nullptr, 10);
}

} // namespace

double Body::eShiftAtPoint(int x, int y) const
{
    const qint64 mx = qint64(x) + imageOriginX - mapOriginX;
    const qint64 my = qint64(y) + imageOriginY - mapOriginY;
    if (mx < 0 || my < 0 || mx >= eShiftMap.area.width || my >= eShiftMap.area.height)
        return 0.0;
    return eShiftMap.value(int(mx), int(my));
}

SpectrumSource Body::spectrumSource()
{
    SpectrumSource src;
    src.width = imageWidth;
    src.height = imageHeight;
    // Means of frames that arrived after the areas were set are measured once here.
    if (i1DarkAreaOn)
        updateI1DarkArea();
    if (i0DarkAreaOn)
        updateI0DarkArea();
    src.i1.reserve(i1Frames.size());
    for (const TiffData *f : qAsConst(i1Frames))
        src.i1 << f;
    src.i0ByEnergy.reserve(i0ByEnergy.size());
    for (const TiffData *f : qAsConst(i0ByEnergy))
        src.i0ByEnergy << f;
    // The dark frame's box sum, scaled to each stack's exposure.
    src.dark = darkFrame;
    if (darkFrame) {
        src.darkScale1 = darkExposureScale(ui->SelectI1Files->expTimeMS());
        src.darkScale0 = darkExposureScale(ui->SelectI0Files->expTimeMS());
    }
    src.i1DarkOn = i1DarkAreaOn;
    src.i0DarkOn = i0DarkAreaOn;
    src.i1DarkMeans = i1DarkMeans;
    src.i0DarkMeans = i0DarkMeans;
    src.useI0 = ui->UseI0->isChecked();
    src.fluo = ui->FluoType->isChecked();
    src.useTable = !totalI0ofI1.isEmpty();
    for (const QPointF &p : totalI0ofI1.i0.points)
        src.tableI0 << p.y();
    src.prepare();
    return src;
}

Spectrum Body::spectrumAtPoint(int x, int y, int hw, int hh)
{
    if (x < 0 || y < 0 || x >= imageWidth || y >= imageHeight)
        return Spectrum();
    return spectrumSource().spectrum(x, y, hw, hh);
}

Spectrum Body::rawSpectrumAtPoint(int x, int y, int hw, int hh)
{
    Spectrum sp;
    if (x < 0 || y < 0 || x >= imageWidth || y >= imageHeight)
        return sp;
    for (const TiffData *frame : qAsConst(i1Frames)) {
        if (frame)
            sp.addPoint(frame->energy, frame->boxSum(x, y, hw, hh));
    }
    return sp;
}

void Body::showXafsSpectrum()
{
    const TiffData *shown = shownFrame();
    markedFrame = shown;
    spectrumView->energyMarker = shown ? shown->energy : -1.0;
    spectrumView->update();

    const double shift = eShiftAtPoint(currentX, currentY);
    const SuggestElm suggest = getSuggestElm();
    const int mode = calibCtrl->targetBGVictoreen() ? 0 : 1;
    const int hw = halfSize(ui->HWidth);
    const int hh = halfSize(ui->VWidth);
    const XafsSpectrum xs(spectrumAtPoint(currentX, currentY, hw, hh), QStringLiteral("body-show"),
                          mode, shift, suggest);
    const double dE = spectrumView->setXafsSpectrum(xs);
    // During an area run the analysis window is fed by the run.
    if (!analyzing)
        feedAnalyzer(xs, suggest);

    ui->Position->setText(QString::asprintf("(% 4d, % 4d)", currentX, currentY));
    ui->EShiftOnTbl->setText(QString::asprintf("%6.3f", shift));
    ui->EShiftFromStd->setText(QString::asprintf("%5.2f", dE));
    spectrumView->setRawSpectrum(rawSpectrumAtPoint(currentX, currentY, hw, hh));
}

void Body::feedAnalyzer(const XafsSpectrum &xs, const SuggestElm &suggest)
{
    waitingPointSpectrum = xs;
    waitingPointSuggest = suggest;
    pointSpectrumWaiting = true;
    if (!pointSpectrumWithWorker)
        handWaitingPointSpectrum();
}

void Body::handWaitingPointSpectrum()
{
    pointSpectrumWithWorker = false;
    if (!pointSpectrumWaiting || !analyzer)
        return;
    pointSpectrumWaiting = false;
    if (analyzing)
        return;
    analyzer->analyzeAndShowSpectrum(waitingPointSpectrum, waitingPointSuggest);
    AnalyzeProc *worker = analyzer->analysisWorker();
    if (!worker)
        return;
    // A marker queued behind the requests just sent comes back once the
    // worker has taken them all; until then new spectra wait here.
    pointSpectrumWithWorker = true;
    QMetaObject::invokeMethod(
        worker,
        [this] {
            QMetaObject::invokeMethod(
                this, [this] { handWaitingPointSpectrum(); }, Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}
