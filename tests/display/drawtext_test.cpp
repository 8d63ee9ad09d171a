#include <QImage>
#include <QPainter>
#include <QPushButton>
#include <gtest/gtest.h>

#include "display/drawtext.h"
#include "display/vlabel.h"
#include "display/vpushbutton.h"

namespace {

struct DrawTextOnImage : ::testing::Test
{
    QImage img{200, 200, QImage::Format_RGB32};
    QPainter p;
    DrawText dt;
    QFont font;
    void SetUp() override
    {
        img.fill(Qt::white);
        p.begin(&img);
        font.setPointSizeF(13);
    }
    void TearDown() override { p.end(); }
};

TEST_F(DrawTextOnImage, BoxIsNormalisedInPlaceAndFontRestored)
{
    QRectF r(100, 10, -40, 20);
    dt.drawTextInRect(&p, r, font, Qt::AlignLeft | Qt::AlignTop, 1, "abc", 0);
    EXPECT_EQ(r, QRectF(60, 10, 40, 20));
    EXPECT_DOUBLE_EQ(p.font().pointSizeF(), 13);

    QRectF r2(10, 80, 30, -20);
    dt.drawRotatedText(&p, 90, r2, font, Qt::AlignLeft, 1, "abc", 0);
    EXPECT_EQ(r2, QRectF(10, 60, 30, 20));
    EXPECT_DOUBLE_EQ(p.font().pointSizeF(), 13);
    EXPECT_TRUE(p.transform().isIdentity());
}

TEST_F(DrawTextOnImage, FittedTextLiesInTheBoxFromItsCorner)
{
    const int flags = Qt::AlignLeft | Qt::AlignTop;
    const QRectF res = dt.drawTextInRect(&p, QRectF(20, 30, 120, 16), font, flags, 1, "7123.45", 0);
    EXPECT_NEAR(res.left(), 20, 1);
    EXPECT_NEAR(res.top(), 30, 1);
    EXPECT_LE(res.width(), 122);
    EXPECT_LE(res.height(), 18);
    EXPECT_GT(res.width(), 10);

    // A bound on the size gives a smaller box than the unbounded fit.
    const QRectF small = dt.drawTextInRect(&p, QRectF(20, 30, 120, 16), font, flags, 1, "7123.45", 4);
    EXPECT_LT(small.width(), res.width());

    // Without fitting nothing is measured.
    EXPECT_EQ(dt.drawTextInRect(&p, QRectF(0, 0, 50, 50), font, flags, 0, "x", 0), QRectF(0, 0, 0, 0));
    EXPECT_EQ(dt.drawRotatedText(&p, 30, QRectF(0, 0, 50, 50), font, flags, 0, "x", 0),
              QRectF(0, 0, 0, 0));
}

TEST_F(DrawTextOnImage, FittedSizeOfEmptyTextAndBounds)
{
    EXPECT_DOUBLE_EQ(DrawText::fittedPointSize(&p, font, 0, "", 50, 50, 0), 10);
    EXPECT_DOUBLE_EQ(DrawText::fittedPointSize(&p, font, 0, "", 50, 50, 6), 6);
    EXPECT_DOUBLE_EQ(DrawText::fittedPointSize(&p, font, 0, "", 50, 50, -3), 10);
    const double big = DrawText::fittedPointSize(&p, font, 0, "W", 1000, 1000, 0);
    EXPECT_GT(big, 100);
    EXPECT_DOUBLE_EQ(DrawText::fittedPointSize(&p, font, 0, "W", 1000, 1000, 12), 12);
}

TEST_F(DrawTextOnImage, ZeroSizedBoxDrawsNothing)
{
    const QRectF res = dt.drawTextInRect(&p, QRectF(50, 50, 0, 0), font, 0, 1, "abc", 0);
    EXPECT_EQ(res.size(), QSizeF(0, 0));
    p.end();
    for (int y = 0; y < img.height(); y++)
        for (int x = 0; x < img.width(); x++)
            ASSERT_EQ(img.pixel(x, y), QColor(Qt::white).rgb());
    p.begin(&img);
}

TEST_F(DrawTextOnImage, RotatedBoxIsCentredOnTheCorner)
{
    // A 60 x 20 box turned by 90 degrees about (100, 50): it covers x 90..110,
    // y 20..80 on the image.
    dt.drawRotatedText(&p, 90, QRectF(100, 50, 60, 20), font, Qt::AlignCenter, 1, "", 0, true,
                       Qt::red);
    p.end();
    EXPECT_EQ(QColor(img.pixel(100, 50)), QColor(Qt::red));
    EXPECT_EQ(QColor(img.pixel(95, 25)), QColor(Qt::red));
    EXPECT_EQ(QColor(img.pixel(100, 10)), QColor(Qt::white));
    EXPECT_EQ(QColor(img.pixel(120, 50)), QColor(Qt::white));
    p.begin(&img);
}

TEST(VerticalWidgets, ButtonCaptionIsHeldByTheInnerButton)
{
    VPushButton b;
    b.setText("Set All");
    EXPECT_EQ(b.text(), "Set All");
    EXPECT_TRUE(b.QPushButton::text().isEmpty());
    QPushButton plain("Set All");
    EXPECT_EQ(b.sizeHint(), plain.sizeHint().transposed());
    EXPECT_EQ(b.sizeHint().height(), plain.sizeHint().width());
    EXPECT_EQ(b.minimumSizeHint(), plain.minimumSizeHint().transposed());
}

TEST(VerticalWidgets, CaptionsAreDrawnTopToBottom)
{
    VPushButton b;
    b.setText("Set All");
    b.resize(b.sizeHint());
    const QImage bi = b.grab().toImage();

    VLabel l("Label text");
    l.resize(l.sizeHint());
    EXPECT_EQ(l.sizeHint(), QLabel("Label text").sizeHint().transposed());
    const QImage li = l.grab().toImage();

    // Dark caption pixels lie in a tall, narrow band.
    for (const QImage &img : {bi, li}) {
        int minX = img.width(), maxX = -1, minY = img.height(), maxY = -1;
        for (int y = 0; y < img.height(); y++)
            for (int x = 0; x < img.width(); x++)
                if (qGray(img.pixel(x, y)) < 60) {
                    minX = qMin(minX, x);
                    maxX = qMax(maxX, x);
                    minY = qMin(minY, y);
                    maxY = qMax(maxY, y);
                }
        ASSERT_GE(maxX, 0);
        EXPECT_GT(maxY - minY, 2 * (maxX - minX));
    }
}

} // namespace
