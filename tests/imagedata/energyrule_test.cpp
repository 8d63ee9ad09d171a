#include <gtest/gtest.h>

#include <QString>
#include <QTextStream>
#include <QVector>
#include <cmath>
#include <limits>

#include "imagedata/energyrule.h"
#include "support/testfiles.h"

namespace {

// Energies worked out apart from the program (d = 3.13553 A unless noted).
const double E13_5 = 8469.159020261972;           // 13.5 deg
const double E14_3 = 8004.428387160136;           // 14.3 deg
const double E14_3d = 8004.479443788162;          // 14.3 deg, d = 3.13551
const double E12 = 9509.257999213589;             // 12 deg
const double E15_308 = 7488.702320487675;         // 15.308084449070329 deg
const double Angle8000 = 14.308084449070329;      // Bragg angle of 8000 eV
const double NaN = std::numeric_limits<double>::quiet_NaN();

// The energies of the rules, NaN where a rule gives none.
double byName(const EnergyRule &r, const QString &name, int i)
{
    double e = NaN;
    return r.energyByName(name, i, e) ? e : NaN;
}

double byNumber(const EnergyRule &r, int i)
{
    double e = NaN;
    return r.energyByNumber(i, e) ? e : NaN;
}

double byRule(const EnergyRule &r, int i)
{
    double e = NaN;
    return r.energyOf(QStringLiteral("x"), i, e) ? e : NaN;
}

EnergyRule positionRule(int unit, bool evenInAngle, double start, double delta, double end,
                        int num)
{
    EnergyRule r;
    r.setMethod(EnergyRule::ByNumber);
    r.setUnit(unit);
    r.setEvenInAngle(evenInAngle);
    r.setRange(start, delta, end, num);
    return r;
}

} // namespace

TEST(EnergyRuleBragg, AngleAndEnergy)
{
    EXPECT_NEAR(EnergyRule::angleOfEnergy(8000, 3.13553), Angle8000, 1e-12);
    EXPECT_NEAR(EnergyRule::energyOfAngle(13.5, 3.13553), E13_5, 1e-9);
    EXPECT_EQ(EnergyRule::angleOfEnergy(1977.0, 3.13553), -1);
    EXPECT_EQ(EnergyRule::angleOfEnergy(0, 3.13553), -1);
    const double nearTop = EnergyRule::angleOfEnergy(1977.09, 3.13553);  // just above hc / 2d
    EXPECT_GT(nearTop, 89.0);
    EXPECT_LE(nearTop, 90.0);

    EXPECT_DOUBLE_EQ(EnergyRule().spacing(), 3.13553);
    EXPECT_DOUBLE_EQ(EnergyRule(-1).spacing(), 3.13553);  // no usable spacing: the default
    EXPECT_DOUBLE_EQ(EnergyRule(3.13551).spacing(), 3.13551);
}

TEST(EnergyRuleByName, CutsTheEnergyOutOfTheName)
{
    EnergyRule r;
    r.setPattern("\\d\\d\\d\\d_\\d\\deV");
    EXPECT_DOUBLE_EQ(byName(r, "/data/run/Cu_8979_50eV.tif", 7), 8979.5);

    r.setPattern("\\d\\d_\\d\\d\\d\\d\\d\\dKeV");
    r.setFactor(1000);
    EXPECT_NEAR(byName(r, "/data/Cu_08_979050KeV.img", 0), 8979.05, 1e-9);
    double e = NaN;
    ASSERT_TRUE(r.energyOf("/data/Cu_08_979050KeV.img", 0, e));  // ByName is the default
    EXPECT_NEAR(e, 8979.05, 1e-9);
}

TEST(EnergyRuleByName, OwnNameBeforeFolderName)
{
    EnergyRule r;
    r.setPattern("(\\d|)\\d\\d\\d\\d_\\d\\d\\d\\d");
    const QString folder = "/data/20240815_1230/";
    EXPECT_DOUBLE_EQ(byName(r, folder + "img_8979_5000.tif", 0), 8979.5);
    EXPECT_DOUBLE_EQ(byName(r, folder + "img_8980_2500.tif", 1), 8980.25);
    // No number in the name itself: the path is searched.
    EXPECT_DOUBLE_EQ(byName(r, "/data/8979_5000/img001.tif", 3), 8979.5);
}

