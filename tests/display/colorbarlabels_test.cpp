#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <gtest/gtest.h>

#include "display/colorbar.h"
#include "widgetevents.h"

namespace {

// Label text: green well above red and blue, apart from every scale and the limit lines.
bool isInk(QRgb p) { return qGreen(p) - qRed(p) > 60 && qGreen(p) - qBlue(p) > 15; }

// Bounding boxes of the label ink down an image, top to bottom.
QVector<QRect> inkBoxes(const QImage &img)
{
    QVector<QRect> boxes;
    for (int y = 0, last = -100; y < img.height(); y++)
        for (int x = 0; x < img.width(); x++)
            if (isInk(img.pixel(x, y))) {
                if (y - last > 5)
                    boxes.append(QRect());
                boxes.last() |= QRect(x, y, 1, 1);
                last = y;
            }
    return boxes;
}

// Measured on the widget's pixels at every height, on the grey and the colour
// scale, at the window's font and at one too small to read: each label,
// the dragged value too, reads down the bar at the size and proportions of
// the same text upright at the window's font (at least 9 pt), whole, on a
// dark backing at either end of the scale.
TEST(ColorBarLabels, ReadableAtTheWidgetsSize)
{
    for (int format : {24, 13})
        for (int points : {0, 7})
            for (int h : {200, 360, 600, 900})
                for (bool drag : {false, true}) {
                    SCOPED_TRACE(QString("format %1 font %2 height %3 drag %4")
                                     .arg(format).arg(points).arg(h).arg(drag).toStdString());
                    ColorBar bar;
                    bar.format = format;
                    const int w = format == 24 ? 50 : 24;
                    bar.resize(w, h);
                    if (points)
                        bar.setFont(QFont(bar.font().family(), points));
                    QFont font = bar.font();
                    font.setPointSizeF(qMax(QFontInfo(font).pointSizeF(), 9.0));
                    QStringList texts{"65535", "-1.23457e-05"};
                    bar.setValueRange(-1.23457e-05, 65535);
                    if (drag) {  // a shorter range leaves room for the dragged value
                        texts = QStringList{"6013", "3464"};
                        bar.setValueRange(3464, 6013);
                        widgetevents::press(&bar, QPointF(10, 0.8 * h));
                        widgetevents::move(&bar, QPointF(10, 0.6 * h), Qt::LeftButton);
                        texts.insert(1, QString::number(3464 + 2549 * bar.lowerLimit, 'g', 6));
                    }
                    const QImage shot = bar.grab().toImage();
                    const QVector<QRect> boxes = inkBoxes(shot);
                    ASSERT_EQ(boxes.size(), texts.size());
                    EXPECT_TRUE(boxes.first().top() < 8 && boxes.last().bottom() > h - 9);
                    for (int i = 0; i < boxes.size(); i++) {
                        // The ink of the same text upright at that font.
                        const QSize size = QFontMetrics(font, &bar).tightBoundingRect(texts[i]).size();
                        EXPECT_NEAR(boxes[i].height(), size.width(), 2 + 0.03 * size.width()) << i;
                        EXPECT_NEAR(boxes[i].width(), size.height(), 1.5) << i;
                        EXPECT_TRUE(QRect(1, 1, w - 2, h - 2).contains(boxes[i])) << i;
                        int light = 0;
                        for (int y = boxes[i].top(); y <= boxes[i].bottom(); y++)
                            for (int x = boxes[i].left(); x <= boxes[i].right(); x++)
                                light += !isInk(shot.pixel(x, y)) && qGray(shot.pixel(x, y)) >= 90;
                        EXPECT_LT(light, 0.1 * boxes[i].width() * boxes[i].height()) << i;
                    }
                }
}

} // namespace
