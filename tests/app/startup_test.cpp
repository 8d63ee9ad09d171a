#include <QCoreApplication>
#include <QTranslator>
#include <gtest/gtest.h>

#include "core/cfg.h"
#include "core/globals.h"
#include "app/startup.h"
#include "support/testfiles.h"

namespace {

// Builds a store as start-up does: arguments first, then the file.
Cfg storeFrom(QList<QByteArray> args, const QString &file = QString())
{
    args.prepend("vantoscope");
    QVector<char *> argv;
    for (QByteArray &a : args)
        argv << a.data();
    Cfg c;
    c.parseArgs(argv.size(), argv.data());
    if (!file.isEmpty())
        c.readFile(file);
    return c;
}

struct StartupSettings : ::testing::Test
{
    void SetUp() override
    {
        dataRoot = batchRoot = "C:/Data";
        showAnalyzer2Button = false;
    }
    TestFiles files;
};

TEST_F(StartupSettings, ConfigFileChoice)
{
    const QString beside = files.writeText("config.cfg", "DataRoot /d\n");
    EXPECT_EQ(chooseConfigFile(storeFrom({}), files.dir()), beside);
    EXPECT_EQ(chooseConfigFile(storeFrom({"-c", "a.cfg"}), files.dir()), "a.cfg");
    EXPECT_EQ(chooseConfigFile(storeFrom({"-config", "b.cfg", "-c", "a.cfg"}), files.dir()), "b.cfg");
    EXPECT_EQ(chooseConfigFile(storeFrom({}), files.path("nowhere")), QString());
}

TEST_F(StartupSettings, CommandLineWinsOverFileUnlessFileRepeatsTheOption)
{
    const QString f = files.writeText("c.cfg", "DataRoot /file/data\nBatchRoot /file/batch\n");
    applyStartupSettings(storeFrom({"-d", "/cmd/data"}, f));
    EXPECT_EQ(dataRoot, "/cmd/data");
    EXPECT_EQ(batchRoot, "/file/batch");

    // A file line keyed "-d" replaces the option's value.
    const QString g = files.writeText("g.cfg", "-d /file/dash\n");
    applyStartupSettings(storeFrom({"-d", "/cmd/data"}, g));
    EXPECT_EQ(dataRoot, "/file/dash");

    // "-d" last on the line: present with an empty value.
    applyStartupSettings(storeFrom({"-d"}));
    EXPECT_EQ(dataRoot, QString());
}

TEST_F(StartupSettings, Analyzer2Button)
{
    const QString on = files.writeText("on.cfg", "ShowAnalyzer2Button 1\n");
    applyStartupSettings(storeFrom({}, on));
    EXPECT_TRUE(showAnalyzer2Button);
    applyStartupSettings(storeFrom({"-showA2B", "0"}, on));
    EXPECT_FALSE(showAnalyzer2Button);
    applyStartupSettings(storeFrom({"-showA2B"}, on));
    EXPECT_FALSE(showAnalyzer2Button);
    applyStartupSettings(storeFrom({}, files.writeText("nan.cfg", "ShowAnalyzer2Button yes\n")));
    EXPECT_FALSE(showAnalyzer2Button);
    applyStartupSettings(storeFrom({"-showA2B", "1"}));
    EXPECT_TRUE(showAnalyzer2Button);
}

TEST_F(StartupSettings, Options)
{
    StartupOptions o = startupOptions(storeFrom({"-b", "run.bat", "-x", "-e"}));
    EXPECT_EQ(o.batchFile, "run.bat");
    EXPECT_TRUE(o.execBatch);
    EXPECT_TRUE(o.noTranslation);
    o = startupOptions(storeFrom({"-b", "-x"}));
    EXPECT_EQ(o.batchFile, QString());
    EXPECT_FALSE(o.loadsBatchFile());
    EXPECT_TRUE(o.execBatch);
    EXPECT_FALSE(o.noTranslation);
    // Without "-b" the default file of the working directory.
    o = startupOptions(storeFrom({"-x"}));
    EXPECT_EQ(o.batchFile, "batchFile.bat");
}

TEST(Translation, EmbeddedCatalogueLoadsAndTranslates)
{
    QTranslator t;
    ASSERT_TRUE(t.load(":Vantoscope_ja_JP", "/nonexistent"));
    EXPECT_FALSE(t.isEmpty());
}

// Translated, Qt's own dialogs speak the interface's language as well.
TEST(Translation, QtCatalogueGoesBesideTheProgramOne)
{
    const QString lookIn = QCoreApplication::translate("QFileDialog", "Look in:");
    {
        QTranslator own;
        ASSERT_TRUE(installTranslation(&own));
        EXPECT_NE(QCoreApplication::translate("QFileDialog", "Look in:"), lookIn);
        EXPECT_NE(QCoreApplication::translate("CalibCtrl", "Calibration"), "Calibration");
        qDeleteAll(qApp->findChildren<QTranslator *>(QString(), Qt::FindDirectChildrenOnly));
    }
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Look in:"), lookIn);
}

} // namespace
