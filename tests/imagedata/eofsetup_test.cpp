#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QPair>
#include <QVector>
#include <cmath>

// The form header is generated for this program too (the library keeps its own copy private).
#include "ui_eofsetup.h"

#include "imagedata/eofsetup.h"
#include "support/testfiles.h"

namespace {

const char *const Pink = "background-color: rgb(255, 192, 192);";
const char *const White = "background-color: rgb(255, 255, 255);";
const char *const RefPathStyle = "background-color: rgb(255, 255, 231);";

// Energies worked out apart from the program (d = 3.13553 A unless noted).
const double E13_5 = 8469.159020261972;           // 13.5 deg
const double E14_3 = 8004.428387160136;           // 14.3 deg
const double E14_3d = 8004.479443788162;          // 14.3 deg, d = 3.13551
const double E12d = 9509.318654469029;            // 12 deg, d = 3.13551
const double E15_308 = 7488.702320487675;         // 15.308084449070329 deg
const double Angle8000 = 14.308084449070329;      // Bragg angle of 8000 eV

void setRange(EOFSetup &s, const QString &start, const QString &end, const QString &delta,
              const QString &num)
{
    s.Start->setText(start);
    s.End->setText(end);
    s.Delta->setText(delta);
    s.NumOfPoints->setText(num);
}

bool usable(double e)
{
    return std::isfinite(e) && e >= 0;
}

} // namespace

TEST(EOFSetupForm, CarriesNamedWidgetsAndDefaults)
{
    EOFSetup s;
    EXPECT_EQ(s.windowTitle(), QString("Frame"));
    EXPECT_EQ(s.parent(), nullptr);

    const QVector<QPair<const char *, const char *>> texts = {
        {"FromFileName", "Energy Cal. from File Name"}, {"FromFileNum", "Energy Cal. from File No."},
        {"FromRefFile", "Energy Cal. from Ref. File"}, {"EvenInEnergy", "Energy"},
        {"EvenInAngle", "Angle"}, {"SelRefFile", "Sel."}, {"Start", "8000"}, {"End", "9000"},
        {"Delta", "1"}, {"NumOfPoints", "1000"}, {"Factor", "1"}, {"RefFilePath", ""}};
    for (const auto &t : texts) {
        QWidget *w = s.findChild<QWidget *>(t.first);
        ASSERT_NE(w, nullptr) << t.first;
        EXPECT_EQ(w->property("text").toString(), QString(t.second)) << t.first;
    }
    for (const char *name : {"FromFileName", "EvenInAngle"})
        EXPECT_TRUE(s.findChild<QRadioButton *>(name)->isChecked()) << name;
    for (const char *name : {"FromFileNum", "FromRefFile", "EvenInEnergy"})
        EXPECT_FALSE(s.findChild<QRadioButton *>(name)->isChecked()) << name;
    for (const char *name : {"Start", "End", "Delta", "NumOfPoints", "Pattern"})
        EXPECT_EQ(s.findChild<QLineEdit *>(name)->styleSheet(), QString(White)) << name;
    for (const char *box : {"FromNameBox", "FromNoBox", "EvenEngBox", "FromRefFileBox"})
        EXPECT_NE(s.findChild<QFrame *>(box), nullptr) << box;

    auto *unit = s.findChild<QComboBox *>("DisplayUnit");
    ASSERT_NE(unit, nullptr);
    ASSERT_EQ(unit->count(), 3);
    EXPECT_EQ(QStringList({unit->itemText(0), unit->itemText(1), unit->itemText(2)}),
              QStringList({"eV", "keV", "deg"}));
    EXPECT_EQ(unit->currentIndex(), 0);
    EXPECT_TRUE(s.RefFilePath->isReadOnly());
    EXPECT_EQ(s.RefFilePath->styleSheet(), QString(RefPathStyle));

    EXPECT_EQ(s.refFileDialog.fileMode(), QFileDialog::AnyFile);
    EXPECT_EQ(s.refFileDialog.acceptMode(), QFileDialog::AcceptOpen);
    EXPECT_EQ(s.refFileDialog.nameFilters(),
              QStringList() << "XAFS Data File (*.dat)" << "Any Files (* *.*)");
    EXPECT_DOUBLE_EQ(s.units.d(), 3.13553);
}

