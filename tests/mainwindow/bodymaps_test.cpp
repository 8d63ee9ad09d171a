// The analysis window's Map1 read from an energy-shift map file through the
// main window's reader.
#include <QLineEdit>
#include <gtest/gtest.h>

#include "analysis/ui/analyzer.h"
#include "calibration/empfile.h"
#include "calibration/ui/calibctrl.h"
#include "mainwindow/body.h"
#include "support/testfiles.h"

TEST(BodyMaps, Map1IsReadFromAnEmpFileAndABadFileChangesNothing)
{
    Body body;
    TestFiles files;
    body.calibrationWindow()->setEdgeEV("");   // the file's edge energy
    Analyzer *a = body.analysisWindow();
    QLineEdit *name = a->findChild<QLineEdit *>("Map1Name");

    const double shifts[6] = {0.0, 1.5, -2.0, 3.0, 0.25, -0.5};
    AnalyzeCond c;
    c.init(3, 2, 0, 0, QRectF(0, 0, 3, 2), -1, -1);
    Analyzed2DRes m;
    m.setArea(c);
    for (int i = 0; i < 6; i++)
        m.setData(i % 3, i / 3, 0, 0, shifts[i]);
    EMPHeader h;
    h.width = h.areaX1 = 3;
    h.height = h.areaY1 = 2;
    h.stdEdgeEnergy = 8979;
    h.spacing = 3.13553;
    const QString path = files.path("m.emp");
    ASSERT_TRUE(EmpFile::write(path, h, "std.dat", m));

    a->loadMap1(path);
    EXPECT_EQ(name->text(), path);
    ASSERT_EQ(a->map1.area.width, 3);
    EXPECT_TRUE(a->map1.imageValid);
    for (int i = 0; i < 6; i++)
        EXPECT_NEAR(a->map1.value(i % 3, i / 3), shifts[i], 1e-3) << i;
    EXPECT_EQ(a->map2.data, nullptr);

    a->loadMap1(files.writeText("bad.emp", "###VTSC\nWidth [pix]             : 3\n"));
    a->loadMap1(files.path("missing.emp"));
    EXPECT_EQ(name->text(), path);
    EXPECT_NEAR(a->map1.value(1, 0), 1.5, 1e-3);
}
