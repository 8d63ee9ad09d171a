#include "core/boundedlinereader.h"
#include "core/wholefile.h"

#include <QDebug>
#include <QFileInfo>
#include <QTextStream>

namespace {

constexpr int ChunkBytes = 64 * 1024;

} // namespace

BoundedLineReader::BoundedLineReader(const QString &fileName, int maxLineBytes)
    : file(fileName), maxLine(qMax(1, maxLineBytes))
{
}

bool BoundedLineReader::isReadableFile(const QString &fileName, QString *why)
{
    const QFileInfo fi(fileName);
    QString reason = WholeFile::notRegularReason(fi);
    if (fileName.isEmpty())
        reason = QStringLiteral("no file name");
    else if (!fi.exists())
        reason = QStringLiteral("no such file");
    else if (reason.isEmpty() && !fi.isReadable())
        reason = QStringLiteral("not readable");
    if (why)
        *why = reason;
    return reason.isEmpty();
}

bool BoundedLineReader::open(const QString &name)
{
    who = name;
    buffer.clear();
    pos = 0;
    lines = 0;
    ended = false;
    broken = false;
    started = false;
    // Checked before opening: opening a FIFO would wait for a writer.
    if (!isReadableFile(file.fileName(), &why)) {
        broken = true;
        return false;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        why = file.errorString();
        broken = true;
        return false;
    }
    why.clear();
    return true;
}

void BoundedLineReader::close()
{
    file.close();
    buffer.clear();
    pos = 0;
    ended = true;
}

bool BoundedLineReader::fill()
{
    if (ended || broken || !file.isOpen())
        return false;
    if (pos > 0) {
        buffer.remove(0, pos);
        pos = 0;
    }
    const int old = buffer.size();
    buffer.resize(old + ChunkBytes);
    const qint64 n = file.read(buffer.data() + old, ChunkBytes);
    buffer.resize(old + int(qMax<qint64>(n, 0)));
    if (n < 0) {
        qDebug().noquote() << QString("%1: error reading %2 : %3")
                                  .arg(who, file.fileName(), file.errorString());
        broken = true;
        return false;
    }
    if (n == 0) {
        ended = true;
        return false;
    }
    if (!started && buffer.startsWith("\xEF\xBB\xBF"))
        pos = 3;   // a UTF-8 byte-order mark
    started = true;
    return true;
}

bool BoundedLineReader::readLine(QString &line)
{
    line.clear();
    if (broken || !file.isOpen())
        return false;
    int from = pos;   // where the search for a line end goes on
    for (;;) {
        const char *data = buffer.constData();
        int end = -1;
        for (int i = from; i < buffer.size(); i++) {
            if (data[i] == '\n' || data[i] == '\r') {
                end = i;
                break;
            }
        }
        const int length = (end >= 0 ? end : buffer.size()) - pos;
        if (length > maxLine) {
            qDebug().noquote() << QString("%1: line %2 of %3 is longer than %4 bytes, "
                                          "the file is not read further")
                                      .arg(who).arg(lines + 1).arg(file.fileName()).arg(maxLine);
            broken = true;
            return false;
        }
        if (end >= 0) {
            // A CR at the end of the buffer may be the first half of CRLF.
            if (data[end] == '\r' && end + 1 == buffer.size() && !ended) {
                const int offset = end - pos;
                if (fill()) {
                    from = pos + offset;
                    continue;
                }
                if (broken)
                    return false;
                data = buffer.constData();
                end = pos + offset;
            }
            int next = end + 1;
            if (data[end] == '\r' && next < buffer.size() && data[next] == '\n')
                next++;
            line = QString::fromLocal8Bit(data + pos, end - pos);
            pos = next;
            lines++;
            return true;
        }
        if (ended) {
            if (length == 0)
                return false;
            line = QString::fromLocal8Bit(data + pos, length);
            pos = buffer.size();
            lines++;
            return true;
        }
        const int offset = buffer.size() - pos;
        if (!fill() && broken)
            return false;
        from = pos + offset;
    }
}

bool BoundedLineReader::readLine(QTextStream &in, QString &line, const QString &who, int maxChars)
{
    line.clear();
    if (in.atEnd())
        return false;
    const int limit = qMax(1, maxChars);
    line = in.readLine(qint64(limit) + 1);
    if (line.size() > limit) {
        qDebug().noquote() << QString("%1: a line is longer than %2 characters, not read further")
                                  .arg(who).arg(limit);
        line.clear();
        return false;
    }
    return true;
}
