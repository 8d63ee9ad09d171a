// Drawing of the spectrum view.
#include <QPainter>
#include <cmath>

#include "core/globals.h"
#include "core/stringutil.h"
#include "display/dispa.h"
#include "display/xafsview.h"
#include "ui_xafsview.h"

namespace {

QPen makePen(int r, int g, int b, int width, const QVector<qreal> &dashes = QVector<qreal>())
{
    QPen pen(QColor(r, g, b));
    pen.setWidth(width);
    if (!dashes.isEmpty())
        pen.setDashPattern(dashes);
    return pen;
}

// The pens of the plot, made once.
struct PlotPens
{
    QPen standardLine = makePen(220, 192, 0, 1, {6, 2});
    QPen standardCurve = makePen(255, 0, 0, 1);
    QPen currentCurve = makePen(0, 0, 0, 2);
    QPen currentPre = makePen(0, 192, 220, 1, {8, 3});
    QPen currentPost = makePen(0, 220, 192, 1, {8, 3, 3, 3});
    QPen energyMarker = makePen(0, 224, 0, 1);
    QPen elementMarker = makePen(255, 0, 0, 1);
    QPen midx = makePen(255, 0, 0, 2);
    QPen frame = makePen(192, 192, 192, 2);
    QPen grid = makePen(192, 192, 192, 1);
    QPen raw = makePen(192, 0, 0, 1);
    QPen fourier = makePen(0, 192, 0, 1);
};

const PlotPens &plotPens()
{
    static const PlotPens p;
    return p;
}

const double labelMaxPointSize = 12.0;

double storedOffset(const Spectrum &s)
{
    return s.useOffset ? s.offset : 0.0;
}

void drawPolyline(QPainter *p, const QPen &pen, const QPolygon &line)
{
    if (line.isEmpty())
        return;
    p->setPen(pen);
    p->drawPolyline(line);
}

} // namespace

QPoint XafsView::screenPoint(double x, double y) const
{
    return QPoint(ChCoord::toInt(mapper.realToScreenX(x)), ChCoord::toInt(mapper.realToScreenY(y)));
}

QPen XafsView::otherCurvePen(int i) const
{
    return i < pens.size() ? pens[i] : QPen(paletteColor(i), 1);
}

QPen XafsView::otherLinePen(int i) const
{
    QPen pen = i < pens.size() ? pens[i] : QPen(paletteColor(i), 1);
    pen.setDashPattern({6, 2});
    return pen;
}

void XafsView::draw(QPainter *p)
{
    if (p == nullptr)
        return;
    const bool eCorrect = ui->ECorrect->isChecked();
    setPlotWindow();
    // Curves and marker lines stay inside the frame, however far the range is zoomed.
    const QRect inside(QPoint(ChCoord::toInt(mapper.winX0), ChCoord::toInt(mapper.winY1)),
                       QPoint(ChCoord::toInt(mapper.winX1), ChCoord::toInt(mapper.winY0)));
    p->setClipRect(inside);

    if (!ui->ShowRaw->isChecked()) {
        if (ui->Normalized->isChecked())
            drawNormalized(p, eCorrect);
        else
            drawMuT(p, eCorrect);
    }

    for (const EdgeMarker &m : markers)
        drawVerticalLine(p, plotPens().elementMarker, m.energy);
    drawVerticalLine(p, plotPens().midx, current.midx);
    p->setClipping(false);
    drawFrameAndGrid(p);
    drawElementLabels(p);
    // Over the grid and the frame, so that a grid line never hides it.
    if (energyMarker > 0) {
        p->setClipRect(inside);
        drawVerticalLine(p, plotPens().energyMarker, energyMarker);
        p->setClipping(false);
    }

    if (ui->ShowRaw->isChecked()) {
        p->setClipRect(inside);
        if (ui->ShowFFT->isChecked())
            drawFourier(p);
        else
            drawRaw(p);
        p->setClipping(false);
    }
    writeLegend();
}