TEST(EnergyRuleByName, NoMatchGivesTheIndexAndIsLogged)
{
    EnergyRule r;
    r.setPattern("(\\d|)\\d\\d\\d\\d_\\d\\d\\d\\d");
    DebugCapture log;
    EXPECT_DOUBLE_EQ(byName(r, "/data/plain.tif", 12), 12);
    EXPECT_TRUE(log.contains("matches nothing"));

    r.setFactor(2.5);
    EXPECT_DOUBLE_EQ(byName(r, "/data/plain.tif", 12), 30);
    for (double f : {0.0, -3.0, NaN}) {
        r.setFactor(f);
        EXPECT_DOUBLE_EQ(byName(r, "/data/plain.tif", 12), 12) << f;
    }

    r.setPattern("(");  // invalid: matches nothing
    EXPECT_DOUBLE_EQ(byName(r, "/data/8979_5000.tif", 4), 4);
    r.setPattern("");  // matches the empty start of every name
    EXPECT_DOUBLE_EQ(byName(r, "/data/8979_5000.tif", 4), 0);
}

TEST(EnergyRuleByName, UnusableValuesAreFailures)
{
    EnergyRule r;
    r.setPattern("-\\d+");
    double e = 7;
    EXPECT_FALSE(r.energyByName("/data/a-25.tif", 0, e));  // a negative energy
    EXPECT_EQ(e, 7);
    r.setPattern("\\d+");
    r.setFactor(1e308);
    EXPECT_FALSE(r.energyByName("/data/a25.tif", 0, e));  // beyond the doubles
    EXPECT_EQ(e, 7);
}

TEST(EnergyRuleByNumber, EvenInAngleInEV)
{
    EnergyRule r = positionRule(EnergyRule::EV, true, 8000, 1, 9000, 1000);
    EXPECT_NEAR(byRule(r, 0), 8000.0, 1e-9);
    EXPECT_NEAR(byRule(r, 500), 8469.74380300286, 1e-9);
    EXPECT_NEAR(byRule(r, 1000), 9000.0, 1e-9);

    r.setRange(7000, 50, 7500, 10);
    EXPECT_NEAR(byNumber(r, 3), 7142.572410314944, 1e-9);
}

TEST(EnergyRuleByNumber, EvenInEnergyAndKeV)
{
    EnergyRule r = positionRule(EnergyRule::EV, false, 8000, 1, 9000, 1000);
    for (int i : {0, 1, 500, 1000})
        EXPECT_DOUBLE_EQ(byNumber(r, i), 8000 + i);

    r = positionRule(EnergyRule::KeV, false, 8, 0.001, 9, 1000);
    EXPECT_NEAR(byNumber(r, 10), 8010, 1e-9);

    r.setEvenInAngle(true);
    EXPECT_NEAR(byNumber(r, 500), 8469.74380300286, 1e-9);
    EXPECT_NEAR(byNumber(r, 1000), 9000, 1e-9);
}

TEST(EnergyRuleByNumber, DegreesUseStartAndDeltaOnly)
{
    EnergyRule r = positionRule(EnergyRule::Degree, true, Angle8000, 0, NaN, 0);
    for (int i : {0, 7, 999})
        EXPECT_NEAR(byNumber(r, i), 8000.0, 1e-9);
    r.setRange(Angle8000, 1, 0, 0);
    EXPECT_NEAR(byNumber(r, 1), E15_308, 1e-9);

    r.setSpacing(3.13551);
    r.setRange(14.3, 0, 0, 0);
    EXPECT_NEAR(byNumber(r, 0), E14_3d, 1e-9);
}

TEST(EnergyRuleByNumber, NoUnitGivesStartPlusSteps)
{
    const EnergyRule r = positionRule(-1, true, 100, 2.5, 9000, 1000);
    EXPECT_DOUBLE_EQ(byNumber(r, 4), 110);
}

