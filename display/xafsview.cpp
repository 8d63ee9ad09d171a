#include "display/xafsview.h"

#include <QDebug>
#include <cmath>

#include "core/globals.h"
#include "display/dispa.h"
#include "imagedata/_filedialog.h"

XafsView::XafsView(QWidget *parent)
    : QFrame(parent),
      plotMouse(nullptr),
      xRangeMin{0.0, 0.0},
      xRangeMax{1.0, 1.0},
      followXRange(true),
      energyMarker(-1.0),
      saveDialog(nullptr),
      elemCtrls(nullptr)
{
    setupUi(this);

    Xafs->zoomEnabled = false;
    Xafs->panEnabled = false;
    connect(Xafs, &DispA::drawImage1, this, &XafsView::draw);

    saveDialog = new _FileDialog();
    saveDialog->setFileMode(QFileDialog::AnyFile);
    saveDialog->setAcceptMode(QFileDialog::AcceptSave);
    saveDialog->setNameFilters(QStringList() << tr("Data File (*.dat)") << tr("Any Files (* *.*)"));
    connect(Save, &QPushButton::clicked, saveDialog, &QFileDialog::show);
    connect(saveDialog, &QFileDialog::fileSelected, this, &XafsView::saveData);

    plotMouse = &Xafs->mouse;
    connect(Xafs, &DispA::mouseMoved0, this, &XafsView::onMouseMoved);
    connect(Xafs, &DispA::wheelMoved0, this, &XafsView::onWheelMoved);
    connect(ResetXScale, &QPushButton::clicked, this, &XafsView::resetXScale);
}

XafsView::~XafsView()
{
    delete saveDialog;
}

double XafsView::setXafsSpectrum(const XafsSpectrum &s)
{
    current = s;
    // An empty spectrum has no x range of its own; the ranges stay as they are.
    if (followXRange && !current.isEmpty()) {
        const double off = current.useOffset ? current.offset : 0.0;
        xRangeMin[0] = xRangeMin[1] = current.xMin - off;
        xRangeMax[0] = xRangeMax[1] = current.xMax - off;
    }
    Xafs->update();
    emit updated();
    return current.midx - standard.midx;
}

void XafsView::setRawSpectrum(const Spectrum &s)
{
    raw = s;
    Xafs->update();
    emit updated();
}

void XafsView::setPlotWindow()
{
    mapper.setScreenRange(0, Xafs->height(), Xafs->width(), 0);
    mapper.setScreenWindowByMargins();
}

void XafsView::usableRange(double &lo, double &hi)
{
    if (!std::isfinite(lo) || !std::isfinite(hi) || lo > hi || !std::isfinite(hi - lo)) {
        lo = 0.0;
        hi = 1.0;
    } else if (lo == hi) {
        const double d = lo != 0.0 ? std::fabs(lo) * 0.5 : 0.5;
        lo -= d;
        hi += d;
    }
}

void XafsView::setReadOutRange()
{
    const Spectrum &ys = Normalized->isChecked() ? current.normalized : current;
    double y0 = ys.yMin;
    double y1 = ys.yMax;
    usableRange(y0, y1);
    mapper.setRealRange(xRangeMin[0], y0, xRangeMax[0], y1);
}

int XafsView::pointIndexAt(const Spectrum &s, double e)
{
    const int n = s.points.size();
    for (int i = 0; i < n - 1; i++) {
        if ((s.points[i].x() + s.points[i + 1].x()) * 0.5 > e)
            return i;
    }
    return n > 0 ? n - 1 : 0;
}

void XafsView::onMouseMoved()
{
    if (current.isEmpty())
        return;
    setPlotWindow();
    setReadOutRange();

    const double mx = mapper.screenToRealX(plotMouse->curPos.x());
    const double my = mapper.screenToRealY(plotMouse->curPos.y());
    XVal->setText(QString("%1").arg(mx, 0, 'f', 1));
    YVal->setText(QString("%1").arg(my, 0, 'f', 3));

    const double e = mx + (current.useOffset ? current.offset : 0.0);
    Position->setText(QString::number(pointIndexAt(current, e)));

    if (plotMouse->isPressed
        && MouseC::mode(plotMouse->pressButton, plotMouse->pressModifiers) == MouseC::Left) {
        const double d = mapper.screenToRealX(plotMouse->prevPos.x())
                         - mapper.screenToRealX(plotMouse->curPos.x());
        if (std::isfinite(d)) {
            xRangeMin[0] += d;
            xRangeMax[0] += d;
        }
    }
}

void XafsView::onWheelMoved()
{
    if (current.isEmpty())
        return;
    setPlotWindow();
    // Zoom about the energy under the pointer: take it in the shown range,
    // whatever range an overlay left in the mapper.
    mapper.setRealXRange(xRangeMin[0], xRangeMax[0]);
    const double m = mapper.screenToRealX(plotMouse->curPos.x());
    const double f = Xafs->zoomFactor;

    const double newMin = (xRangeMin[0] - m) * f + m;
    const double newMax = (xRangeMax[0] - m) * f + m;
    const double width = std::fabs(newMax - newMin);
    const bool tooNarrow = f < 1.0 && width < minShownXWidth;
    const bool tooWide = f > 1.0 && width > maxShownXWidth;
    if (std::isfinite(newMin) && std::isfinite(newMax) && !tooNarrow && !tooWide) {
        xRangeMin[0] = newMin;
        xRangeMax[0] = newMax;
    }
    mapper.setRealXRange(xRangeMin[0], xRangeMax[0]);

    XVal->setText(QString::number(mapper.screenToRealX(plotMouse->curPos.x()), 'g', 6));
    YVal->setText(QString::number(mapper.screenToRealY(plotMouse->curPos.y()), 'g', 6));
    Xafs->update();
    emit updated();
}

void XafsView::resetXScale()
{
    xRangeMin[0] = xRangeMin[1];
    xRangeMax[0] = xRangeMax[1];
    Xafs->update();
    emit updated();
}

void XafsView::update()
{
    Xafs->update();
    emit updated();
}

void XafsView::saveData(QString name)
{
    current.save(addDefaultSuffix(insertTag(name, "T"), "dat"), true);
    standard.save(addDefaultSuffix(insertTag(name, "std"), "dat"), false);
    for (int i = 0; i < others.size(); i++) {
        if (others[i] == nullptr)
            continue;
        others[i]->save(addDefaultSuffix(insertTag(name, QString("other%1").arg(i)), "dat"),
                        false);
    }
}

void XafsView::setNormalize(bool on)
{
    Normalized->setChecked(on);
}

void XafsView::setEnergyCorrection(bool on)
{
    ECorrect->setChecked(on);
}