TEST(EOFSetupForm, RuleRadiosAreExclusive)
{
    EOFSetup s;
    s.FromFileNum->setChecked(true);
    EXPECT_FALSE(s.FromFileName->isChecked());
    s.FromFileNum->setChecked(false);  // the selected button stays selected
    EXPECT_TRUE(s.FromFileNum->isChecked());
    s.EvenInEnergy->setChecked(true);
    EXPECT_FALSE(s.EvenInAngle->isChecked());
}

TEST(EOFSetupPatterns, PresetsInOrderAndFirstInUse)
{
    EOFSetup s;
    const QStringList presets = {
        "(\\d|)\\d\\d\\d\\d_\\d\\d\\d\\d", "\\d\\d\\d\\d_\\d\\d\\d\\d", "\\d\\d\\d\\d_\\d\\d",
        "\\d\\d\\d\\d_\\d\\deV", "\\d\\d\\d\\d\\.\\d\\d\\d\\d", "\\d\\d\\d\\d\\.\\d\\d",
        "\\d\\d\\d\\d\\.\\d\\deV", "\\d\\d\\d\\d\\.\\d", "\\d\\d_\\d\\d\\d\\d\\d\\dKeV",
        "\\d_\\d\\d\\d\\d\\d\\dKeV"};
    ASSERT_EQ(s.PatternList->count(), presets.size());
    for (int k = 0; k < presets.size(); k++)
        EXPECT_EQ(s.PatternList->itemText(k), presets[k]);
    EXPECT_EQ(s.PatternList->currentIndex(), 0);
    EXPECT_EQ(s.Pattern->text(), presets[0]);
    EXPECT_EQ(s.Factor->text(), QString("1"));
}

TEST(EOFSetupPatterns, NewPatternSetsFactorAndListOnce)
{
    EOFSetup s;
    s.Pattern->setText("\\d\\d_\\d\\d\\d\\d\\d\\dkev");  // keV in any case
    emit s.Pattern->editingFinished();
    EXPECT_EQ(s.Factor->text(), QString("1000"));
    EXPECT_EQ(s.PatternList->count(), 11);
    EXPECT_EQ(s.PatternList->currentIndex(), 10);
    EXPECT_EQ(s.Pattern->text(), QString("\\d\\d_\\d\\d\\d\\d\\d\\dkev"));

    s.newPattern();  // entered again: no second copy
    EXPECT_EQ(s.PatternList->count(), 11);

    s.Pattern->setText("\\d\\d\\d\\d_\\d\\deV");
    s.newPattern();
    EXPECT_EQ(s.Factor->text(), QString("1"));
    EXPECT_EQ(s.PatternList->currentIndex(), 3);

    s.Pattern->setText("\\d\\d_\\d\\d\\d\\d\\d\\dKeV");  // preset 9
    s.newPattern();
    EXPECT_EQ(s.PatternList->count(), 11);
    EXPECT_EQ(s.PatternList->currentIndex(), 8);
    EXPECT_EQ(s.Factor->text(), QString("1000"));

    s.PatternList->setCurrentIndex(1);  // choosing from the list
    EXPECT_EQ(s.Pattern->text(), s.PatternList->itemText(1));
    EXPECT_EQ(s.Factor->text(), QString("1"));
    EXPECT_EQ(s.PatternList->count(), 11);
}

TEST(EOFSetupByName, CutsTheEnergyOutOfTheName)
{
    EOFSetup s;
    s.PatternList->setCurrentIndex(3);  // \d\d\d\d_\d\deV
    EXPECT_DOUBLE_EQ(s.energyByName("/data/run/Cu_8979_50eV.tif", 7), 8979.5);

    s.PatternList->setCurrentIndex(8);  // \d\d_\d\d\d\d\d\dKeV, factor 1000
    EXPECT_EQ(s.Factor->text(), QString("1000"));
    EXPECT_NEAR(s.energyByName("/data/Cu_08_979050KeV.img", 0), 8979.05, 1e-9);
    EXPECT_NEAR(s.energyOf("/data/Cu_08_979050KeV.img", 0), 8979.05, 1e-9);
}

