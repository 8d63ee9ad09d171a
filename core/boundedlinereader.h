#ifndef BOUNDEDLINEREADER_H
#define BOUNDEDLINEREADER_H

#include <QByteArray>
#include <QFile>
#include <QString>

class QTextStream;

// Reads a text file one line at a time, no line longer than a limit. LF, CRLF
// and CR end a line alike. Only regular files are read: open() refuses a
// directory, FIFO, device or unreadable file. A line beyond the limit ends the
// reading as failed, with a debug line naming the reader.
class BoundedLineReader
{
public:
    static constexpr int DefaultMaxLineBytes = 32 * 1024 * 1024;

    explicit BoundedLineReader(const QString &fileName, int maxLineBytes = DefaultMaxLineBytes);

    // who names the reader in the debug line of a refused line. A refused
    // file is left to the caller's own line: errorString() says why.
    bool open(const QString &who);
    QString errorString() const { return why; }
    // The next line without its end; false at the end of the file, and on a
    // refused line or a read error (failed() is then true).
    bool readLine(QString &line);
    bool failed() const { return broken; }
    void close();

    // Whether fileName is a regular file that can be read; otherwise why not.
    static bool isReadableFile(const QString &fileName, QString *why);
    // A line of a stream of at most maxChars characters; false at the end and
    // for a longer line, which is logged.
    static bool readLine(QTextStream &in, QString &line, const QString &who,
                         int maxChars = DefaultMaxLineBytes);

private:
    bool fill();

    QFile file;
    QString who;
    QString why;
    QByteArray buffer;
    int pos = 0;
    qint64 lines = 0;
    int maxLine;
    bool ended = false;
    bool broken = false;
    bool started = false;
};

#endif