void XafsView::drawNormalized(QPainter *p, bool eCorrect)
{
    setReadOutRange();  // shown x range, y range of the normalised spectrum

    // Standard and further spectra: their normalised values at their own x.
    auto drawPlain = [&](const XafsSpectrum &s, const QPen &pen) {
        const double off = storedOffset(s);
        const int nNorm = s.normalized.points.size();
        QPolygon line;
        line.reserve(s.points.size());
        for (int i = 0; i < s.points.size(); i++) {
            const double y = i < nNorm ? s.normalized.points[i].y() : 0.0;
            line << screenPoint(s.points[i].x() - off, y);
        }
        drawPolyline(p, pen, line);
    };
    if (!standard.normalized.isEmpty())
        drawPlain(standard, plotPens().standardCurve);
    for (int i = 0; i < others.size(); i++) {
        if (others[i] != nullptr && others[i]->inUse)
            drawPlain(*others[i], otherCurvePen(i));
    }

    const Spectrum &n = current.normalized;
    const double off = storedOffset(n) + (eCorrect ? current.shift : 0.0);
    QPolygon line;
    for (int i = 0; i < n.points.size(); i++) {
        const double x = n.points[i].x() - off;
        if (i > 0 && std::fabs(x - (n.points[i - 1].x() - off)) > gapWidth) {
            drawPolyline(p, plotPens().currentCurve, line);
            line.clear();
        }
        line << screenPoint(x, n.points[i].y());
    }
    drawPolyline(p, plotPens().currentCurve, line);
}

void XafsView::drawLinesAndCurve(QPainter *p, const XafsSpectrum &s, const QPen &linePen,
                                 const QPen &curvePen)
{
    double y0 = s.yMin;
    double y1 = s.yMax;
    usableRange(y0, y1);
    mapper.setRealYRange(y0, y1);
    const double off = storedOffset(s);
    QPolygon preLine, postLine, curve;
    for (int i = 0; i < s.points.size(); i++) {
        const double e = s.points[i].x() - off;
        preLine << screenPoint(e, s.pre.valueAt(e));
        postLine << screenPoint(e, s.post.valueAt(e));
        curve << screenPoint(e, s.points[i].y());
    }
    drawPolyline(p, linePen, preLine);
    drawPolyline(p, linePen, postLine);
    drawPolyline(p, curvePen, curve);
}

void XafsView::drawMuT(QPainter *p, bool eCorrect)
{
    setReadOutRange();  // shown x range, y range of the current spectrum
    const double y0 = mapper.realY0;
    const double y1 = mapper.realY1;

    if (!standard.isEmpty())
        drawLinesAndCurve(p, standard, plotPens().standardLine, plotPens().standardCurve);
    for (int i = 0; i < others.size(); i++) {
        if (others[i] != nullptr && others[i]->inUse)
            drawLinesAndCurve(p, *others[i], otherLinePen(i), otherCurvePen(i));
    }

    mapper.setRealYRange(y0, y1);
    const double off = storedOffset(current);
    const double sh = eCorrect ? current.shift : 0.0;
    QPolygon preLine, postLine, curve;
    auto flush = [&]() {
        drawPolyline(p, plotPens().currentPre, preLine);
        drawPolyline(p, plotPens().currentPost, postLine);
        drawPolyline(p, plotPens().currentCurve, curve);
        preLine.clear();
        postLine.clear();
        curve.clear();
    };
    double prevXs = 0.0;
    for (int i = 0; i < current.points.size(); i++) {
        const double e = current.points[i].x() - off;
        const double xs = e - sh;
        if (i > 0 && std::fabs(xs - prevXs) > gapWidth)
            flush();
        prevXs = xs;
        preLine << screenPoint(e, current.pre.valueAt(e));
        postLine << screenPoint(e, current.post.valueAt(e));
        curve << screenPoint(xs, current.points[i].y());
    }
    flush();
}

void XafsView::drawVerticalLine(QPainter *p, const QPen &pen, double e)
{
    const int x = ChCoord::toInt(mapper.realToScreenX(e));
    p->setPen(pen);
    p->drawLine(x, ChCoord::toInt(mapper.winY0), x, ChCoord::toInt(mapper.winY1));
}

