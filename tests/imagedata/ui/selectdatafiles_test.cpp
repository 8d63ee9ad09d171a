#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QPair>
#include <QPointer>
#include <QVector>

#include "core/cfg.h"
#include "display/_filedialog.h"
#include "display/selectimgdialog.h"
#include "imagedata/loadtiff.h"
#include "imagedata/tiffdata.h"
#include "imagedata/ui/eofsetup.h"
#include "imagedata/ui/selectdatafiles.h"
#include "imagedata/ui/selectdatafilesadditionalsetup.h"
#include "support/testfiles.h"

namespace {

const char *const Pink = "background-color: rgb(255, 192, 192);";
const char *const White = "background-color: rgb(255, 255, 255);";
const char *const ExpTip = "<html><head/><body><p>The exporsure eime is used when the time is not "
                           "recorded in image file.</p></body></html>";

// A one-pixel image in the text image format.
QByteArray textImage()
{
    return "#RVKT-CTImg\n# RANGE_X0 = 0\n# RANGE_X1 = 1\n# RANGE_Y0 = 0\n# RANGE_Y1 = 1\n0 0 1\n";
}

// Fills a panel the way the main window does: the panel's load rules go to a
// loader, every frame read comes back through addImageItem.
QVector<int> loadThroughPanel(SelectDataFiles &panel, const QStringList &files)
{
    QVector<int> indexes;
    LoadTiff loader;
    QObject::connect(&loader, &LoadTiff::loaded, [&](TiffData *frame, int i) {
        indexes << i;
        panel.addImageItem(frame->fileName, i);
        delete frame;
    });
    QSignalSpy finished(&loader, &LoadTiff::finishLoadFiles);
    loader.loadTiffs(files, panel.skipLive(), panel.loadStep(), panel.loadStart(),
                     panel.loadTail(), panel.errPoints(), EX_CMD_ID(4));
    QElapsedTimer timer;
    timer.start();
    while (finished.isEmpty() && timer.elapsed() < 10000)
        finished.wait(100);
    EXPECT_EQ(finished.size(), 1);
    return indexes;
}

// Every named child of type W exists and shows its text.
template <class W>
void expectTexts(const QWidget &parent, const QVector<QPair<const char *, const char *>> &named)
{
    for (const auto &n : named) {
        auto *w = parent.findChild<W *>(n.first);
        ASSERT_NE(w, nullptr) << n.first;
        EXPECT_EQ(w->text(), QString(n.second)) << n.first;
    }
}

template <class W>
W *child(const QWidget &parent, const char *name)
{
    auto *w = parent.findChild<W *>(name);
    EXPECT_NE(w, nullptr) << name;
    return w;
}

QComboBox *selected(const SelectDataFiles &p)
{
    return child<QComboBox>(p, "Selected");
}

QLineEdit *lineEdit(const QWidget &parent, const char *name)
{
    return child<QLineEdit>(parent, name);
}

} // namespace