TEST(EOFSetupByName, OwnNameBeforeFolderName)
{
    EOFSetup s;  // preset 1: (\d|)\d\d\d\d_\d\d\d\d
    const QString folder = "/data/20240815_1230/";
    EXPECT_DOUBLE_EQ(s.energyByName(folder + "img_8979_5000.tif", 0), 8979.5);
    EXPECT_DOUBLE_EQ(s.energyByName(folder + "img_8980_2500.tif", 1), 8980.25);
    // No number in the name itself: the path is searched.
    EXPECT_DOUBLE_EQ(s.energyByName("/data/8979_5000/img001.tif", 3), 8979.5);
}

TEST(EOFSetupByName, NoMatchGivesTheIndexAndIsLogged)
{
    EOFSetup s;
    DebugCapture log;
    EXPECT_DOUBLE_EQ(s.energyByName("/data/plain.tif", 12), 12);
    EXPECT_TRUE(log.contains("matches nothing"));

    s.Factor->setText("2.5");
    EXPECT_DOUBLE_EQ(s.energyByName("/data/plain.tif", 12), 30);
    for (const char *f : {"0", "", "-3", "abc"}) {
        s.Factor->setText(f);
        EXPECT_DOUBLE_EQ(s.energyByName("/data/plain.tif", 12), 12) << f;
    }

    s.Pattern->setText("(");  // invalid: matches nothing
    EXPECT_DOUBLE_EQ(s.energyByName("/data/8979_5000.tif", 4), 4);
    s.Pattern->setText("");  // matches the empty start of every name
    EXPECT_DOUBLE_EQ(s.energyByName("/data/8979_5000.tif", 4), 0);
}

TEST(EOFSetupByNumber, EvenInAngleInEV)
{
    EOFSetup s;
    s.FromFileNum->setChecked(true);
    EXPECT_NEAR(s.energyOf("x", 0), 8000.0, 1e-9);
    EXPECT_NEAR(s.energyOf("x", 500), 8469.74380300286, 1e-9);
    EXPECT_NEAR(s.energyOf("x", 1000), 9000.0, 1e-9);

    setRange(s, "7000", "7500", "50", "10");
    EXPECT_NEAR(s.energyByNumber(3), 7142.572410314944, 1e-9);
}

TEST(EOFSetupByNumber, EvenInEnergyAndKeV)
{
    EOFSetup s;
    s.EvenInEnergy->setChecked(true);
    for (int i : {0, 1, 500, 1000})
        EXPECT_DOUBLE_EQ(s.energyByNumber(i), 8000 + i);

    s.DisplayUnit->setCurrentIndex(1);
    setRange(s, "8", "9", "0.001", "1000");
    EXPECT_NEAR(s.energyByNumber(10), 8010, 1e-9);

    s.EvenInAngle->setChecked(true);
    EXPECT_NEAR(s.energyByNumber(500), 8469.74380300286, 1e-9);
    EXPECT_NEAR(s.energyByNumber(1000), 9000, 1e-9);
}

TEST(EOFSetupByNumber, DegreesUseStartAndDeltaOnly)
{
    EOFSetup s;
    s.DisplayUnit->setCurrentIndex(2);
    setRange(s, QString::number(Angle8000, 'g', 17), "garbage", "0", "0");
    for (int i : {0, 7, 999})
        EXPECT_NEAR(s.energyByNumber(i), 8000.0, 1e-9);
    s.Delta->setText("1");
    EXPECT_NEAR(s.energyByNumber(1), E15_308, 1e-9);
}

TEST(EOFSetupByNumber, NoUnitGivesStartPlusSteps)
{
    EOFSetup s;
    s.DisplayUnit->setCurrentIndex(-1);
    setRange(s, "100", "9000", "2.5", "1000");
    EXPECT_DOUBLE_EQ(s.energyByNumber(4), 110);
}

