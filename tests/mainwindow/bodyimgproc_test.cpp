// Frame alignment through the real main window and its image processor:
// frames browsed back and forth keep the shift found for them, and only I1
// frames are ever shifted.
#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include "display/imgdispa.h"
#include "imagedata/tiffdata.h"
#include "imagedata/ui/imgproc.h"
#include "imagedata/ui/selectdatafiles.h"
#include "mainwindow/body.h"
#include "support/imagefixtures.h"
#include "support/testfiles.h"

namespace {

// 48 x 40 frames with a bright square of side 12 at (x0, y0), its border
// rising over three pixels.
QByteArray squareTiff(int x0, int y0)
{
    return ImageFixtures::tiff(48, 40, ImageFixtures::pixels16(48, 40, [=](int x, int y) {
        const int in = std::min(std::min(x - x0 + 1, x0 + 12 - x), std::min(y - y0 + 1, y0 + 12 - y));
        return in <= 0 ? 10 : 10 + 1000 * std::min(in, 3) / 3;
    }));
}

QPoint shiftOf(const TiffData *f) { return QPoint(f->shiftX, f->shiftY); }

} // namespace

TEST(BodyImgProc, BrowsedFramesKeepTheirShiftsAndI0IsNeverShifted)
{
    Body body;
    TestFiles files;
    const QVector<QPoint> squares = {{14, 16}, {17, 14}, {16, 13}};
    QStringList i1, i0;
    for (int i = 0; i < squares.size(); i++) {
        i1 << files.write(QString("a_%1_0000.tif").arg(8950 + 10 * i),
                          squareTiff(squares[i].x(), squares[i].y()));
        i0 << files.write(QString("b_%1_0000.tif").arg(8950 + 10 * i),
                          squareTiff(squares[(i + 1) % 3].x(), squares[(i + 1) % 3].y()));
    }
    QSignalSpy done(&body, &Body::finishBatchExec);
    body.readI1Files(i1, true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return done.contains({4}); }, 10000));
    body.readI0Files(i0, true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return done.contains({5}); }, 10000));
    QCoreApplication::processEvents();
    ASSERT_EQ(body.i1Stack().size(), 3);
    ASSERT_EQ(body.i0Stack().size(), 3);

    ImgProc *proc = body.imageProcessor();
    SelectDataFiles *panel = body.i1Panel();
    panel->select(0);
    proc->findChild<QCheckBox *>("EdgeDetect")->setChecked(true);
    proc->findChild<QPushButton *>("SetRef")->click();

    const QVector<TiffData *> &f = body.i1Stack();
    const QVector<QPoint> aligned = {{0, 0}, {-3, 2}, {-2, 3}};
    for (int i : {1, 0, 1, 2, 1, 0, 2}) {
        panel->select(i);
        EXPECT_EQ(shiftOf(f[i]), aligned[i]) << "frame " << i;
    }
    EXPECT_EQ(shiftOf(f[1]), aligned[1]);
    EXPECT_EQ(shiftOf(f[2]), aligned[2]);

    // Showing I0 frames with edge detection on shifts no frame at all.
    body.findChild<QRadioButton *>("ShowI0")->setChecked(true);
    for (int i : {0, 1, 2, 1}) {
        body.i0Panel()->select(i);
        body.showData(i);
    }
    for (const TiffData *g : body.i0Stack())
        EXPECT_EQ(shiftOf(g), QPoint());
    EXPECT_EQ(shiftOf(f[1]), aligned[1]);
    EXPECT_EQ(shiftOf(f[2]), aligned[2]);

    proc->findChild<QPushButton *>("ClearAllShifts")->click();
    for (const QVector<TiffData *> *stack : {&body.i1Stack(), &body.i0Stack()})
        for (const TiffData *g : *stack)
            EXPECT_EQ(shiftOf(g), QPoint());
}