TEST(SelectDataFilesForm, CarriesNamedWidgetsAndDefaults)
{
    SelectDataFiles p;
    EXPECT_EQ(p.windowTitle(), QString("SelectDataFiles"));
    auto *selected = p.findChild<QComboBox *>("Selected");
    ASSERT_NE(selected, nullptr);
    EXPECT_EQ(selected->count(), 0);
    auto *count = p.findChild<QLabel *>("Count");
    ASSERT_NE(count, nullptr);
    EXPECT_EQ(count->text(), QString("0"));

    expectTexts<QPushButton>(p, {{"Select", "Data Select"}, {"Clear", "Clear"},
                                 {"EngOfFilesSetup", "Setup"}, {"AdditionalSetup", "Add. Setup"}});
    expectTexts<QLabel>(p, {{"SkipLabel", "Skip"}});
    auto *newFiles = p.findChild<QRadioButton *>("LoadNewFiles");
    auto *addFiles = p.findChild<QRadioButton *>("AddFiles");
    ASSERT_NE(newFiles, nullptr);
    ASSERT_NE(addFiles, nullptr);
    EXPECT_EQ(newFiles->text(), QString("New"));
    EXPECT_EQ(addFiles->text(), QString("Add"));
    EXPECT_TRUE(newFiles->isChecked());

    expectTexts<QLineEdit>(p, {{"CutFirst", "0"}, {"CutLast", "0"}, {"Skip", "1"}, {"ExpTime", "50"}});
    for (const char *name : {"CutFirst", "CutLast", "Skip", "ExpTime"})
        EXPECT_TRUE(lineEdit(p, name)->alignment() & Qt::AlignRight) << name;
    EXPECT_EQ(lineEdit(p, "ExpTime")->toolTip(), QString(ExpTip));
    EXPECT_DOUBLE_EQ(p.expTimeMS(), 50);
    EXPECT_EQ(p.imageCount(), 0);
    EXPECT_EQ(p.currentIndex(), -1);

    // The dialogs and setup windows are windows of their own, owned by the panel.
    ASSERT_NE(p.fileDialog(), nullptr);
    EXPECT_EQ(p.fileDialog()->parent(), nullptr);
    EXPECT_EQ(p.fileDialog()->fileMode(), QFileDialog::ExistingFiles);
    EXPECT_EQ(p.fileDialog()->acceptMode(), QFileDialog::AcceptOpen);
    EXPECT_TRUE(p.fileDialog()->testOption(QFileDialog::DontUseNativeDialog));
    EXPECT_EQ(p.fileDialog()->nameFilters(),
              QStringList() << "RVKT Files, IMG Files, Tiff Files (*.dat *.img *.tif *.tiff)"
                            << "Any Files (* *.*)");
    ASSERT_NE(p.eofSetup(), nullptr);
    EXPECT_EQ(p.eofSetup()->parent(), nullptr);
    ASSERT_NE(p.additionalSetup(), nullptr);
    EXPECT_EQ(p.additionalSetup()->parent(), nullptr);
}

TEST(SelectDataFilesForm, AdditionalSetupDefaults)
{
    SelectDataFiles p;
    SelectDataFilesAdditionalSetup &a = *p.additionalSetup();
    EXPECT_EQ(a.windowTitle(), QString("Select Data Files Additional Setup"));
    expectTexts<QPushButton>(a, {{"SetDA", "Set Dark Area"}, {"UpDateDA", "Up Date"},
                                 {"ClearDA", "CLR"}, {"SelectErrPsDef", "Select Err. Ps. Def."}});
    expectTexts<QCheckBox>(a, {{"ShowLatest", "Show Latest Image on Load"},
                               {"IgnoreLiveFiles", "Ignore  'Live' file"},
                               {"UseErrPs", "Use Err Points Mask"}});
    for (const char *name : {"ShowLatest", "IgnoreLiveFiles", "UseErrPs"})
        EXPECT_TRUE(child<QCheckBox>(a, name)->isChecked()) << name;
    EXPECT_TRUE(a.showLatest());
    EXPECT_TRUE(a.ignoreLiveFiles());
    expectTexts<QLabel>(a, {{"DarkArea", "(-,-)-(-,-)"}, {"ErrPsFile", ""}});
    EXPECT_EQ(a.darkAreaText(), QString("(-,-)-(-,-)"));
    // No "ErrPoints" entry: the start-up load fails and the list is not in use.
    EXPECT_FALSE(a.errPoints()->valid);
    EXPECT_TRUE(a.errPoints()->points.isEmpty());
    ASSERT_NE(a.errPsDefDialog(), nullptr);
    EXPECT_TRUE(a.errPsDefDialog()->testOption(QFileDialog::DontUseNativeDialog));
}

TEST(SelectDataFilesForm, CaptionNamesTheSeries)
{
    SelectDataFiles p;
    p.setCaption("I1 Data");
    EXPECT_EQ(child<QPushButton>(p, "Select")->text(), QString("I1 Data"));
    EXPECT_EQ(p.fileDialog()->windowTitle(), QString("I1 Data"));
    EXPECT_EQ(p.eofSetup()->windowTitle(), QString("I1 Data"));
    EXPECT_EQ(p.additionalSetup()->windowTitle(), QString("I1 Data"));
}

