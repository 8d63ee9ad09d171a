#ifndef DRAWTEXT_H
#define DRAWTEXT_H

#include <QColor>
#include <QFont>
#include <QObject>
#include <QPainter>
#include <QRectF>
#include <QVector>

// Draws a text into a box with a point size fitted to the box (measured at
// 10 pt), upright or rotated about the box's corner.
class DrawText : public QObject
{
    Q_OBJECT

public:
    explicit DrawText(QObject *parent = nullptr);

    // State of the label-placement helpers.
    int labelIndex;
    QVector<QRectF> placedLabels;
    QColor frameColor;
    QColor fillColor1;
    QColor fillColor2;
    QColor textColor;

    // rect is normalised in place. fit == 1 fits the point size (at most
    // maxPointSize when that is > 0) and returns the text's bounding box laid
    // out from the box's corner; otherwise the font is used as given and the
    // result is all zero. The painter's font is restored afterwards.
    QRectF drawTextInRect(QPainter *painter, QRectF &rect, const QFont &font, int flags,
                          int fit, const QString &text, double maxPointSize);
    QRectF drawTextInRect(QPainter *painter, const QRectF &rect, const QFont &font, int flags,
                          int fit, const QString &text, double maxPointSize);

    // The text box, of rect's size, is centred on rect's top-left corner and
    // turned by angleDegrees (clockwise); the result is in the turned frame.
    QRectF drawRotatedText(QPainter *painter, double angleDegrees, QRectF &rect, const QFont &font,
                           int flags, int fit, const QString &text, double maxPointSize,
                           bool fillBackground = false, const QColor &background = QColor());
    QRectF drawRotatedText(QPainter *painter, double angleDegrees, const QRectF &rect,
                           const QFont &font, int flags, int fit, const QString &text,
                           double maxPointSize, bool fillBackground = false,
                           const QColor &background = QColor());

    // Point size that fits text into a width x height box, measured at
    // 10 pt with the painter; bounded by maxPointSize when that is > 0.
    static double fittedPointSize(QPainter *painter, QFont font, int flags, const QString &text,
                                  double width, double height, double maxPointSize);
};

#endif
