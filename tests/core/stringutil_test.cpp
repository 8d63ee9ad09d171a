#include <cmath>
#include <gtest/gtest.h>

#include "core/stringutil.h"
#include "support/testfiles.h"

namespace {

// Walks a line with splitItem and returns every item, empty ones included.
QStringList walk(QString line)
{
    QStringList items;
    QString item;
    while (!line.isEmpty()) {
        line = splitItem(line, item);
        items << item;
    }
    return items;
}

TEST(SplitItem, BlankAndQuotedItems)
{
    QString item = "old";
    EXPECT_EQ(splitItem("", item), QString());
    EXPECT_EQ(item, QString());
    item = "old";
    EXPECT_EQ(splitItem(" \t  ", item), QString());
    EXPECT_EQ(item, QString());

    // Quoted item: quotes dropped, blanks, '#' and apostrophes kept; the rest starts
    // right after the closing quote.
    EXPECT_EQ(splitItem("  \"a b#c'd\"tail more", item), QString("tail more"));
    EXPECT_EQ(item, "a b#c'd");
    EXPECT_EQ(walk("\"x y\"z w"), QStringList({"x y", "z", "w"}));
    EXPECT_EQ(splitItem("\"\" next", item), QString(" next"));
    EXPECT_EQ(item, QString());

    // Unquoted item: ends at a blank, which starts the rest; inner quotes are plain.
    EXPECT_EQ(splitItem("key\tvalue ", item), QString("\tvalue "));
    EXPECT_EQ(item, "key");
    EXPECT_EQ(splitItem("a\"b c", item), QString(" c"));
    EXPECT_EQ(item, "a\"b");
    EXPECT_EQ(splitItem("last", item), QString());
    EXPECT_EQ(item, "last");

    // The same object as line and item.
    QString same = "one two";
    const QString rest = splitItem(same, same);
    EXPECT_EQ(same, "one");
    EXPECT_EQ(rest, " two");
}

TEST(SplitItem, MalformedQuotesAreReported)
{
    DebugCapture log;
    QString item;
    EXPECT_EQ(splitItem("a \"open to the end", item), QString(" \"open to the end"));
    EXPECT_EQ(splitItem(" \"open to the end", item), QString());
    EXPECT_EQ(item, "open to the end");
    EXPECT_TRUE(log.contains(
        "In a line [ \"open to the end] item is started from quote but not ended by quote"));

    EXPECT_EQ(splitItem("word\" more", item), QString(" more"));
    EXPECT_EQ(item, "word\"");
    EXPECT_TRUE(log.contains(
        "In a line [word\" more] item is started from not quote but ended by quote"));
    EXPECT_EQ(log.count("item is started"), 2);
}

TEST(Tokeniser, CommentsAndBlankLines)
{
    EXPECT_EQ(stripComment("key value # note"), QString("key value "));
    EXPECT_EQ(stripComment("k 'a#b' #c"), QString("k 'a#b' "));
    EXPECT_EQ(stripComment("k \"a#b\" #c"), QString("k \"a#b\" "));
    // An apostrophe and a double quote pair with each other.
    EXPECT_EQ(stripComment("k 'a#b\" #c"), QString("k 'a#b\" "));
    // An unpaired quote hides every '#' after it.
    EXPECT_EQ(stripComment("it's #1"), QString("it's #1"));

    QString comment = "kept";
    EXPECT_EQ(splitComment("no comment", comment), QString("no comment"));
    EXPECT_EQ(comment, "kept");
    EXPECT_EQ(splitComment("a#b#c", comment), QString("a"));
    EXPECT_EQ(comment, "b#c");

    QString line = "x y #z";
    EXPECT_EQ(takeComment(line), QString("z"));
    EXPECT_EQ(line, QString("x y "));
    line = "x y";
    EXPECT_EQ(takeComment(line), QString());
    EXPECT_EQ(line, QString("x y"));

    EXPECT_TRUE(isBlankLine(""));
    EXPECT_TRUE(isBlankLine(" \t # only a comment"));
    EXPECT_FALSE(isBlankLine(" a # b"));
    EXPECT_FALSE(isBlankLine("'#'"));
}

TEST(Tokeniser, ItemListsAndKeys)
{
    EXPECT_EQ(itemsAfter("# Size 10 20", "# Size"), QStringList({"10", "20"}));
    // Trailing blanks give one empty item at the end.
    EXPECT_EQ(itemsAfter("KEY a b  ", "KEY"), QStringList({"a", "b", ""}));
    // The prefix is dropped without being compared.
    EXPECT_EQ(itemsAfter("XYZ 1", "abc"), QStringList({"1"}));
    EXPECT_EQ(itemsAfter("ab", "abcdef"), QStringList());

    QStringList items = {"unchanged"};
    EXPECT_FALSE(matchKeyItems("other 1 2", items, 2, "key"));
    EXPECT_EQ(items, QStringList({"unchanged"}));
    EXPECT_FALSE(matchKeyItems("key 1", items, 2, "key"));
    EXPECT_EQ(items, QStringList({"1"}));
    EXPECT_TRUE(matchKeyItems("key 1 \"2 3\"", items, 2, "key"));
    EXPECT_EQ(items, QStringList({"1", "2 3"}));

    EXPECT_TRUE(startsWith("abc", ""));
    EXPECT_TRUE(startsWith("abc", "ab"));
    EXPECT_FALSE(startsWith("abc", "AB"));
    EXPECT_FALSE(startsWith("ab", "abc"));

    EXPECT_EQ(splitItems("  a \"\" \"b c\"  d "), QVector<QString>({"a", "b c", "d"}));
    EXPECT_TRUE(splitItems(" \t ").isEmpty());

    EXPECT_EQ(trimItem("  a b \t"), QString("a b"));
    EXPECT_EQ(trimItem("   "), QString("   "));
}

TEST(Tokeniser, ContinuationMarks)
{
    QString line = "load a \\  \t";
    EXPECT_TRUE(hasContinuation(line));
    EXPECT_EQ(line, QString("load a "));
    line = "a\\b";
    EXPECT_FALSE(hasContinuation(line));
    EXPECT_EQ(line, QString("a\\b"));
    line = "   ";
    EXPECT_FALSE(hasContinuation(line));

    EXPECT_EQ(withoutContinuation("a \\ \\ "), QString("a "));
    EXPECT_EQ(withoutContinuation("a \\"), QString("a "));
    EXPECT_EQ(withoutContinuation("a"), QString("a"));
}

TEST(Tokeniser, SplitAtRun)
{
    QString head;
    EXPECT_EQ(splitAtRun("key:   value rest", "key:", head, " "), QString(" rest"));
    EXPECT_EQ(head, "value");
    EXPECT_EQ(splitAtRun("key:value", "key:", head, " "), QString());
    EXPECT_EQ(head, "value");
    // A run of separators up to the end leaves nothing.
    head = "x";
    EXPECT_EQ(splitAtRun("key:   ", "key:", head, " "), QString());
    EXPECT_EQ(head, QString());
    head = "x";
    EXPECT_EQ(splitAtRun("key:", "key:", head, " "), QString());
    EXPECT_EQ(head, QString());
    // A separator longer than one character only ends the head at the line end.
    EXPECT_EQ(splitAtRun("k=a b", "=", head, "ab"), QString());
    EXPECT_EQ(head, "a b");
    // An absent marker starts at its length minus one.
    EXPECT_EQ(splitAtRun("abcdef", "xyz", head, ""), QString());
    EXPECT_EQ(head, "cdef");
}

TEST(Formatting, ThousandsSeparators)
{
    EXPECT_EQ(withThousandsSep("123456"), QString("123,456"));
    EXPECT_EQ(withThousandsSep("1234567.891"), QString("1,234,567.891"));
    EXPECT_EQ(withThousandsSep("1234"), QString("1,234"));
    EXPECT_EQ(withThousandsSep("123"), QString("123"));
    EXPECT_EQ(withThousandsSep("12.5"), QString("12.5"));
    EXPECT_EQ(withThousandsSep(""), QString());
    // The sign is not grouped with the digits.
    EXPECT_EQ(withThousandsSep("-123456"), QString("-123,456"));
    EXPECT_EQ(withThousandsSep("-123.25"), QString("-123.25"));
    EXPECT_EQ(withThousandsSep("-1234567"), QString("-1,234,567"));
    // An exponent is not split.
    EXPECT_EQ(withThousandsSep("1e+06"), QString("1e+06"));
    EXPECT_EQ(withThousandsSep("-1234.5e-07"), QString("-1,234.5e-07"));
}

TEST(Formatting, BlankPadding)
{
    EXPECT_EQ(blanks(3), QString("   "));
    EXPECT_EQ(blanks(0), QString());
    EXPECT_EQ(blanks(-4), QString());
    EXPECT_EQ(blanks(500).size(), 101);
    EXPECT_EQ(blanks101.size(), 101);

    EXPECT_EQ(padRight("ab", 5), QString("ab   "));
    EXPECT_EQ(padRight("abcdef", 3), QString("abcdef"));
    EXPECT_EQ(padRight("ab", 152).size(), 2 + 101);
}

TEST(Quoting, CommaSeparatedFields)
{
    EXPECT_EQ(csvQuote("plain"), QString("plain"));
    EXPECT_EQ(csvQuote("a,b"), QString("\"a,b\""));
    EXPECT_EQ(csvQuote("say \"hi\", ok"), QString("\"say \"\"hi\"\", ok\""));

    QString field;
    EXPECT_EQ(takeCsvField(",b", field), QString("b"));
    EXPECT_EQ(field, QString());
    EXPECT_EQ(takeCsvField("a,b,c", field), QString("b,c"));
    EXPECT_EQ(field, "a");
    EXPECT_EQ(takeCsvField("abc", field), QString());
    EXPECT_EQ(field, "abc");
    EXPECT_EQ(takeCsvField("\"x \"\"y\"\", z\" junk,next", field), QString("next"));
    EXPECT_EQ(field, "x \"y\", z");
    EXPECT_EQ(takeCsvField("\"unclosed, field", field), QString());
    EXPECT_EQ(field, "unclosed, field");
    // A field written by csvQuote reads back whole.
    const QString text = "say \"hi\", ok";
    EXPECT_EQ(takeCsvField(csvQuote(text) + ",2", field), QString("2"));
    EXPECT_EQ(field, text);

    EXPECT_EQ(takeQuotedField("\"a,b\"c,d", field), QString("d"));
    EXPECT_EQ(field, "a,bc");
    EXPECT_EQ(takeQuotedField("\"a\"\"b\",", field), QString());
    EXPECT_EQ(field, "ab");
    EXPECT_EQ(takeQuotedField("", field), QString());
    EXPECT_EQ(field, QString());
}

TEST(Quoting, QuotedTexts)
{
    EXPECT_EQ(escapeQuotes("a\"b"), QString("a\\\"b"));
    EXPECT_EQ(quoted("a\"b"), QString("\"a\\\"b\""));
    EXPECT_EQ(commaQuoted("x"), QString(",\"x\""));
    EXPECT_EQ(quoteItems({"a  b", "c"}), QString("\"a b\" \"c\""));
    EXPECT_EQ(quoteItems({}), QString());
}

TEST(StyleSheet, BackgroundColour)
{
    const QString pink = "background-color: rgb(255, 192, 192);";
    EXPECT_TRUE(hasStyleColor("QLineEdit { " + pink + " }"));
    EXPECT_FALSE(hasStyleColor("Background-color: rgb(1, 2, 3);"));
    EXPECT_EQ(parseStyleColor(pink), QVector<int>({255, 192, 192}));
    EXPECT_EQ(scaleStyleColor(pink, 0.5), QString("background-color: rgb(127, 96, 96);"));
    EXPECT_EQ(scaleStyleColor(pink, 2.0), QString("background-color: rgb(255, 255, 255);"));
    EXPECT_EQ(scaleStyleColor(pink, -1.0), QString("background-color: rgb(0, 0, 0);"));
    EXPECT_EQ(scaleStyleColor(pink, std::nan("")), QString("background-color: rgb(0, 0, 0);"));
    EXPECT_EQ(scaleStyleColor("color: red;", 0.5), QString("color: red;"));

    // A blank right after "rgb(" makes the first part empty; missing parts read 0.
    EXPECT_EQ(parseStyleColor("background-color: rgb( 1, 2, 3);"), QVector<int>({0, 1, 2}));
    EXPECT_EQ(parseStyleColor("background-color: rgb(7);"), QVector<int>({7, 0, 0}));
    EXPECT_EQ(parseStyleColor("background-color: rgb(x, 5, 6"), QVector<int>({0, 5, 6}));
    EXPECT_EQ(parseStyleColor("nothing"), QVector<int>({0, 0, 0}));

    EXPECT_EQ(styleColor(QVector<int>{1, 2}), QString("background-color: rgb(1, 2, 0);"));
    EXPECT_EQ(styleColor(QColor(10, 20, 30)), QString("background-color: rgb(10, 20, 30);"));
    EXPECT_EQ(clampByte(-5), 0);
    EXPECT_EQ(clampByte(300), 255);
    EXPECT_EQ(clampByte(42), 42);
}

}  // namespace
