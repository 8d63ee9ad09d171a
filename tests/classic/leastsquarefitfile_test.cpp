#include <gtest/gtest.h>

#include "core/leastsquare.h"
#include "support/testfiles.h"

namespace {

// The "# a, b " line of a fit, or an empty string when none was written.
QString reported(const DebugCapture &log)
{
    for (const QString &m : log.messages()) {
        if (m.startsWith("# a, b "))
            return m;
    }
    return QString();
}

} // namespace

TEST(ClassicFitFile, StraightLineAfterTheHeaderLine)
{
    TestFiles files;
    const QString f = files.writeText("line.dat", "x y\n1 3\n2 5\n");
    LeastSquare ls;
    DebugCapture log;
    ls.fitFile(f, 0, 1, 0);
    EXPECT_EQ(reported(log), "# a, b  1 2");
    EXPECT_EQ(ls.count, 2);
    EXPECT_NEAR(ls.coefficients[0], 1.0, 1e-9);
    EXPECT_NEAR(ls.coefficients[1], 2.0, 1e-9);
    EXPECT_NEAR(ls.rms, 0.0, 1e-6);
}

TEST(ClassicFitFile, HeaderReadAsPointWhenNoLineIsSkipped)
{
    TestFiles files;
    const QString f = files.writeText("line.dat", "x y\n1 3\n2 5\n");
    LeastSquare ls;
    DebugCapture log;
    ls.fitFile(f, 0, 1, -1);
    // The words give (0, 0): three points, not on one line.
    EXPECT_EQ(ls.count, 3);
    EXPECT_DOUBLE_EQ(ls.powerSums[1], 3.0);
    EXPECT_DOUBLE_EQ(ls.sumY2, 34.0);
    // The three points miss a line by 7 %: the report keeps the exact fit
    // through (0, 0) and (1, 3).
    EXPECT_TRUE(reported(log).endsWith(" 3")) << reported(log).toStdString();
}

TEST(ClassicFitFile, LeadingBlankShiftsTheColumnsAndShortLinesAreSkipped)
{
    TestFiles files;
    const QString f = files.writeText("shift.dat", " 1 3\n7\n");
    LeastSquare ls;
    ls.fitFile(f, 0, 1, -1);
    ASSERT_EQ(ls.count, 1);
    EXPECT_DOUBLE_EQ(ls.powerSums[1], 0.0);     // x from the empty item
    EXPECT_DOUBLE_EQ(ls.weightedSums[0], 1.0);  // y from "1"
    LeastSquare shifted;
    shifted.fitFile(f, 1, 2, -1);
    EXPECT_EQ(shifted.count, 1);
    EXPECT_DOUBLE_EQ(shifted.powerSums[1], 1.0);
    EXPECT_DOUBLE_EQ(shifted.weightedSums[0], 3.0);
}

// With every y 0 no fit is judged: a and b are reported as 0.
TEST(ClassicFitFile, ZeroSignalReportsZero)
{
    TestFiles files;
    const QString f = files.writeText("flat.dat", "1 0\n2 0\n3 0\n");
    LeastSquare ls;
    DebugCapture log;
    ls.fitFile(f, 0, 1, -1);
    EXPECT_EQ(ls.count, 3);
    EXPECT_EQ(reported(log), "# a, b  0 0");
}

TEST(ClassicFitFile, RefusedCallsLeaveTheObjectAlone)
{
    TestFiles files;
    const QString f = files.writeText("line.dat", "1 3\n2 5\n");
    {
        LeastSquare ls;
        DebugCapture log;
        ls.fitFile(files.path("missing.dat"), 0, 1, -1);
        EXPECT_TRUE(log.contains("LeastSquare:: Can't open"));
        EXPECT_TRUE(reported(log).isEmpty());
        EXPECT_EQ(ls.count, 0);
    }
    {
        LeastSquare ls;
        DebugCapture log;
        ls.fitFile(f, -1, 1, -1);
        EXPECT_TRUE(log.contains("LeastSquare::"));
        EXPECT_TRUE(reported(log).isEmpty());
        EXPECT_EQ(ls.count, 0);
    }
    {
        LeastSquare ls(1);
        DebugCapture log;
        ls.fitFile(f, 0, 1, -1);
        EXPECT_TRUE(log.contains("LeastSquare::"));
        EXPECT_TRUE(reported(log).isEmpty());
        EXPECT_EQ(ls.count, 0);
    }
}