TEST(EnergyRuleByNumber, UnreachableAngleRangeFallsBackToEvenEnergy)
{
    EnergyRule r = positionRule(EnergyRule::EV, true, 1500, 1, 9000, 1000);  // below hc / 2d
    DebugCapture log;
    EXPECT_DOUBLE_EQ(byNumber(r, 10), 1510);
    EXPECT_TRUE(log.contains("give no range of Bragg angles"));

    r.setRange(8000, 1, -5, 1000);
    for (int i : {0, 500, 1000})
        EXPECT_DOUBLE_EQ(byNumber(r, i), 8000 + i) << i;

    r.setRange(8000, 1, 9000, 0);  // no step count to divide by
    for (int i : {0, 1, 500})
        EXPECT_DOUBLE_EQ(byNumber(r, i), 8000 + i) << i;
}

TEST(EnergyRuleByNumber, NoEnergyIsAFailureNotAValue)
{
    // Degrees outside Bragg's law: 0 deg is infinite, negative angles negative.
    EnergyRule r = positionRule(EnergyRule::Degree, true, 0, -1, 9000, 1000);
    double e = 123;
    EXPECT_FALSE(r.energyByNumber(0, e));
    EXPECT_FALSE(r.energyByNumber(3, e));
    EXPECT_FALSE(r.energyOf("x", 3, e));
    EXPECT_EQ(e, 123);
    r.setRange(14.3, 0, 0, 0);
    EXPECT_NEAR(byNumber(r, 0), E14_3, 1e-9);

    r = positionRule(EnergyRule::EV, false, 100, -1, 0, 0);  // below 0 from image 101 on
    EXPECT_DOUBLE_EQ(byNumber(r, 100), 0);
    EXPECT_FALSE(r.energyByNumber(101, e));
    r.setRange(std::numeric_limits<double>::infinity(), 1, 0, 0);
    EXPECT_FALSE(r.energyByNumber(0, e));
    EXPECT_EQ(e, 123);
}

TEST(EnergyRuleParams, ReportsWhatIsInvalid)
{
    EnergyRule r = positionRule(EnergyRule::EV, true, 8000, 1, 9000, 1000);
    r.setPattern("\\d+");
    EXPECT_EQ(r.invalidParams(), EnergyRule::Params(EnergyRule::NoParam));

    r.setRange(1500, 1, -5, 1000);
    EXPECT_EQ(r.invalidParams(), EnergyRule::StartParam | EnergyRule::EndParam);
    r.setEvenInAngle(false);  // no angles needed
    EXPECT_EQ(r.invalidParams(), EnergyRule::Params(EnergyRule::NoParam));

    r.setUnit(EnergyRule::KeV);
    r.setEvenInAngle(true);
    r.setRange(8, 0.001, 1.5, 0);  // 1.5 keV has no angle
    EXPECT_EQ(r.invalidParams(), EnergyRule::EndParam | EnergyRule::NumParam);

    r.setUnit(EnergyRule::Degree);
    for (double start : {0.0, -1.0, 180.0, NaN}) {
        r.setRange(start, 1, 9000, 10);
        EXPECT_EQ(r.invalidParams(), EnergyRule::Params(EnergyRule::StartParam)) << start;
    }
    r.setRange(14.3, 1, -5, 10);  // End plays no part in degrees
    EXPECT_EQ(r.invalidParams(), EnergyRule::Params(EnergyRule::NoParam));

    r.setPattern("(");
    EXPECT_EQ(r.invalidParams(), EnergyRule::Params(EnergyRule::PatternParam));
}

TEST(EnergyRuleByRef, ListRules)
{
    EnergyRule r;
    r.setMethod(EnergyRule::ByRef);
    EXPECT_DOUBLE_EQ(byRule(r, 0), 8000);
    EXPECT_DOUBLE_EQ(byRule(r, 42), 8042);

    r.setRefEnergies({8100, 8200, 8300});
    EXPECT_DOUBLE_EQ(byRule(r, -1), 8100);
    EXPECT_DOUBLE_EQ(byRule(r, 1), 8200);
    EXPECT_DOUBLE_EQ(byRule(r, 3), 8300);
    EXPECT_DOUBLE_EQ(byRule(r, 400), 8300);

    r.setRefEnergies({8100, NaN});
    double e = 5;
    EXPECT_FALSE(r.energyByRef(1, e));
    EXPECT_EQ(e, 5);
}

