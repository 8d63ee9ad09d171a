#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMetaObject>
#include <QObject>
#include <QPoint>
#include <QSemaphore>
#include <QStringList>
#include <QTest>
#include <QThread>

#include <climits>
#include <functional>
#include <memory>
#include <tiffio.h>
#include <vector>

#include "imagedata/errpoints.h"
#include "imagedata/loadtiff.h"
#include "imagedata/tiffdata.h"
#include "support/waitfor.h"
#include "support/imagefixtures.h"
#include "support/testfiles.h"

namespace {

// One event the loader reported to the GUI thread: a frame (its list index
// and first pixel) or the end of a job (cmd).
struct Event
{
    bool finish;
    int value;
    double pixel;
    bool operator==(const Event &o) const
    {
        return finish == o.finish && value == o.value && (finish || pixel == o.pixel);
    }
};

Event frame(int i, double pixel) { return {false, i, pixel}; }
Event finish(EX_CMD_ID cmd) { return {true, int(cmd), 0}; }

std::ostream &operator<<(std::ostream &os, const Event &e)
{
    return os << (e.finish ? "finish " : "frame ") << e.value;
}

// A loader in its own thread, driven and observed like the main window does:
// requests and results cross threads by queued connections.
class LoadTiffTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        loader = new LoadTiff;
        loader->moveToThread(&thread);
        QObject::connect(loader, &LoadTiff::loaded, &receiver, [this](TiffData *f, int i) {
            EXPECT_EQ(QThread::currentThread(), qApp->thread());
            lastFrameList = f->errPoints;
            lastFrameCorner = f->pixelValue(1, 1);
            events << frame(i, f->pixelValue(0, 0));
            delete f;
        });
        QObject::connect(loader, &LoadTiff::finishLoadFiles, &receiver,
                         [this](EX_CMD_ID cmd) { events << finish(cmd); });
        thread.start(QThread::InheritPriority);
    }

    void TearDown() override
    {
        waitFor([this] { return !loader->isBusy(); }, 5000);
        thread.quit();
        thread.wait();
        delete loader;
    }

    // Files "f000.tif" ... whose pixels all hold 100 + their number.
    QStringList stack(int n, const QString &prefix = "f")
    {
        QStringList names;
        for (int i = 0; i < n; i++) {
            const QString name = QString("%1%2.tif").arg(prefix).arg(i, 3, 10, QChar('0'));
            names << files.write(name, ImageFixtures::tiff(4, 3, QVector<quint16>(12, 100 + i)));
        }
        return names;
    }

    void load(const QStringList &names, bool skipLive, int step, int start, int tail,
              EX_CMD_ID cmd, ErrPoints *list = nullptr)
    {
        ASSERT_TRUE(QMetaObject::invokeMethod(
            loader, "loadTiffs", Qt::QueuedConnection, Q_ARG(QStringList, names),
            Q_ARG(bool, skipLive), Q_ARG(int, step), Q_ARG(int, start), Q_ARG(int, tail),
            Q_ARG(ErrPointsSnapshot, ErrPointsSnapshot(list)), Q_ARG(EX_CMD_ID, cmd)));
    }

    int finishes() const
    {
        int n = 0;
        for (const Event &e : events)
            n += e.finish ? 1 : 0;
        return n;
    }

    // Waits for n job ends and a little longer for anything unexpected.
    bool waitForFinishes(int n)
    {
        const bool ok = waitFor([&] { return finishes() >= n; });
        QTest::qWait(30);
        return ok;
    }

    QVector<int> frameIndexes() const
    {
        QVector<int> idx;
        for (const Event &e : events)
            if (!e.finish)
                idx << e.value;
        return idx;
    }

    TestFiles files;
    QThread thread;
    LoadTiff *loader = nullptr;
    QObject receiver;
    QVector<Event> events;
    const ErrPoints *lastFrameList = nullptr;
    double lastFrameCorner = 0;
};

} // namespace

TEST_F(LoadTiffTest, HandlesStartStepAndTail)
{
    const QStringList names = stack(10);
    load(names, false, 3, 2, 0, EX_load_I1_files);
    ASSERT_TRUE(waitForFinishes(1));
    EXPECT_EQ(events, QVector<Event>({frame(2, 102), frame(5, 105), frame(8, 108),
                                      finish(EX_load_I1_files)}));

    events.clear();
    load(names, false, 3, 2, 2, EX_load_I0_files);
    ASSERT_TRUE(waitForFinishes(1));
    EXPECT_EQ(frameIndexes(), QVector<int>({2, 5}));
    EXPECT_EQ(events.last(), finish(EX_load_I0_files));

    // The first file is not checked against the tail.
    events.clear();
    load(names, false, 1, 8, 3, EX_load_I1_files);
    ASSERT_TRUE(waitForFinishes(1));
    EXPECT_EQ(frameIndexes(), QVector<int>({8}));
    EXPECT_EQ(finishes(), 1);
}

