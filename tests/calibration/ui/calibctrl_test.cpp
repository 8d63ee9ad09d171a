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

