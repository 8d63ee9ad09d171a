#include "core/wholefile.h"

#include <QBuffer>
#include <QDebug>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QTextStream>
#include <cerrno>
#include <cstring>
#include <new>
#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

WholeFile::WholeFile(const QString &fileName) : name(fileName), file(new QSaveFile(fileName)) {}

// The stream goes before the file; an uncommitted temporary file is removed.
WholeFile::~WholeFile()
{
    dropStream();
    // Dropping an unfinished file may need memory too, and a destructor must
    // not throw: it is closed here, and without the memory to close it the
    // file object is let go.
    if (file && file->isOpen()) {
        try {
            file->cancelWriting();
            file->commit();
        } catch (const std::bad_alloc &) {
            (void)file.release();
        }
    }
}

void WholeFile::dropStream()
{
    // A stream flushes as it goes; one that has no memory for it (the write
    // failing for that very reason) is let go, not deleted: its destructor
    // would try again and throw.
    if (!text)
        return;
    try {
        text->flush();
    } catch (const std::bad_alloc &) {
        (void)text.release();
        return;
    }
    text.reset();
}

QString WholeFile::notRegularReason(const QFileInfo &fi)
{
    if (!fi.exists() || fi.isFile())
        return QString();
    return fi.isDir() ? QStringLiteral("a directory") : QStringLiteral("not a regular file");
}

bool WholeFile::isWritableTarget(const QString &fileName, QString *why)
{
    // Only looked at: opening a FIFO would wait for a reader.
    const QString reason =
        fileName.isEmpty() ? QStringLiteral("no file name") : notRegularReason(QFileInfo(fileName));
    if (why)
        *why = reason;
    return reason.isEmpty();
}

void WholeFile::report(const QString &why) const
{
    qDebug() << "Can not write" << name << ":" << qPrintable(why);
}

bool WholeFile::open(bool asText)
{
    QString why;
    if (!isWritableTarget(name, &why)) {
        fail(why);
        return false;
    }
    QIODevice::OpenMode mode = QIODevice::WriteOnly;
    if (asText)
        mode |= QIODevice::Text;
    if (!file->open(mode)) {
        fail(file->errorString());
        return false;
    }
    return true;
}

QTextStream &WholeFile::stream()
{
    if (!text)
        text.reset(new QTextStream(file.get()));
    return *text;
}

void WholeFile::fail(const QString &why)
{
    if (failed)
        return;
    failed = true;
    report(why);
    dropStream();
    if (file->isOpen()) {
        file->cancelWriting();
        file->commit();   // only removes the temporary file after the cancel
    }
}

QString WholeFile::systemReason(const QString &otherwise)
{
    if (file->error() != QFileDevice::NoError && file->errorString() != QLatin1String("Unknown error"))
        return file->errorString();
    // A short write leaves the device without an error; one more byte into
    // the temporary file, which is dropped anyway, gets the system's reason.
#ifdef Q_OS_UNIX
    if (file->handle() >= 0 && ::write(file->handle(), "", 1) < 0)
        return QString::fromLocal8Bit(strerror(errno));
#endif
    return otherwise;
}

bool WholeFile::commit()
{
    if (failed)
        return false;
    if (!file->isOpen()) {
        fail(QStringLiteral("not open"));
        return false;
    }
    if (text) {
        text->flush();
        if (text->status() != QTextStream::Ok) {
            fail(systemReason(QStringLiteral("incomplete write")));
            return false;
        }
    }
    // QSaveFile::commit() does not look at the flush of its own close.
    if (!file->flush() || file->error() != QFileDevice::NoError) {
        fail(systemReason(QStringLiteral("incomplete write")));
        return false;
    }
#ifdef Q_OS_UNIX
    // Errors the disk reports late, before the target is replaced.
    if (::fsync(file->handle()) != 0) {
        fail(QString::fromLocal8Bit(strerror(errno)));
        return false;
    }
#endif
    if (!file->commit()) {
        failed = true;
        report(file->errorString());
        return false;
    }
    return true;
}

bool WholeFile::hasImageFormat(const QString &fileName)
{
    const QByteArray format = QFileInfo(fileName).suffix().toLower().toLatin1();
    return !format.isEmpty() && QImageWriter::supportedImageFormats().contains(format);
}

bool WholeFile::saveImage(const QImage &image, const QString &fileName)
{
    WholeFile out(fileName);
    if (image.isNull()) {
        out.fail(QStringLiteral("no image"));
        return false;
    }
    if (!hasImageFormat(fileName)) {
        out.fail(QStringLiteral("no image format for the suffix \"%1\"")
                     .arg(QFileInfo(fileName).suffix()));
        return false;
    }
    // Encoded in memory first: writers that seek back (TIFF) would clear the
    // error of a write that failed before, and the torn file would pass.
    QBuffer encoded;
    encoded.open(QIODevice::WriteOnly);
    QImageWriter writer(&encoded, QFileInfo(fileName).suffix().toLower().toLatin1());
    if (!writer.write(image)) {
        out.fail(writer.errorString());
        return false;
    }
    if (!out.open(false))
        return false;
    const QByteArray &bytes = encoded.data();
    if (out.device()->write(bytes) != bytes.size()) {
        out.fail(out.systemReason(QStringLiteral("incomplete write")));
        return false;
    }
    return out.commit();
}
