#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

#include "analysis/ui/analyzer.h"
#include "analysis/ui/lcfreference.h"
#include "batch/cmdline.h"
#include "display/colorbar.h"
#include "display/imgdispa.h"
#include "imagedata/tiffdata.h"
#include "imagedata/ui/eofsetup.h"
#include "imagedata/ui/selectdatafiles.h"
#include "mainwindow/body.h"
#include "mainwindow/savedatacfg.h"
#include "support/imagefixtures.h"
#include "support/testfiles.h"
#include "support/waitfor.h"

namespace {

// A main window driven statement by statement, with the completions recorded.
class BodyExecImage : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QObject::connect(&body, &Body::finishBatchExec, &body, [this](int id) { ids << id; });
    }
    void run(const QString &statement)
    {
        CmdLine c;
        c.parse(statement);
        body.execCmdSlot(c, false);
    }
    // Runs a load and waits for its completion.
    bool load(const QString &statement, int completion)
    {
        const int before = ids.count(completion);
        run(statement);
        return waitFor([&] { return ids.count(completion) > before; });
    }
    // Uniform 4 x 3 frames "<prefix>_<eV>_0000.tif" (eV read from the name).
    QString frames(const QString &prefix, const QVector<int> &eVs)
    {
        QStringList names;
        for (int e : eVs)
            names << files.write(QString("%1_%2_0000.tif").arg(prefix).arg(e),
                                 ImageFixtures::tiff(4, 3, QVector<quint16>(12, 40), false, 0.1));
        return names.join(' ');
    }
    QVector<double> energies(const QVector<TiffData *> &stack)
    {
        QVector<double> e;
        for (const TiffData *f : stack)
            e << f->energy;
        return e;
    }
    template <typename T> T *widget(const char *name) { return body.findChild<T *>(name); }

    Body body;
    TestFiles files;
    QVector<int> ids;
};

} // namespace

TEST_F(BodyExecImage, LoadsByListAndByPattern)
{
    ASSERT_TRUE(load("load_I1_files NEW " + frames("s", {8950, 8960}), 4));
    ASSERT_TRUE(load("load_I1_files add " + frames("t", {8970}), 4));
    EXPECT_EQ(energies(body.i1Stack()), QVector<double>({8950, 8960, 8970}));
    // Lower-case "new" starts anew; a missing file does not stop the load.
    const QString gone = files.path("gone_1_0000.tif");
    ASSERT_TRUE(load("load_I1_files new " + gone + " " + frames("u", {9000}), 4));
    EXPECT_EQ(energies(body.i1Stack()), QVector<double>({9000}));

    QDir(files.dir()).mkpath("d/sub.tif");
    frames("d/B", {8960});
    frames("d/a", {8950});
    const QString dir = files.path("d") + "/";
    // Sorted without regard to case, directories left out; reports 5 for I0.
    ASSERT_TRUE(load("load_I0_files_of_pattern NEW " + dir + " *.tif", 5));
    EXPECT_EQ(energies(body.i0Stack()), QVector<double>({8950, 8960}));
    ASSERT_TRUE(load("load_I0_files_of_pattern add " + dir + " x* B*", 5));
    EXPECT_EQ(energies(body.i0Stack()), QVector<double>({8950, 8960, 8960}));
    // No match, or no trailing separator: an empty new stack, still completed.
    ASSERT_TRUE(load("load_I1_files_of_pattern NEW " + dir + " *.none", 4));
    EXPECT_TRUE(body.i1Stack().isEmpty());
    ASSERT_TRUE(load("load_I1_files_of_pattern NEW " + files.path("d") + " *.tif", 4));
    EXPECT_TRUE(body.i1Stack().isEmpty());
    EXPECT_EQ(ids, QVector<int>({4, 4, 4, 5, 5, 4, 4}));
}

