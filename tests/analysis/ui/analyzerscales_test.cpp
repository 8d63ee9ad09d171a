// The fixed DMut and Ratio display scales of the analysis window's maps.
#include <QCheckBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include "analysis/ui/analyzer.h"
#include "analysis/ui/elemctrl.h"
#include "analysis/ui/lcfreference.h"
#include "display/colorbar.h"

namespace {

// Each map's fixed range, or "unset" when it is still that of a new map.
QStringList ranges(const QVector<Analyzed2DRes *> &maps)
{
    const Analyzed2DRes fresh;
    QStringList out;
    for (const Analyzed2DRes *m : maps)
        out << (m->fixedMax == fresh.fixedMax ? QString("unset")
                                              : QString("%1..%2").arg(m->fixedMin).arg(m->fixedMax));
    out.removeDuplicates();
    return out;
}

class AnalyzerScales : public ::testing::Test
{
protected:
    Analyzer a;
    ColorBar bar;
    QVector<Analyzed2DRes *> dMutMaps{&a.zansaMap, &a.dEdgeMap, &a.dMutMap, &a.restMap};
    QVector<Analyzed2DRes *> ratioMaps{&a.ratioMap};
    QVector<Analyzed2DRes *> elemMaps;

    void SetUp() override
    {
        a.setColorBar(&bar);
        a.setTargetElements("Fe Cu");
        for (LCFReference *row : a.refs) {
            dMutMaps << row->maps[0];
            ratioMaps << row->maps[1];
        }
        for (ElemCtrl *row : a.elems)
            for (int kind = 0; kind < ElemCtrl::MapKinds; kind++)
                elemMaps << row->map(kind);
    }
};

TEST_F(AnalyzerScales, TypedRangesReachTheirMapsAndTheLastOneTheBar)
{
    QSignalSpy changed(&a, &Analyzer::changedSelection);
    a.setDMutScaleMax(2.5);
    EXPECT_EQ(a.dMutScaleMaxEdit()->text(), "2.5");
    EXPECT_EQ(ranges(dMutMaps + elemMaps), QStringList{"0..2.5"});
    EXPECT_EQ(ranges(ratioMaps), QStringList{"0..1"});
    EXPECT_EQ(ranges({&a.elemsCorMap, &a.sumUpMap, &a.map1}), QStringList{"unset"});
    a.ratioScaleMinEdit()->setText("x");
    a.ratioScaleMaxEdit()->setText("0.75");
    emit a.ratioScaleMinEdit()->editingFinished();
    EXPECT_EQ(ranges(ratioMaps), QStringList{"0..0.75"});
    EXPECT_EQ(changed.count(), 2);

    // The bar takes the fixed range of the last map: the last element map's,
    // or without element rows the ratio map's.
    a.setFixedScale(true);
    EXPECT_EQ(QPointF(bar.valueMin, bar.valueMax), QPointF(0, 2.5));
    a.setTargetElements("");
    a.setRatioScaleMin(0.125);
    EXPECT_EQ(QPointF(bar.valueMin, bar.valueMax), QPointF(0.125, 0.75));
}

TEST_F(AnalyzerScales, PolicySetsFlagsAndRangesButLeavesElementRanges)
{
    a.dMutScaleMaxEdit()->setText("3");
    a.fixedScaleBox()->setChecked(true);
    EXPECT_EQ(ranges(dMutMaps), QStringList{"0..3"});
    EXPECT_EQ(ranges(elemMaps), QStringList{"unset"});
    for (const Analyzed2DRes *m : dMutMaps + ratioMaps + elemMaps)
        EXPECT_TRUE(m->fixedScale && m->imageValid) << m->name.toStdString();
    a.setFixedScale(false);
    EXPECT_FALSE(a.fixedScaleBox()->isChecked());
    for (const Analyzed2DRes *m : dMutMaps + ratioMaps + elemMaps)
        EXPECT_FALSE(m->fixedScale) << m->name.toStdString();

    // Without the fixed scale the bar takes the data range of the last map.
    AnalyzeCond area;
    area.init(4, 4, 0, 0, QRectF(0, 0, 4, 4), -1, -1);
    elemMaps.last()->setArea(area);
    elemMaps.last()->setData(1, 1, 0, 0, -0.5);
    elemMaps.last()->setData(2, 1, 0, 0, 4.0);
    a.setDMutScaleMin(-1);
    EXPECT_EQ(QPointF(bar.valueMin, bar.valueMax), QPointF(-0.5, 4.0));
}

} // namespace
