// The one line reader under every text file of the program.
#include <QTextStream>
#include <gtest/gtest.h>

#include "core/boundedlinereader.h"
#include "support/testfiles.h"

namespace {

QStringList linesOf(const QString &path, bool *failed = nullptr, int limit = 1 << 20)
{
    BoundedLineReader in(path, limit);
    QStringList out;
    if (!in.open("test")) {
        if (failed)
            *failed = true;
        return out;
    }
    QString line;
    while (in.readLine(line))
        out << line;
    if (failed)
        *failed = in.failed();
    return out;
}

} // namespace

TEST(BoundedLineReader, EveryLineEndAndChunkBorder)
{
    TestFiles files;
    EXPECT_EQ(linesOf(files.write("lf", "a\nb\n\nc")), QStringList({"a", "b", "", "c"}));
    EXPECT_EQ(linesOf(files.write("crlf", "a\r\nb\r\n\r\n")), QStringList({"a", "b", ""}));
    EXPECT_EQ(linesOf(files.write("cr", "a\rb\r\rc\r")), QStringList({"a", "b", "", "c"}));
    EXPECT_EQ(linesOf(files.write("mixed", "\xEF\xBB\xBFx y\r\n\n\rz")),
              QStringList({"x y", "", "", "z"}));
    EXPECT_TRUE(linesOf(files.write("empty", "")).isEmpty());
    // CR LF split over the reader's 64 KiB chunks is one line end; so is a
    // CR that is the very last byte.
    for (int n : {65535, 65536, 65534, 200000}) {
        const QByteArray a(n, 'a');
        const QStringList got = linesOf(files.write("border", a + "\r\nb\r"));
        ASSERT_EQ(got.size(), 2) << n;
        EXPECT_EQ(got[0].size(), n);
        EXPECT_EQ(got[1], "b");
    }
    // A line of the limit is read, one byte more ends the reading.
    bool failed = true;
    EXPECT_EQ(linesOf(files.write("limit", "12345\n6"), &failed, 5), QStringList({"12345", "6"}));
    EXPECT_FALSE(failed);
    DebugCapture log;
    EXPECT_EQ(linesOf(files.write("over", "1\n123456\n7\n"), &failed, 5), QStringList({"1"}));
    EXPECT_TRUE(failed);
    EXPECT_TRUE(log.contains("line 2 of"));

    QString text = "ok\n" + QString(40, 'x') + "\n";
    QTextStream in(&text);
    QString line;
    EXPECT_TRUE(BoundedLineReader::readLine(in, line, "test", 10));
    EXPECT_EQ(line, "ok");
    EXPECT_FALSE(BoundedLineReader::readLine(in, line, "test", 10));
}
