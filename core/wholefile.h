#ifndef WHOLEFILE_H
#define WHOLEFILE_H

#include <QSaveFile>
#include <QString>
#include <memory>

class QFileInfo;
class QImage;
class QTextStream;

// A file written whole or not at all: everything goes into a temporary file
// beside the target, which replaces the target only when commit() finds every
// write, the flush and the sync to disk done. A failure leaves the target as it was,
// removes the temporary file and gives one debug line naming the file and the
// reason. A target that exists and is not a regular file (a FIFO, a device, a
// folder) is refused before anything is opened.
class WholeFile
{
public:
    explicit WholeFile(const QString &fileName);
    ~WholeFile();

    // Opens the temporary file, as text (local line ends) when text is set.
    bool open(bool text = true);
    QIODevice *device() { return file.get(); }
    // A text stream on the file; commit() flushes it and checks its status.
    QTextStream &stream();
    // The descriptor of the temporary file, for libraries that write through
    // one; -1 when not open.
    int handle() const { return file->handle(); }
    // Replaces the target; false, logged, on any failure.
    bool commit();
    // Drops what was written, with the debug line giving why.
    void fail(const QString &why);

    // Whether fileName may be written: it does not exist or is a regular
    // file; otherwise why not.
    static bool isWritableTarget(const QString &fileName, QString *why);
    // Why an existing path is no regular file ("a directory", "not a regular
    // file"); empty for a regular file or a path that does not exist.
    static QString notRegularReason(const QFileInfo &fi);
    // Saves image in the format of the name's suffix through Qt's image
    // writers; false, logged, when the format is unknown or the write fails.
    static bool saveImage(const QImage &image, const QString &fileName);
    // Whether Qt can write pictures in the format of the name's suffix.
    static bool hasImageFormat(const QString &fileName);

private:
    void report(const QString &why) const;
    // Deletes the stream, never throwing.
    void dropStream();
    // The system's reason of a failed write, or otherwise when there is none.
    QString systemReason(const QString &otherwise);

    QString name;
    std::unique_ptr<QSaveFile> file;
    std::unique_ptr<QTextStream> text;
    bool failed = false;
};

#endif
