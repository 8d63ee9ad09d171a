#include <gtest/gtest.h>

#include "core/xafsspectrum.h"
#include "support/hostilefiles.h"
#include "support/testfiles.h"

#include <QFile>
#include <QTextStream>

#include <cmath>

namespace {

const double hc = 12398.424360387684;

double braggEnergy(double d, double thetaDeg)
{
    return hc / (2.0 * d * std::sin(thetaDeg * 3.1415926535 / 180.0));
}

XafsSpectrum edgeSpectrum()
{
    Spectrum s;
    for (int i = 0; i <= 200; i++) {
        const double e = 8900.0 + i;
        s.addPoint(e, 1.0 - 0.001 * (e - 8900) + std::atan((e - 8985) / 2) / M_PI -
                          0.0005 * std::max(0.0, e - 8985));
    }
    return XafsSpectrum(s, "edge", 1);
}

QStringList lines(const QByteArray &bytes)
{
    return QString::fromUtf8(bytes).split('\n');
}

} // namespace

TEST(XafsPlainFile, PointsAndSkippedLines)
{
    TestFiles tf;
    XafsSpectrum x;
    ASSERT_TRUE(x.load(tf.writeText("a.dat", "# comment\n1 2\n3\n5\t6  7\n")));
    EXPECT_EQ(x.plainMuT, 1);
    ASSERT_EQ(x.count(), 2);
    EXPECT_EQ(x.points[0], QPointF(1, 2));
    EXPECT_EQ(x.points[1], QPointF(5, 6));
    EXPECT_EQ(x.xMax, 5.0);

    // A column-title line is no point at 0 eV.
    ASSERT_TRUE(x.load(tf.writeText("b.dat", "E mu\n  7100.5   0.25\n7101 nan\n7102 0.5\n")));
    ASSERT_EQ(x.count(), 2);
    EXPECT_EQ(x.points[0], QPointF(7100.5, 0.25));
    EXPECT_EQ(x.xMin, 7100.5);
}

TEST(XafsPlainFile, NothingReadFails)
{
    TestFiles tf;
    XafsSpectrum x;
    ASSERT_TRUE(x.load(tf.writeText("ok.dat", "1 2\n2 3\n")));
    x.midx = 42.0;
    EXPECT_FALSE(x.load(tf.writeText("c.dat", "# only\n# comments\n")));
    EXPECT_EQ(x.count(), 0);
    EXPECT_EQ(x.xMin, 1e300);

    ASSERT_TRUE(x.load(tf.path("ok.dat")));
    EXPECT_FALSE(x.load(tf.path("missing.dat")));
    EXPECT_EQ(x.count(), 0);
    EXPECT_EQ(x.midx, 42.0);
    EXPECT_FALSE(x.loadAndNormalize(tf.path("missing.dat")));
}

TEST(XafsFileKind, First9809Item)
{
    TestFiles tf;
    EXPECT_FALSE(XafsSpectrum::isPlainMuT(tf.writeText("a", "   9809   PF scan\nOffset\n")));
    EXPECT_FALSE(XafsSpectrum::isPlainMuT(tf.writeText("b", "9809\n")));
    EXPECT_TRUE(XafsSpectrum::isPlainMuT(tf.writeText("c", "scan 9809\n")));
    // Only the first four characters of the simplified line count.
    EXPECT_FALSE(XafsSpectrum::isPlainMuT(tf.writeText("d", "98091 2\n")));
    EXPECT_FALSE(XafsSpectrum::isPlainMuT(tf.writeText("f", "\t9809scan\n")));
    EXPECT_TRUE(XafsSpectrum::isPlainMuT(tf.writeText("e", "")));
    EXPECT_TRUE(XafsSpectrum::isPlainMuT(tf.path("missing")));

    QFile f(tf.path("a"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly | QIODevice::Text));
    QTextStream in(&f);
    in.readLine();
    EXPECT_TRUE(XafsSpectrum::is9809(in));  // reads from the start again
}

TEST(Xafs9809File, EnergiesAndIntensities)
{
    TestFiles tf;
    const QString file = tf.writeText("scan.9809",
                                      "9809   test scan\n"
                                      "Mono D=3.5 crystal\n"
                                      "Offset 0 0 D= 3.0\n"
                                      "1 10.0 0 2 1\n"
                                      "2 11.0 0 5 0\n"
                                      "3 12.0 0 4\n"
                                      "4 0.0 0 2 1\n"
                                      "5 12.5 0 3 1\n");
    XafsSpectrum x;
    ASSERT_TRUE(x.load(file));
    EXPECT_EQ(x.plainMuT, 0);
    ASSERT_EQ(x.count(), 3);  // the 4-item line and the zero angle are skipped
    EXPECT_NEAR(x.points[0].x(), braggEnergy(3.0, 10.0), 1e-9);
    EXPECT_NEAR(x.points[0].y(), std::log(2.0), 1e-12);
    EXPECT_NEAR(x.points[1].x(), braggEnergy(3.0, 11.0), 1e-9);
    EXPECT_EQ(x.points[1].y(), 1.0);
    ASSERT_EQ(x.i0.count(), 3);
    ASSERT_EQ(x.i1.count(), 3);
    EXPECT_EQ(x.i0.points[1].y(), 5.0);
    EXPECT_EQ(x.i1.points[2].y(), 1.0);
    EXPECT_EQ(x.i1.points[2].x(), x.points[2].x());

    // Without "D=" the default spacing applies.
    ASSERT_TRUE(x.read9809(tf.writeText("nod.9809", "9809\nOffset\n1 10.0 0 2 1\n")));
    EXPECT_NEAR(x.points[0].x(), braggEnergy(3.13553, 10.0), 1e-9);
    EXPECT_EQ(x.count(), 1);
}

