#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPair>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <cmath>
#include <gtest/gtest.h>

#include "calibration/ui/calibctrl.h"
#include "core/physconst.h"
#include "display/eshiftmapdialog.h"
#include "display/xafsfileselect.h"
#include "support/testfiles.h"

namespace {

template <class T>
T *part(const CalibCtrl &c, const char *name)
{
    T *w = c.findChild<T *>(name);
    if (w == nullptr)
        ADD_FAILURE() << "no widget " << name;
    return w;
}

QString text(const CalibCtrl &c, const char *edit)
{
    QLineEdit *e = part<QLineEdit>(c, edit);
    return e ? e->text() : QString();
}

const QString fe2o3 = sourceDataPath("spectra/fe2o3_rt1.dat");

} // namespace

TEST(CalibCtrlWindow, OpensHeadlessWithItsDefaults)
{
    CalibCtrl c;
    c.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&c));
    EXPECT_TRUE(c.isWindow());
    EXPECT_EQ(c.windowTitle(), "Calibration");
    EXPECT_FALSE(c.calibByInnerProduct());
    EXPECT_TRUE(part<QFrame>(c, "InnerPCtrl")->isVisible());
    EXPECT_DOUBLE_EQ(c.searchRange(), 20.0);
    EXPECT_DOUBLE_EQ(c.searchStep(), 1.0);
    EXPECT_DOUBLE_EQ(c.minSearchStep(), 0.1);
    EXPECT_DOUBLE_EQ(c.edgeEnergy(), 0.0);
    EXPECT_EQ(c.standard(), nullptr);
    EXPECT_FALSE(c.targetBGVictoreen());
    EXPECT_FALSE(c.checkSize());
    EXPECT_EQ(c.xOffset(), 0);
    EXPECT_EQ(part<QPushButton>(c, "Select")->text(), "Select Std.");
    for (const char *name : {"DEMax", "DEAvr", "DEMin", "DESigma", "XOffset", "YOffset", "Width",
                             "Height", "EMPFileName"})
        EXPECT_TRUE(part<QLineEdit>(c, name)->isReadOnly()) << name;
}

TEST(CalibCtrlWindow, ChoicesAreExclusiveOnlyWithinTheirPair)
{
    CalibCtrl c;
    c.setCalibByInnerProduct(true);
    EXPECT_TRUE(c.calibByInnerProduct());
    EXPECT_FALSE(part<QRadioButton>(c, "CalibTypeDMidX")->isChecked());
    c.setCalibByInnerProduct(false);
    EXPECT_FALSE(c.calibByInnerProduct());

    // The standard's background does not move the target's, nor the method.
    part<QRadioButton>(c, "StdBGVictreen")->setChecked(true);
    EXPECT_TRUE(part<QRadioButton>(c, "TargetBGSimple")->isChecked());
    EXPECT_FALSE(part<QRadioButton>(c, "StdBGSimple")->isChecked());
    EXPECT_TRUE(part<QRadioButton>(c, "CalibTypeDMidX")->isChecked());
    part<QRadioButton>(c, "TargetBGVictreen")->setChecked(true);
    EXPECT_TRUE(c.targetBGVictoreen());
    EXPECT_TRUE(part<QRadioButton>(c, "StdBGVictreen")->isChecked());
}

TEST(CalibCtrlWindow, CrystalGivesItsSpacing)
{
    CalibCtrl c;
    QComboBox *sel = part<QComboBox>(c, "SelCrystal");
    ASSERT_EQ(sel->count(), 5);
    EXPECT_EQ(c.crystalName(), "Si(111)");
    const QVector<QPair<QString, double>> want = {
        {"Si(111)", PhysConst::SpacingSi111}, {"Si(311)", PhysConst::SpacingSi311},
        {"Si(333)", PhysConst::SpacingSi333}, {"Ge(111)", PhysConst::SpacingGe111},
        {"Ge(333)", PhysConst::SpacingGe333}};
    for (int i = 0; i < want.size(); ++i) {
        sel->setCurrentIndex(i);
        EXPECT_EQ(c.crystalName(), want[i].first);
        EXPECT_DOUBLE_EQ(c.crystalSpacing(), want[i].second);
    }
}

