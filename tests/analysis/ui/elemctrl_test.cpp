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