TEST_F(BodyExecImage, LoadWithoutFilesCompletesAtOnce)
{
    DebugCapture log;
    run("load_I0_files NEW");
    run("load_I1_files");
    EXPECT_EQ(ids, QVector<int>({5, 4}));
    EXPECT_EQ(log.count("needs a mode and at least one file name"), 2);
    QTest::qWait(200);   // no load was asked for: nothing more arrives
    EXPECT_EQ(ids, QVector<int>({5, 4}));
}

TEST_F(BodyExecImage, PanelFieldsAndEnergyRules)
{
    run("cut_f_i1 007");
    run("cut_l_i0 two");
    run("show_latest_i1 2");
    EXPECT_EQ(body.i1Panel()->findChild<QLineEdit *>("CutFirst")->text(), "7");
    EXPECT_EQ(body.i0Panel()->findChild<QLineEdit *>("CutLast")->text(), "0");
    EXPECT_FALSE(body.i1Panel()->showLatest());

    EOFSetup *e1 = body.i1Panel()->eofSetup();
    run("set_i1_energy_pattern abc");
    run("eng_by_name_reg_exp_i0 xyz");
    EXPECT_EQ(e1->pattern(), "abc");
    EXPECT_EQ(body.i0Panel()->eofSetup()->pattern(), "xyz");
    run("eng_by_calc_i1 1");
    run("eng_calc_even_in_eng_i1 1");
    run("eng_calc_base_i1 1e4");
    run("eng_calc_num_i1 004");
    run("eng_calc_delta_i1 5.0");
    EXPECT_EQ(e1->startText(), "10000");
    EXPECT_EQ(e1->endText(), "10020");
    run("eng_calc_end_i1 10040");
    EXPECT_EQ(e1->deltaText(), "10");
    const int units = e1->findChild<QComboBox *>("DisplayUnit")->count();
    run("eng_calc_disp_unit_i1 " + QString::number(units));
    EXPECT_EQ(e1->displayUnit(), 0);

    // Cut 1, step 2, energies from the position: the 2nd and 4th of five files.
    run("cut_f_i1 1");
    run("skip_i1 2");
    ASSERT_TRUE(load("load_I1_files NEW " + frames("n", {7000, 7001, 7002, 7003, 7004}), 4));
    EXPECT_EQ(energies(body.i1Stack()), QVector<double>({10010, 10030}));
    run("clear_I1_files");
    EXPECT_TRUE(body.i1Stack().isEmpty());

    // A reference file named: chosen and read; none: path emptied.
    DebugCapture log;
    run("eng_by_ref_i1 " + files.path("none.dat"));
    EXPECT_TRUE(e1->byRef());
    EXPECT_EQ(log.count("Can't open ref file"), 1);
    run("eng_by_ref_i1");
    EXPECT_TRUE(e1->refFilePath().isEmpty());
    EXPECT_EQ(log.count("Can't open ref file"), 1);
    EXPECT_EQ(ids.mid(0, 6), QVector<int>({9, 10, 15, 2, 18, 23}));
    EXPECT_EQ(ids.last(), 39);
}

TEST_F(BodyExecImage, DisplaySettingsAndEdgeSuggestion)
{
    run("set_band_w 007");
    EXPECT_EQ(widget<QLineEdit>("HWidth")->text(), "7");
    run("select_disp_image 1");
    run("select_disp_image 7");
    EXPECT_TRUE(widget<QRadioButton>("ShowI0")->isChecked());
    DebugCapture log;
    run("cbar_set_range 5 1.5");
    EXPECT_EQ(body.colorBar()->valueMin, 5);
    EXPECT_EQ(body.colorBar()->valueMax, 1.5);
    EXPECT_TRUE(log.contains("setting cbar 5 1.5"));
    run("select_region 10 20 5 5");
    ImgDispA *d = body.imageView();
    EXPECT_EQ(QRectF(d->areaX, d->areaY, d->areaW, d->areaH), QRectF(10, 20, -5, -15));

    QLineEdit *eeV = widget<QLineEdit>("SuggestingEeV");
    run("Suggesting_Edge 0");
    run("Suggesting_Elm Cu");
    EXPECT_NEAR(eeV->text().toDouble(), 8980, 10);
    run("Suggesting_Edge 3");
    EXPECT_NEAR(eeV->text().toDouble(), 933, 5);
    // No such element, no such edge: the energy stays.
    run("Suggesting_Elm Xq");
    EXPECT_NEAR(eeV->text().toDouble(), 933, 5);
    run("Suggesting_Elm Cu");
    run("Suggesting_Edge 99");
    EXPECT_NEAR(eeV->text().toDouble(), 933, 5);
    EXPECT_EQ(ids, QVector<int>({41, 43, 43, 52, 54, 118, 117, 118, 117, 117, 118}));
}

