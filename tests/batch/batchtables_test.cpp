#include <QSet>
#include <QVariant>
#include <gtest/gtest.h>

#include "batch/batchcmdtables.h"
#include "batch/cmdline.h"
#include "support/testfiles.h"

namespace {

CmdLine parsed(const QString &text)
{
    CmdLine c;
    c.raw = text;
    c.parse(text);
    return c;
}

CmdLine word(const QString &cmd)
{
    CmdLine c;
    c.cmd = cmd;
    return c;
}

TEST(BatchVocabulary, TablesAreCompleteAndDistinct)
{
    ASSERT_EQ(ctlCmdTable.size(), 7);
    ASSERT_EQ(exCmdTable.size(), 127);
    QSet<int> ids;
    QSet<QString> names;
    for (const CmdIdName &row : ctlCmdTable) {
        EXPECT_TRUE(row.name.startsWith(':')) << row.name.toStdString();
        ids.insert(row.id);
        names.insert(row.name.toUpper());
    }
    EXPECT_EQ(ids.size(), 7);
    EXPECT_EQ(names.size(), 7);

    ids.clear();
    names.clear();
    for (const CmdIdName &row : exCmdTable) {
        EXPECT_FALSE(row.name.startsWith(':')) << row.name.toStdString();
        EXPECT_GE(row.id, 0);
        EXPECT_LE(row.id, 126);
        ids.insert(row.id);
        names.insert(row.name.toUpper());
    }
    EXPECT_EQ(ids.size(), 127);
    EXPECT_EQ(names.size(), 127);

    // Every command word read back from a batch line finds its own identifier.
    for (int id = 0; id < 126; id++) {
        const QString name = exCmdName(EX_CMD_ID(id));
        EXPECT_EQ(exCmdId(parsed(name + " 1 2")), EX_CMD_ID(id)) << name.toStdString();
        EXPECT_EQ(exCmdId(parsed(name.toUpper())), EX_CMD_ID(id)) << name.toStdString();
    }
}

TEST(BatchVocabulary, WordsToIdentifiers)
{
    EXPECT_EQ(ctlCmdId(word(":for")), CTL_for);
    EXPECT_EQ(ctlCmdId(word(":FOR")), CTL_for);
    EXPECT_EQ(ctlCmdId(word(":fOr")), CTL_for);
    EXPECT_EQ(ctlCmdId(word(":Rem_End")), CTL_rem_end);
    EXPECT_EQ(ctlCmdId(word(":let")), CTL_let);
    EXPECT_EQ(ctlCmdId(word("for")), CTL_none);
    EXPECT_EQ(exCmdId(word("for")), EX_not_ex_cmd);
    EXPECT_EQ(exCmdId(word(":for")), EX_not_ex_cmd);
    EXPECT_TRUE(isCtlCmd(word(":end")));
    EXPECT_FALSE(isCtlCmd(word("end")));

    EXPECT_EQ(exCmdId(word("Use_I0")), EX_Use_I0);
    EXPECT_EQ(exCmdId(word("use_i0")), 115);
    EXPECT_EQ(exCmdId(word("USE_I0")), 115);
    EXPECT_EQ(exCmdId(word("clear_I1_files")), 0);
    EXPECT_EQ(exCmdId(word("quit")), 114);
    EXPECT_EQ(exCmdId(word("xafs_view_enerugy_correction")), 58);
    EXPECT_EQ(exCmdId(word("calib_set_edge_ev")), 97);
    EXPECT_EQ(exCmdId(word("clear_i1_dark_area")), 125);
    EXPECT_TRUE(isExCmd(word("Quit")));

    // No prefix match, no trimming.
    EXPECT_EQ(ctlCmdId(word("")), CTL_none);
    EXPECT_EQ(exCmdId(word("")), EX_not_ex_cmd);
    EXPECT_EQ(exCmdId(word("quit.")), EX_not_ex_cmd);
    EXPECT_EQ(exCmdId(word("qui")), EX_not_ex_cmd);
    EXPECT_EQ(exCmdId(word(" quit")), EX_not_ex_cmd);
    const CmdLine hash = parsed("quit# now");
    EXPECT_EQ(hash.cmd, "quit#");
    EXPECT_EQ(exCmdId(hash), EX_not_ex_cmd);
    EXPECT_FALSE(isExCmd(hash));

    // The "no command" row can only be named quoted and still means no command.
    const CmdLine none = parsed("\"not ex cmd\" x");
    EXPECT_EQ(none.cmd, "not ex cmd");
    EXPECT_EQ(exCmdId(none), EX_not_ex_cmd);
    EXPECT_FALSE(isExCmd(none));
}

TEST(BatchVocabulary, IdentifiersToWords)
{
    EXPECT_EQ(exCmdName(EX_not_ex_cmd), "not ex cmd");
    EXPECT_EQ(exCmdName(EX_quit), "quit");
    EXPECT_EQ(exCmdName(EX_load_I1_files), "load_I1_files");
    EXPECT_EQ(exCmdName(EX_CMD_ID(127)), "UnKnow ExCMD id");
    EXPECT_EQ(exCmdName(EX_CMD_ID(-1)), "UnKnow ExCMD id");
}

TEST(BatchCommandLine, BlankStatements)
{
    for (const QString &text : {QString(), QString("   \t "), QString("  # only a comment x y")}) {
        const CmdLine c = parsed(text);
        EXPECT_TRUE(c.cmd.isEmpty());
        EXPECT_TRUE(c.args.isEmpty());
        EXPECT_FALSE(c.valid);
        EXPECT_FALSE(c.isControl);
        EXPECT_TRUE(c.line.isEmpty());
    }
    // An empty quoted command word: no command although the line is not empty.
    const CmdLine q = parsed("\"\" load_I1_files");
    EXPECT_EQ(q.line, "\"\" load_I1_files");
    EXPECT_TRUE(q.cmd.isEmpty());
    EXPECT_FALSE(q.valid);
    EXPECT_TRUE(q.args.isEmpty());
}

TEST(BatchCommandLine, CommandsAndArguments)
{
    CmdLine c = parsed("  load_I1_files   NEW  a.tif\tb.tif ");
    EXPECT_TRUE(c.valid);
    EXPECT_FALSE(c.isControl);
    EXPECT_EQ(c.cmd, "load_I1_files");
    EXPECT_EQ(c.args, QStringList({"NEW", "a.tif", "b.tif"}));
    EXPECT_EQ(c.line, "load_I1_files NEW a.tif b.tif");
    EXPECT_EQ(c.raw, "  load_I1_files   NEW  a.tif\tb.tif ");
    EXPECT_EQ(exCmdId(c), EX_load_I1_files);

    // A quoted name keeps its blanks and '#'; the line is cut at the '#'.
    c = parsed("save_data \"C:/My Data/#3 map.dat\" 2");
    EXPECT_EQ(c.args, QStringList({"C:/My Data/#3 map.dat", "2"}));
    EXPECT_EQ(c.line, "save_data \"C:/My Data/");

    // Items after an unquoted '#' are still arguments.
    c = parsed("seek_image 5 # word");
    EXPECT_EQ(c.args, QStringList({"5", "#", "word"}));
    EXPECT_EQ(c.line, "seek_image 5 ");

    c = parsed("set_band_w \"\" 7");
    EXPECT_EQ(c.args, QStringList({"7"}));

    // A quoted pair followed at once by a letter gives two items.
    c = parsed("cmd \"a b\"c");
    EXPECT_EQ(c.args, QStringList({"a b", "c"}));

    EXPECT_TRUE(parsed(":echo hello").isControl);
    EXPECT_FALSE(parsed("echo hello").isControl);
    EXPECT_EQ(ctlCmdId(parsed(":ECHO hello")), CTL_echo);

    c = parsed("cbar_set_range 1 2");
    EXPECT_EQ(c.arg(0), "1");
    EXPECT_EQ(c.arg(1), "2");
    EXPECT_EQ(c.arg(-1), QString());
    EXPECT_EQ(c.arg(2), QString());
    EXPECT_EQ(c.arg(2).toInt(), 0);
}

TEST(BatchCommandLine, UnclosedQuoteTakesTheRest)
{
    DebugCapture log;
    const CmdLine c = parsed("load_I1_files NEW \"C:/a b/c.tif  d");
    EXPECT_EQ(c.args, QStringList({"NEW", "C:/a b/c.tif  d"}));
    EXPECT_EQ(log.count("item is started from quote but not ended by quote"), 1);

    const CmdLine e = parsed("cmd name\" x");
    EXPECT_EQ(e.args, QStringList({"name\"", "x"}));
    EXPECT_EQ(log.count("item is started from not quote but ended by quote"), 1);

    // The text a debug line shows is cut, so a long line of such items stays linear.
    const CmdLine f = parsed("cmd" + QString(" ab\"").repeated(10000));
    EXPECT_EQ(f.args.size(), 10000);
    EXPECT_EQ(log.count("item is started from not quote but ended by quote"), 10001);
    EXPECT_EQ(log.count(QString(" ab\"").repeated(50) + "...]"), 10000 - 50);
}

TEST(BatchCommandLine, ClearReuseAndCopies)
{
    CmdLine c = parsed(":for i %i% 1 3 1");
    EXPECT_TRUE(c.valid);
    EXPECT_TRUE(c.isControl);
    c.clear();
    EXPECT_TRUE(c.cmd.isEmpty());
    EXPECT_TRUE(c.args.isEmpty());
    EXPECT_TRUE(c.line.isEmpty());
    EXPECT_FALSE(c.isControl);
    // clear keeps valid and raw.
    EXPECT_TRUE(c.valid);
    EXPECT_EQ(c.raw, ":for i %i% 1 3 1");

    // A second parse replaces the arguments of the first.
    c.parse("quit");
    EXPECT_EQ(c.cmd, "quit");
    EXPECT_TRUE(c.args.isEmpty());

    // The parsed line travels by value, also inside a QVariant.
    qRegisterMetaType<CmdLine>("CmdLine");
    const QVariant v = QVariant::fromValue(parsed("seek_image 4"));
    const CmdLine copy = v.value<CmdLine>();
    EXPECT_EQ(copy.cmd, "seek_image");
    EXPECT_EQ(copy.args, QStringList({"4"}));
    EXPECT_TRUE(copy.valid);
}

}  // namespace
