// The end of a first load through the real loader thread, when the last good
// frame arrives while the loader is still busy with a file after it.
#include <QElapsedTimer>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

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
    // The loader blocks on the pipe until the test writes to it, so the good
    // frames all arrive while it is busy.
    const QString pipe = files.path("z_8990_0000.tif");
    ASSERT_EQ(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    names << pipe;

    QSignalSpy done(&body, &Body::finishBatchExec);
    body.readI1Files(names, true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return body.i1Stack().size() == 3; }, 10000));
    EXPECT_TRUE(body.i1LoadWorker()->isBusy());
    EXPECT_NE(body.imageW(), 8);   // nothing drawn while the load runs

    int fd = -1;
    QElapsedTimer t;
    t.start();
    while (fd < 0 && t.elapsed() < 10000) {
        fd = ::open(QFile::encodeName(pipe).constData(), O_WRONLY | O_NONBLOCK);
        if (fd < 0)
            QTest::qWait(5);
    }
    ASSERT_GE(fd, 0);
    EXPECT_EQ(::write(fd, "junk", 4), 4);   // too short for any image
    ::close(fd);

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