TEST_F(LoadTiffTest, JobsWithoutFilesReportTheirEnd)
{
    const QStringList names = stack(5);
    load(QStringList(), false, 1, 0, 0, EX_load_I1_files);
    ASSERT_TRUE(waitForFinishes(1));
    EXPECT_EQ(events, QVector<Event>({finish(EX_load_I1_files)}));

    events.clear();
    load(names, false, 1, 5, 0, EX_load_I0_files);
    ASSERT_TRUE(waitForFinishes(1));
    EXPECT_EQ(events, QVector<Event>({finish(EX_load_I0_files)}));

    // A start past the last file loads nothing but still reports, so that a
    // batch waiting for the load goes on.
    events.clear();
    load(names, false, 1, 9, 0, EX_load_I1_files_of_pattern);
    ASSERT_TRUE(waitForFinishes(1));
    EXPECT_EQ(events, QVector<Event>({finish(EX_load_I1_files_of_pattern)}));
}

TEST_F(LoadTiffTest, QueuedJobsRunInOrderAndReportOnceWhenTheQueueEmpties)
{
    const QStringList a = stack(4, "a");
    const QStringList b = stack(3, "b");
    // The loader's thread is held until both jobs are in its queue.
    QSemaphore hold;
    QMetaObject::invokeMethod(loader, [&hold] { hold.acquire(); }, Qt::QueuedConnection);
    load(a, false, 1, 0, 0, EX_load_I1_files);
    load(b, false, 2, 0, 0, EX_load_I0_files);
    hold.release();
    ASSERT_TRUE(waitForFinishes(1));
    EXPECT_EQ(events, QVector<Event>({frame(0, 100), frame(1, 101), frame(2, 102),
                                      frame(3, 103), frame(0, 100), frame(2, 102),
                                      finish(EX_load_I0_files)}));
    EXPECT_FALSE(loader->isBusy());
    EXPECT_EQ(loader->pendingJobs(), 0);
}

TEST_F(LoadTiffTest, SkipsLiveFilesByTheirNameOrPath)
{
    QStringList names;
    names << files.write("scan_Live_0.tif", ImageFixtures::tiff(4, 3, QVector<quint16>(12, 1)));
    names << files.write("scan_live_1.tif", ImageFixtures::tiff(4, 3, QVector<quint16>(12, 2)));
    names << files.write("Live/scan_2.tif", ImageFixtures::tiff(4, 3, QVector<quint16>(12, 3)));
    names << files.write("live/scan_3.tif", ImageFixtures::tiff(4, 3, QVector<quint16>(12, 4)));
    load(names, true, 1, 0, 0, EX_load_I1_files);
    ASSERT_TRUE(waitForFinishes(1));
    EXPECT_EQ(frameIndexes(), QVector<int>({1, 3}));

    // Without the rule every file is read.
    events.clear();
    load(names, false, 1, 0, 0, EX_load_I1_files);
    ASSERT_TRUE(waitForFinishes(1));
    EXPECT_EQ(frameIndexes(), QVector<int>({0, 1, 2, 3}));
}