TEST(EOFSetupBragg, AngleAndEnergy)
{
    EXPECT_NEAR(EOFSetup::angleOfEnergy(8000, 3.13553), Angle8000, 1e-12);
    EXPECT_NEAR(EOFSetup::energyOfAngle(13.5, 3.13553), E13_5, 1e-9);
    EXPECT_EQ(EOFSetup::angleOfEnergy(1977.0, 3.13553), -1);
    EXPECT_EQ(EOFSetup::angleOfEnergy(0, 3.13553), -1);
    const double nearTop = EOFSetup::angleOfEnergy(1977.09, 3.13553);  // just above hc / 2d
    EXPECT_GT(nearTop, 89.0);
    EXPECT_LE(nearTop, 90.0);
}

TEST(EOFSetupByNumber, UnreachableRangeIsMarkedAndStaysFinite)
{
    EOFSetup s;
    setRange(s, "1500", "9000", "1", "1000");  // below hc / 2d
    const double e = s.energyByNumber(10);
    EXPECT_TRUE(usable(e));
    EXPECT_DOUBLE_EQ(e, 1510);  // even steps in energy instead
    EXPECT_EQ(s.Start->styleSheet(), QString(Pink));
    EXPECT_EQ(s.End->styleSheet(), QString(White));

    setRange(s, "8000", "-5", "1", "1000");
    for (int i : {0, 500, 1000})
        EXPECT_TRUE(usable(s.energyByNumber(i))) << i;
    EXPECT_EQ(s.End->styleSheet(), QString(Pink));
    EXPECT_EQ(s.Start->styleSheet(), QString(White));

    // Switching to even steps in energy takes the marks away.
    s.EvenInEnergy->setChecked(true);
    EXPECT_EQ(s.End->styleSheet(), QString(White));
}

TEST(EOFSetupByNumber, ZeroNumIsMarkedAndStaysFinite)
{
    EOFSetup s;
    setRange(s, "8000", "9000", "1", "0");
    for (int i : {0, 1, 500})
        EXPECT_TRUE(usable(s.energyByNumber(i))) << i;
    EXPECT_EQ(s.NumOfPoints->styleSheet(), QString(Pink));

    s.newEnd();  // Delta is not divided by 0
    EXPECT_EQ(s.Delta->text(), QString("1"));

    s.NumOfPoints->setText("1000");
    s.newNumOfPoints();
    EXPECT_EQ(s.NumOfPoints->styleSheet(), QString(White));
    EXPECT_EQ(s.Delta->text(), QString("1"));
}

TEST(EOFSetupByNumber, DegreesOutsideTheLawGiveZero)
{
    EOFSetup s;
    s.DisplayUnit->setCurrentIndex(2);
    setRange(s, "0", "9000", "-1", "1000");
    EXPECT_EQ(s.energyByNumber(0), 0);
    EXPECT_EQ(s.energyByNumber(3), 0);
    EXPECT_EQ(s.Start->styleSheet(), QString(Pink));
    s.Start->setText("14.3");
    EXPECT_NEAR(s.energyByNumber(0), E14_3, 1e-9);
    EXPECT_EQ(s.Start->styleSheet(), QString(White));
}

TEST(EOFSetupCoupling, RangeFieldsFollowEachOther)
{
    EOFSetup s;
    s.End->setText("9500");
    emit s.End->editingFinished();
    EXPECT_EQ(s.Delta->text(), QString("1.5"));
    s.Delta->setText("2");
    emit s.Delta->editingFinished();
    EXPECT_EQ(s.End->text(), QString("10000"));
    EXPECT_EQ(s.NumOfPoints->text(), QString("1000"));

    s.Start->setText("8000.123456");
    emit s.Start->editingFinished();
    EXPECT_EQ(s.End->text(), QString("10000.1"));  // six significant digits

    setRange(s, "8000", "9000", "1", "3");
    emit s.NumOfPoints->editingFinished();
    EXPECT_EQ(s.Delta->text(), QString("333.333"));
    s.newStart();  // 8000 + 3 * 333.333 rounds back to 9000
    EXPECT_EQ(s.End->text(), QString("9000"));
}

