#include "display/xafsview.h"

#include <QDebug>
#include <cmath>

#include "core/globals.h"
#include "display/dispa.h"
#include "display/_filedialog.h"
#include "display/screenfit.h"
#include "display/widgethelpers.h"
#include "ui_xafsview.h"

XafsView::XafsView(QWidget *parent)
    : QFrame(parent),
      plotMouse(nullptr),
      xRangeMin{0.0, 0.0},
      xRangeMax{1.0, 1.0},
      followXRange(true),
      energyMarker(-1.0),
      ui(new Ui::XafsView),
      saveDialog(nullptr)
{
    ui->setupUi(this);
    widenForTexts(ui->XVal, WidestText::energy());
    widenForTexts(ui->YVal, WidestText::number());

    ui->Xafs->zoomEnabled = false;
    ui->Xafs->panEnabled = false;
    connect(ui->Xafs, &DispA::drawImage1, this, &XafsView::draw);

    // A child window of the view: it goes with the view and does not keep
    // the program running when it is left open.
    saveDialog = new _FileDialog(QString(), this);
    saveDialog->setFileMode(QFileDialog::AnyFile);
    saveDialog->setAcceptMode(QFileDialog::AcceptSave);
    saveDialog->setNameFilters(QStringList() << tr("Data File (*.dat)") << tr("Any Files (* *.*)"));
    showOnClick(ui->Save, saveDialog);
    connect(saveDialog, &QFileDialog::fileSelected, this, &XafsView::saveData);

    plotMouse = &ui->Xafs->mouse;
    connect(ui->Xafs, &DispA::mouseMoved0, this, &XafsView::onMouseMoved);
    connect(ui->Xafs, &DispA::wheelMoved0, this, &XafsView::onWheelMoved);
    connect(ui->ResetXScale, &QPushButton::clicked, this, &XafsView::resetXScale);
}

XafsView::~XafsView()
{
    delete ui;
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
    ui->Xafs->update();
    emit updated();
    return current.midx - standard.midx;
}

void XafsView::setRawSpectrum(const Spectrum &s)
{
    raw = s;
    ui->Xafs->update();
    emit updated();
}

void XafsView::setEdgeMarkers(const QVector<EdgeMarker> &list)
{
    markers = list;
    ui->Xafs->update();
}

bool XafsView::normalize() const
{
    return ui->Normalized->isChecked();
}

bool XafsView::energyCorrection() const
{
    return ui->ECorrect->isChecked();
}

void XafsView::setPlotWindow()
{
    mapper.setScreenRange(0, ui->Xafs->height(), ui->Xafs->width(), 0);
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
    const Spectrum &ys = ui->Normalized->isChecked() ? current.normalized : current;
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
    ui->XVal->setText(QString("%1").arg(mx, 0, 'f', 1));
    ui->YVal->setText(QString("%1").arg(my, 0, 'f', 3));

    const double e = mx + (current.useOffset ? current.offset : 0.0);
    ui->Position->setText(QString::number(pointIndexAt(current, e)));

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
    const double f = ui->Xafs->zoomFactor;

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

    ui->XVal->setText(QString::number(mapper.screenToRealX(plotMouse->curPos.x()), 'g', 6));
    ui->YVal->setText(QString::number(mapper.screenToRealY(plotMouse->curPos.y()), 'g', 6));
    ui->Xafs->update();
    emit updated();
}

void XafsView::resetXScale()
{
    xRangeMin[0] = xRangeMin[1];
    xRangeMax[0] = xRangeMax[1];
    ui->Xafs->update();
    emit updated();
}

void XafsView::update()
{
    ui->Xafs->update();
    emit updated();
}

bool XafsView::saveData(QString name)
{
    if (name.trimmed().isEmpty()) {
        qDebug() << "XafsView: no file name to save the spectra to";
        return false;
    }
    bool ok = true;
    auto write = [&](const XafsSpectrum &s, const QString &tag, bool withShift) {
        const QString file = addDefaultSuffix(insertTag(name, tag), "dat");
        if (!s.save(file, withShift)) {
            qDebug() << "XafsView: spectrum not saved to" << file;
            ok = false;
        }
    };
    write(current, "T", true);
    write(standard, "std", false);
    for (int i = 0; i < others.size(); i++) {
        if (others[i] != nullptr)
            write(*others[i], QString("other%1").arg(i), false);
    }
    return ok;
}

void XafsView::setNormalize(bool on)
{
    ui->Normalized->setChecked(on);
}

void XafsView::setEnergyCorrection(bool on)
{
    ui->ECorrect->setChecked(on);
}
