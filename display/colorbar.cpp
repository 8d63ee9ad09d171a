#include "display/colorbar.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <cmath>

#include "core/globals.h"

namespace {

const QColor limitLineColor(0, 192, 255);
const QColor labelColor(0, 255, 192);
// Darkens the scale under a widget label so it reads on white and yellow too.
const QColor labelBacking(0, 0, 0, 200);
const double minLabelPoints = 9.0;
const double labelMargin = 2.0;   // between a label's backing and the bar's end
const double labelPadding = 2.0;  // backing beyond the text at each end

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
    if (!readableRange(min, max)) {
        clearValueRange();
        return;
    }
    valueMin = min;
    valueMax = max;
    valuesShown = true;
    paintCBar();
}

bool ColorBar::readableRange(double min, double max)
{
    const double Empty = 1e300;
    return std::fabs(min) < Empty && std::fabs(max) < Empty;
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
    paintScale(scale, &p, pw, ph);
    if (labelled && readableRange(scale.valueMin, scale.valueMax)) {
        DrawText textDrawer;
        p.setPen(labelColor);
        const QFont font;
        const double cx = pw / 2;
        textDrawer.drawRotatedText(&p, 90, QRectF(cx, 50, 95, pw), font,
                                   Qt::AlignLeft | Qt::AlignVCenter, 1,
                                   labelText(scale.valueMax), 10);
        textDrawer.drawRotatedText(&p, 90, QRectF(cx, ph - 50, 95, pw), font,
                                   Qt::AlignRight | Qt::AlignVCenter, 1,
                                   labelText(scale.valueMin), 10);
        if (draggedLimit) {
            const double v = scale.valueMin + (scale.valueMax - scale.valueMin) * *draggedLimit;
            textDrawer.drawRotatedText(&p, 90, QRectF(cx, ph / 2, 95, pw), font,
                                       Qt::AlignRight | Qt::AlignVCenter, 1, labelText(v), 10);
        }
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
        painter->setPen(labelColor);
        textDrawer.drawRotatedText(painter, 90,
                                   QRectF(width() / 2.0, centreY, length(text), metrics.height()),
                                   font, Qt::AlignCenter, 0, text, 0, true, labelBacking);
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