TEST(EOFSetupByRef, ListRules)
{
    EOFSetup s;
    s.FromRefFile->setChecked(true);
    EXPECT_DOUBLE_EQ(s.energyOf("x", 0), 8000);
    EXPECT_DOUBLE_EQ(s.energyOf("x", 42), 8042);

    s.refEnergies = {8100, 8200, 8300};
    EXPECT_DOUBLE_EQ(s.energyOf("x", -1), 8100);
    EXPECT_DOUBLE_EQ(s.energyOf("x", 1), 8200);
    EXPECT_DOUBLE_EQ(s.energyOf("x", 3), 8300);
    EXPECT_DOUBLE_EQ(s.energyOf("x", 400), 8300);
}

TEST(EOFSetupByRef, PlainFile)
{
    TestFiles files;
    const QString path = files.writeText("ref.dat", "13.5\n"          // first line: not used
                                                    "14.3 extra\n"
                                                    "# 20.0\n"
                                                    "13.5\n");
    EOFSetup s;
    s.refFileSelected(path);
    EXPECT_EQ(s.RefFilePath->text(), path);
    EXPECT_EQ(s.RefFilePath->styleSheet(), QString(RefPathStyle));
    ASSERT_EQ(s.refEnergies.size(), 2);
    EXPECT_NEAR(s.refEnergies[0], E14_3, 1e-9);
    EXPECT_NEAR(s.refEnergies[1], E13_5, 1e-9);

    s.FromRefFile->setChecked(true);
    EXPECT_NEAR(s.energyOf("x", 5), E13_5, 1e-9);
}

TEST(EOFSetupByRef, BadLinesAreSkippedAndMarked)
{
    TestFiles files;
    const QString path = files.writeText("ref.dat", "header\n"
                                                    "14.3\n"
                                                    "\n"
                                                    "abc\n"
                                                    "0\n"
                                                    "-10\n"
                                                    "13.5\n");
    EOFSetup s;
    s.refFileSelected(path);
    ASSERT_EQ(s.refEnergies.size(), 2);
    for (double e : s.refEnergies)
        EXPECT_TRUE(usable(e) && e > 0);
    EXPECT_EQ(s.RefFilePath->styleSheet(), QString(Pink));

    // A clean file afterwards clears the mark.
    s.refFileSelected(files.writeText("good.dat", "x\n13.5\n"));
    EXPECT_EQ(s.refEnergies.size(), 1);
    EXPECT_EQ(s.RefFilePath->styleSheet(), QString(RefPathStyle));
}

TEST(EOFSetupByRef, File9809UsesItsOwnSpacing)
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
    EOFSetup s;
    s.refFileSelected(path);
    ASSERT_EQ(s.refEnergies.size(), 2);
    EXPECT_NEAR(s.refEnergies[0], E14_3d, 1e-9);
    EXPECT_NEAR(s.refEnergies[1], E12d, 1e-9);
    EXPECT_DOUBLE_EQ(s.units.d(), 3.13553);  // the form's own spacing stays

    // Without "D=" the form's spacing is used; "D=" on the first line counts too.
    s.refFileSelected(files.writeText("b.9809", "9809\nOffset\n1 14.3\n"));
    ASSERT_EQ(s.refEnergies.size(), 1);
    EXPECT_NEAR(s.refEnergies[0], E14_3, 1e-9);
    s.refFileSelected(files.writeText("c.9809", "9809 D= 3.13551\nOffset\n1 14.3\n"));
    ASSERT_EQ(s.refEnergies.size(), 1);
    EXPECT_NEAR(s.refEnergies[0], E14_3d, 1e-9);
}

TEST(EOFSetupByRef, UnreadableFileKeepsTheList)
{
    TestFiles files;
    EOFSetup s;
    const QString good = files.writeText("ref.dat", "x\n13.5\n");
    s.refFileSelected(good);
    DebugCapture log;
    s.refFileSelected(files.path("missing.dat"));
    EXPECT_TRUE(log.contains("Can't open ref file"));
    EXPECT_EQ(s.RefFilePath->text(), good);
    ASSERT_EQ(s.refEnergies.size(), 1);
    EXPECT_NEAR(s.refEnergies[0], E13_5, 1e-9);
}
