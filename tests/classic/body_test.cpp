#include <QRadioButton>
#include <gtest/gtest.h>

#include "mainwindow/body.h"
#include "support/testfiles.h"
#include "variant/variant.h"

// Every image-type change logs once for the button turned off and once for
// the one turned on.
TEST(ClassicBody, ImageTypeChangeLogsEachToggle)
{
    ASSERT_TRUE(Variant::isClassic());
    Body body;
    DebugCapture log;
    int expected = 0;
    for (const char *name : {"ShowI0", "ShowShiftMap", "ShowResAnalysis", "ShowData"}) {
        auto *b = body.findChild<QRadioButton *>(name);
        ASSERT_NE(b, nullptr) << name;
        b->setChecked(true);
        expected += 2;
        EXPECT_EQ(log.count("disp img selected"), expected) << name;
    }
    // Checking the checked button again changes nothing and logs nothing.
    body.findChild<QRadioButton *>("ShowData")->setChecked(true);
    EXPECT_EQ(log.count("disp img selected"), expected);
}
