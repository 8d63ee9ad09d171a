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

// Per-pixel dark level of frame i from a stack's dark-area means; past the
// end of the list (an I1 index on a shorter I0 stack) the first mean.
double darkMeanAt(const QVector<double> &means, int i)
{
    if (means.isEmpty())
        return 0.0;
    return i < means.size() ? means[i] : means.first();
}

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

Spectrum Body::spectrumAtPoint(int x, int y, int hw, int hh)
{
    Spectrum sp;
    if (x < 0 || y < 0 || x >= imageWidth || y >= imageHeight)
        return sp;
    // Pixels in the box as the box sums take it: 2|h| + 1 per side.
    const double n = double(2 * qAbs(qint64(hw)) + 1) * double(2 * qAbs(qint64(hh)) + 1);

    // The dark frame's box sum, scaled to each stack's exposure.
    double dark1 = 0.0, dark0 = 0.0;
    if (darkFrame) {
        const double d = darkFrame->boxSum(x, y, hw, hh);
        dark1 = d * darkExposureScale(ui->SelectI1Files->expTimeMS());
        dark0 = d * darkExposureScale(ui->SelectI0Files->expTimeMS());
    }
    // Means of frames that arrived after the areas were set are measured once here.
    if (i1DarkAreaOn)
        updateI1DarkArea();
    if (i0DarkAreaOn)
        updateI0DarkArea();
    const bool useI0 = ui->UseI0->isChecked();
    const bool fluo = ui->FluoType->isChecked();
    const bool useTable = !totalI0ofI1.isEmpty();
    const QVector<QPointF> &table = totalI0ofI1.i0.points;

    for (int i = 0; i < i1Frames.size(); i++) {
        const TiffData *frame = i1Frames[i];
        if (!frame)
            continue;
        const double d1 = i1DarkAreaOn ? darkMeanAt(i1DarkMeans, i) * n + dark1 : dark1;
        const double d0 = i0DarkAreaOn ? darkMeanAt(i0DarkMeans, i) * n + dark0 : dark0;
        const double I1 = frame->boxSum(x, y, hw, hh) - d1;
        double I0 = n;
        if (useI0)
            I0 = boxSumAtEnergy(i0ByEnergy, frame->energy, x, y, hw, hh) - d0;
        if (useTable)
            I0 = i < table.size() ? table[i].y() : 0.0;
        double v;
        if (fluo)
            v = I1 / I0;
        else
            v = I0 * I1 > 0 ? std::log(I0 / I1) : 1.0;
        sp.addPoint(frame->energy, v);
    }
    return sp;
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
