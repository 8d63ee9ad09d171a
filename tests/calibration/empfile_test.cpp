// Energy-shift map files: files written here by hand with known Bragg-angle
// differences (expected shifts worked out apart from the program), the
// writer's layout, a round trip and malformed headers.
#include <QFile>
#include <QTextStream>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>

#include "calibration/empfile.h"
#include "imagedata/analyzed2dres.h"
#include "support/testfiles.h"

namespace {

const double Si111 = 3.1355316;
// Angle differences of a 3 x 2 map and their shifts at 7112 and 8979 eV.
const char *const Block = "0 -0.01 0.02 \n0.005 -0.0025 0.1 \n";
const double At7112[6] = {0.0, -4.291839555390652, 8.567518859119446,
                          2.143897870476394, -1.0724541772460725, 42.623582950830496};
const double At8979[6] = {0.0, -6.9480129232124455, 13.863023806094134,
                          3.469876344803197, -1.735970092806383, 68.87886662153505};

QStringList headerLines(int w = 3, int h = 2)
{
    return {"Record Date             : 24/01/02 03:04:05.678", "Std Edge Energy [eV]    : 7112",
            "Spacing [nm]            : 3.1355316",             "X Offset [pix]          : 10",
            QString("Width [pix]             : %1").arg(w),     QString("Height [pix]            : %1").arg(h),
            QString("Area X1                 : %1").arg(w),     QString("Area Y1                 : %1").arg(h),
            "Std File Name           : \"my std.dat\""};
}

QString file(const QStringList &lines, const QString &magic = "###Vantoscope::VTSC")
{
    return magic + "\n" + lines.join("\n") + "\n##-----------------\n" + Block;
}

struct Read
{
    EMPHeader h;
    bool ok = false;
    QString why;
    std::unique_ptr<double[]> shifts;
};

// Header and shifts of a file text at e0 (0: the header's edge).
Read readAll(QString text, double e0 = 0)
{
    Read r;
    QTextStream in(&text);
    r.h = EmpFile::readHeader(in);
    r.ok = EmpFile::readShifts(in, r.h, e0 > 0 ? e0 : r.h.stdEdgeEnergy, r.shifts, &r.why);
    return r;
}

QStringList without(QStringList lines, const QString &prefix)
{
    lines.erase(std::remove_if(lines.begin(), lines.end(),
                               [&](const QString &l) { return l.startsWith(prefix); }),
                lines.end());
    return lines;
}

} // namespace

TEST(EmpRead, KnownAngleDifferencesReadAsShiftsAtEitherEdge)
{
    Read r = readAll(file(headerLines()));
    ASSERT_TRUE(r.h.valid && r.ok) << r.why.toStdString();
    EXPECT_EQ(r.h.xOffset, 10);
    EXPECT_EQ(r.h.width, 3);
    EXPECT_DOUBLE_EQ(r.h.spacing, Si111);
    Read cu = readAll(file(headerLines()), 8979);
    for (int i = 0; i < 6; i++) {
        EXPECT_NEAR(r.shifts[i], At7112[i], 1e-7) << i;
        EXPECT_NEAR(cu.shifts[i], At8979[i], 1e-7) << i;
    }
    EXPECT_EQ(r.shifts[0], 0.0);

    Analyzed2DRes map("m");
    EmpFile::fillMap(map, EmpFile::areaOf(r.h), r.shifts.get());
    EXPECT_EQ(map.area.height, 2);
    EXPECT_NEAR(map.value(2, 1), At7112[5], 1e-7);
    EXPECT_NEAR(map.min, At7112[1], 1e-7);
}

