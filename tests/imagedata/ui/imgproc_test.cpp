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

} // namespace
