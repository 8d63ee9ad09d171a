#include <QDir>
#include <gtest/gtest.h>

#include "core/cfg.h"
#include "support/testfiles.h"

namespace {

// argv as the program receives it: the program path first, then the given words.
struct Args
{
    explicit Args(QList<QByteArray> words) : bytes(words)
    {
        bytes.prepend("/usr/bin/vantoscope");
        for (QByteArray &b : bytes)
            ptrs << b.data();
    }
    int argc() const { return ptrs.size(); }
    char **argv() { return ptrs.data(); }
    QList<QByteArray> bytes;
    QVector<char *> ptrs;
};

Cfg parsed(QList<QByteArray> words)
{
    Args a(words);
    Cfg c;
    c.parseArgs(a.argc(), a.argv());
    return c;
}

TEST(CfgStore, ExactUpperCaseAndHistoryViews)
{
    Cfg c;
    c.add("DataRoot", "/a", " /a x", "first");
    c.add("dataroot", "/b", " /b", "second");
    c.add("DataRoot", "/c", " /c", "third");

    EXPECT_EQ(c.keys, QStringList({"DataRoot", "dataroot"}));
    EXPECT_EQ(c.valueList, QStringList({"/c", "/b"}));
    EXPECT_EQ(c.rests, QStringList({" /c", " /b"}));
    EXPECT_EQ(c.sources, QStringList({"first", "second"}));

    EXPECT_EQ(c.upperKeys, QStringList({"DATAROOT"}));
    EXPECT_EQ(c.upperValues, QStringList({"/c"}));
    EXPECT_EQ(c.upperRests, QStringList({" /c"}));
    EXPECT_EQ(c.upperSources, QStringList({"first"}));

    EXPECT_EQ(c.historyKeys, QStringList({"DataRoot", "dataroot", "DataRoot"}));
    EXPECT_EQ(c.historyUpperKeys, QStringList({"DATAROOT", "DATAROOT", "DATAROOT"}));
    EXPECT_EQ(c.historyValues, QStringList({"/a", "/b", "/c"}));
    EXPECT_EQ(c.historyRests, QStringList({" /a x", " /b", " /c"}));
    EXPECT_EQ(c.historySources, QStringList({"first", "second", "third"}));
}

TEST(CfgStore, Lookups)
{
    Cfg c;
    c.add("Key", "v1", " v1", "");
    c.add("Empty", "", "", "");
    EXPECT_EQ(c.value("Key", "def"), "v1");
    EXPECT_EQ(c.value("KEY", "def"), "def");
    EXPECT_EQ(c.valueNoCase("kEy", "def"), "v1");
    EXPECT_EQ(c.valueNoCase("none", "def"), "def");
    // Present with an empty value: the empty text, not the default.
    EXPECT_EQ(c.value("Empty", "def"), QString(""));

    const QStringList match = {"a", "b", "a", "A"};
    const QStringList result = {"1", "2", "3", "4"};
    EXPECT_EQ(c.values("a", match, result), QStringList({"1", "3"}));
    EXPECT_EQ(c.values("z", match, result), QStringList());
    // Lists of unequal length are read only where both have entries.
    EXPECT_EQ(c.values("a", match, {"1", "2"}), QStringList({"1"}));
}

TEST(CfgArguments, OptionsValuesAndRests)
{
    Cfg c = parsed({"stray", "-c", "my.cfg", "-x", "-b", "one", "two", "three", "-d"});
    EXPECT_EQ(c.keys, QStringList({"-c", "-x", "-b", "-d"}));
    EXPECT_EQ(c.value("-c", "?"), "my.cfg");
    EXPECT_EQ(c.value("-x", "?"), QString());
    EXPECT_EQ(c.value("-b", "?"), "one");
    EXPECT_EQ(c.rests[2], "one two three");
    EXPECT_EQ(c.value("-d", "?"), QString());
    EXPECT_EQ(c.historySources, QStringList({"", "", "", ""}));

    // A value can never begin with '-': a negative number becomes a key.
    c = parsed({"-shift", "-5"});
    EXPECT_EQ(c.keys, QStringList({"-shift", "-5"}));
    EXPECT_EQ(c.value("-shift", "?"), QString());

    // A repeated option replaces the earlier value; history keeps both.
    c = parsed({"-d", "/one", "-d", "/two"});
    EXPECT_EQ(c.value("-d", ""), "/two");
    EXPECT_EQ(c.historyValues, QStringList({"/one", "/two"}));

    c = parsed({});
    EXPECT_TRUE(c.keys.isEmpty());
    c.parseArgs(3, nullptr);
    EXPECT_TRUE(c.keys.isEmpty());
}

TEST(CfgArguments, NonAsciiArgumentsKeepTheirCharacters)
{
    const QString dir = QString::fromUtf8("/data/\xC3\xA9t\xC3\xA9/\xE6\x97\xA5\xE6\x9C\xAC");
    Cfg c = parsed({"-d", dir.toLocal8Bit()});
    EXPECT_EQ(c.value("-d", ""), dir);
}

TEST(CfgFile, LinesKeysValuesAndRests)
{
    TestFiles files;
    const QString f = files.writeText(
        "config.cfg",
        "# comment line\n"
        "\n"
        "   \t  # indented comment\n"
        "DataRoot /first/path\n"
        "DataRoot /second/path   # moved\n"
        "dataroot /lower\n"
        "batch load_I1_files NEW a.tif\n"
        "BATCH quit\n"
        "Name \"C:/My Data/#1\" third # note\n"
        "Title it's#not-a-comment\n"
        "OnlyKey\n"
        "\"Quoted Key\"value\n");
    DebugCapture log;
    Cfg c;
    c.readFile(f);
    EXPECT_FALSE(log.contains("Can't open config file"));

    EXPECT_EQ(c.value("DataRoot", ""), "/second/path");
    EXPECT_EQ(c.valueNoCase("DataRoot", ""), "/lower");
    EXPECT_EQ(c.historyValues.mid(0, 3), QStringList({"/first/path", "/second/path", "/lower"}));
    EXPECT_EQ(c.rests[c.keys.indexOf("DataRoot")], " /second/path   ");

    EXPECT_EQ(c.values("BATCH", c.historyUpperKeys, c.historyRests),
              QStringList({" load_I1_files NEW a.tif", " quit"}));

    EXPECT_EQ(c.value("Name", ""), "C:/My Data/#1");
    EXPECT_EQ(c.rests[c.keys.indexOf("Name")], " \"C:/My Data/#1\" third ");
    EXPECT_EQ(c.value("Title", ""), "it's#not-a-comment");

    EXPECT_TRUE(c.keys.contains("OnlyKey"));
    EXPECT_EQ(c.value("OnlyKey", "?"), QString());
    EXPECT_EQ(c.rests[c.keys.indexOf("OnlyKey")], QString());

    // A quoted key: the rest starts right after its closing quote.
    EXPECT_EQ(c.value("Quoted Key", ""), "value");
    EXPECT_EQ(c.rests[c.keys.indexOf("Quoted Key")], "value");

    EXPECT_EQ(c.historyKeys.size(), 9);
}

TEST(CfgFile, MissingFileChangesNothing)
{
    TestFiles files;
    DebugCapture log;
    Cfg c;
    c.add("k", "v", " v", "");
    c.readFile(files.path("absent.cfg"));
    c.readFile(QString());
    EXPECT_EQ(c.historyKeys, QStringList({"k"}));
    EXPECT_TRUE(log.messages().contains("Can't open config file : " + files.path("absent.cfg")));
    EXPECT_TRUE(log.messages().contains("Can't open config file : "));
    EXPECT_EQ(log.count("Can't open config file : "), 2);
}

TEST(CfgFile, IncludedEntriesComeInPlace)
{
    TestFiles files;
    const QString inner = files.writeText("inner.cfg", "ErrPoints bad.dat\nbatch inner\n");
    files.writeText("sub/second.cfg", "batch second\n");
    const QString outer = files.writeText(
        "outer.cfg", "batch before\ninclude " + inner + "\nbatch between\nINCLUDE \"" +
                         files.path("missing.cfg") + "\"\nInClUdE sub/second.cfg\nbatch after\n");
    // A relative path is taken from the working directory, not from the including file.
    const QString cwd = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(files.dir()));
    Cfg c;
    c.readFile(outer);
    QDir::setCurrent(cwd);