TEST(EmpRead, HeadersGoodAndMalformed)
{
    // Keys in another order, other lines, CR LF ends, the old magic line.
    QStringList lines = headerLines();
    std::reverse(lines.begin(), lines.end());
    lines.insert(1, "Some other line : 42");
    Read r = readAll(file(lines, "###VTSC old").replace("\n", "\r\n"));
    EXPECT_TRUE(r.h.valid && r.ok);
    EXPECT_NEAR(r.shifts[5], At7112[5], 1e-7);

    DebugCapture log;
    EXPECT_FALSE(readAll(file(headerLines(), "###vantoscope::vtsc")).h.valid);
    EXPECT_FALSE(readAll(QString()).h.valid);
    EXPECT_TRUE(log.contains("Not a emp file."));
    for (const char *k : {"Width [pix]", "Height [pix]", "Std Edge Energy [eV]", "Spacing [nm]"}) {
        EXPECT_FALSE(readAll(file(without(headerLines(), k))).h.valid) << k;
        EXPECT_FALSE(readAll(file(without(headerLines(), k) << EmpFile::key(k))).h.valid) << k;
    }
    EXPECT_FALSE(readAll("###VTSC\n" + headerLines().join("\n") + "\n").h.valid);
}

TEST(EmpRead, GeometryShortFilesAndEdgesWithoutAngle)
{
    QString why;
    for (auto wh : {std::make_pair(0, 2), std::make_pair(-3, 2), std::make_pair(1 << 20, 1 << 20)}) {
        Read r = readAll(file(headerLines(wh.first, wh.second)));
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.shifts, nullptr);
        EXPECT_FALSE(EmpFile::checkGeometry(r.h, &why));
    }
    EXPECT_TRUE(why.contains("too large"));
    // Without area lines the area is the whole map.
    const EMPHeader whole = readAll(file(without(headerLines(), "Area"))).h;
    EXPECT_EQ(whole.areaX1, 3);
    EXPECT_EQ(EmpFile::areaOf(whole).centreCount(), 6);

    DebugCapture log;
    QString text = file(headerLines());
    text.replace(Block, "0.02 x\n");
    Read r = readAll(text);
    ASSERT_TRUE(r.ok);
    EXPECT_NEAR(r.shifts[0], At7112[2], 1e-7);
    EXPECT_EQ(r.shifts[1] + r.shifts[5], 0.0);
    EXPECT_EQ(log.count("run out!"), 1);
    EXPECT_TRUE(log.contains("4 of 6 values missing"));
    // A file, read from disk, that declares 8192 x 8192 in a few lines is
    // beyond the cells limit and refused before anything is held.
    QFile disk(QString(VANTOSCOPE_SOURCE_DIR) + "/tests/fuzz/regressions/emp/map-beyond-file.emp");
    ASSERT_TRUE(disk.open(QIODevice::ReadOnly | QIODevice::Text));
    QTextStream in(&disk);
    const EMPHeader big = EmpFile::readHeader(in);
    ASSERT_TRUE(big.valid);
    EXPECT_FALSE(EmpFile::checkGeometry(big, &why));
    std::unique_ptr<double[]> bigShifts;
    EXPECT_FALSE(EmpFile::readShifts(in, big, big.stdEdgeEnergy, bigShifts, &why));
    EXPECT_EQ(bigShifts, nullptr);
    EXPECT_TRUE(why.contains("too large"));
    // 1000 eV has no Bragg angle at Si(111).
    Read low = readAll(file(headerLines()), 1000);
    EXPECT_FALSE(low.ok);
    EXPECT_TRUE(low.why.contains("no Bragg angle"));
}