TEST(SelectDataFilesSelection, NewOrAdd)
{
    SelectDataFiles p;
    QSignalSpy spy(&p, &SelectDataFiles::filesSelected);
    const QStringList files = {"/d/a.tif", "/d/b.tif"};
    emit p.fileDialog()->filesSelected(files);
    child<QRadioButton>(p, "AddFiles")->setChecked(true);
    EXPECT_FALSE(child<QRadioButton>(p, "LoadNewFiles")->isChecked());
    p.emitFilesSelected(files);
    ASSERT_EQ(spy.size(), 2);
    EXPECT_EQ(spy[0][0].toStringList(), files);
    EXPECT_TRUE(spy[0][1].toBool());
    EXPECT_FALSE(spy[1][1].toBool());

    QSignalSpy cleared(&p, &SelectDataFiles::clear);
    child<QPushButton>(p, "Clear")->click();
    EXPECT_EQ(cleared.size(), 1);
}

TEST(SelectDataFilesSelection, LoadRulesReadFromTheFields)
{
    SelectDataFiles p;
    EXPECT_EQ(p.loadStart(), 0);
    EXPECT_EQ(p.loadTail(), 0);
    EXPECT_EQ(p.loadStep(), 1);
    EXPECT_TRUE(p.skipLive());
    EXPECT_EQ(p.errPoints(), p.additionalSetup()->errPoints());

    p.setCutF(-3);
    p.setCutL(-1);
    p.setSkip(0);
    EXPECT_EQ(lineEdit(p, "CutFirst")->text(), QString("-3"));
    EXPECT_EQ(p.loadStart(), 0);
    EXPECT_EQ(p.loadTail(), 0);
    EXPECT_EQ(p.loadStep(), 1);

    p.setCutF(2);
    p.setCutL(3);
    p.setSkip(4);
    EXPECT_EQ(p.loadStart(), 2);
    EXPECT_EQ(p.loadTail(), 3);
    EXPECT_EQ(p.loadStep(), 4);
    lineEdit(p, "Skip")->setText("two");
    EXPECT_EQ(p.loadStep(), 1);
    p.additionalSetup()->setIgnoreLiveFiles(false);
    EXPECT_FALSE(p.skipLive());
}

TEST(SelectDataFilesSelection, SkippedFilesStillCountForTheEnergy)
{
    TestFiles files;
    QStringList names;
    for (int k = 0; k < 7; k++)
        names << files.write(QString(k == 3 ? "img%1Live.txt" : "img%1.txt").arg(k), textImage());

    SelectDataFiles p;
    p.setEngByCalc(true);
    p.setEvenInEng(true);  // energy 8000 + position
    p.setCutF(1);
    p.setCutL(1);
    p.setSkip(2);
    // Files 1, 3 and 5 are handled; 3 is a 'Live' file.
    EXPECT_EQ(loadThroughPanel(p, names), (QVector<int>{1, 5}));
    ASSERT_EQ(selected(p)->count(), 2);
    EXPECT_EQ(selected(p)->itemText(0), names[1]);
    EXPECT_DOUBLE_EQ(selected(p)->itemData(0).toDouble(), 8001);
    EXPECT_DOUBLE_EQ(selected(p)->itemData(1).toDouble(), 8005);

    // With 'Live' files kept, and a further selection counting from its own start.
    p.additionalSetup()->setIgnoreLiveFiles(false);
    p.setCutL(0);
    EXPECT_EQ(loadThroughPanel(p, names.mid(2)), (QVector<int>{1, 3}));
    ASSERT_EQ(selected(p)->count(), 4);
    EXPECT_EQ(selected(p)->itemText(2), names[3]);
    EXPECT_DOUBLE_EQ(selected(p)->itemData(2).toDouble(), 8001);
    EXPECT_DOUBLE_EQ(selected(p)->itemData(3).toDouble(), 8003);
    EXPECT_EQ(child<QLabel>(p, "Count")->text(), QString("4"));
}

