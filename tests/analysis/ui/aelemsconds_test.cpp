#include <QLineEdit>
#include <gtest/gtest.h>

#include "analysis/ui/aelemsconds.h"
#include "support/testfiles.h"

TEST(AElemsCondsPanel, FreshPanelGivesTheDefaultBackgrounds)
{
    AElemsConds panel;
    const AElemsCondsData d = panel.snapshot();
    const AElemsCondsData defaults;
    EXPECT_DOUBLE_EQ(d.bgDMut, defaults.bgDMut);
    EXPECT_DOUBLE_EQ(d.bgDMutR, defaults.bgDMutR);
    EXPECT_DOUBLE_EQ(d.bgDE, defaults.bgDE);
    EXPECT_DOUBLE_EQ(d.bgROI, -1.0);
    EXPECT_DOUBLE_EQ(d.bgNROI, -1.0);
    EXPECT_STREQ(panel.metaObject()->className(), "AElemsConds");
}

TEST(AElemsCondsPanel, ValuesRoundTripThroughTheFields)
{
    AElemsConds panel;
    panel.setBgDMut(0.125);
    panel.setBgDMutR(2.0);
    panel.setBgDE(-3.5);
    panel.setBgROI(0.3);
    panel.setBgNROI(1.23456789);

    EXPECT_EQ(panel.bgROIEdit()->text(), "0.3");
    EXPECT_EQ(panel.bgNROIEdit()->text(), "1.23457");
    const AElemsCondsData d = panel.snapshot();
    EXPECT_DOUBLE_EQ(d.bgDMut, 0.125);
    EXPECT_DOUBLE_EQ(d.bgDMutR, 2.0);
    EXPECT_DOUBLE_EQ(d.bgDE, -3.5);
    EXPECT_DOUBLE_EQ(d.bgROI, 0.3);
    EXPECT_DOUBLE_EQ(d.bgNROI, 1.23457);
}

TEST(AElemsCondsPanel, FieldThatIsNoNumberCountsAsZero)
{
    AElemsConds panel;
    for (const char *text : {"", "abc", "nan", "1,5"}) {
        DebugCapture log;
        panel.bgROIEdit()->setText(text);
        panel.bgNROIEdit()->setText("0.5");
        const AElemsCondsData d = panel.snapshot();
        EXPECT_DOUBLE_EQ(d.bgROI, 0.0) << text;
        EXPECT_DOUBLE_EQ(d.bgNROI, 0.5) << text;
        EXPECT_TRUE(log.contains("AElemsConds:")) << text;
        EXPECT_TRUE(log.contains("BGVROI")) << text;
    }
}