TEST(EmpWrite, LayoutRoundTripAndRefusals)
{
    TestFiles files;
    Analyzed2DRes map("m");
    AnalyzeCond a;
    a.init(3, 2, 0, 0, QRectF(0, 0, 3, 2), -1, -1);
    map.setArea(a);
    const double shifts[6] = {0, -4.5, 8.25, 2.0, -1.0, 40.0};
    for (int i = 0; i < 6; i++)
        map.setData(i % 3, i / 3, 0, 0, shifts[i]);
    // The header is larger than the map: the block still has its size.
    EMPHeader h;
    h.yOffset = -2;
    h.width = 5;
    h.height = 4;
    h.areaX1 = 4;
    h.areaY1 = 3;
    h.spacing = Si111;
    DebugCapture log;
    EXPECT_FALSE(EmpFile::write(files.path("m.emp"), h, "std one.dat", map));
    EXPECT_TRUE(log.contains("no Bragg angle"));
    EXPECT_FALSE(QFile::exists(files.path("m.emp")));
    h.stdEdgeEnergy = 7112;
    EXPECT_FALSE(EmpFile::write(files.path("no/dir/m.emp"), h, "", map));
    EXPECT_TRUE(log.contains("Can not write"));
    ASSERT_TRUE(EmpFile::write(files.path("m.emp"), h, "std one.dat", map));

    const QStringList lines = QString::fromUtf8(files.read("m.emp")).split('\n');
    ASSERT_EQ(lines.size(), 19 + 4 + 1);
    EXPECT_EQ(lines[0], "###Vantoscope::VTSC");
    EXPECT_EQ(lines[3], "Spacing [nm]            : 3.13553");
    EXPECT_EQ(lines[5], "Y Offset [pix]          : -2");
    EXPECT_EQ(lines[14], "Std File Name           : std one.dat");
    EXPECT_EQ(lines[17], "Map Width               : 1 3");
    EXPECT_EQ(lines[18], "##-----------------");
    EXPECT_EQ(lines[19].split(' ')[1], QString::number(EmpFile::angleOf(-4.5, 7112, Si111), 'g', 6));
    EXPECT_EQ(lines[22], "0 0 0 0 0 ");

    Read back = readAll(QString::fromUtf8(files.read("m.emp")));
    ASSERT_TRUE(back.ok);
    EXPECT_EQ(back.h.yOffset, -2);
    EXPECT_EQ(back.h.areaY1, 3);
    for (int i = 0; i < 20; i++)
        EXPECT_NEAR(back.shifts[i], map.value(i % 5, i / 5), 1e-4) << i;
}

// A selection reaching past the image edge is kept as it was walked, one
// dragged backwards is turned round;
// a body shorter than the map, down to none at all, reads as 0 with one line.
TEST(EmpRead, AreasKeptAsWalkedAndShortBodiesZeroFilled)
{
    DebugCapture log;
    Read beyond = readAll(file(without(headerLines(), "Area")
                               << "Area X0                 : 2" << "Area X1                 : 9"
                               << "Area Y0                 : -4" << "Area Y1                 : 1"));
    ASSERT_TRUE(beyond.h.valid && beyond.ok) << beyond.why.toStdString();
    EXPECT_EQ(QVector<int>({beyond.h.areaX0, beyond.h.areaX1, beyond.h.areaY0, beyond.h.areaY1}),
              QVector<int>({2, 9, -4, 1}));
    EXPECT_NEAR(beyond.shifts[5], At7112[5], 1e-7);
    EXPECT_EQ(log.count("turned round"), 0);
    EXPECT_EQ(EmpFile::areaOf(beyond.h).centreCount(), 1);

    Read reversed = readAll(file(without(headerLines(), "Area")
                                 << "Area X0                 : 3" << "Area X1                 : 0"
                                 << "Area Y0                 : 2" << "Area Y1                 : 0"));
    ASSERT_TRUE(reversed.ok);
    EXPECT_EQ(QVector<int>({reversed.h.areaX0, reversed.h.areaX1, reversed.h.areaY0,
                            reversed.h.areaY1}),
              QVector<int>({0, 3, 0, 2}));
    EXPECT_EQ(log.count("turned round"), 1);
    EXPECT_EQ(EmpFile::areaOf(reversed.h).centreCount(), 6);

    // Header only, as the writer leaves it without images: all 0.
    const int before = log.count("run out!");
    QString headerOnly = file(headerLines(300, 200));
    headerOnly.chop(int(strlen(Block)));
    Read empty = readAll(headerOnly);
    ASSERT_TRUE(empty.ok) << empty.why.toStdString();
    for (int i = 0; i < 300 * 200; i += 997)
        ASSERT_EQ(empty.shifts[i], 0.0) << i;
    EXPECT_EQ(log.count("run out!"), before + 1);
    EXPECT_TRUE(log.contains("60000 of 60000 values missing"));
}
