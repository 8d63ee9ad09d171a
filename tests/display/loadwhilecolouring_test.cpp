#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTest>
#include <QThread>

#include <memory>

#include "core/globals.h"
#include "display/colorbar.h"
#include "imagedata/loadtiff.h"
#include "imagedata/tiffdata.h"
#include "support/imagefixtures.h"
#include "support/testfiles.h"

namespace {

// A stack loads in the loader's thread while the user drags the colour bar in
// the GUI thread. The worker colours with the snapshot each job carries and
// never reads the bar; run under ThreadSanitizer this reports no race.
TEST(LoadWhileColouring, FramesUseTheirJobsSnapshotWhileTheBarMoves)
{
    TestFiles files;
    QStringList names;
    for (int i = 0; i < 40; i++)
        names << files.write(QString("f%1.tif").arg(i, 3, 10, QChar('0')),
                             ImageFixtures::tiff(64, 64, ImageFixtures::pattern16(64, 64)));

    ColorBar bar;
    bar.resize(20, 300);
    bar.format = ImageFormatRGB888;

    QThread thread;
    LoadTiff *loader = new LoadTiff;
    loader->moveToThread(&thread);
    QObject::connect(&thread, &QThread::finished, loader, &QObject::deleteLater);
    thread.start();

    QVector<std::shared_ptr<TiffData>> frames;
    int finished = 0;
    QObject::connect(loader, &LoadTiff::loaded, &bar,
                     [&](TiffData *f, int) { frames << std::shared_ptr<TiffData>(f); });
    QObject::connect(loader, &LoadTiff::finishLoadFiles, &bar, [&](EX_CMD_ID) { finished++; });

    // Two jobs, each with the bar's snapshot at the time it was sent.
    const ColorScale first = bar.scale();
    QMetaObject::invokeMethod(loader, "setColorScale", Qt::QueuedConnection,
                              Q_ARG(ColorScale, first));
    QMetaObject::invokeMethod(loader, "loadTiffs", Qt::QueuedConnection,
                              Q_ARG(QStringList, names.mid(0, 20)), Q_ARG(bool, false),
                              Q_ARG(int, 1), Q_ARG(int, 0), Q_ARG(int, 0),
                              Q_ARG(ErrPointsSnapshot, ErrPointsSnapshot(nullptr)),
                              Q_ARG(EX_CMD_ID, EX_load_I1_files));
    bar.lowerLimit = 0.3;
    bar.upperLimit = 0.6;
    const ColorScale second = bar.scale();
    QMetaObject::invokeMethod(loader, "setColorScale", Qt::QueuedConnection,
                              Q_ARG(ColorScale, second));
    QMetaObject::invokeMethod(loader, "loadTiffs", Qt::QueuedConnection,
                              Q_ARG(QStringList, names.mid(20)), Q_ARG(bool, false),
                              Q_ARG(int, 1), Q_ARG(int, 0), Q_ARG(int, 0),
                              Q_ARG(ErrPointsSnapshot, ErrPointsSnapshot(nullptr)),
                              Q_ARG(EX_CMD_ID, EX_load_I1_files));

    // Keep dragging while the frames arrive.
    QElapsedTimer t;
    t.start();
    int step = 0;
    while (finished == 0 && t.elapsed() < 20000) {
        bar.lowerLimit = (step % 10) / 20.0;
        bar.upperLimit = 1.0 - (step % 7) / 20.0;
        bar.paintCBar();
        step++;
        QTest::qWait(1);
    }
    thread.quit();
    thread.wait();

    ASSERT_EQ(finished, 1);
    ASSERT_EQ(frames.size(), 40);
    for (int i = 0; i < frames.size(); i++) {
        const ColorScale &expect = i < 20 ? first : second;
        const TiffData &f = *frames[i];
        EXPECT_EQ(f.colorScale.lowerLimit, expect.lowerLimit) << i;
        EXPECT_EQ(f.colorScale.upperLimit, expect.upperLimit) << i;
        ASSERT_NE(f.image, nullptr);
        // The image is what the snapshot gives, rebuilt here in the GUI thread.
        const QImage shown = f.image->copy();
        TiffData &g = const_cast<TiffData &>(f);
        g.makeImage(expect);
        EXPECT_EQ(shown, *g.image) << i;
    }
}

} // namespace
