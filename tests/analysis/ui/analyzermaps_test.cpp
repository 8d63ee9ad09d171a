// Map1 and Map2 captured from the shown map and processed block by block over
// walkers handed out here as the main window would.
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <climits>
#include <functional>
#include <gtest/gtest.h>

#include "analysis/ui/analyzer.h"
#include "analysis/ui/elemctrl.h"
#include "support/testfiles.h"

namespace {

struct AnalyzerMaps : ::testing::Test
{
    Analyzer a;
    std::function<void(AnalyzeCond &)> walker;

    template <typename T> T *w(const char *name) { return a.findChild<T *>(name); }
    // Shows a width x 2 map in the sum-up image and captures it.
    void capture(const char *button, int width, const QVector<double> &v)
    {
        AnalyzeCond c;
        c.init(width, 2, 0, 0, QRectF(0, 0, width, 2), -1, -1);
        a.sumUpMap.setArea(c);
        for (int i = 0; i < v.size(); i++)
            a.sumUpMap.setData(i % width, i / width, 0, 0, v[i]);
        a.sumUpMap.genImg();
        a.selectAnalysisMode(3);
        w<QPushButton>(button)->click();
    }
    // Processes over 3 x 2 with the given half sizes; the processed 3 x 2 values.
    QVector<double> process(const char *type, int halfW, int halfH = 0)
    {
        walker = [=](AnalyzeCond &ac) {
            ac.init(3, 2, halfW, halfH, QRectF(0, 0, 3, 2), -1, -1);
            ac.halfW = halfW;   // as large as a caller may hand them
            ac.halfH = halfH;
        };
        QObject::connect(&a, &Analyzer::askAnalyzeCond, &a,
                         [this](AnalyzeCond &ac) { walker(ac); });
        w<QRadioButton>(type)->click();
        w<QPushButton>("AskProcessMaps")->click();
        QObject::disconnect(&a, &Analyzer::askAnalyzeCond, &a, nullptr);
        QVector<double> out;
        for (int i = 0; i < 6; i++)
            out << a.processedMap.value(i % 3, i / 3);
        return out;
    }
};

} // namespace

// Map1 is 3 x 2, Map2 2 x 2: its third column counts 0.
TEST_F(AnalyzerMaps, SubDivAndMaskOfTwoCapturedMapsOfDifferentSizes)
{
    w<QPushButton>("CaptureAsMap1")->click();   // nothing shown: nothing taken
    EXPECT_EQ(w<QLineEdit>("Map1Name")->text(), "E-Shift Map 1");
    capture("CaptureAsMap1", 3, {1, 2, 0, 4, 5, 6});
    process("ProcTypeSub", 0);   // Map2 has no image yet
    EXPECT_EQ(a.processedMap.data, nullptr);
    capture("CaptureAsMap2", 2, {2, 0, -1, 5});
    EXPECT_EQ(w<QLineEdit>("Map2Name")->text(), "Sum Up Img");

    EXPECT_EQ(process("ProcTypeSub", 0), QVector<double>({-1, 2, 0, 5, 0, 6}));
    EXPECT_EQ(process("ProcTypeDiv", 0), QVector<double>({0.5, 1, 1, -4, 1, 1}));
    EXPECT_EQ(process("ProcTypeMask", 0), QVector<double>({1, 0, 0, 0, 5, 0}));
    EXPECT_TRUE(a.processedMap.imageValid);
    // Blocks of 3 x 1: s1 = 3 and 15, s2 = 2 and 4.
    EXPECT_EQ(process("ProcTypeSub", 1), QVector<double>({1, 1, 1, 11, 11, 11}));
}

TEST_F(AnalyzerMaps, HugeHalfWidthsEndQuicklyAndNoImageGivesAnEmptyMap)
{
    capture("CaptureAsMap1", 3, {1, 2, 0, 4, 5, 6});
    capture("CaptureAsMap2", 2, {2, 0, -1, 5});
    QElapsedTimer t;
    t.start();
    EXPECT_EQ(process("ProcTypeSub", 1 << 30, 1 << 30), QVector<double>(6, 18.0 - 6.0));
    EXPECT_EQ(process("ProcTypeSub", INT_MAX, INT_MAX), QVector<double>(6, 18.0 - 6.0));
    EXPECT_LT(t.elapsed(), 2000);

    DebugCapture log;   // no walker: one block at (0, 0) of an empty area
    w<QPushButton>("AskProcessMaps")->click();
    EXPECT_EQ(log.messages(), QStringList("0 0 -1 0 0 0 0 0"));
    EXPECT_EQ(a.processedMap.data, nullptr);
}

// Fixed Scale draws an element map on the range it showed when the box was
// checked, never on the 1e300 .. -1e300 that marks "no value" (as a new
// row's maps hold).
TEST_F(AnalyzerMaps, FixedScaleGivesElementMapsARealRange)
{
    a.setTargetElements("Fe");
    ASSERT_EQ(a.elems.size(), 1);
    Analyzed2DRes *fe = a.elems[0]->map(0);
    AnalyzeCond c;
    c.init(4, 2, 0, 0, QRectF(0, 0, 4, 2), -1, -1);
    fe->setArea(c);
    for (int i = 0; i < 8; i++)
        fe->setData(i % 4, i / 4, 0, 0, 0.5 + 0.25 * i);
    a.setFixedScale(true);
    EXPECT_EQ(QPointF(fe->scaleMin(), fe->scaleMax()), QPointF(0.5, 2.25));
    QSet<QRgb> greys;
    for (int i = 0; i < 8; i++)
        greys << fe->image->pixel(i % 4, i / 4);
    EXPECT_GT(greys.size(), 4);
    fe->setData(0, 0, 0, 0, 10.0);
    EXPECT_EQ(fe->scaleMax(), 2.25);   // fixed while the box stays checked
}
