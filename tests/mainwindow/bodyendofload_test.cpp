// The end of a first load through the real loader thread, when the last good
// frame arrives while the loader is still busy with a file after it.
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include "display/xafsview.h"
#include "imagedata/loadtiff.h"
#include "imagedata/ui/selectdatafiles.h"
#include "mainwindow/body.h"
#include "support/imagefixtures.h"
#include "support/testfiles.h"

TEST(BodyEndOfLoad, PointSpectrumHoldsEveryFrameWhenTheLastOneCameWhileBusy)
{
    Body body;
    TestFiles files;
    body.i1Panel()->setShowLatest(false);
    body.findChild<QLineEdit *>("HWidth")->setText("0");
    body.findChild<QLineEdit *>("VWidth")->setText("0");
    QStringList names;
    for (int i = 0; i < 3; i++)
        names << files.write(QString("a_%1_0000.tif").arg(8950 + 10 * i),
                             ImageFixtures::tiff(8, 6, QVector<quint16>(48, quint16(100 + i))));
    // A large frame cut short after them: the loader is still reading it,
    // and then refuses it, when the good frames arrive.
    const int big = 4000;
    QByteArray cut = ImageFixtures::tiff(big, big, QVector<quint16>(big * big, 7));
    cut.chop(cut.size() / 4);
    names << files.write("z_8990_0000.tif", cut);

    QSignalSpy done(&body, &Body::finishBatchExec);
    body.readI1Files(names, true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return body.i1Stack().size() == 3; }, 10000));
    if (body.i1LoadWorker()->isBusy())
        EXPECT_NE(body.imageW(), 8);   // nothing drawn while the load runs

    ASSERT_TRUE(QTest::qWaitFor([&] { return done.contains({4}); }, 10000));
    QCoreApplication::processEvents();
    EXPECT_EQ(body.imageW(), 8);
    EXPECT_EQ(body.imageH(), 6);
    EXPECT_EQ(body.pointX(), 0);
    const Spectrum &raw = body.pointSpectrumView()->raw;
    ASSERT_EQ(raw.count(), 3);
    for (int i = 0; i < 3; i++)
        EXPECT_DOUBLE_EQ(raw.points[i].y(), 100 + i);
}
