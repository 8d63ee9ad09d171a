#include <QLineEdit>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include "analysis/ui/elemctrl.h"
#include "core/physicaltables.h"
#include "support/testfiles.h"

TEST(ElemCtrlRow, MarkerCarriesNameAndEdgeEnergy)
{
    ElemCtrl row;
    row.setName("Fe-K");
    row.setEdgeEnergy(7112.0);
    EXPECT_EQ(row.name(), "Fe-K");
    EXPECT_DOUBLE_EQ(row.edgeEnergy(), 7112.0);
    const EdgeMarker m = row.edgeMarker();
    EXPECT_EQ(m.name, "Fe-K");
    EXPECT_DOUBLE_EQ(m.energy, 7112.0);

    // An edit of the edge energy by hand is what the marker shows, and its
    // end is announced.
    QLineEdit *eng = row.findChild<QLineEdit *>("Eng");
    ASSERT_NE(eng, nullptr);
    QSignalSpy changed(&row, &ElemCtrl::edgeMarkerChanged);
    eng->setText("7120.5");
    emit eng->editingFinished();
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(row.edgeMarker(), (EdgeMarker{"Fe-K", 7120.5}));
}

TEST(ElemCtrlRow, EdgeEnergyThatIsNoNumberGivesZero)
{
    ElemCtrl row;
    row.setName("Cu-K");
    QLineEdit *eng = row.findChild<QLineEdit *>("Eng");
    ASSERT_NE(eng, nullptr);
    for (const char *text : {"not a number", "", "nan", "inf"}) {
        DebugCapture log;
        eng->setText(text);
        EXPECT_EQ(row.edgeMarker(), (EdgeMarker{"Cu-K", 0.0})) << text;
        EXPECT_TRUE(log.contains("ElemCtrl: edge energy")) << text;
        EXPECT_TRUE(log.contains("Cu-K")) << text;
    }
}

TEST(ElemCtrlRow, ElementSetsNumberEdgeEnergyAndMapNames)
{
    ElemCtrl row;
    row.setElement(26, 0, "Fe-K");
    EXPECT_EQ(row.Z, 26);
    EXPECT_EQ(row.edge, 0);
    EXPECT_EQ(row.name(), "Fe-K");
    EXPECT_EQ(row.findChild<QLineEdit *>("No")->text(), "26");
    EXPECT_EQ(row.engEdit()->text(), QString::number(edgeEnergyEV(26, 0), 'g', 6));
    EXPECT_NEAR(row.edgeEnergy(), 7113.26, 0.01);
    const QStringList names{"Fe-K Elem Ctrl 0",  "Fe-K Elem Ctrl N",   "Fe-K Elem Ctrl MP",
                            "Fe-K Elem Ctrl MM", "Fe-K Elem Ctrl DE",  "Fe-K Elem Ctrl ROI",
                            "Fe-K Elem Ctrl NROI"};
    for (int k = 0; k < ElemCtrl::MapKinds; ++k)
        EXPECT_EQ(row.map(k)->name, names[k]);
    EXPECT_EQ(row.map(ElemCtrl::MapKinds), nullptr);

    // An L edge of the same element.
    row.setElement(26, 3, "Fe-L3");
    EXPECT_EQ(row.engEdit()->text(), QString::number(edgeEnergyEV(26, 3), 'g', 6));
    EXPECT_LT(row.edgeEnergy(), 1000.0);
}

TEST(ElemCtrlRow, ResultsAreKeptAndShown)
{
    ElemCtrl row;
    row.setResults(0.5, 0.25, 1.5, 1.0, -2.5, 0.000123456, 1.2345e-05);
    EXPECT_EQ(row.dmut, 0.5);
    EXPECT_EQ(row.ratio, 0.25);
    EXPECT_EQ(row.muPlus, 1.5);
    EXPECT_EQ(row.muMinus, 1.0);
    EXPECT_EQ(row.findChild<QLineEdit *>("DMuT")->text(), "0.5");
    EXPECT_EQ(row.findChild<QLineEdit *>("Ratio")->text(), "0.25");
    EXPECT_EQ(row.findChild<QLineEdit *>("DE")->text(), "-2.5");
    // The region values show their first five characters.
    EXPECT_EQ(row.findChild<QLineEdit *>("ROI")->text(), "0.000");
    EXPECT_EQ(row.findChild<QLineEdit *>("NROI")->text(), "1.234");
}

TEST(ElemCtrlRow, StandardRatioFromItsField)
{
    ElemCtrl row;
    EXPECT_EQ(row.stdRatio, 1.0);
    QLineEdit *std = row.stdRatioEdit();
    std->setText("0.250");
    emit std->editingFinished();
    EXPECT_EQ(row.stdRatio, 0.25);
    EXPECT_EQ(std->text(), "0.25");
    DebugCapture log;
    std->setText("abc");
    emit std->editingFinished();
    EXPECT_EQ(row.stdRatio, 0.0);
    EXPECT_EQ(std->text(), "0");
    EXPECT_TRUE(log.contains("StdRatio"));
}

TEST(ElemCtrlRow, SnapshotReadsTheFieldsAsNumbers)
{
    ElemCtrl row;
    row.setElement(29, 0, "Cu-K");
    row.setEdgeEnergy(8980.5);
    row.setPrePostDE(15);
    row.setROI(9000, 9050);
    row.setUse(false);
    ElemRowData d = row.snapshot();
    EXPECT_EQ(d.name, "Cu-K");
    EXPECT_EQ(d.Z, 29);
    EXPECT_EQ(d.e0, 8980.5);
    EXPECT_EQ(d.dE, 15.0);
    EXPECT_FALSE(d.use);

    // Texts that are not finite numbers read as 0, with a debug line.
    DebugCapture log;
    row.prePostDEEdit()->setText("wide");
    row.roiEndEdit()->setText("inf");
    d = row.snapshot();
    EXPECT_EQ(d.dE, 0.0);
    EXPECT_EQ(d.roiE, 0.0);
    EXPECT_EQ(d.roiS, 9000.0);
    EXPECT_TRUE(log.contains("PrePostDE"));
    EXPECT_TRUE(log.contains("ROIe"));
}
