#include "display/colorbar.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <cmath>

#include "core/globals.h"

namespace {

const QColor limitLineColor(0, 192, 255);
const QColor labelColor(0, 255, 192);
// Darkens the scale under a label so it reads on white and yellow too.
const QColor labelBacking(0, 0, 0, 200);
const double minLabelPoints = 9.0;
const double labelMargin = 2.0;   // between a label's backing and the bar's end
const double labelPadding = 2.0;  // backing beyond the text at each end
const double labelSide = 3.0;     // the saved bar's colours beside its labels

QString labelText(double v) { return QString::number(v, 'g', 6); }

} // namespace

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
    if (!ColorScale::isValueRange(min, max)) {
        clearValueRange();
        return;
    }
    valueMin = min;
    valueMax = max;
    valuesShown = true;
    paintCBar();
}

void ColorBar::clearValueRange()
{
    if (!valuesShown)
        return;
    valuesShown = false;
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

void ColorBar::paintScale(const ColorScale &scale, QPainter *painter, int w, int h)
{
    for (int y = h - 1; y >= 0; y--) {
        painter->setPen(scale.colorOf(double(h - 1 - y) / h));
        painter->drawLine(0, y, w, y);
    }
    painter->setPen(limitLineColor);
    for (double limit : {scale.upperLimit, scale.lowerLimit}) {
        const int row = ChCoord::toInt((1 - limit) * h);
        painter->drawLine(0, row, w, row);
    }
}

QPixmap ColorBar::picture(const ColorScale &scale, bool labelled, const double *draggedLimit)
{
    QPixmap pixmap(20, 600);
    const int pw = pixmap.width();
    const int ph = pixmap.height();
    QPainter p(&pixmap);
    if (!p.isActive())
        return QPixmap();   // no memory for the bar
    paintScale(scale, &p, pw, ph);
    if (labelled && ColorScale::isValueRange(scale.valueMin, scale.valueMax)) {
        // Each label fitted into 95 pixels along the bar, at most 10 pt: the
        // maximum from the top, the minimum up to the bottom, a dragged value
        // up to below the middle.
        const double room = 95;
        // A label from row edge down (fromTop) or up to it.
        const auto draw = [&](double value, double edge, bool fromTop) {
            const QString text = labelText(value);
            QFont font;
            font.setPointSizeF(DrawText::fittedPointSize(&p, font, Qt::AlignCenter, text, room,
                                                         pw, 10));
            const QFontMetricsF metrics(font, &pixmap);
            const double length = qMin(room, metrics.horizontalAdvance(text) + 2 * labelPadding);
            drawLabel(&p, font, text, pw / 2.0, fromTop ? edge + length / 2 : edge - length / 2,
                      length, qMin(pw - 2 * labelSide, metrics.height()));
        };
        const double end = 50 - room / 2;   // from the bar's end to a label's room
        draw(scale.valueMax, end, true);
        draw(scale.valueMin, ph - end, false);
        if (draggedLimit)
            draw(scale.valueMin + (scale.valueMax - scale.valueMin) * *draggedLimit,
                 ph / 2.0 + room / 2, false);
    }
    p.end();
    return pixmap;
}

void ColorBar::paintCBar()
{
    pixmap = picture(scale(), valuesShown, dragging ? draggedLimit : nullptr);
    update();
}

void ColorBar::draw1(QPainter *painter)
{
    if (width() <= 0 || height() <= 0)
        return;
    painter->save();
    paintScale(*this, painter, width(), height());
    if (valuesShown)
        drawLabels(painter);
    painter->restore();
}

void ColorBar::drawLabel(QPainter *painter, const QFont &font, const QString &text, double x,
                         double centreY, double length, double thickness)
{
    DrawText textDrawer;
    painter->setPen(labelColor);
    textDrawer.drawRotatedText(painter, 90, QRectF(x, centreY, length, thickness), font,
                               Qt::AlignCenter, 0, text, 0, true, labelBacking);
}

void ColorBar::drawLabels(QPainter *painter)
{
    QFont font = this->font();
    font.setPointSizeF(qMax(QFontInfo(font).pointSizeF(), minLabelPoints));
    const QFontMetricsF metrics(font, painter->device());
    const auto length = [&](const QString &text) {
        return metrics.horizontalAdvance(text) + 2 * labelPadding;
    };
    // Along the bar, reading top to bottom, centred on row centreY.
    const auto draw = [&](const QString &text, double centreY) {
        drawLabel(painter, font, text, width() / 2.0, centreY, length(text), metrics.height());
    };
    // Maximum from the top, minimum up to the bottom; the dragged value in the
    // middle of the space between them, drawn last so that it stays whole.
    const QString top = labelText(valueMax), bottom = labelText(valueMin);
    draw(top, labelMargin + length(top) / 2);
    draw(bottom, height() - labelMargin - length(bottom) / 2);
    if (dragging)
        draw(labelText(valueMin + (valueMax - valueMin) * *draggedLimit),
             (height() + length(top) - length(bottom)) / 2);
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
    update();   // the widget drops its dragged-value label
}