TEST(Xafs9809File, NoDataFails)
{
    TestFiles tf;
    XafsSpectrum x;
    ASSERT_TRUE(x.read9809(tf.writeText("ok.9809", "9809\nOffset\n1 10.0 0 2 1\n")));
    EXPECT_FALSE(x.load(tf.writeText("nooffset.9809", "9809\n1 10.0 0 2 1\n2 11.0 0 2 1\n")));
    EXPECT_EQ(x.count(), 0);
    EXPECT_EQ(x.i0.count(), 0);
    EXPECT_EQ(x.i1.count(), 0);
    EXPECT_FALSE(x.read9809(tf.path("missing.9809")));
}

TEST(XafsSaveFile, HeaderAndRows)
{
    TestFiles tf;
    XafsSpectrum x = edgeSpectrum();
    x.shift = 2.0;
    ASSERT_TRUE(x.save(tf.path("out.dat"), false));
    const QStringList l = lines(tf.read("out.dat"));
    ASSERT_EQ(l.size(), 7 + x.count() + 1);
    EXPECT_EQ(l[0], "###Vantoscope::XafsSpectrum");
    EXPECT_EQ(l[1], "# midx    : 8985.01");
    EXPECT_EQ(l[2], "# dMut    : " + QString::number(x.dMut, 'g', 6));
    EXPECT_EQ(l[3], QString("# pre   vic : %1 %2 0 0")
                        .arg(x.pre.c, 0, 'g', 6)
                        .arg(x.pre.slope, 0, 'g', 6));
    EXPECT_TRUE(l[4].startsWith("# poste vic : "));
    EXPECT_EQ(l[5], "#");
    EXPECT_EQ(l[6], "# x  double-normalized-pre-base y pre post");
    EXPECT_EQ(l.last(), "");
    const QStringList row = l[7 + 100].split('\t');
    ASSERT_EQ(row.size(), 5);
    EXPECT_EQ(row[0], "9000");
    EXPECT_NEAR(row[2].toDouble(), x.points[100].y(), 1e-5);
    EXPECT_NEAR(row[3].toDouble(), x.pre.valueAt(9000.0), 1e-4);
    EXPECT_NEAR(row[4].toDouble(), x.post.valueAt(9000.0), 1e-4);
}

TEST(XafsSaveFile, RoundTripReadsDoubleNormalized)
{
    TestFiles tf;
    XafsSpectrum x = edgeSpectrum();
    x.shift = 2.5;
    for (bool withShift : {false, true}) {
        const QString file = tf.path(withShift ? "shifted.dat" : "plain.dat");
        ASSERT_TRUE(x.save(file, withShift));
        XafsSpectrum back;
        ASSERT_TRUE(back.load(file));
        ASSERT_EQ(back.count(), x.count());
        for (int i = 0; i < x.count(); i += 17) {
            EXPECT_NEAR(back.points[i].x(), x.points[i].x() - (withShift ? 2.5 : 0.0), 1e-6);
            EXPECT_NEAR(back.points[i].y(), x.doubleNormalizedPreBase.points[i].y(), 1e-5);
        }
    }
}

TEST(XafsSaveFile, UnwritableFileReportsFailure)
{
    TestFiles tf;
    const XafsSpectrum x = edgeSpectrum();
    EXPECT_FALSE(x.save(tf.path("no/such/dir/out.dat")));
    EXPECT_FALSE(x.save(tf.dir()));
}

TEST(XafsSaveFile, NonAsciiFileName)
{
    TestFiles tf;
    const XafsSpectrum x = edgeSpectrum();
    const QString file = tf.path(QString::fromUtf8("スペクトル_Fe-K_é.dat"));
    ASSERT_TRUE(x.save(file));
    XafsSpectrum back;
    ASSERT_TRUE(back.loadAndNormalize(file));
    EXPECT_EQ(back.count(), x.count());

    const QString plain = tf.writeText(QString::fromUtf8("données µ.dat"), "1 2\n3 4\n");
    ASSERT_TRUE(back.load(plain));
    EXPECT_EQ(back.count(), 2);
}

// Background, total-I0, standard and reference spectra: an endless, special or
// overlong file is refused with an empty spectrum, and a file with a long data
// line is refused whole rather than read in part.
TEST(XafsFileReaders, EndlessSpecialAndOverlongFilesAreRefused)
{
    TestFiles tf;
    for (const QString &path : hostileTextFiles(tf)) {
        XafsSpectrum x;
        x.addPoint(1, 2);
        EXPECT_FALSE(x.loadAndNormalize(path)) << path.toStdString();
        EXPECT_EQ(x.count(), 0);
        EXPECT_FALSE(x.read9809(path));
        EXPECT_EQ(x.i0.count(), 0);
    }
    QByteArray scan = "9809 scan\nOffset\n1 14.3 x 100 50\n";
    scan += QByteArray(40 << 20, ' ') + "1 14.0 x 100 50\n";
    XafsSpectrum x;
    EXPECT_FALSE(x.loadAndNormalize(tf.write("long.9809", scan)));
    EXPECT_EQ(x.plainMuT, 0);
    EXPECT_EQ(x.count(), 0);
}
