#include <QApplication>
#include <gtest/gtest.h>

#include "core/globals.h"
#include "core/physicaltables.h"
#include "display/colorbar.h"
#include "imagedata/analyzed2dres.h"
#include "imagedata/tiffdata.h"
#include "support/imagefixtures.h"
#include "support/testfiles.h"

// Nothing here calls an initialisation: the tables a widget, a reader or a
// map needs are there from the start.
namespace {

TEST(NoInitialisation, ColourBarFramesMapsAndTablesWork)
{
    ColorBar bar;
    bar.resize(20, 200);
    bar.format = ImageFormatRGB888;
    bar.paintCBar();
    EXPECT_EQ(bar.colorOfH(200), QColor(255, 255, 255));
    EXPECT_EQ(paletteColor(2), QColor(0, 0, 255));

    TestFiles files;
    const QString path = files.write("f.tif", ImageFixtures::tiff(4, 3, ImageFixtures::pattern16(4, 3)));
    TiffData frame;
    ASSERT_TRUE(frame.load(path, nullptr));
    ASSERT_NE(frame.image, nullptr);
    EXPECT_EQ(frame.image->size(), QSize(4, 3));
    frame.imageFormat = ImageFormatRGB888;
    frame.makeImage(bar.scale());
    EXPECT_EQ(frame.image->format(), QImage::Format_RGB888);
    EXPECT_EQ(QColor(frame.image->pixel(0, 0)), QColor(0, 0, 0));   // the smallest value

    Analyzed2DRes map("map");
    AnalyzeCond walk;
    walk.init(4, 3, 0, 0, QRectF(0, 0, 4, 3), 1, 1);
    map.setArea(walk);
    map.setData(0, 0, 0, 0, -1.0);
    map.setData(1, 1, 0, 0, 5.0);
    map.colorScale = bar.scale();
    map.imageFormat = ImageFormatRGB888;
    map.genImg();
    ASSERT_NE(map.image, nullptr);
    EXPECT_EQ(QColor(map.image->pixel(1, 1)), QColor(255, 255, 255));
    EXPECT_EQ(QColor(map.image->pixel(0, 0)), QColor(0, 0, 0));
    EXPECT_EQ(QColor(map.image->pixel(2, 2)), QColor(127, 0, 0));   // 0 is a sixth up: dark red

    // The Victoreen table loads on first use.
    EXPECT_DOUBLE_EQ(edgeEnergyEV(29, 0), 8984.36029);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