    EXPECT_EQ(c.values("BATCH", c.historyUpperKeys, c.historyRests),
              QStringList({" before", " inner", " between", " second", " after"}));
    EXPECT_EQ(c.valueNoCase("errpoints", ""), "bad.dat");
    EXPECT_FALSE(c.upperKeys.contains("INCLUDE"));
}

TEST(CfgFile, IncludeLoopsEndAndSiblingsStillRead)
{
    TestFiles files;
    const QString a = files.path("a.cfg");
    const QString b = files.path("b.cfg");
    const QString self = files.path("self.cfg");
    files.writeText("a.cfg", "batch a1\nINCLUDE " + b + "\nbatch a2\n");
    files.writeText("b.cfg", "batch b1\nINCLUDE " + files.dir() + "/./a.cfg\nbatch b2\n");
    files.writeText("self.cfg", "batch s\nINCLUDE " + self + "\n");
    files.writeText("twice.cfg", "INCLUDE " + self + "\nINCLUDE " + self + "\n");

    DebugCapture log;
    Cfg c;
    c.readFile(a);
    EXPECT_EQ(c.values("BATCH", c.historyUpperKeys, c.historyRests),
              QStringList({" a1", " b1", " b2", " a2"}));
    EXPECT_EQ(log.count("INCLUDE loop skipped"), 1);

    Cfg s;
    s.readFile(self);
    EXPECT_EQ(s.historyRests, QStringList({" s"}));

    // The same file included twice, one after the other, is no loop.
    Cfg t;
    t.readFile(files.path("twice.cfg"));
    EXPECT_EQ(t.historyRests, QStringList({" s", " s"}));
}

TEST(CfgInit, ArgumentsThenTheChosenFile)
{
    TestFiles files;
    const QString one = files.writeText("one.cfg", "From one\n-d /from/file\n");
    const QString two = files.writeText("two.cfg", "From two\n");

    Args a({"-d", "/from/args", "-config", two.toLocal8Bit(), "-c", one.toLocal8Bit()});
    Cfg c;
    c.init(a.argc(), a.argv(), QString(), {"-config", "-C"});
    // The last listed key that is present wins, compared without case.
    EXPECT_EQ(c.value("From", ""), "one");
    // A file line with an option's key replaces the option.
    EXPECT_EQ(c.value("-d", ""), "/from/file");

    Cfg d;
    d.init(a.argc(), a.argv(), two, {"-nothing"});
    EXPECT_EQ(d.value("From", ""), "two");

    Cfg e;
    e.init(a.argc(), a.argv(), QString(), {});
    EXPECT_FALSE(e.keys.contains("From"));
    EXPECT_EQ(e.value("-d", ""), "/from/args");
}

TEST(CfgFile, NonAsciiFileName)
{
    TestFiles files;
    const QString f =
        files.writeText(QString::fromUtf8("\xE8\xA8\xAD\xE5\xAE\x9A-\xC3\xA9.cfg"), "K v\n");
    Cfg c;
    c.readFile(f);
    EXPECT_EQ(c.value("K", ""), "v");
}

}  // namespace