void XafsView::drawFrameAndGrid(QPainter *p)
{
    const int wx0 = ChCoord::toInt(mapper.winX0);
    const int wx1 = ChCoord::toInt(mapper.winX1);
    const int wy0 = ChCoord::toInt(mapper.winY0);
    const int wy1 = ChCoord::toInt(mapper.winY1);
    p->setPen(plotPens().frame);
    p->drawLine(wx0, wy0, wx1, wy0);
    p->drawLine(wx0, wy1, wx1, wy1);
    p->drawLine(wx0, wy0, wx0, wy1);
    p->drawLine(wx1, wy0, wx1, wy1);

    const double W = mapper.winX1 - mapper.winX0;
    const double H = mapper.winY0 - mapper.winY1;
    const int lh = ChCoord::toInt(H / mapper.labelHeightDiv);
    const int cw = ChCoord::toInt(W / mapper.labelWidthDiv);
    const int a = ChCoord::toInt(cw * mapper.labelScale);
    const int b = ChCoord::toInt(lh * mapper.labelScale);
    const QFont font;
    p->setPen(plotPens().grid);

    // A tick that should be 0 but carries rounding noise is labelled 0.
    auto label = [](double t, double step) {
        if (std::fabs(t) < std::fabs(step) * 1e-9)
            t = 0.0;
        return QString::number(t, 'g', 6);
    };

    double step, first, last;
    int n = mapper.axisTicks(mapper.realX0, mapper.realX1, step, first, last);
    for (int i = 0; i < n; i++) {
        const double t = first + i * step;
        const int x = ChCoord::toInt(mapper.realToScreenX(t));
        p->drawLine(x, wy0, x, wy1);
        if (i == 0 || i == n - 1) {
            const QRectF r(x - 5.0 * a, wy0 + lh - b, 10.0 * a, b);
            textDrawer.drawTextInRect(p, r, font, Qt::AlignHCenter | Qt::AlignVCenter, 1,
                                      label(t, step), labelMaxPointSize);
        }
    }

    n = mapper.axisTicks(mapper.realY0, mapper.realY1, step, first, last);
    for (int i = 0; i < n; i++) {
        const double t = first + i * step;
        const int y = ChCoord::toInt(mapper.realToScreenY(t));
        p->drawLine(wx0, y, wx1, y);
        const QRectF r(0, y - lh / 2.0, wx0 - a, lh);
        textDrawer.drawTextInRect(p, r, font, Qt::AlignRight | Qt::AlignVCenter, 1,
                                  label(t, step), labelMaxPointSize);
    }
}

void XafsView::drawElementLabels(QPainter *p)
{
    if (markers.isEmpty())
        return;
    const double H = mapper.winY0 - mapper.winY1;
    const int lh = ChCoord::toInt(H / mapper.labelHeightDiv);
    const int b = ChCoord::toInt(lh * mapper.labelScale);
    const double middle = (mapper.winY0 + mapper.winY1) / 2;
    p->setPen(plotPens().grid);
    for (const EdgeMarker &m : markers) {
        // In double: an energy far off screen gives the largest int.
        const double left = double(ChCoord::toInt(mapper.realToScreenX(m.energy))) - b / 2;
        const QRectF r(left, middle - b, H, b);
        textDrawer.drawRotatedText(p, 270, r, QFont(), Qt::AlignCenter, 1, m.name,
                                   labelMaxPointSize, false);
    }
}

void XafsView::drawRaw(QPainter *p)
{
    const int n = raw.points.size();
    if (n == 0)
        return;
    double lo = raw.points[0].y();
    double hi = lo;
    for (const QPointF &pt : raw.points) {
        lo = std::min(lo, pt.y());
        hi = std::max(hi, pt.y());
    }
    usableRange(lo, hi);
    mapper.setRealRange(0, lo, n, hi);
    QPolygon line;
    line.reserve(n);
    for (int i = 0; i < n; i++)
        line << screenPoint(i, raw.points[i].y());
    drawPolyline(p, plotPens().raw, line);
}

void XafsView::drawFourier(QPainter *p)
{
    // Fewer than 10 points leave no bin to show: no transform is made.
    const int n = raw.points.size();
    if (n < 10)
        return;
    const int m = n / 10;
    fft.setSize(n);
    fft.forward(raw);
    const double *mag = fft.magnitude();
    if (mag == nullptr)
        return;
    // The y scale leaves out bin 0 (the sum) and the last bin shown; with
    // fewer than three bins all of them set it.
    const int from = n >= 30 ? 1 : 0;
    const int to = n >= 30 ? m - 2 : m - 1;
    double lo = mag[from];
    double hi = lo;
    for (int i = from; i <= to; i++) {
        lo = std::min(lo, mag[i]);
        hi = std::max(hi, mag[i]);
    }
    usableRange(lo, hi);
    mapper.setRealRange(0, lo, m, hi);
    QPolygon line;
    line.reserve(m);
    for (int i = 0; i < m; i++)
        line << screenPoint(i, mag[i]);
    drawPolyline(p, plotPens().fourier, line);
}

void XafsView::writeLegend()
{
    const QString jump = QString::asprintf("% 6.3e", current.dMut);
    const QString edge = withThousandsSep(QString::number(current.midx, 'g', 6));
    const QString range = current.outOfRangeMidx ? tr("Out of Range midx") : QString();
    const QString noisy = current.noisyMidx ? tr("Noizy to decide midx") : QString();
    ui->ExtMsg->setText(tr("dMut = %1, Edge %2 [eV] : %3 %4").arg(jump, edge, range, noisy));
}