TEST(CalibCtrlStandard, LoadsNormalisesAndOverwritesTheEdge)
{
    CalibCtrl c;
    QSignalSpy loaded(&c, &CalibCtrl::newStdFileLoaded);
    c.setEdgeEV("8979");
    c.loadStd(fe2o3);
    ASSERT_NE(c.standard(), nullptr);
    ASSERT_EQ(loaded.count(), 1);
    const XafsSpectrum &s = *c.standard();
    EXPECT_EQ(s.count(), 412);
    EXPECT_EQ(s.mode, 1);
    EXPECT_NEAR(s.midx, 7123.0, 7.0);
    EXPECT_GT(s.dMut, 0.0);
    EXPECT_EQ(s.doubleNormalizedPreBase.count(), 412);
    EXPECT_EQ(text(c, "EdgeEeV"), QString::number(s.midx, 'g', 6));
    EXPECT_NEAR(c.edgeEnergy(), s.midx, 0.01);
    EXPECT_EQ(c.stdFileName(), fe2o3);
    EXPECT_EQ(part<QLineEdit>(c, "Selected")->text(), fe2o3);

    // A new background model renormalises in place; the edge field and the
    // main window's copy are left alone.
    const XafsSpectrum *held = c.standard();
    const QString edge = text(c, "EdgeEeV");
    part<QRadioButton>(c, "StdBGVictreen")->setChecked(true);
    EXPECT_EQ(c.standard(), held);
    EXPECT_EQ(held->mode, 0);
    EXPECT_EQ(loaded.count(), 1);
    EXPECT_EQ(text(c, "EdgeEeV"), edge);
}

TEST(CalibCtrlStandard, UnreadableFileKeepsTheFormerStandard)
{
    TestFiles files;
    CalibCtrl c;
    QSignalSpy loaded(&c, &CalibCtrl::newStdFileLoaded);
    QSignalSpy cleared(part<XafsFileSelect>(c, "SelectStd"), &XafsFileSelect::cleared);
    {
        DebugCapture log;
        c.loadStd(files.path("missing.dat"));
        EXPECT_TRUE(log.contains("the former standard is kept"));
    }
    EXPECT_EQ(c.standard(), nullptr);

    c.loadStd(fe2o3);
    ASSERT_NE(c.standard(), nullptr);
    const double midx = c.standard()->midx;
    c.setEdgeEV("7000");
    DebugCapture log;
    c.loadStd(files.writeText("empty.dat", "# no points\n"));
    EXPECT_TRUE(log.contains("the former standard is kept"));
    ASSERT_NE(c.standard(), nullptr);
    EXPECT_EQ(c.standard()->count(), 412);
    EXPECT_DOUBLE_EQ(c.standard()->midx, midx);
    EXPECT_EQ(c.stdFileName(), fe2o3);
    EXPECT_DOUBLE_EQ(c.edgeEnergy(), 7000.0);
    EXPECT_EQ(loaded.count(), 1);
    EXPECT_EQ(cleared.count(), 2);
    EXPECT_TRUE(part<QLineEdit>(c, "Selected")->text().isEmpty());
}

TEST(CalibCtrlFields, TextsThatAreNotNumbersGiveZero)
{
    CalibCtrl c;
    c.setEdgeEV(" 7112.5 ");
    EXPECT_DOUBLE_EQ(c.edgeEnergy(), 7112.5);
    for (const char *bad : {"abc", "nan", "inf", "1e999"}) {
        DebugCapture log;
        c.setEdgeEV(bad);
        EXPECT_EQ(c.edgeEnergy(), 0.0) << bad;
        EXPECT_TRUE(log.contains("is not a number")) << bad;
    }
    {
        DebugCapture log;
        c.setEdgeEV("");
        EXPECT_EQ(c.edgeEnergy(), 0.0);
        EXPECT_FALSE(log.contains("is not a number"));
    }
    part<QLineEdit>(c, "DEw")->setText("nan");
    part<QLineEdit>(c, "DEs")->setText("");
    part<QLineEdit>(c, "MinDEs")->setText("0.5x");
    DebugCapture log;
    EXPECT_EQ(c.searchRange(), 0.0);
    EXPECT_EQ(c.searchStep(), 0.0);
    EXPECT_EQ(c.minSearchStep(), 0.0);
    EXPECT_EQ(log.count("is not a number"), 3);
    part<QLineEdit>(c, "XOffset")->setText("12.5");
    EXPECT_EQ(c.xOffset(), 0);
    EXPECT_TRUE(log.contains("is not an integer"));
}