TEST(EnergyRuleByRef, PlainFile)
{
    TestFiles files;
    const QString path = files.writeText("ref.dat", "13.5\n"          // first line: not used
                                                    "14.3 extra\n"
                                                    "# 20.0\n"
                                                    "13.5\n");
    EnergyRule r;
    int rejected = -1;
    ASSERT_TRUE(r.loadRefFile(path, &rejected));
    EXPECT_EQ(rejected, 0);
    ASSERT_EQ(r.refEnergies().size(), 2);
    EXPECT_NEAR(r.refEnergies()[0], E14_3, 1e-9);
    EXPECT_NEAR(r.refEnergies()[1], E13_5, 1e-9);

    r.setMethod(EnergyRule::ByRef);
    EXPECT_NEAR(byRule(r, 5), E13_5, 1e-9);
}

TEST(EnergyRuleByRef, BadLinesAreSkippedAndCounted)
{
    TestFiles files;
    const QString path = files.writeText("ref.dat", "header\n"
                                                    "14.3\n"
                                                    "\n"
                                                    "abc\n"
                                                    "0\n"
                                                    "-10\n"
                                                    "13.5\n");
    EnergyRule r;
    int rejected = 0;
    ASSERT_TRUE(r.loadRefFile(path, &rejected));
    EXPECT_EQ(rejected, 4);
    ASSERT_EQ(r.refEnergies().size(), 2);
    for (double e : r.refEnergies())
        EXPECT_TRUE(std::isfinite(e) && e > 0);

    QString text = "Offset\n1 14.3\n1 zz\n";  // through the stream reader
    QTextStream in(&text);
    EXPECT_EQ(r.read9809RefFile(in), 1);  // the angle column is item 1
    ASSERT_EQ(r.refEnergies().size(), 1);
    EXPECT_NEAR(r.refEnergies()[0], E14_3, 1e-9);
}

TEST(EnergyRuleByRef, File9809ConvertsWithTheRulesSpacing)
{
    TestFiles files;
    const QString path = files.writeText("scan.9809",
                                         "  9809     test beamline\n"
                                         "Cu K  D= 3.13551 A\n"
                                         "1 13.0 x 5 6\n"           // header: no energy
                                         "Offset 0 0 0 0\n"
                                         "1 14.3 x 100 50\n"
                                         "\n"                       // too few items
                                         "2 12.0 x 100 50\n");
    EnergyRule r;
    ASSERT_TRUE(r.loadRefFile(path));
    ASSERT_EQ(r.refEnergies().size(), 2);
    // The file's "D=" is not read: the rule's spacing converts.
    EXPECT_NEAR(r.refEnergies()[0], E14_3, 1e-9);
    EXPECT_NEAR(r.refEnergies()[1], E12, 1e-9);
    EXPECT_DOUBLE_EQ(r.spacing(), 3.13553);

    // Nor on the first line; another rule spacing gives other energies.
    ASSERT_TRUE(r.loadRefFile(files.writeText("b.9809", "9809\nOffset\n1 14.3\n")));
    ASSERT_EQ(r.refEnergies().size(), 1);
    EXPECT_NEAR(r.refEnergies()[0], E14_3, 1e-9);
    ASSERT_TRUE(r.loadRefFile(files.writeText("c.9809", "9809 D= 3.13551\nOffset\n1 14.3\n")));
    ASSERT_EQ(r.refEnergies().size(), 1);
    EXPECT_NEAR(r.refEnergies()[0], E14_3, 1e-9);
    r.setSpacing(3.13551);
    ASSERT_TRUE(r.loadRefFile(files.writeText("d.9809", "9809 D= 3.13553\nOffset\n1 14.3\n")));
    EXPECT_NEAR(r.refEnergies()[0], E14_3d, 1e-9);
}

TEST(EnergyRuleByRef, UnreadableFileKeepsTheList)
{
    TestFiles files;
    EnergyRule r;
    ASSERT_TRUE(r.loadRefFile(files.writeText("ref.dat", "x\n13.5\n")));
    DebugCapture log;
    int rejected = 9;
    EXPECT_FALSE(r.loadRefFile(files.path("missing.dat"), &rejected));
    EXPECT_TRUE(log.contains("Can't open ref file"));
    EXPECT_EQ(rejected, 9);
    ASSERT_EQ(r.refEnergies().size(), 1);
    EXPECT_NEAR(r.refEnergies()[0], E13_5, 1e-9);
}