// Several decode threads hand the same frames over in file order as one
// does; a job of a newer generation (a new stack, or a stop with no files)
// ends the running one at once: after it starts, no frame of the old job
// arrives, and the queue reports its end once.
TEST_F(LoadTiffTest, DecodeThreadsKeepFileOrderAndNewerJobsEndOlderOnes)
{
    QStringList names = stack(30);
    names.insert(7, files.write("broken.tif", QByteArray("not an image at all")));
    names.insert(20, files.write("x_Live_.tif", ImageFixtures::tiff(4, 3, {})));
    QVector<QVector<Event>> runs;
    for (int threads : {1, 6}) {
        QMetaObject::invokeMethod(loader, [this, threads] { loader->setDecodeThreads(threads); },
                                  Qt::QueuedConnection);
        events.clear();
        load(names, true, 2, 1, 3, EX_load_I1_files);
        ASSERT_TRUE(waitForFinishes(1));
        runs << events;
    }
    EXPECT_EQ(runs[0], runs[1]);
    EXPECT_EQ(runs[1].size(), 14);

    // Large frames, so that the job is still running when the next arrives.
    QStringList slow;
    for (int i = 0; i < 6; i++)
        slow << files.write(QString("s%1.tif").arg(i),
                            ImageFixtures::tiff(1024, 1024, QVector<quint16>(1024 * 1024, 7)));
    const QStringList big = QVector<QString>(60, slow.first()).toList() + slow;
    const QStringList next = stack(5, "n");
    quint64 started = 0;
    int staleFrames = 0;
    QObject::connect(loader, &LoadTiff::jobStarted, &receiver, [&](quint64 g) { started = g; });
    QObject::connect(loader, &LoadTiff::loaded, &receiver, [&](TiffData *, int) {
        staleFrames += started == 2 && events.last().pixel == 7 ? 1 : 0;
    });
    for (const QStringList &second : {next, QStringList()}) {
        SCOPED_TRACE(second.size());
        events.clear();
        started = 0;
        QMetaObject::invokeMethod(loader, [this] { loader->setGeneration(1); }, Qt::QueuedConnection);
        load(big, false, 1, 0, 0, EX_load_I1_files);
        ASSERT_TRUE(waitFor([&] { return events.size() >= 2; }));
        QMetaObject::invokeMethod(loader, [this] { loader->setGeneration(2); }, Qt::QueuedConnection);
        load(second, false, 1, 0, 0, EX_load_I0_files);
        ASSERT_TRUE(waitForFinishes(1));
        QTest::qWait(100);
        EXPECT_EQ(finishes(), 1);
        EXPECT_EQ(events.last(), finish(EX_load_I0_files));
        EXPECT_LT(frameIndexes().size(), big.size());
        EXPECT_EQ(staleFrames, 0);
        // The new stack's frames come last, all of them, in order.
        QVector<int> tail = frameIndexes().mid(frameIndexes().size() - second.size());
        EXPECT_EQ(tail, second.isEmpty() ? QVector<int>() : QVector<int>({0, 1, 2, 3, 4}));
        QMetaObject::invokeMethod(loader, [this] { loader->setGeneration(0); }, Qt::QueuedConnection);
    }
}

TEST_F(LoadTiffTest, UnreadableFilesAreDropped)
{
    QStringList names = stack(3);
    names.insert(1, files.write("broken.tif", QByteArray("not an image at all")));
    names.insert(2, files.path("missing.tif"));
    load(names, false, 1, 0, 0, EX_load_I1_files);
    ASSERT_TRUE(waitForFinishes(1));
    EXPECT_EQ(events, QVector<Event>({frame(0, 100), frame(3, 101), frame(4, 102),
                                      finish(EX_load_I1_files)}));
}

TEST_F(LoadTiffTest, JobKeepsItsOwnBadPixelList)
{
    QVector<quint16> pixels(12, 10);
    pixels[1 * 4 + 1] = 1000;
    const QString file = files.write("hot.tif", ImageFixtures::tiff(4, 3, pixels));
    ErrPoints list;
    list.points << QPoint(1, 1);
    list.width = 4;
    list.height = 3;
    list.valid = true;

    const QStringList names = QVector<QString>(3000, file).toList();
    load(names, false, 1, 0, 0, EX_load_I1_files, &list);
    ASSERT_TRUE(waitFor([this] { return !events.isEmpty(); }));
    // The holder drops its list while the job runs: the job goes on with its copy.
    list.points.clear();
    list.valid = false;
    ASSERT_TRUE(waitForFinishes(1));
    EXPECT_EQ(frameIndexes().size(), 3000);
    EXPECT_EQ(lastFrameCorner, 10.0);
    EXPECT_EQ(lastFrameList, &list);
}

TEST_F(LoadTiffTest, LongListsDoNotDeepenTheStack)
{
    const QString live = files.write("x_Live.tif", ImageFixtures::tiff(4, 3, {}));
    const QString kept = files.write("kept.tif", ImageFixtures::tiff(4, 3, {}));
    QStringList names = QVector<QString>(200000, live).toList();
    names << kept;
    load(names, true, 1, 0, 0, EX_load_I1_files);
    ASSERT_TRUE(waitForFinishes(1));
    EXPECT_EQ(frameIndexes(), QVector<int>({200000}));
    EXPECT_EQ(finishes(), 1);
}

TEST_F(LoadTiffTest, HugeStepsAndTailsEndTheJob)
{
    const QStringList names = stack(3);
    load(names, false, INT_MAX, 1, 0, EX_load_I1_files);
    ASSERT_TRUE(waitForFinishes(1));
    EXPECT_EQ(events, QVector<Event>({frame(1, 101), finish(EX_load_I1_files)}));

    // A negative tail counts as none.
    events.clear();
    load(names, false, 1, 0, INT_MIN, EX_load_I0_files);
    ASSERT_TRUE(waitForFinishes(1));
    EXPECT_EQ(events, QVector<Event>({frame(0, 100), frame(1, 101), frame(2, 102),
                                      finish(EX_load_I0_files)}));
}

