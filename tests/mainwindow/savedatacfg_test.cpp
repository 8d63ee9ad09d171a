#include <QCheckBox>
#include <QFrame>
#include <QLineEdit>
#include <QRadioButton>
#include <gtest/gtest.h>

#include "mainwindow/savedatacfg.h"
#include "support/testfiles.h"

namespace {

template <class T>
T *part(const SaveDataCfg &cfg, const char *name)
{
    T *w = cfg.findChild<T *>(name);
    if (w == nullptr)
        ADD_FAILURE() << "no widget " << name;
    return w;
}

// The form widgets, found by their object names.
struct CfgParts
{
    QRadioButton *SaveAsTiff, *SaveAsTextData, *DataCommaSeparated, *DataSpaceSeparated,
        *DataXYVal, *DataValValVal;
    QFrame *TiffCfg, *TextCfg;
    QCheckBox *TiffFixedScale, *TiffAsAnalyzed;
    QLineEdit *TiffScaleMin, *TiffScaleMax;

    explicit CfgParts(const SaveDataCfg &c)
        : SaveAsTiff(part<QRadioButton>(c, "SaveAsTiff")),
          SaveAsTextData(part<QRadioButton>(c, "SaveAsTextData")),
          DataCommaSeparated(part<QRadioButton>(c, "DataCommaSeparated")),
          DataSpaceSeparated(part<QRadioButton>(c, "DataSpaceSeparated")),
          DataXYVal(part<QRadioButton>(c, "DataXYVal")),
          DataValValVal(part<QRadioButton>(c, "DataValValVal")),
          TiffCfg(part<QFrame>(c, "TiffCfg")),
          TextCfg(part<QFrame>(c, "TextCfg")),
          TiffFixedScale(part<QCheckBox>(c, "TiffFixedScale")),
          TiffAsAnalyzed(part<QCheckBox>(c, "TiffAsAnalyzed")),
          TiffScaleMin(part<QLineEdit>(c, "TiffScaleMin")),
          TiffScaleMax(part<QLineEdit>(c, "TiffScaleMax"))
    {
    }
    bool complete() const
    {
        return SaveAsTiff && SaveAsTextData && DataCommaSeparated && DataSpaceSeparated
               && DataXYVal && DataValValVal && TiffCfg && TextCfg && TiffFixedScale
               && TiffAsAnalyzed && TiffScaleMin && TiffScaleMax;
    }
};

} // namespace

TEST(SaveDataCfgForm, DefaultsAfterConstruction)
{
    SaveDataCfg cfg;
    CfgParts ui(cfg);
    ASSERT_TRUE(ui.complete());
    EXPECT_EQ(cfg.windowTitle(), "Save Data Configuration");
    EXPECT_TRUE(ui.SaveAsTiff->isChecked());
    EXPECT_FALSE(ui.SaveAsTextData->isChecked());
    EXPECT_TRUE(ui.TiffCfg->isEnabled());
    EXPECT_FALSE(ui.TextCfg->isEnabled());
    EXPECT_TRUE(ui.TiffFixedScale->isChecked());
    EXPECT_EQ(ui.TiffScaleMin->text(), "0");
    EXPECT_EQ(ui.TiffScaleMax->text(), "10");
    EXPECT_TRUE(ui.TiffScaleMin->alignment() & Qt::AlignRight);
    EXPECT_TRUE(ui.TiffAsAnalyzed->isChecked());
    EXPECT_TRUE(ui.DataCommaSeparated->isChecked());
    EXPECT_FALSE(ui.DataSpaceSeparated->isChecked());
    EXPECT_TRUE(ui.DataXYVal->isChecked());
    EXPECT_FALSE(ui.DataValValVal->isChecked());
    EXPECT_EQ(ui.SaveAsTiff->text(), "Save as Tiff");
    EXPECT_EQ(ui.SaveAsTextData->text(), "Save as Text data");
    EXPECT_EQ(ui.DataXYVal->text(), "X Y Val : 1point/1line");
    EXPECT_EQ(ui.DataValValVal->text(), "Val1 Val2 Val3... : each Y line");
    EXPECT_EQ(ui.TiffAsAnalyzed->text(), "Save as Analyzed Area Size and Resolution");

    // The same choices as the saving reads them.
    EXPECT_TRUE(cfg.saveAsTiff());
    EXPECT_TRUE(cfg.saveTiffScaleFixed());
    EXPECT_DOUBLE_EQ(cfg.saveTiffScaleMin(), 0.0);
    EXPECT_DOUBLE_EQ(cfg.saveTiffScaleMax(), 10.0);
    EXPECT_TRUE(cfg.saveTiffAsAnalyzed());
    EXPECT_TRUE(cfg.saveTextAsCSV());
    EXPECT_TRUE(cfg.saveTextAsXYVal());
}