TEST_F(BodyExecImage, DarkAreasFromTheSelection)
{
    ASSERT_TRUE(load("load_I1_files NEW " + frames("k", {8950, 8960}), 4));
    run("select_region 0 0 2 2");
    run("set_i1_dark_area");
    EXPECT_TRUE(body.i1DarkAreaSet());
    EXPECT_FALSE(body.i0DarkAreaSet());
    EXPECT_EQ(body.i1DarkRect(), QRectF(0, 0, 2, 2));
    EXPECT_EQ(body.i1DarkMeanAt(0), 40);
    run("select_region 1 1 3 2");
    run("set_i0_dark_area");
    EXPECT_EQ(body.i0DarkRect(), QRectF(1, 1, 2, 1));
    run("clear_i1_dark_area");
    EXPECT_FALSE(body.i1DarkAreaSet());
    EXPECT_TRUE(body.i0DarkAreaSet());
    EXPECT_EQ(ids, QVector<int>({4, 54, 123, 54, 122, 125}));
}

TEST_F(BodyExecImage, SavesImagesSpectraAndMaps)
{
    ASSERT_TRUE(load("load_I1_files NEW " + frames("w", {8950, 8960, 8970}), 4));
    run("seek_image 1");
    EXPECT_EQ(body.imageView()->frame, body.i1Stack()[1]);
    run("save_image_w_num " + files.path("num.png") + " 3");
    EXPECT_TRUE(QFileInfo::exists(files.path("num-3.png")));
    body.resize(900, 700);
    body.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&body));
    run("move_position 2 1");
    EXPECT_EQ(QPoint(body.pointX(), body.pointY()), QPoint(2, 1));
    run("save_spectra " + files.path("sp.dat"));
    EXPECT_TRUE(QString(files.read("sp-T.dat")).contains("8970"));

    // A shown 2 x 2 map; the first row whose Show radio is checked numbers the TIFF.
    Analyzer *a = body.analysisWindow();
    a->selectAnalysisMode(3);
    AnalyzeCond walk;
    walk.init(2, 2, 0, 0, QRectF(0, 0, 2, 2), -1, -1);
    a->sumUpMap.setArea(walk);
    do
        a->sumUpMap.setData(walk.x, walk.y, 0, 0, 1.5 + walk.x + 10 * walk.y);
    while (walk.next());
    body.saveOptions()->setSaveAsText();
    run("save_data " + files.path("map.dat"));
    EXPECT_EQ(files.read("map-0.dat"), "0,0,1.5\n1,0,2.5\n0,1,11.5\n1,1,12.5\n");
    ASSERT_GE(a->refs.size(), 2);
    a->refs[1]->showButton()->setChecked(true);
    a->currentMap()->setArea(walk);
    a->currentMap()->setData(0, 0, 1, 1, 7);
    run("save_data_as_tiff " + files.path("t.tif"));
    EXPECT_TRUE(QFileInfo::exists(files.path("t-1.tif")));
    EXPECT_EQ(ids, QVector<int>({4, 44, 46, 50, 51, 48, 49}));
}