TEST(SelectDataFilesList, AddImageItemGivesEnergyAndCount)
{
    SelectDataFiles p;
    const double e = p.addImageItem("/data/20240815_1230/Cu_8979_5000.tif", 0);
    EXPECT_DOUBLE_EQ(e, 8979.5);
    EXPECT_EQ(selected(p)->itemText(0), QString("/data/20240815_1230/Cu_8979_5000.tif"));
    EXPECT_DOUBLE_EQ(selected(p)->itemData(0).toDouble(), 8979.5);
    EXPECT_EQ(child<QLabel>(p, "Count")->text(), QString("1"));

    p.setEngByCalc(true);
    EXPECT_NEAR(p.addImageItem("/data/x.tif", 500), 8469.74380300286, 1e-9);
    EXPECT_EQ(child<QLabel>(p, "Count")->text(), QString("2"));
    // Energies are not recomputed when the rule changes.
    EXPECT_DOUBLE_EQ(selected(p)->itemData(0).toDouble(), 8979.5);

    p.clearFiles();
    EXPECT_EQ(selected(p)->count(), 0);
    EXPECT_EQ(child<QLabel>(p, "Count")->text(), QString("0"));
}

TEST(SelectDataFilesList, ApplyingTheRuleMarksItsFields)
{
    SelectDataFiles p;
    p.setEngByCalc(true);
    QLineEdit *start = lineEdit(*p.eofSetup(), "Start");
    start->setText("1500");  // typed, not finished: no angle for 1500 eV
    EXPECT_EQ(start->styleSheet(), QString(White));
    EXPECT_DOUBLE_EQ(p.addImageItem("/d/a.tif", 10), 1510);
    EXPECT_EQ(start->styleSheet(), QString(Pink));
}

TEST(SelectDataFilesList, IndexCountAndExposure)
{
    SelectDataFiles p;
    for (int k = 0; k < 3; k++)
        p.addImageItem(QString("/d/f%1.tif").arg(k), k);
    EXPECT_EQ(p.imageCount(), 3);
    EXPECT_EQ(p.currentIndex(), 0);
    p.select(2);
    EXPECT_EQ(p.currentIndex(), 2);

    p.setExpTimeMS(125.5, true);
    bool ok = false;
    EXPECT_DOUBLE_EQ(p.expTimeMS(&ok), 125.5);
    EXPECT_TRUE(ok);
    lineEdit(p, "ExpTime")->setText("fast");
    DebugCapture log;
    EXPECT_EQ(p.expTimeMS(&ok), 0);
    EXPECT_FALSE(ok);
    EXPECT_TRUE(log.contains("is not a number"));
}

TEST(SelectDataFilesList, BrowsingStaysInRange)
{
    SelectDataFiles p;
    for (int k = 0; k < 3; k++)
        p.addImageItem(QString("/d/f%1.tif").arg(k), k);
    p.select(2);
    EXPECT_EQ(selected(p)->currentIndex(), 2);
    p.next();
    EXPECT_EQ(selected(p)->currentIndex(), 2);
    p.select(-1);
    p.select(3);
    EXPECT_EQ(selected(p)->currentIndex(), 2);
    p.prev();
    p.prev();
    EXPECT_EQ(selected(p)->currentIndex(), 0);
    p.prev();
    EXPECT_EQ(selected(p)->currentIndex(), 0);
    p.next();
    EXPECT_EQ(selected(p)->currentIndex(), 1);
}

