#include <QSignalSpy>
#include <QStringList>
#include <gtest/gtest.h>

#include "display/dispa.h"
#include "variant/variant.h"
#include "display/mousec.h"
#include "widgetevents.h"

namespace ev = widgetevents;

namespace {

TEST(MouseCGestures, EveryButtonAndModifierCombination)
{
    const Qt::KeyboardModifiers S = Qt::ShiftModifier, C = Qt::ControlModifier,
                                A = Qt::AltModifier;
    const Qt::KeyboardModifiers combos[8] = {Qt::NoModifier, S, C, A, S | C, S | A, C | A, S | C | A};
    for (int k = 0; k < 8; k++) {
        EXPECT_EQ(MouseC::mode(Qt::LeftButton, combos[k]), k);
        EXPECT_EQ(MouseC::mode(Qt::RightButton, combos[k]), 8 + k);
        EXPECT_EQ(MouseC::mode(Qt::MiddleButton, combos[k]), 16);
    }
    EXPECT_EQ(MouseC::mode(Qt::LeftButton, S | Qt::MetaModifier), 1);
    EXPECT_EQ(MouseC::mode(Qt::NoButton, Qt::NoModifier), 16);
    EXPECT_EQ(MouseC::mode(Qt::XButton1, Qt::NoModifier), 16);
}

struct DispAEvents : ::testing::Test
{
    DispA w;
    void SetUp() override { w.resize(200, 100); }
};

TEST_F(DispAEvents, ConstructionDefaults)
{
    EXPECT_TRUE(w.zoomEnabled);
    EXPECT_TRUE(w.panEnabled);
    EXPECT_EQ(w.frameShape(), QFrame::StyledPanel);
    EXPECT_TRUE(w.hasMouseTracking());
    EXPECT_FALSE(w.mouse.isPressed);
    EXPECT_EQ(w.mouse.curPos, QPoint(0, 0));
}

TEST_F(DispAEvents, PositionsRoundHalvesUpAndRecordEachKind)
{
    QSignalSpy moved(&w, &DispA::mouseMoved0), pressed(&w, &DispA::mousePressed0),
        released(&w, &DispA::mouseReleased0), dbl(&w, &DispA::mouseDoubleClicked0);
    ev::move(&w, QPointF(-0.5, 2.5));
    EXPECT_EQ(w.mouse.curPos, QPoint(0, 3));
    ev::move(&w, QPointF(10.4, 20.6));
    EXPECT_EQ(w.mouse.prevPos, QPoint(0, 3));
    EXPECT_EQ(w.mouse.curPos, QPoint(10, 21));

    ev::press(&w, QPointF(30, 40), Qt::RightButton, Qt::ShiftModifier);
    EXPECT_TRUE(w.mouse.isPressed);
    EXPECT_EQ(w.mouse.pressPos, QPoint(30, 40));
    EXPECT_EQ(w.mouse.prevPos, QPoint(10, 21));
    EXPECT_EQ(w.mouse.pressButton, Qt::RightButton);
    EXPECT_EQ(w.mouse.pressModifiers, Qt::ShiftModifier);

    ev::release(&w, QPointF(50, 60), Qt::RightButton);
    EXPECT_FALSE(w.mouse.isPressed);
    EXPECT_EQ(w.mouse.releasePos, QPoint(50, 60));
    EXPECT_EQ(w.mouse.curPos, QPoint(50, 60));
    EXPECT_EQ(w.mouse.releaseButton, Qt::RightButton);
    EXPECT_EQ(w.mouse.pressButton, Qt::RightButton);

    EXPECT_EQ(moved.count(), 2);
    EXPECT_EQ(pressed.count(), 1);
    EXPECT_EQ(released.count(), 1);

    // A double click records its own position only, and keeps isPressed.
    ev::press(&w, QPointF(5, 5));
    ev::doubleClick(&w, QPointF(7, 8), Qt::LeftButton, Qt::ControlModifier);
    EXPECT_EQ(dbl.count(), 1);
    EXPECT_EQ(w.mouse.dblClickPos, QPoint(7, 8));
    EXPECT_EQ(w.mouse.curPos, QPoint(5, 5));
    EXPECT_EQ(w.mouse.dblClickModifiers, Qt::ControlModifier);
    EXPECT_EQ(w.mouse.curModifiers, Qt::ControlModifier);
    EXPECT_TRUE(w.mouse.isPressed);
}

TEST_F(DispAEvents, AltMovesAreIgnoredButAltPressesRecorded)
{
    QSignalSpy moved(&w, &DispA::mouseMoved0);
    ev::move(&w, QPointF(10, 10));
    ev::move(&w, QPointF(50, 50), Qt::NoButton, Qt::AltModifier);
    EXPECT_EQ(moved.count(), 1);
    EXPECT_EQ(w.mouse.curPos, QPoint(10, 10));
    EXPECT_EQ(w.mouse.prevPos, QPoint(0, 0));

    ev::press(&w, QPointF(60, 70), Qt::LeftButton, Qt::AltModifier);
    EXPECT_EQ(w.mouse.pressPos, QPoint(60, 70));
    EXPECT_EQ(MouseC::mode(w.mouse.pressButton, w.mouse.pressModifiers), MouseC::AltLeft);
}

TEST_F(DispAEvents, WheelSetsStepsAndOneOfTwoFactors)
{
    QSignalSpy wheel(&w, &DispA::wheelMoved0);
    ev::wheel(&w, QPointF(10, 10), 120);
    EXPECT_DOUBLE_EQ(w.wheelSteps, 1);
    EXPECT_DOUBLE_EQ(w.zoomFactor, 1 / 1.1);
    ev::wheel(&w, QPointF(10, 10), -360);
    EXPECT_DOUBLE_EQ(w.wheelSteps, -3);
    EXPECT_DOUBLE_EQ(w.zoomFactor, 1.1);
    ev::wheel(&w, QPointF(10, 10), 0);
    EXPECT_DOUBLE_EQ(w.zoomFactor, 1 / 1.1);
    EXPECT_EQ(wheel.count(), 3);
}

TEST_F(DispAEvents, PaintSetsScreenRangeThenEmitsBothPasses)
{
    QStringList order;
    double y0 = -1, x1 = -1;
    QObject::connect(&w, &DispA::drawImage1, [&](QPainter *p) {
        ASSERT_NE(p, nullptr);
        order << "1";
        y0 = w.coord.screenY0;
        x1 = w.coord.winX1;
    });
    QObject::connect(&w, &DispA::drawImage2, [&](QPainter *) { order << "2"; });
    const QImage shot = w.grab().toImage();
    EXPECT_EQ(order, QStringList({"1", "2"}));
    EXPECT_DOUBLE_EQ(y0, 100);
    EXPECT_DOUBLE_EQ(x1, 200);
    EXPECT_EQ(QColor(shot.pixel(100, 50)), QColor(Qt::white));

    // The classic program does not reset: the range is whatever the drawing slots left.
    Variant::setClassic(true);
    w.coord.setScreenRange(1, 2, 3, 4);
    w.grab();
    Variant::setClassic(false);
    EXPECT_DOUBLE_EQ(y0, 2);
}

TEST_F(DispAEvents, RealMousePositionGoesThroughTheMapping)
{
    QSignalSpy moved(&w, &DispA::mouseMoved0);
    w.coord.setScreenRange(0, 0, 200, 100);
    w.coord.setRealRange(0, 0, 20, 10);
    w.setScreenMousePos(3, 4);
    w.setRealMousePos(5.99, 2.5);
    EXPECT_EQ(w.mouse.prevPos, QPoint(3, 4));
    EXPECT_EQ(w.mouse.curPos, QPoint(59, 25));
    EXPECT_EQ(moved.count(), 2);
}

} // namespace
