#include "display/colorbar.h"

#include <QPainter>
#include <cmath>

#include "core/globals.h"

ColorBar::ColorBar(QWidget *parent)
    : DispA(parent),
      format(DefaultFormat),
      pixmap(20, 600),
      dragging(false),
      lowerLimit(0),
      upperLimit(1),
      valueMin(0),
      valueMax(1)
{
    draggedLimit = &lowerLimit;
    connect(this, &DispA::drawImage1, this, &ColorBar::draw1);
    connect(this, &DispA::mouseMoved0, this, &ColorBar::onMouseMoved);
    connect(this, &DispA::mousePressed0, this, &ColorBar::onMousePressed);
    connect(this, &DispA::mouseReleased0, this, &ColorBar::onMouseReleased);
    paintCBar();
    update();
}

double ColorBar::fractionOf(double v) const
{
    const double span = upperLimit - lowerLimit;
    if (span == 0 || !std::isfinite(span))
        return 0;
    const double f = (v - lowerLimit) / span;
    if (!(f > 0))   // also NaN
        return 0;
    return f < 1 ? f : 1;
}

uchar *ColorBar::colorBytesOf(double v, uchar *out) const
{
    const LookupFunc lookup = lookupFuncFor(format);
    if (!lookup || !out)
        return out;
    const uchar *px = lookup(fractionOf(v));
    const int n = bytesPerPixel(format);
    for (int i = 0; i < n; i++)
        out[i] = px[i];
    return out + n;
}

QColor ColorBar::pixelColor(double f) const
{
    const LookupFunc lookup = lookupFuncFor(format);
    if (!lookup)
        return QColor(0, 0, 0);
    const uchar *px = lookup(f);
    if (format == ImageFormatRGB888)
        return QColor(px[0], px[1], px[2]);
    return QColor(px[0], px[0], px[0]);
}

QColor ColorBar::colorOf(double v) const { return pixelColor(fractionOf(v)); }

double ColorBar::barFraction(int y) const
{
    const int h = height();
    return h > 0 ? double(y) / h : 0.0;
}

QColor ColorBar::colorOfH(int y)
{
    return pixelColor(qBound(0.0, barFraction(y), 1.0));
}

void ColorBar::paintCBar()
{
    const int pw = pixmap.width();
    const int ph = pixmap.height();
    const int H = height();
    QPainter p(&pixmap);
    for (int y = ph - 1; y >= 0; y--) {
        p.setPen(colorOfH(int(qint64(ph - 1 - y) * H / ph)));
        p.drawLine(0, y, pw, y);
    }
    p.setPen(QColor(0, 192, 255));
    for (double limit : {upperLimit, lowerLimit}) {
        const int row = ChCoord::toInt((1 - limit) * ph);
        p.drawLine(0, row, pw, row);
    }

    p.setPen(QColor(0, 255, 192));
    const QFont font;
    const double cx = pw / 2;
    textDrawer.drawRotatedText(&p, 90, QRectF(cx, 50, 95, pw), font,
                               Qt::AlignLeft | Qt::AlignVCenter, 1,
                               QString::number(valueMax, 'g', 6), 10);
    textDrawer.drawRotatedText(&p, 90, QRectF(cx, ph - 50, 95, pw), font,
                               Qt::AlignRight | Qt::AlignVCenter, 1,
                               QString::number(valueMin, 'g', 6), 10);
    if (dragging) {
        const double v = valueMin + (valueMax - valueMin) * *draggedLimit;
        textDrawer.drawRotatedText(&p, 90, QRectF(cx, ph / 2, 95, pw), font,
                                   Qt::AlignRight | Qt::AlignVCenter, 1,
                                   QString::number(v, 'g', 6), 10);
    }
    p.end();
    update();
}

void ColorBar::draw1(QPainter *painter)
{
    painter->drawPixmap(QRect(0, 0, width(), height()), pixmap);
}

double ColorBar::mouseFraction() const
{
    const int H = height();
    return H > 0 ? double(H - mouse.curPos.y()) / H : 0.0;
}

void ColorBar::onMousePressed()
{
    const double f = mouseFraction();
    const double dLow = std::fabs(lowerLimit - f);
    const double dUp = std::fabs(upperLimit - f);
    if (dLow < dUp) {
        draggedLimit = &lowerLimit;
        dragging = true;
    } else if (dUp < dLow) {
        draggedLimit = &upperLimit;
        dragging = true;
    }
    paintCBar();
}

void ColorBar::onMouseMoved()
{
    if (!mouse.isPressed)
        return;
    if (dragging) {
        *draggedLimit = mouseFraction();
        paintCBar();
    }
    update();
    emit cBarUpdating();
}

void ColorBar::onMouseReleased()
{
    emit cBarUpdated();
    dragging = false;
}
