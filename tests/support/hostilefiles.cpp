#include "hostilefiles.h"

#include <QDir>
#include <QFile>
#include <sys/stat.h>

#include "core/boundedlinereader.h"
#include "testfiles.h"

QStringList hostileTextFiles(const TestFiles &files)
{
    QDir().mkpath(files.path("a-directory"));
    const QString fifo = files.path("a-fifo");
    ::mkfifo(QFile::encodeName(fifo).constData(), 0600);
    QByteArray line(BoundedLineReader::DefaultMaxLineBytes + 1, '1');
    line += " 2\n1 2\n";
    return {files.path("a-directory"), fifo, QStringLiteral("/dev/zero"),
            files.write("long-line.dat", line)};
}