TEST(SelectDataFilesList, ShowLatestGatesTheDisplay)
{
    SelectDataFiles p;
    for (int k = 0; k < 3; k++)
        p.addImageItem(QString("/d/f%1.tif").arg(k), k);
    QSignalSpy spy(&p, &SelectDataFiles::currentIndexChanged);
    p.setShowLatest(false);
    EXPECT_FALSE(p.additionalSetup()->showLatest());
    p.select(2);
    p.prev();
    EXPECT_EQ(spy.size(), 0);

    p.setShowLatest(true);
    p.select(0);
    p.next();
    p.select(1);  // already current: no change
    ASSERT_EQ(spy.size(), 2);
    EXPECT_EQ(spy[0][0].toInt(), 0);
    EXPECT_EQ(spy[1][0].toInt(), 1);
}

TEST(SelectDataFilesSetters, EnergyRuleThroughThePanel)
{
    SelectDataFiles p;
    EOFSetup *s = p.eofSetup();
    p.setEngByCalc(true);
    EXPECT_TRUE(s->byNumber());
    p.setEngByCalc(false);  // cannot deselect the selected button
    EXPECT_TRUE(s->byNumber());
    p.setEngByName(true);
    EXPECT_TRUE(s->byName());

    p.setEngCalcEnd(9500);
    EXPECT_EQ(s->deltaText(), QString("1.5"));
    p.setEngCalcDelta(2);
    EXPECT_EQ(s->endText(), QString("10000"));
    p.setEngCalcStart(7000.1234567);
    EXPECT_EQ(s->startText(), QString("7000.12"));
    EXPECT_EQ(s->endText(), QString("9000.12"));
    p.setEngCalcNum(500);
    EXPECT_EQ(s->numOfPointsText(), QString("500"));
    EXPECT_EQ(s->deltaText(), QString("4"));

    p.setEvenInEng(true);
    EXPECT_TRUE(s->evenInEnergy());
    p.setEvenInDeg(true);
    EXPECT_TRUE(s->evenInAngle());

    p.setDispUnit(2);
    EXPECT_EQ(s->displayUnit(), 2);
    p.setDispUnit(3);
    EXPECT_EQ(s->displayUnit(), 2);
    p.setDispUnit(-1);
    EXPECT_EQ(s->displayUnit(), -1);

    const QString factor = s->factorText();
    p.setEngByNameRegExp("\\d\\d_\\d\\d\\d\\d\\d\\dKeV_new");
    EXPECT_EQ(s->pattern(), QString("\\d\\d_\\d\\d\\d\\d\\d\\dKeV_new"));
    EXPECT_EQ(s->factorText(), factor);
    EXPECT_EQ(s->findChild<QComboBox *>("PatternList")->count(), 10);
    p.setEngByNameFactor(0.001);
    EXPECT_EQ(s->factorText(), QString("0.001"));
}

TEST(SelectDataFilesSetters, ReferenceFile)
{
    TestFiles files;
    const QString path = files.writeText("ref.dat", "angles\n14.3\n13.5\n");
    SelectDataFiles p;
    EOFSetup *s = p.eofSetup();
    p.setEngByRef(path);
    EXPECT_TRUE(s->byRef());
    EXPECT_EQ(s->refFilePath(), path);
    ASSERT_EQ(s->refEnergies().size(), 2);

    p.setEngByRef(QString());
    EXPECT_TRUE(s->refFilePath().isEmpty());
    EXPECT_TRUE(s->byRef());
    EXPECT_EQ(s->refEnergies().size(), 2);
}

TEST(SelectDataFilesSetters, ExposureAndDarkArea)
{
    SelectDataFiles p;
    p.setExpTimeMS(100, false);
    EXPECT_EQ(lineEdit(p, "ExpTime")->text(), QString("100"));
    EXPECT_EQ(lineEdit(p, "ExpTime")->styleSheet(), QString(Pink));
    p.setExpTimeMS(0.5, true);
    EXPECT_EQ(lineEdit(p, "ExpTime")->text(), QString("0.5"));
    EXPECT_EQ(lineEdit(p, "ExpTime")->styleSheet(), QString(White));

    p.darkArea(QRectF(10.9, 20.2, 5.5, 3.9));
    EXPECT_EQ(p.additionalSetup()->darkAreaText(), QString("(10,20)-(16,24)"));
    p.additionalSetup()->darkArea(QRectF(-0.5, 3.7, 10, 10));
    EXPECT_EQ(p.additionalSetup()->darkAreaText(), QString("(0,3)-(9,13)"));
    p.darkArea(QRectF(qQNaN(), 1e30, 1, 1));
    EXPECT_EQ(p.additionalSetup()->darkAreaText(),
              QString("(0,2147483647)-(0,2147483647)"));
}

