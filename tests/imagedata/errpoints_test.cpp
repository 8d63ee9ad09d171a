#include <QFileInfo>
#include <QMetaType>
#include <gtest/gtest.h>

#include "imagedata/errpoints.h"
#include "support/testfiles.h"

namespace {

QVector<QPoint> pts(std::initializer_list<QPoint> l) { return QVector<QPoint>(l); }

TEST(ErrPointsLoad, ReadsSizeAndPointsInFileOrder)
{
    TestFiles files;
    const QString f = files.writeText("bad.txt", "# Size 640 480\n10 20\n3 4\n10 20\n");
    ErrPoints e;
    ASSERT_TRUE(e.load(f, false));
    EXPECT_EQ(e.width, 640);
    EXPECT_EQ(e.height, 480);
    EXPECT_EQ(e.points, pts({QPoint(10, 20), QPoint(3, 4), QPoint(10, 20)}));
    EXPECT_FALSE(e.valid);   // the holder decides
    EXPECT_EQ(e.filePath, QFileInfo(f).canonicalFilePath());
}

TEST(ErrPointsLoad, MalformedLinesAreSkippedOrReadAsZero)
{
    TestFiles files;
    const QString f = files.writeText("bad.txt",
                                      "1 1\n"
                                      "# Size 8 9\n"          // drops the point above
                                      "12\n"                  // one item: skipped
                                      "12 abc\n"              // (12, 0)
                                      "5 6 # comment 7 8\n"   // comment removed
                                      "#Size 1 2\n"           // a comment, not a size line
                                      "   \n"
                                      "7\t8 9\n");
    ErrPoints e;
    ASSERT_TRUE(e.load(f, false));
    EXPECT_EQ(e.width, 8);
    EXPECT_EQ(e.height, 9);
    EXPECT_EQ(e.points, pts({QPoint(12, 0), QPoint(5, 6), QPoint(7, 8)}));
}

TEST(ErrPointsLoad, AppendKeepsEarlierPointsAndValidity)
{
    TestFiles files;
    const QString a = files.writeText("a.txt", "1 2\n");
    const QString b = files.writeText("b.txt", "3 4\n");
    const QString sized = files.writeText("c.txt", "# Size 2 2\n5 6\n");
    ErrPoints e;
    ASSERT_TRUE(e.load(a, false));
    e.valid = true;
    ASSERT_TRUE(e.load(b, true));
    EXPECT_TRUE(e.valid);
    EXPECT_EQ(e.points, pts({QPoint(1, 2), QPoint(3, 4)}));
    ASSERT_TRUE(e.load(sized, true));
    EXPECT_FALSE(e.valid);
    EXPECT_EQ(e.points, pts({QPoint(5, 6)}));
}

TEST(ErrPointsLoad, MissingFileLeavesAnEmptyListNotInUse)
{
    ErrPoints e;
    e.valid = true;
    e.width = 5;
    e.points << QPoint(1, 1);
    e.filePath = "x";
    EXPECT_FALSE(e.load("/nonexistent/dir/bad.txt", false));
    EXPECT_FALSE(e.valid);
    EXPECT_TRUE(e.points.isEmpty());
    EXPECT_TRUE(e.filePath.isEmpty());
    EXPECT_EQ(e.width, 5);
}

TEST(ErrPointsContains, IgnoresValidFlag)
{
    ErrPoints e;
    e.points << QPoint(3, 4);
    EXPECT_TRUE(e.contains(3, 4));
    EXPECT_FALSE(e.contains(4, 3));
    e.valid = true;
    EXPECT_TRUE(e.contains(3, 4));
}


} // namespace
