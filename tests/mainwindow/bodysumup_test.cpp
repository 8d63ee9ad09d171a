// The sum-up image through the main window: the analysis window's ranges,
// its Exec. Sum Up button and the file "sumUpImg.png".
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

#include "analysis/ui/analyzer.h"
#include "analysis/ui/sumupctrl.h"
#include "imagedata/ui/selectdatafiles.h"
#include "mainwindow/body.h"
#include "support/imagefixtures.h"
#include "support/testfiles.h"
#include "support/waitfor.h"

namespace {

// Runs in a scratch working directory with boxes of one pixel.
class BodySumUp : public ::testing::Test
{
protected:
    void SetUp() override
    {
        before = QDir::currentPath();
        ASSERT_TRUE(QDir(files.dir()).mkpath("TestFiles"));
        ASSERT_TRUE(QDir::setCurrent(files.path("TestFiles")));
        body.findChild<QLineEdit *>("HWidth")->setText("0");
        body.findChild<QLineEdit *>("VWidth")->setText("0");
    }
    void TearDown() override { QDir::setCurrent(before); }

    // I1 frames of 4 x 3 pixels, frame i uniform at values[i].
    bool loadI1(const QVector<quint16> &values)
    {
        QStringList names;
        for (int i = 0; i < values.size(); i++)
            names << files.write(QString("i1_%1_0000.tif").arg(8950 + 10 * i),
                                 ImageFixtures::tiff(4, 3, QVector<quint16>(12, values[i])));
        bool done = false;
        QObject::connect(&body, &Body::finishBatchExec, &body, [&done](int id) { done = id == 4; });
        body.i1Panel()->emitFilesSelected(names);
        const bool ok = waitFor([&] { return done; });
        QObject::disconnect(&body, &Body::finishBatchExec, &body, nullptr);
        return ok && body.i1Stack().size() == values.size();
    }
    void addRange(const QString &from, const QString &to)
    {
        ctrl()->fromEdit()->setText(from);
        ctrl()->toEdit()->setText(to);
        ctrl()->findChild<QPushButton *>("AddSumUp")->click();
    }
    void execSumUp() { body.analysisWindow()->findChild<QPushButton *>("AskSumUp")->click(); }
    SumUpCtrl *ctrl() { return body.analysisWindow()->sumUpCtrl(); }
    Analyzed2DRes &map() { return body.analysisWindow()->sumUpMap; }

    // Every cell of the 4 x 3 map holds v.
    void expectEverywhere(double v)
    {
        ASSERT_EQ(map().area.width * map().area.height, 12);
        for (int i = 0; i < 12; i++)
            EXPECT_EQ(map().value(i % 4, i / 4), v) << i;
        EXPECT_EQ(map().min, v);
        EXPECT_EQ(map().max, v);
    }

    Body body;
    TestFiles files;
    QString before;
};

} // namespace

TEST_F(BodySumUp, OverlappingRangesCountTheirCommonFramesTwice)
{
    ASSERT_TRUE(loadI1({1, 10, 100, 1000}));
    execSumUp();   // no range yet
    expectEverywhere(0);

    addRange("0", "2");
    addRange("1", "3");
    DebugCapture log;
    execSumUp();
    expectEverywhere(1 + 10 + 10 + 100);
    // The first row's line comes before anything is written into the map.
    EXPECT_TRUE(log.contains("0 1e+300 -1e+300"));
    EXPECT_EQ(QImage(files.path("TestFiles/sumUpImg.png")).size(), QSize(4, 3));

    // Without the first range only the second one counts.
    ctrl()->rangeCombo()->setCurrentIndex(0);
    ctrl()->findChild<QPushButton *>("DelSumUp")->click();
    execSumUp();
    expectEverywhere(10 + 100);
}

TEST_F(BodySumUp, RangesReachOnlyTheFramesThatExist)
{
    ASSERT_TRUE(loadI1({1, 10, 100}));
    addRange("-2147483648", "2147483647");
    addRange("2", "1000");
    addRange("5", "9");   // no such frames
    addRange("2", "1");   // empty
    QElapsedTimer t;
    t.start();
    execSumUp();
    EXPECT_LT(t.elapsed(), 5000);
    expectEverywhere(111 + 100);

    // No frame: no cells, no image file.
    QFile::remove("sumUpImg.png");
    body.clearI1Files();
    execSumUp();
    EXPECT_EQ(map().area.width, 0);
    EXPECT_FALSE(QFile::exists("sumUpImg.png"));
}