TEST(SelectDataFilesSetters, DarkAreaButtonsAreForwarded)
{
    SelectDataFiles p;
    QSignalSpy set(&p, &SelectDataFiles::setDarkArea);
    QSignalSpy update(&p, &SelectDataFiles::updateDarkArea);
    QSignalSpy clear(&p, &SelectDataFiles::clearDarkArea);
    child<QPushButton>(*p.additionalSetup(), "SetDA")->click();
    child<QPushButton>(*p.additionalSetup(), "UpDateDA")->click();
    child<QPushButton>(*p.additionalSetup(), "UpDateDA")->click();
    child<QPushButton>(*p.additionalSetup(), "ClearDA")->click();
    EXPECT_EQ(set.size(), 1);
    EXPECT_EQ(update.size(), 2);
    EXPECT_EQ(clear.size(), 1);
}

TEST(SelectDataFilesWindows, GoWithThePanel)
{
    QVector<QPointer<QWidget>> windows;
    {
        SelectDataFiles p;
        windows = {p.fileDialog(), p.eofSetup(), p.eofSetup()->refFileDialog(),
                   p.additionalSetup(), p.additionalSetup()->errPsDefDialog()};
        for (const auto &w : windows)
            ASSERT_FALSE(w.isNull());
    }
    // Gone at once, without an event loop to run deferred deletions.
    for (int k = 0; k < windows.size(); k++)
        EXPECT_TRUE(windows[k].isNull()) << k;
}

TEST(SelectDataFilesErrPoints, FileAndMask)
{
    TestFiles files;
    const QString good = files.writeText("bad.txt", "# Size 100 80\n3 4\n5 6 # hot\n");
    SelectDataFilesAdditionalSetup a;
    a.errPsDefSelected(good);
    EXPECT_EQ(a.errPsFile(), good);
    EXPECT_TRUE(a.errPoints()->valid);
    EXPECT_EQ(a.errPoints()->points.size(), 2);

    child<QCheckBox>(a, "UseErrPs")->setChecked(false);
    EXPECT_FALSE(a.errPoints()->valid);
    a.errPsDefSelected(good);  // loaded but not in use
    EXPECT_EQ(a.errPoints()->points.size(), 2);
    EXPECT_FALSE(a.errPoints()->valid);

    child<QCheckBox>(a, "UseErrPs")->setChecked(true);
    a.errPsDefSelected(files.path("missing.txt"));
    EXPECT_TRUE(a.errPsFile().isEmpty());
    EXPECT_FALSE(a.errPoints()->valid);
    EXPECT_TRUE(a.errPoints()->points.isEmpty());
    child<QCheckBox>(a, "UseErrPs")->setChecked(false);
    child<QCheckBox>(a, "UseErrPs")->setChecked(true);  // the empty list is put in use
    EXPECT_TRUE(a.errPoints()->valid);
}

TEST(SelectDataFilesErrPoints, ConfiguredFileLoadsAtStart)
{
    TestFiles files;
    const QString good = files.writeText("bad.txt", "7 8\n");
    const Cfg saved = cfg;
    cfg.readFile(files.writeText("config.cfg", QString("errpoints \"%1\"\n").arg(good)));
    {
        SelectDataFiles p;
        EXPECT_EQ(p.additionalSetup()->errPsFile(), good);
        EXPECT_TRUE(p.additionalSetup()->errPoints()->valid);
        ASSERT_EQ(p.errPoints()->points.size(), 1);
        EXPECT_EQ(p.errPoints()->points[0], QPoint(7, 8));
    }
    cfg = saved;
}
