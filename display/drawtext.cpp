#include "display/drawtext.h"

#include <QPainter>
#include <cmath>

namespace {

QRectF normalised(const QRectF &r)
{
    return QRectF(qMin(r.x(), r.x() + r.width()), qMin(r.y(), r.y() + r.height()),
                  std::fabs(r.width()), std::fabs(r.height()));
}

// Fits (fit == 1) or sets the font on the painter; returns the bounding box
// of the text laid out from origin, or an all-zero rectangle without fitting.
// Sets ok false when no usable point size exists (the text is then not drawn).
QRectF prepareFont(QPainter *painter, const QFont &font, int flags, int fit, const QString &text,
                   const QRectF &box, const QPointF &origin, double maxPointSize, bool &ok)
{
    ok = true;
    if (fit != 1) {
        painter->setFont(font);
        return QRectF(0, 0, 0, 0);
    }
    QFont f(font);
    const double size = DrawText::fittedPointSize(painter, f, flags, text, box.width(),
                                                  box.height(), maxPointSize);
    if (!(size > 0) || !std::isfinite(size)) {
        ok = false;
        painter->setFont(font);
        return QRectF(origin.x(), origin.y(), 0, 0);
    }
    f.setPointSizeF(size);
    painter->setFont(f);
    return painter->boundingRect(QRectF(origin.x(), origin.y(), 1000, 1000), flags, text);
}

} // namespace

DrawText::DrawText(QObject *parent)
    : QObject(parent),
      labelIndex(-1),
      frameColor(0, 220, 220),
      fillColor1(170, 255, 170),
      fillColor2(140, 180, 140),
      textColor(Qt::black)
{
}

double DrawText::fittedPointSize(QPainter *painter, QFont font, int flags, const QString &text,
                                 double width, double height, double maxPointSize)
{
    font.setPointSizeF(10.0);
    painter->setFont(font);
    const QRectF b = painter->boundingRect(QRectF(0, 0, 5000, 5000), flags, text);
    const double sx = b.width() != 0 ? width / b.width() : 1.0;
    const double sy = b.height() != 0 ? height / b.height() : 1.0;
    double size = 10.0 * qMin(sx, sy);
    if (maxPointSize > 0 && size > maxPointSize)
        size = maxPointSize;
    return size;
}

QRectF DrawText::drawTextInRect(QPainter *painter, QRectF &rect, const QFont &font, int flags,
                                int fit, const QString &text, double maxPointSize)
{
    rect = normalised(rect);
    if (!painter)
        return QRectF(0, 0, 0, 0);
    bool ok;
    const QRectF result =
        prepareFont(painter, font, flags, fit, text, rect, rect.topLeft(), maxPointSize, ok);
    if (ok)
        painter->drawText(rect, flags, text);
    painter->setFont(font);
    return result;
}

QRectF DrawText::drawTextInRect(QPainter *painter, const QRectF &rect, const QFont &font,
                                int flags, int fit, const QString &text, double maxPointSize)
{
    QRectF r(rect);
    return drawTextInRect(painter, r, font, flags, fit, text, maxPointSize);
}

QRectF DrawText::drawRotatedText(QPainter *painter, double angleDegrees, QRectF &rect,
                                 const QFont &font, int flags, int fit, const QString &text,
                                 double maxPointSize, bool fillBackground,
                                 const QColor &background)
{
    rect = normalised(rect);
    if (!painter)
        return QRectF(0, 0, 0, 0);
    const double a = angleDegrees / 180 * 3.141592653;
    const double left = rect.left(), top = rect.top();
    const double w = rect.width(), h = rect.height();
    const QRectF box(std::cos(a) * left + std::sin(a) * top - w / 2,
                     -std::sin(a) * left + std::cos(a) * top - h / 2, w, h);
    painter->rotate(angleDegrees);
    bool ok;
    const QRectF result =
        prepareFont(painter, font, flags, fit, text, box, box.topLeft(), maxPointSize, ok);
    if (fillBackground)
        painter->fillRect(box, background);
    if (ok)
        painter->drawText(box, flags, text);
    painter->setFont(font);
    painter->rotate(-angleDegrees);
    return result;
}

QRectF DrawText::drawRotatedText(QPainter *painter, double angleDegrees, const QRectF &rect,
                                 const QFont &font, int flags, int fit, const QString &text,
                                 double maxPointSize, bool fillBackground,
                                 const QColor &background)
{
    QRectF r(rect);
    return drawRotatedText(painter, angleDegrees, r, font, flags, fit, text, maxPointSize,
                           fillBackground, background);
}
