#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QPair>
#include <QVector>

#include "display/_filedialog.h"
#include "imagedata/ui/eofsetup.h"
#include "support/testfiles.h"

namespace {

const char *const Pink = "background-color: rgb(255, 192, 192);";
const char *const White = "background-color: rgb(255, 255, 255);";
const char *const RefPathStyle = "background-color: rgb(255, 255, 231);";

// Energies worked out apart from the program (d = 3.13553 A unless noted).
const double E13_5 = 8469.159020261972;           // 13.5 deg
const double E14_3 = 8004.428387160136;           // 14.3 deg

QLineEdit *edit(const EOFSetup &s, const char *name)
{
    auto *w = s.findChild<QLineEdit *>(name);
    EXPECT_NE(w, nullptr) << name;
    return w;
}

QComboBox *patternList(const EOFSetup &s)
{
    return s.findChild<QComboBox *>("PatternList");
}

QString style(const EOFSetup &s, const char *name)
{
    return edit(s, name)->styleSheet();
}

// Writes the range fields as typing does, without finishing the edit.
void setRange(EOFSetup &s, const QString &start, const QString &end, const QString &delta,
              const QString &num)
{
    edit(s, "Start")->setText(start);
    edit(s, "End")->setText(end);
    edit(s, "Delta")->setText(delta);
    edit(s, "NumOfPoints")->setText(num);
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
    EXPECT_TRUE(s.byName());
    EXPECT_TRUE(s.evenInAngle());
    EXPECT_FALSE(s.byNumber());
    EXPECT_FALSE(s.byRef());
    EXPECT_FALSE(s.evenInEnergy());
    for (const char *name : {"Start", "End", "Delta", "NumOfPoints", "Pattern"})
        EXPECT_EQ(style(s, name), QString(White)) << name;
    for (const char *box : {"FromNameBox", "FromNoBox", "EvenEngBox", "FromRefFileBox"})
        EXPECT_NE(s.findChild<QFrame *>(box), nullptr) << box;

    auto *unit = s.findChild<QComboBox *>("DisplayUnit");
    ASSERT_NE(unit, nullptr);
    ASSERT_EQ(unit->count(), 3);
    EXPECT_EQ(QStringList({unit->itemText(0), unit->itemText(1), unit->itemText(2)}),
              QStringList({"eV", "keV", "deg"}));
    EXPECT_EQ(s.displayUnit(), 0);
    EXPECT_TRUE(edit(s, "RefFilePath")->isReadOnly());
    EXPECT_EQ(style(s, "RefFilePath"), QString(RefPathStyle));

    ASSERT_NE(s.refFileDialog(), nullptr);
    EXPECT_EQ(s.refFileDialog()->fileMode(), QFileDialog::AnyFile);
    EXPECT_EQ(s.refFileDialog()->acceptMode(), QFileDialog::AcceptOpen);
    EXPECT_EQ(s.refFileDialog()->nameFilters(),
              QStringList() << "XAFS Data File (*.dat)" << "Any Files (* *.*)");
    EXPECT_DOUBLE_EQ(s.units().d(), 3.13553);
    EXPECT_DOUBLE_EQ(s.rule().spacing(), 3.13553);
}

TEST(EOFSetupForm, RuleRadiosAreExclusive)
{
    EOFSetup s;
    s.setByNumber(true);
    EXPECT_FALSE(s.byName());
    s.setByNumber(false);  // the selected button stays selected
    EXPECT_TRUE(s.byNumber());
    EXPECT_EQ(s.rule().method(), EnergyRule::ByNumber);
    s.setByRef(true);
    EXPECT_EQ(s.rule().method(), EnergyRule::ByRef);
    s.setEvenInEnergy(true);
    EXPECT_FALSE(s.evenInAngle());
}

TEST(EOFSetupPatterns, PresetsInOrderAndFirstInUse)
{
    EOFSetup s;
    const QStringList presets = {
        "(\\d|)\\d\\d\\d\\d_\\d\\d\\d\\d", "\\d\\d\\d\\d_\\d\\d\\d\\d", "\\d\\d\\d\\d_\\d\\d",
        "\\d\\d\\d\\d_\\d\\deV", "\\d\\d\\d\\d\\.\\d\\d\\d\\d", "\\d\\d\\d\\d\\.\\d\\d",
        "\\d\\d\\d\\d\\.\\d\\deV", "\\d\\d\\d\\d\\.\\d", "\\d\\d_\\d\\d\\d\\d\\d\\dKeV",
        "\\d_\\d\\d\\d\\d\\d\\dKeV"};
    QComboBox *list = patternList(s);
    ASSERT_EQ(list->count(), presets.size());
    for (int k = 0; k < presets.size(); k++)
        EXPECT_EQ(list->itemText(k), presets[k]);
    EXPECT_EQ(list->currentIndex(), 0);
    EXPECT_EQ(s.pattern(), presets[0]);
    EXPECT_EQ(s.rule().pattern(), presets[0]);
    EXPECT_EQ(s.factorText(), QString("1"));
}

TEST(EOFSetupPatterns, NewPatternSetsFactorAndListOnce)
{
    EOFSetup s;
    QComboBox *list = patternList(s);
    QLineEdit *pattern = edit(s, "Pattern");
    pattern->setText("\\d\\d_\\d\\d\\d\\d\\d\\dkev");  // keV in any case
    emit pattern->editingFinished();
    EXPECT_EQ(s.factorText(), QString("1000"));
    EXPECT_EQ(list->count(), 11);
    EXPECT_EQ(list->currentIndex(), 10);
    EXPECT_EQ(s.pattern(), QString("\\d\\d_\\d\\d\\d\\d\\d\\dkev"));

    s.newPattern();  // entered again: no second copy
    EXPECT_EQ(list->count(), 11);

    pattern->setText("\\d\\d\\d\\d_\\d\\deV");
    s.newPattern();
    EXPECT_EQ(s.factorText(), QString("1"));
    EXPECT_EQ(list->currentIndex(), 3);

    pattern->setText("\\d\\d_\\d\\d\\d\\d\\d\\dKeV");  // preset 9
    s.newPattern();
    EXPECT_EQ(list->count(), 11);
    EXPECT_EQ(list->currentIndex(), 8);
    EXPECT_EQ(s.factorText(), QString("1000"));

    list->setCurrentIndex(1);  // choosing from the list
    EXPECT_EQ(s.pattern(), list->itemText(1));
    EXPECT_EQ(s.factorText(), QString("1"));
    EXPECT_EQ(list->count(), 11);
}

TEST(EOFSetupPatterns, InvalidPatternIsMarked)
{
    EOFSetup s;
    QLineEdit *pattern = edit(s, "Pattern");
    pattern->setText("(\\d");
    emit pattern->editingFinished();
    EXPECT_EQ(pattern->styleSheet(), QString(Pink));
    s.setPattern("\\d+");
    EXPECT_EQ(pattern->styleSheet(), QString(White));
}

// As set by the batch: one line says the pattern is invalid, and the images
// then get their indexes without a line each.
TEST(EOFSetupPatterns, InvalidPatternIsLoggedOnceAndGivesTheIndex)
{
    EOFSetup s;
    s.setByName(true);
    DebugCapture log;
    s.setPattern("(");
    for (int i = 0; i < 5; i++)
        EXPECT_EQ(s.energyOf(QString("/d/%1_0000eV.tif").arg(8000 + i), i), double(i));
    EXPECT_EQ(log.count("is not a valid regular expression"), 1);
    EXPECT_TRUE(log.contains("Energy pattern \"(\""));
    s.setPattern("\\d+");
    EXPECT_EQ(log.count("is not a valid regular expression"), 1);
}

TEST(EOFSetupRule, FieldsGiveTheRule)
{
    EOFSetup s;
    patternList(s)->setCurrentIndex(3);  // \d\d\d\d_\d\deV
    EXPECT_DOUBLE_EQ(s.energyOf("/data/run/Cu_8979_50eV.tif", 7), 8979.5);
    patternList(s)->setCurrentIndex(8);  // \d\d_\d\d\d\d\d\dKeV, factor 1000
    EXPECT_NEAR(s.energyOf("/data/Cu_08_979050KeV.img", 0), 8979.05, 1e-9);
    s.setFactor(2.5);
    EXPECT_DOUBLE_EQ(s.energyOf("/data/plain.tif", 12), 30);

    s.setByNumber(true);
    EXPECT_NEAR(s.energyOf("x", 500), 8469.74380300286, 1e-9);
    EXPECT_NEAR(s.energyOf("x", 1000), 9000, 1e-9);
    s.setEvenInEnergy(true);
    EXPECT_DOUBLE_EQ(s.energyOf("x", 500), 8500);
    s.setDisplayUnit(1);
    setRange(s, "8", "9", "0.001", "1000");
    EXPECT_NEAR(s.energyOf("x", 10), 8010, 1e-9);
    s.setDisplayUnit(2);
    edit(s, "Start")->setText("14.3");
    edit(s, "Delta")->setText("0");
    EXPECT_NEAR(s.energyOf("x", 5), E14_3, 1e-9);
    s.setDisplayUnit(3);  // not in the list: kept
    EXPECT_EQ(s.displayUnit(), 2);
    s.setDisplayUnit(-1);  // no unit: Start + Delta * i
    edit(s, "Delta")->setText("2");
    EXPECT_DOUBLE_EQ(s.energyOf("x", 5), 24.3);

    s.setByRef(true);
    EXPECT_DOUBLE_EQ(s.energyOf("x", 42), 8042);  // no list loaded
}

TEST(EOFSetupRule, NoEnergyGivesZeroAndIsLogged)
{
    EOFSetup s;
    s.setByNumber(true);
    s.setDisplayUnit(2);
    setRange(s, "0", "9000", "-1", "1000");
    DebugCapture log;
    EXPECT_EQ(s.energyOf("x", 0), 0);
    EXPECT_EQ(s.energyOf("x", 3), 0);
    EXPECT_TRUE(log.contains("gets the energy 0"));
}

TEST(EOFSetupMarks, ComputingDoesNotRestyle)
{
    EOFSetup s;
    s.setByNumber(true);
    setRange(s, "1500", "-5", "1", "0");  // no angle for Start and End, no steps
    EXPECT_DOUBLE_EQ(s.energyOf("x", 10), 1510);  // even steps in energy instead
    for (const char *name : {"Start", "End", "NumOfPoints"})
        EXPECT_EQ(style(s, name), QString(White)) << name;

    s.markInvalidFields();
    for (const char *name : {"Start", "End", "NumOfPoints"})
        EXPECT_EQ(style(s, name), QString(Pink)) << name;
    EXPECT_EQ(style(s, "Delta"), QString(White));
}

TEST(EOFSetupMarks, UnreachableAngleRangeIsMarked)
{
    EOFSetup s;
    setRange(s, "1500", "9000", "1", "1000");  // below hc / 2d
    emit edit(s, "Start")->editingFinished();
    EXPECT_EQ(style(s, "Start"), QString(Pink));
    EXPECT_EQ(style(s, "End"), QString(White));

    setRange(s, "8000", "-5", "1", "1000");
    s.markInvalidFields();
    EXPECT_EQ(style(s, "End"), QString(Pink));
    EXPECT_EQ(style(s, "Start"), QString(White));

    // Switching to even steps in energy takes the marks away, and back brings them.
    s.setEvenInEnergy(true);
    EXPECT_EQ(style(s, "End"), QString(White));
    s.setEvenInAngle(true);
    EXPECT_EQ(style(s, "End"), QString(Pink));
    s.setDisplayUnit(2);  // degrees: End plays no part
    EXPECT_EQ(style(s, "End"), QString(White));
}

TEST(EOFSetupMarks, ZeroNumIsMarkedAndDeltaKept)
{
    EOFSetup s;
    setRange(s, "8000", "9000", "1", "0");
    s.newEnd();  // Delta is not divided by 0
    EXPECT_EQ(style(s, "NumOfPoints"), QString(Pink));
    EXPECT_EQ(s.deltaText(), QString("1"));

    edit(s, "NumOfPoints")->setText("1000");
    s.newNumOfPoints();
    EXPECT_EQ(style(s, "NumOfPoints"), QString(White));
    EXPECT_EQ(s.deltaText(), QString("1"));
}

TEST(EOFSetupMarks, DegreesOutsideTheLawAreMarked)
{
    EOFSetup s;
    s.setDisplayUnit(2);
    setRange(s, "0", "9000", "-1", "1000");
    s.newStart();
    EXPECT_EQ(style(s, "Start"), QString(Pink));
    s.setStart(14.3);
    EXPECT_EQ(style(s, "Start"), QString(White));
}

TEST(EOFSetupCoupling, RangeFieldsFollowEachOther)
{
    EOFSetup s;
    edit(s, "End")->setText("9500");
    emit edit(s, "End")->editingFinished();
    EXPECT_EQ(s.deltaText(), QString("1.5"));
    edit(s, "Delta")->setText("2");
    emit edit(s, "Delta")->editingFinished();
    EXPECT_EQ(s.endText(), QString("10000"));
    EXPECT_EQ(s.numOfPointsText(), QString("1000"));

    edit(s, "Start")->setText("8000.123456");
    emit edit(s, "Start")->editingFinished();
    EXPECT_EQ(s.endText(), QString("10000.1"));  // six significant digits

    setRange(s, "8000", "9000", "1", "3");
    emit edit(s, "NumOfPoints")->editingFinished();
    EXPECT_EQ(s.deltaText(), QString("333.333"));
    s.newStart();  // 8000 + 3 * 333.333 rounds back to 9000
    EXPECT_EQ(s.endText(), QString("9000"));

    // The setters write six digits and recompute as an edit does.
    s.setNumOfPoints(1000);
    EXPECT_EQ(s.deltaText(), QString("1"));
    s.setStart(7000.1234567);
    EXPECT_EQ(s.startText(), QString("7000.12"));
    EXPECT_EQ(s.endText(), QString("8000.12"));
    s.setEnd(9000.12);
    EXPECT_EQ(s.deltaText(), QString("2"));
    s.setDelta(0.5);
    EXPECT_EQ(s.endText(), QString("7500.12"));
}

TEST(EOFSetupByRef, FileFillsTheListAndThePath)
{
    TestFiles files;
    const QString path = files.writeText("ref.dat", "13.5\n"          // first line: not used
                                                    "14.3 extra\n"
                                                    "# 20.0\n"
                                                    "13.5\n");
    EOFSetup s;
    s.refFileSelected(path);
    EXPECT_EQ(s.refFilePath(), path);
    EXPECT_EQ(style(s, "RefFilePath"), QString(RefPathStyle));
    ASSERT_EQ(s.refEnergies().size(), 2);
    EXPECT_NEAR(s.refEnergies()[0], E14_3, 1e-9);

    s.setByRef(true);
    EXPECT_NEAR(s.energyOf("x", 5), E13_5, 1e-9);

    // A "9809" file converts with the window's spacing, not its own.
    s.refFileSelected(files.writeText("c.9809", "9809 D= 3.13551\nOffset\n1 14.3\n"));
    ASSERT_EQ(s.refEnergies().size(), 1);
    EXPECT_NEAR(s.refEnergies()[0], E14_3, 1e-9);
    EXPECT_DOUBLE_EQ(s.units().d(), 3.13553);
}

TEST(EOFSetupByRef, BadLinesAreMarked)
{
    TestFiles files;
    const QString path = files.writeText("ref.dat", "header\n14.3\n\nabc\n0\n-10\n13.5\n");
    EOFSetup s;
    s.refFileSelected(path);
    EXPECT_EQ(s.refEnergies().size(), 2);
    EXPECT_EQ(style(s, "RefFilePath"), QString(Pink));

    // A clean file afterwards clears the mark; one without angles is marked.
    s.refFileSelected(files.writeText("good.dat", "x\n13.5\n"));
    EXPECT_EQ(s.refEnergies().size(), 1);
    EXPECT_EQ(style(s, "RefFilePath"), QString(RefPathStyle));
    s.refFileSelected(files.writeText("empty.dat", "x\n# nothing\n"));
    EXPECT_TRUE(s.refEnergies().isEmpty());
    EXPECT_EQ(style(s, "RefFilePath"), QString(Pink));
}

TEST(EOFSetupByRef, UnreadableFileKeepsTheListAndPath)
{
    TestFiles files;
    EOFSetup s;
    const QString good = files.writeText("ref.dat", "x\n13.5\n");
    s.refFileSelected(good);
    DebugCapture log;
    EXPECT_TRUE(s.refFileSelected(files.path("missing.dat")).endsWith("list read before"));
    EXPECT_TRUE(log.contains("Can't open ref file"));
    EXPECT_EQ(s.refFilePath(), good);
    ASSERT_EQ(s.refEnergies().size(), 1);
    EXPECT_NEAR(s.refEnergies()[0], E13_5, 1e-9);
}
