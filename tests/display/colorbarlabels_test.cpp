#include <QFontInfo>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

#include "display/colorbar.h"
#include "widgetevents.h"

namespace ev = widgetevents;

// The labels as the bar shows them, measured on the rendered widget; and the
// picture saved beside maps, pinned to files made before the widget drew its
// own labels.
namespace {

// Label text stands apart from the grey and the black-red-yellow-white scales
// and from the blue limit lines: green well above red and above blue.
bool isLabelInk(QRgb p) { return qGreen(p) - qRed(p) > 60 && qGreen(p) - qBlue(p) > 15; }

double luminance(QRgb p)
{
    const auto lin = [](int c) {
        const double v = c / 255.0;
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * lin(qRed(p)) + 0.7152 * lin(qGreen(p)) + 0.0722 * lin(qBlue(p));
}

struct Label
{
    QRect ink;         // bounding box of the label's pixels
    double contrast;   // of the text's brighter quarter against the pixels around it
};

// The labels down the bar, top to bottom: runs of rows holding label pixels
// with gaps narrower than a character.
QVector<Label> labelsOf(const QImage &shot)
{
    QVector<QRect> boxes;
    int last = -100;
    for (int y = 0; y < shot.height(); y++)
        for (int x = 0; x < shot.width(); x++)
            if (isLabelInk(shot.pixel(x, y))) {
                if (y - last > 5)
                    boxes.append(QRect());
                boxes.last() |= QRect(x, y, 1, 1);
                last = y;
            }
    QVector<Label> labels;
    for (const QRect &box : boxes) {
        QVector<double> text, around;
        for (int y = box.top(); y <= box.bottom(); y++)
            for (int x = box.left(); x <= box.right(); x++)
                (isLabelInk(shot.pixel(x, y)) ? text : around).append(luminance(shot.pixel(x, y)));
        std::sort(text.begin(), text.end());
        std::sort(around.begin(), around.end());
        const double a = text[text.size() * 3 / 4];
        const double b = around.isEmpty() ? a : around[around.size() / 2];
        labels.append({box, (qMax(a, b) + 0.05) / (qMin(a, b) + 0.05)});
    }
    return labels;
}

// Size of the ink of text written upright in font at the widget's resolution.
QSize uprightInk(const QString &text, const QFont &font, const QWidget &widget)
{
    QImage img(400, 100, QImage::Format_RGB32);
    img.setDotsPerMeterX(qRound(widget.logicalDpiX() / 0.0254));
    img.setDotsPerMeterY(qRound(widget.logicalDpiY() / 0.0254));
    img.fill(Qt::black);
    QPainter p(&img);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRect(10, 10, 380, 80), Qt::AlignLeft | Qt::AlignVCenter, text);
    p.end();
    QRect box;
    for (int y = 0; y < img.height(); y++)
        for (int x = 0; x < img.width(); x++)
            if (qGray(img.pixel(x, y)) > 62)
                box |= QRect(x, y, 1, 1);
    return box.size();
}

QString number(double v) { return QString::number(v, 'g', 6); }

// At every height, the main window's grey bar and the image processor's colour
// bar, at the window's font and at one too small to read: each label reads
// down the bar at its font's own size and proportions (the window's font, at
// least 9 pt), whole, clear of the scale at both ends; the dragged limit's
// value shows beside its line.
TEST(ColorBarLabels, ReadableAtTheWidgetsSize)
{
    struct Shown { double min, max; bool drag; };
    for (int format : {24, 13})
        for (int smallFont : {0, 7})
            for (int h : {200, 260, 360, 600, 900})
                for (const Shown &s : {Shown{3464, 6013, true}, Shown{-1.23457e-05, 65535, false},
                                       Shown{0, 1, false}, Shown{0, 1, true}}) {
                    SCOPED_TRACE(QString("format %1, font %2, height %3, %4..%5")
                                     .arg(format).arg(smallFont).arg(h).arg(s.min).arg(s.max)
                                     .toStdString());
                    ColorBar bar;
                    bar.format = format;
                    const int w = format == 24 ? 50 : 24;
                    bar.resize(w, h);
                    if (smallFont)
                        bar.setFont(QFont(bar.font().family(), smallFont));
                    QFont expected = bar.font();
                    expected.setPointSizeF(qMax(QFontInfo(expected).pointSizeF(), 9.0));
                    bar.setValueRange(s.min, s.max);
                    QStringList texts{number(s.max), number(s.min)};
                    if (s.drag) {
                        ev::press(&bar, QPointF(10, 0.8 * h));
                        ev::move(&bar, QPointF(10, 0.6 * h), Qt::LeftButton);
                        ASSERT_EQ(bar.draggedLimit, &bar.lowerLimit);
                        texts.insert(1, number(s.min + (s.max - s.min) * bar.lowerLimit));
                    }
                    const QImage shot = bar.grab().toImage();
                    if (s.drag) {
                        const QRgb line = shot.pixel(0, int(0.6 * h));
                        EXPECT_GT(qBlue(line), qRed(line) + 150);
                    }

                    const QVector<Label> labels = labelsOf(shot);
                    ASSERT_EQ(labels.size(), texts.size());
                    for (int i = 0; i < labels.size(); i++) {
                        SCOPED_TRACE(texts[i].toStdString());
                        const QRect ink = labels[i].ink;
                        const QSize upright = uprightInk(texts[i], expected, bar);
                        EXPECT_NEAR(ink.height(), upright.width(), 2 + 0.03 * upright.width());
                        EXPECT_NEAR(ink.width(), upright.height(), 1.5);
                        EXPECT_TRUE(QRect(1, 1, w - 2, h - 2).contains(ink));
                        EXPECT_GE(labels[i].contrast, 4.5);
                    }
                    EXPECT_LT(labels.first().ink.top(), 8);
                    EXPECT_GT(labels.last().ink.bottom(), h - 9);
                }
}

// The picture written beside saved maps and images, compared pixel for pixel
// with the one the bar gave before it drew its labels at the widget's size
// (files made then, with the font named in them).
TEST(ColorBarLabels, SavedPictureUnchanged)
{
    struct Case { const char *name; int format, w, h; double min, max, pressF, moveF; };
    const Case cases[] = {{"grey-3464-6013", 24, 50, 360, 3464, 6013, -1, -1},
                          {"grey-fraction-dragged", 24, 50, 260, 0, 1, 0.2, 0.35},
                          {"colour-long-dragged", 13, 24, 300, -1.23457e-05, 65535, 0.9, 0.7}};
    const QFontInfo font{QFont()};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QImage saved(QString(VANTOSCOPE_SOURCE_DIR "/tests/display/savedbar/") + c.name +
                           ".png");
        ASSERT_FALSE(saved.isNull());
        if (saved.text("font") != font.family() + " " + QString::number(font.pixelSize()))
            GTEST_SKIP() << "pictures made with the font " << saved.text("font").toStdString();

        ColorBar bar;
        bar.format = c.format;
        bar.resize(c.w, c.h);
        bar.setValueRange(c.min, c.max);
        if (c.pressF >= 0) {
            ev::press(&bar, QPointF(c.w / 2, c.h * (1 - c.pressF)));
            ev::move(&bar, QPointF(c.w / 2, c.h * (1 - c.moveF)), Qt::LeftButton);
        }
        bar.grab();
        EXPECT_EQ(bar.pixmap.toImage().convertToFormat(QImage::Format_RGB32),
                  saved.convertToFormat(QImage::Format_RGB32));
    }
}

} // namespace
