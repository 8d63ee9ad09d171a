#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QToolButton>
#include <QVector>
#include <memory>

#include "core/globals.h"
#include "display/colorbar.h"
#include "imagedata/imageshift.h"
#include "imagedata/tiffdata.h"
#include "imagedata/ui/imgproc.h"
#include "support/imagefixtures.h"

namespace {

// A bright square of side 12 at (x0, y0) whose border rises over three pixels.
TiffData *squareFrame(int x0, int y0)
{
    return ImageFixtures::frame16(48, 40, [=](int x, int y) {
        const int in = std::min(std::min(x - x0 + 1, x0 + 12 - x), std::min(y - y0 + 1, y0 + 12 - y));
        return in <= 0 ? 10 : 10 + 1000 * std::min(in, 3) / 3;
    });
}

struct Shift
{
    TiffData *frame;
    int dx;
    int dy;
};

// The window, with the shifts it hands back recorded.
class ImgProcTest : public ::testing::Test
{
protected:
    ImgProcTest()
    {
        QObject::connect(&w, &ImgProc::imgShift,
                         [this](TiffData *f, int dx, int dy) { shifts.append({f, dx, dy}); });
    }
    template <typename T = QLineEdit> T *child(const char *name) const
    {
        T *c = w.findChild<T *>(name);
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
    QCheckBox *box(const char *name) const { return child<QCheckBox>(name); }
    QString text(const char *name) const { return child(name)->text(); }
    void setText(const char *name, const QString &t) { child(name)->setText(t); }
    void click(const char *name) { child<QAbstractButton>(name)->click(); }

    ImgProc w;
    QVector<Shift> shifts;
};

TEST_F(ImgProcTest, TakesFramesOnlyWhileEdgeDetectIsChecked)
{
    std::unique_ptr<TiffData> f(squareFrame(14, 16));
    w.setData(f.get());
    EXPECT_EQ(w.currentFrame(), nullptr);

    QSignalSpy asks(&w, &ImgProc::askGiveData);
    box("EdgeDetect")->setChecked(true);
    box("BinaryImage")->setChecked(false);
    EXPECT_EQ(asks.size(), 2);

    w.setData(f.get());
    EXPECT_EQ(w.currentFrame(), f.get());
    const ProcImage *edge = w.edgeImage();
    ASSERT_NE(edge, nullptr);
    EXPECT_EQ(edge->width, 48);
    EXPECT_EQ(text("MaxEdgeV"), QString::number(edge->max, 'g', 6));
    // The default slider position, 100, is a tenth of the way up the range.
    const double max = text("MaxEdgeV").toDouble(), min = text("MinEdgeV").toDouble();
    EXPECT_EQ(text("BinThV"), QString::number((max - min) * 0.1 + min, 'g', 6));
}

TEST_F(ImgProcTest, FindsTheShiftAndHandsItBackWithItsFrame)
{
    std::unique_ptr<TiffData> first(squareFrame(14, 16)), second(squareFrame(17, 14));
    box("EdgeDetect")->setChecked(true);
    w.setData(first.get());
    EXPECT_TRUE(shifts.isEmpty());   // no reference yet
    click("SetRef");

    w.setData(second.get());   // the square moved by (+3, -2)
    ASSERT_FALSE(shifts.isEmpty());
    EXPECT_EQ(shifts.last().frame, second.get());
    EXPECT_EQ(shifts.last().dx, -3);
    EXPECT_EQ(shifts.last().dy, 2);
    EXPECT_EQ(text("ShiftX"), "-3");
    EXPECT_EQ(text("NormScolarP"), "1");

    // A frame of the other stack gets its own shift, named with it.
    std::unique_ptr<TiffData> other(squareFrame(15, 17));
    setText("ShiftX", "0");
    setText("ShiftY", "0");
    shifts.clear();
    w.setData(other.get());
    ASSERT_FALSE(shifts.isEmpty());
    for (const Shift &s : shifts)
        EXPECT_EQ(s.frame, other.get());
    EXPECT_EQ(shifts.last().dx, -1);
    EXPECT_EQ(shifts.last().dy, -1);

    // Without "A. Set Shift" the search hands nothing over; "Set Shift" hands
    // over the typed shift.
    box("ASetShift")->setChecked(false);
    shifts.clear();
    click("ShiftAuto");
    EXPECT_TRUE(shifts.isEmpty());
    setText("ShiftX", "4");
    click("SetShift");
    ASSERT_EQ(shifts.size(), 1);
    EXPECT_EQ(shifts[0].frame, other.get());
    EXPECT_EQ(shifts[0].dx, 4);
}

TEST_F(ImgProcTest, OverlayShowsTheMatchAndItsScore)
{
    std::unique_ptr<TiffData> first(squareFrame(14, 16)), second(squareFrame(17, 14));
    box("EdgeDetect")->setChecked(true);
    w.setData(first.get());
    w.setRefBin();
    w.setData(second.get());
    ASSERT_EQ(w.shiftX(), -3);

    // At (-3, 2) partners of the last three columns and first two rows lie
    // outside: blue. Elsewhere both images agree: yellow or black.
    const QImage *img = w.shownImage();
    const ProcImage *ref = w.referenceImage();
    ASSERT_EQ(img->size(), QSize(48, 40));
    for (int y = 0; y < 40; y++) {
        for (int x = 0; x < 48; x++) {
            const QRgb want = x >= 45 || y < 2 ? qRgb(0, 0, 255)
                              : ref->at(x, y) > 0 ? qRgb(255, 255, 0) : qRgb(0, 0, 0);
            ASSERT_EQ(img->pixel(x, y), want) << x << "," << y;
        }
    }

    // A typed shift with the search off: its score, cut to six characters.
    box("AAutoShift")->setChecked(false);
    setText("ShiftX", "-2");
    w.drawOnImage();
    const double s = ImageShift::matchScore(*ref, *w.binaryImage(), -2, 2);
    EXPECT_GT(s, 0.0);
    EXPECT_LT(s, 1.0);
    EXPECT_DOUBLE_EQ(w.lastScore(), s);
    EXPECT_DOUBLE_EQ(w.matchScore(), s);
    EXPECT_EQ(text("NormScolarP"), QString::number(s, 'g', 6).left(6));
}

TEST_F(ImgProcTest, ClearFrameDropsTheFrameForGood)
{
    TiffData *f = squareFrame(14, 16);
    box("EdgeDetect")->setChecked(true);
    w.setData(f);
    w.setRefBin();
    shifts.clear();
    w.clearFrame();
    delete f;   // the main window frees its stack
    EXPECT_EQ(w.currentFrame(), nullptr);
    EXPECT_EQ(w.binaryImage(), nullptr);
    EXPECT_NE(w.referenceImage(), nullptr);   // a copy, kept for the next frame
    EXPECT_TRUE(w.shownImage()->isNull());

    // Nothing is left to read or to give a shift to.
    w.edgeDetect();
    w.autoShiftBinImg();
    w.setShift();
    w.movedBinThVSlider(0);
    box("Compare")->setChecked(false);
    w.drawOnImage();
    EXPECT_EQ(w.edgeImage(), nullptr);
    EXPECT_TRUE(shifts.isEmpty());

    // A hand-over of no frame drops it even with "Edge Detect" off.
    std::unique_ptr<TiffData> g(squareFrame(10, 10)), h(squareFrame(12, 12));
    w.setData(g.get());
    box("EdgeDetect")->setChecked(false);
    w.setData(h.get());
    EXPECT_EQ(w.currentFrame(), g.get());
    w.setData(nullptr);
    EXPECT_EQ(w.currentFrame(), nullptr);
}

TEST_F(ImgProcTest, DisplayModeColoursTheSourceThroughItsBar)
{
    std::unique_ptr<TiffData> f(squareFrame(14, 16));
    box("Compare")->setChecked(false);
    box("EdgeDetect")->setChecked(true);
    w.setData(f.get());
    ColorBar *bar = w.colorBar();
    const QRgb top = bar->pixelColor(1).rgb(), bottom = bar->pixelColor(0).rgb();
    ASSERT_NE(top, bottom);   // the colour map
    const ProcImage *bin = w.binaryImage();
    for (int y = 0; y < 40; y++)
        for (int x = 0; x < 48; x++)
            ASSERT_EQ(w.shownImage()->pixel(x, y), bin->at(x, y) > 0 ? top : bottom);

    // The edge image, with the bar labelled by its range and its limits applied.
    box("BinaryImage")->setChecked(false);
    w.drawOnImage();
    const ProcImage *edge = w.edgeImage();
    EXPECT_EQ(bar->valueMax, edge->max);
    bar->upperLimit = 0.5;
    emit bar->cBarUpdating();
    for (int y = 0; y < 40; y++) {
        for (int x = 0; x < 48; x++) {
            const double frac = (edge->at(x, y) - edge->min) / (edge->max - edge->min);
            if (frac >= 0.5 || frac == 0) {
                ASSERT_EQ(w.shownImage()->pixel(x, y), frac > 0 ? top : bottom);
            }
        }
    }
}

TEST_F(ImgProcTest, ThresholdFollowsTheSliderAndTheTypedValue)
{
    QSlider *slider = child<QSlider>("BinThVSlider");
    setText("MinEdgeV", "0");
    setText("MaxEdgeV", "1000");
    w.movedBinThVSlider(0);
    EXPECT_EQ(text("BinThV"), "100");
    const QVector<QPair<QString, int>> typed = {{"250", 250}, {"2000", 999}, {"1e300", 999}, {"x", 0}};
    for (const auto &t : typed) {
        setText("BinThV", t.first);
        w.setBinThV();
        EXPECT_EQ(slider->value(), t.second) << t.first.toStdString();
    }
    // An empty edge range gives the threshold no position.
    slider->setValue(300);
    setText("MaxEdgeV", "0");
    w.setBinThV();
    EXPECT_EQ(slider->value(), 300);
}

TEST_F(ImgProcTest, ShiftButtonsStepTheShiftAndClearAllLeavesIt)
{
    click("ShiftU");
    EXPECT_EQ(w.shiftY(), -1);
    click("ShiftD");
    click("ShiftD");
    EXPECT_EQ(w.shiftY(), 1);
    click("ShiftL");
    EXPECT_EQ(w.shiftX(), -1);
    setText("ShiftX", "2147483647");
    click("ShiftR");
    EXPECT_EQ(w.shiftX(), ImageShift::MaxShift);

    QSignalSpy clears(&w, &ImgProc::askClearAllShifts);
    click("ClearAllShifts");
    EXPECT_EQ(clears.size(), 1);
    EXPECT_EQ(w.shiftY(), 1);
    click("SetShift");   // no frame to give it to
    EXPECT_TRUE(shifts.isEmpty());
}

} // namespace
