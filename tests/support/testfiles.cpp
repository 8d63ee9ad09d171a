#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <QRegExp>

#include <cmath>
#include <cstring>

#include "core/xafsspectrum.h"

TestFiles::TestFiles() : tmp(QDir::tempPath() + "/vantoscope-test-XXXXXX") {}

QString TestFiles::dir() const { return tmp.path(); }

QString TestFiles::path(const QString &name) const { return tmp.path() + "/" + name; }

QString TestFiles::write(const QString &name, const QByteArray &bytes) const
{
    const QString p = path(name);
    QDir().mkpath(QFileInfo(p).absolutePath());
    QFile f(p);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
    return p;
}

QString TestFiles::writeText(const QString &name, const QString &text) const
{
    return write(name, text.toUtf8());
}

QByteArray TestFiles::read(const QString &name) const
{
    QFile f(QFileInfo(name).isAbsolute() ? name : path(name));
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

QStringList TestFiles::savedMap(const QString &name) const
{
    const QStringList found = QDir(dir()).entryList({name + "*"}, QDir::Files);
    if (found.size() != 1)
        return {QString("%1 files named %2").arg(found.size()).arg(name)};
    return QString(read(found[0])).split('\n').filter(QRegExp("^(?!Record Date)"));
}

bool sameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

bool sameBitsOrNaN(double a, double b)
{
    return (std::isnan(a) && std::isnan(b)) || sameBits(a, b);
}

QString sourceDataPath(const QString &relative)
{
    return QString(VANTOSCOPE_SOURCE_DIR) + "/data/" + relative;
}

static QMutex captureMutex;
static QStringList capturedMessages;
static QtMessageHandler passOn = nullptr;

static void captureHandler(QtMsgType type, const QMessageLogContext &context, const QString &msg)
{
    // Messages come from any thread, also while a capture is being set up.
    QtMessageHandler next;
    {
        QMutexLocker lock(&captureMutex);
        capturedMessages << msg;
        next = passOn;
    }
    if (next)
        next(type, context, msg);
}

DebugCapture::DebugCapture()
{
    QMutexLocker lock(&captureMutex);
    capturedMessages.clear();
    previous = qInstallMessageHandler(captureHandler);
    passOn = previous;
}

DebugCapture::~DebugCapture() { qInstallMessageHandler(previous); }

QStringList DebugCapture::messages() const
{
    QMutexLocker lock(&captureMutex);
    return capturedMessages;
}

bool DebugCapture::contains(const QString &text) const { return count(text) > 0; }

int DebugCapture::count(const QString &text) const
{
    int n = 0;
    for (const QString &m : messages())
        n += m.contains(text) ? 1 : 0;
    return n;
}

QString resampledSpectrum(const QString &relative, double e0, double de, int n,
                          QVector<double> &values)
{
    XafsSpectrum measured;
    if (!measured.load(sourceDataPath(relative)))
        return QString();
    QString text;
    for (int i = 0; i < n; i++) {
        values << measured.y(e0 + i * de);
        text += QString("%1 %2\n").arg(e0 + i * de, 0, 'f', 3).arg(values.last(), 0, 'g', 12);
    }
    return text;
}
