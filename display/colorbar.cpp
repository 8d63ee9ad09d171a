#include "display/colorbar.h"

#include <QPainter>
#include <cmath>

#include "core/globals.h"

ColorBar::ColorBar(QWidget *parent)
    : DispA(parent),
      pixmap(20, 600),
      dragging(false)
{
    draggedLimit = &lowerLimit;
    connect(this, &DispA::drawImage1, this, &ColorBar::draw1);
    connect(this, &DispA::mouseMoved0, this, &ColorBar::onMouseMoved);
    connect(this, &DispA::mousePressed0, this, &ColorBar::onMousePressed);
    connect(this, &DispA::mouseReleased0, this, &ColorBar::onMouseReleased);
    paintCBar();
    update();
}

void ColorBar::setValueRange(double min, double max)
{
    valueMin = min;
    valueMax = max;
    paintCBar();
}

double ColorBar::barFraction(int y) const
{
    const int h = height();
    return h > 0 ? double(y) / h : 0.0;
}

QColor ColorBar::colorOfH(int y)
{
    // Through the limits, as the images are coloured.
    return colorOf(qBound(0.0, barFraction(y), 1.0));
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