TEST(CalibCtrlDisplay, ProgressAndResultsInTheirFormats)
{
    CalibCtrl c;
    QLabel *progress = part<QLabel>(c, "Progress");
    const QVector<QPair<double, QString>> shown = {
        {5.0, "  5.0"}, {100.0, "100.0"}, {33.3333, " 33.3"}, {0.04, "  0.0"}, {12.5 / 3, "  4.2"}};
    for (const auto &p : shown) {
        c.progress(p.first);
        EXPECT_EQ(progress->text(), p.second);
    }

    c.showStatistics(-1.23456789, 2.5, 1e-7);
    c.showSigma(0.123456789);
    EXPECT_EQ(text(c, "DEMin"), "-1.23457");
    EXPECT_EQ(text(c, "DEMax"), "2.5");
    EXPECT_EQ(text(c, "DEAvr"), "1e-07");
    EXPECT_EQ(text(c, "DESigma"), "0.123457");

    c.showMapGeometry(3, -4, 640, 480);
    EXPECT_EQ(text(c, "Width"), "640");
    EXPECT_EQ(text(c, "Height"), "480");
    EXPECT_EQ(c.xOffset(), 3);
    EXPECT_EQ(c.yOffset(), -4);
    c.showEMPFileName("/tmp/a.emp");
    EXPECT_EQ(text(c, "EMPFileName"), "/tmp/a.emp");
}

TEST(CalibCtrlButtons, AskTheMainWindow)
{
    QPointer<EShiftMapDialog> save, load;
    {
        CalibCtrl c;
        QSignalSpy exec(&c, &CalibCtrl::execCalibration);
        QSignalSpy clear(&c, &CalibCtrl::clearMap);
        QSignalSpy saveMap(&c, &CalibCtrl::saveEMap);
        QSignalSpy loadMap(&c, &CalibCtrl::loadEMap);
        part<QPushButton>(c, "ExecCalib")->click();
        part<QPushButton>(c, "ClearMap")->click();
        EXPECT_EQ(exec.count(), 1);
        EXPECT_EQ(clear.count(), 1);

        save = c.saveMapDialog();
        load = c.loadMapDialog();
        ASSERT_TRUE(save && load);
        EXPECT_EQ(save->acceptMode(), QFileDialog::AcceptSave);
        EXPECT_EQ(save->fileMode(), QFileDialog::AnyFile);
        EXPECT_EQ(load->acceptMode(), QFileDialog::AcceptOpen);
        EXPECT_EQ(load->fileMode(), QFileDialog::ExistingFile);
        part<QPushButton>(c, "LoadMap")->click();
        EXPECT_TRUE(load->isVisible());
        EXPECT_FALSE(save->isVisible());
        part<QPushButton>(c, "SaveMap")->click();
        EXPECT_TRUE(save->isVisible());

        emit load->fileSelected("in.emp");
        emit save->fileSelected("out.emp");
        c.loadEShiftMap("batch.emp");
        ASSERT_EQ(loadMap.count(), 2);
        EXPECT_EQ(loadMap.at(0).at(0).toString(), "in.emp");
        EXPECT_EQ(loadMap.at(1).at(0).toString(), "batch.emp");
        ASSERT_EQ(saveMap.count(), 1);
        EXPECT_EQ(saveMap.at(0).at(0).toString(), "out.emp");
    }
    // The dialogs go with the window.
    EXPECT_TRUE(save.isNull());
    EXPECT_TRUE(load.isNull());
}