TEST(SaveDataCfgForm, TiffAndTextSwitchTheFrames)
{
    SaveDataCfg cfg;
    CfgParts ui(cfg);
    ASSERT_TRUE(ui.complete());
    cfg.setSaveAsText();
    EXPECT_TRUE(ui.SaveAsTextData->isChecked());
    EXPECT_FALSE(cfg.saveAsTiff());
    EXPECT_FALSE(ui.TiffCfg->isEnabled());
    EXPECT_TRUE(ui.TextCfg->isEnabled());
    cfg.setSaveAsTiff();
    EXPECT_TRUE(cfg.saveAsTiff());
    EXPECT_TRUE(ui.TiffCfg->isEnabled());
    EXPECT_FALSE(ui.TextCfg->isEnabled());
}

TEST(SaveDataCfgForm, SeparatorAndLayoutAreIndependent)
{
    SaveDataCfg cfg;
    CfgParts ui(cfg);
    ASSERT_TRUE(ui.complete());
    cfg.setSaveTextAsValValVal();
    cfg.setSaveTextAsSSV();
    EXPECT_TRUE(ui.DataSpaceSeparated->isChecked());
    EXPECT_FALSE(cfg.saveTextAsCSV());
    EXPECT_TRUE(ui.DataValValVal->isChecked());
    EXPECT_FALSE(cfg.saveTextAsXYVal());
    cfg.setSaveTextAsCSV();
    EXPECT_TRUE(ui.DataValValVal->isChecked());
    cfg.setSaveTextAsXYVal();
    EXPECT_TRUE(cfg.saveTextAsCSV());
    EXPECT_TRUE(cfg.saveTextAsXYVal());
}

TEST(SaveDataCfgForm, SettersWriteTheirControls)
{
    SaveDataCfg cfg;
    CfgParts ui(cfg);
    ASSERT_TRUE(ui.complete());
    cfg.setSaveTiffScaleMax(1.5e6);
    EXPECT_EQ(ui.TiffScaleMax->text(), "1.5e+06");
    EXPECT_DOUBLE_EQ(cfg.saveTiffScaleMax(), 1.5e6);
    cfg.setSaveTiffScaleMax(0.1);
    EXPECT_EQ(ui.TiffScaleMax->text(), "0.1");
    cfg.setSaveTiffScaleMax(65535.0);
    EXPECT_EQ(ui.TiffScaleMax->text(), "65535");
    cfg.setSaveTiffScaleMin(-2.25);
    EXPECT_EQ(ui.TiffScaleMin->text(), "-2.25");
    EXPECT_DOUBLE_EQ(cfg.saveTiffScaleMin(), -2.25);
    cfg.setSaveTiffScaleFixed(false);
    EXPECT_FALSE(cfg.saveTiffScaleFixed());
    cfg.setSaveTiffAsAnalyzed(false);
    EXPECT_FALSE(cfg.saveTiffAsAnalyzed());
    // Setters change only what they name.
    EXPECT_TRUE(ui.SaveAsTiff->isChecked());
    EXPECT_TRUE(ui.DataCommaSeparated->isChecked());
}

TEST(SaveDataCfgForm, RangeTextThatIsNoNumberReadsAsZero)
{
    SaveDataCfg cfg;
    CfgParts ui(cfg);
    ASSERT_TRUE(ui.complete());
    DebugCapture log;
    ui.TiffScaleMax->setText("abc");
    EXPECT_DOUBLE_EQ(cfg.saveTiffScaleMax(), 0.0);
    EXPECT_TRUE(log.contains("TiffScaleMax"));
    ui.TiffScaleMin->setText("inf");
    EXPECT_DOUBLE_EQ(cfg.saveTiffScaleMin(), 0.0);
    EXPECT_TRUE(log.contains("TiffScaleMin"));
}