namespace {

// Pixel (x, y) of the strip-layout files: both bytes in use, repeating along
// a row so that compressed strips are shorter than their rows.
quint16 layoutPixel(int x, int y) { return quint16((x % 8) * 8191 + y * 5 + 1); }

// Writes a w x h frame of layoutPixel through libtiff, with rowsPerStrip rows
// to a strip (0: one strip), the compression given and either byte order.
bool writeLayout(const QString &name, int w, int h, int rowsPerStrip, uint16_t compression,
                 bool bigEndian)
{
    TIFF *tif = TIFFOpen(QFile::encodeName(name).constData(), bigEndian ? "wb" : "wl");
    if (!tif)
        return false;
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, uint32_t(w));
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, uint32_t(h));
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, uint16_t(16));
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, uint16_t(1));
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, uint16_t(PHOTOMETRIC_MINISBLACK));
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, uint16_t(PLANARCONFIG_CONTIG));
    TIFFSetField(tif, TIFFTAG_COMPRESSION, compression);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, uint32_t(rowsPerStrip > 0 ? rowsPerStrip : h));
    std::vector<quint16> row(static_cast<size_t>(w));
    bool ok = true;
    for (int y = 0; y < h && ok; y++) {
        for (int x = 0; x < w; x++)
            row[size_t(x)] = layoutPixel(x, y);
        ok = TIFFWriteScanline(tif, row.data(), uint32_t(y), 0) == 1;
    }
    TIFFClose(tif);
    return ok;
}

} // namespace

// Files of several strip layouts, compressions and byte orders give every
// pixel, the range and the display image alike, read in the loader's thread
// or on its decode threads; a file whose strips hold fewer rows than it
// claims is dropped.
TEST_F(LoadTiffTest, StripLayoutsAndCompressionsGiveTheSamePixels)
{
    const int w = 203, h = 23;
    struct Layout
    {
        int rowsPerStrip;
        uint16_t compression;
        bool bigEndian;
    };
    const QVector<Layout> layouts = {{0, COMPRESSION_NONE, false},   {5, COMPRESSION_NONE, false},
                                     {7, COMPRESSION_NONE, true},    {1, COMPRESSION_NONE, true},
                                     {4, COMPRESSION_ADOBE_DEFLATE, false},
                                     {6, COMPRESSION_LZW, true}};
    QStringList names;
    for (const Layout &l : layouts) {
        names << files.path(QString("layout%1.tif").arg(names.size()));
        ASSERT_TRUE(writeLayout(names.last(), w, h, l.rowsPerStrip, l.compression, l.bigEndian));
    }
    // Claims 4000 rows in strips of 5; only the first strip is there.
    ImageFixtures::TiffOptions shortStrips;
    shortStrips.width = w;
    shortStrips.height = 5;
    shortStrips.claimedHeight = 4000;
    shortStrips.rowsPerStrip = 5;
    names.insert(3, files.write("short.tif", ImageFixtures::tiff(shortStrips)));

    int lo = 65535, hi = 0;
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            lo = qMin(lo, int(layoutPixel(x, y)));
            hi = qMax(hi, int(layoutPixel(x, y)));
        }
    for (int threads : {1, 4}) {
        SCOPED_TRACE(threads);
        // A loader of its own: the fixture's receiver deletes the frames it gets.
        QThread worker;
        LoadTiff own;
        own.moveToThread(&worker);
        worker.start();
        QMetaObject::invokeMethod(&own, [&own, threads] { own.setDecodeThreads(threads); },
                                  Qt::QueuedConnection);
        std::vector<std::unique_ptr<TiffData>> frames;
        QVector<int> indexes;
        bool ended = false;
        QObject::connect(&own, &LoadTiff::loaded, &receiver, [&](TiffData *f, int i) {
            frames.emplace_back(f);
            indexes << i;
        });
        QObject::connect(&own, &LoadTiff::finishLoadFiles, &receiver, [&] { ended = true; });
        QMetaObject::invokeMethod(&own, [&own, names] {
            own.loadTiffs(names, false, 1, 0, 0, nullptr, EX_load_I1_files);
        });
        const bool finished = waitFor([&] { return ended; });
        worker.quit();
        worker.wait();
        ASSERT_TRUE(finished);
        ASSERT_EQ(indexes, QVector<int>({0, 1, 2, 4, 5, 6}));
        for (size_t k = 0; k < frames.size(); k++) {
            SCOPED_TRACE(indexes[int(k)]);
            const TiffData &f = *frames[k];
            ASSERT_EQ(f.rowCount(), h);
            int wrong = 0;
            for (int y = 0; y < h; y++)
                for (int x = 0; x < w; x++)
                    wrong += f.pixelValue(x, y) == layoutPixel(x, y) ? 0 : 1;
            EXPECT_EQ(wrong, 0);
            EXPECT_EQ(f.min, lo);
            EXPECT_EQ(f.max, hi);
            ASSERT_NE(f.image, nullptr);
            EXPECT_EQ(*f.image, *frames[0]->image);
        }
    }
}
