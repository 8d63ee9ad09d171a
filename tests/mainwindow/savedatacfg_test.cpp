#include <gtest/gtest.h>

// The form is generated for this program too.
#include "ui_savedatacfg.h"
#include "mainwindow/savedatacfg.h"

TEST(SaveDataCfgForm, DefaultsAfterConstruction)
{
    SaveDataCfg cfg;
    EXPECT_EQ(cfg.windowTitle(), "Save Data Configuration");
    EXPECT_TRUE(cfg.SaveAsTiff->isChecked());
    EXPECT_FALSE(cfg.SaveAsTextData->isChecked());
    EXPECT_TRUE(cfg.TiffCfg->isEnabled());
    EXPECT_FALSE(cfg.TextCfg->isEnabled());
    EXPECT_TRUE(cfg.TiffFixedScale->isChecked());
    EXPECT_EQ(cfg.TiffScaleMin->text(), "0");
    EXPECT_EQ(cfg.TiffScaleMax->text(), "10");
    EXPECT_TRUE(cfg.TiffScaleMin->alignment() & Qt::AlignRight);
    EXPECT_TRUE(cfg.TiffAsAnalyzed->isChecked());
    EXPECT_TRUE(cfg.DataCommaSeparated->isChecked());
    EXPECT_FALSE(cfg.DataSpaceSeparated->isChecked());
    EXPECT_TRUE(cfg.DataXYVal->isChecked());
    EXPECT_FALSE(cfg.DataValValVal->isChecked());
    EXPECT_EQ(cfg.SaveAsTiff->text(), "Save as Tiff");
    EXPECT_EQ(cfg.SaveAsTextData->text(), "Save as Text data");
    EXPECT_EQ(cfg.DataXYVal->text(), "X Y Val : 1point/1line");
    EXPECT_EQ(cfg.DataValValVal->text(), "Val1 Val2 Val3... : each Y line");
    EXPECT_EQ(cfg.TiffAsAnalyzed->text(), "Save as Analyzed Area Size and Resolution");
}

TEST(SaveDataCfgForm, TiffAndTextSwitchTheFrames)
{
    SaveDataCfg cfg;
    cfg.setSaveAsText();
    EXPECT_TRUE(cfg.SaveAsTextData->isChecked());
    EXPECT_FALSE(cfg.SaveAsTiff->isChecked());
    EXPECT_FALSE(cfg.TiffCfg->isEnabled());
    EXPECT_TRUE(cfg.TextCfg->isEnabled());
    cfg.setSaveAsTiff();
    EXPECT_TRUE(cfg.TiffCfg->isEnabled());
    EXPECT_FALSE(cfg.TextCfg->isEnabled());
}

TEST(SaveDataCfgForm, SeparatorAndLayoutAreIndependent)
{
    SaveDataCfg cfg;
    cfg.setSaveTextAsValValVal();
    cfg.setSaveTextAsSSV();
    EXPECT_TRUE(cfg.DataSpaceSeparated->isChecked());
    EXPECT_FALSE(cfg.DataCommaSeparated->isChecked());
    EXPECT_TRUE(cfg.DataValValVal->isChecked());
    EXPECT_FALSE(cfg.DataXYVal->isChecked());
    cfg.setSaveTextAsCSV();
    EXPECT_TRUE(cfg.DataValValVal->isChecked());
    cfg.setSaveTextAsXYVal();
    EXPECT_TRUE(cfg.DataCommaSeparated->isChecked());
    EXPECT_TRUE(cfg.DataXYVal->isChecked());
}

TEST(SaveDataCfgForm, SettersWriteTheirControls)
{
    SaveDataCfg cfg;
    cfg.setSaveTiffScaleMax(1.5e6);
    EXPECT_EQ(cfg.TiffScaleMax->text(), "1.5e+06");
    cfg.setSaveTiffScaleMax(0.1);
    EXPECT_EQ(cfg.TiffScaleMax->text(), "0.1");
    cfg.setSaveTiffScaleMin(-2.25);
    EXPECT_EQ(cfg.TiffScaleMin->text(), "-2.25");
    cfg.setSaveTiffScaleFixed(false);
    EXPECT_FALSE(cfg.TiffFixedScale->isChecked());
    cfg.setSaveTiffAsAnalyzed(false);
    EXPECT_FALSE(cfg.TiffAsAnalyzed->isChecked());
    // Setters change only what they name.
    EXPECT_TRUE(cfg.SaveAsTiff->isChecked());
    EXPECT_TRUE(cfg.DataCommaSeparated->isChecked());
}
