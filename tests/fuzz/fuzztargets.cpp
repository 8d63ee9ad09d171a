#include "fuzztargets.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <cstring>
#include <memory>

#include "app/startup.h"
#include "batch/batchcmdtables.h"
#include "batch/batchdispatcher.h"
#include "batch/ui/batchctrl.h"
#include "calibration/empfile.h"
#include "calibration/empheader.h"
#include "core/boundedlinereader.h"
#include "core/cfg.h"
#include "core/xafsspectrum.h"
#include "imagedata/analyzed2dres.h"
#include "imagedata/energyrule.h"
#include "imagedata/errpoints.h"
#include "imagedata/tiffdata.h"

namespace FuzzTargets {

namespace {

constexpr qint64 MaxTextPixels = qint64(1) << 22;

QTemporaryDir &scratch()
{
    static QTemporaryDir dir;
    return dir;
}

void dropMessage(QtMsgType, const QMessageLogContext &, const QString &) {}

// The input as the file name in the scratch folder.
QString writeInput(const uint8_t *data, size_t size, const char *name)
{
    const QString path = scratch().filePath(QString::fromLatin1(name));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return QString();
    f.write(reinterpret_cast<const char *>(data), qint64(size));
    return path;
}

bool batchEnded = false;
QtMessageHandler outerHandler = nullptr;

void watchBatchEnd(QtMsgType type, const QMessageLogContext &context, const QString &msg)
{
    if (msg.contains(QLatin1String("BatchDispatcher: run ended")))
        batchEnded = true;
    Q_UNUSED(type);
    Q_UNUSED(context);
}

// The lines of bytes as the line reader must give them: ended by LF, CRLF or
// CR, the last one also by the end; only those before the first line longer
// than limit, and overlong set when there is one.
QStringList splitLines(const QByteArray &bytes, int limit, bool &overlong)
{
    QStringList out;
    overlong = false;
    int start = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (start < bytes.size()) {
        int end = start;
        while (end < bytes.size() && bytes[end] != '\n' && bytes[end] != '\r')
            end++;
        if (end - start > limit) {
            overlong = true;
            break;
        }
        out << QString::fromLocal8Bit(bytes.constData() + start, end - start);
        if (end < bytes.size() && bytes[end] == '\r' && end + 1 < bytes.size()
            && bytes[end + 1] == '\n')
            end++;
        start = end + 1;
    }
    return out;
}

// Answers every command at once, as a main window whose commands all succeed.
class AnsweringExecutor : public QObject
{
public:
    explicit AnsweringExecutor(BatchDispatcher *d) : dispatcher(d)
    {
        connect(d, &BatchDispatcher::execCmdSig, this, [this](const CmdLine &c, bool skip) {
            const int id = skip ? int(EX_not_ex_cmd) : int(exCmdId(c));
            QMetaObject::invokeMethod(
                dispatcher, [this, id] { dispatcher->finishBatchExec(id); }, Qt::QueuedConnection);
        });
    }

private:
    BatchDispatcher *dispatcher;
};

} // namespace

void init(bool quiet)
{
    static int argc = 1;
    static char name[] = "vantoscope-fuzz";
    static char *argv[] = {name, nullptr};
    if (quiet)
        qInstallMessageHandler(dropMessage);
    initApplication();
    if (!QCoreApplication::instance()) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        new QApplication(argc, argv);
    }
}

int image(const uint8_t *data, size_t size)
{
    const QString path = writeInput(data, size, "input.img");
    // A text image of a few lines may declare any size up to the frame limit
    // and is then read with zeros: sound, but not what the fuzzer looks for
    // (its time and memory limits are far below such a frame).
    TiffData probe;
    if (size >= 11 && std::memcmp(data, "#RVKT-CTImg", 11) == 0 && probe.readTextHeader(path) > 0
        && qint64(probe.width) * probe.height > MaxTextPixels)
        return 0;
    TiffData t;
    if (t.load(path, nullptr)) {
        // An accepted frame must be what it says.
        if (t.rowCount() != int(t.height))
            abort();
        t.makeImage();
    }
    return 0;
}

int spectrum(const uint8_t *data, size_t size)
{
    // The name decides nothing but the first bytes do; both loaders run.
    const QString path = writeInput(data, size, "input.dat");
    XafsSpectrum s;
    s.loadAndNormalize(path);
    XafsSpectrum plain;
    plain.readPlain(path);
    XafsSpectrum old;
    old.read9809(path);
    return 0;
}

int energyRef(const uint8_t *data, size_t size)
{
    const QString path = writeInput(data, size, "input.ref");
    EnergyRule rule;
    int rejected = 0;
    if (rule.loadRefFile(path, &rejected)) {
        double e = 0;
        for (int i = 0; i < 4; i++)
            rule.energyOf(QString("i%1.tif").arg(i), i, e);
    }
    return 0;
}

int errPoints(const uint8_t *data, size_t size)
{
    const QString path = writeInput(data, size, "input.err");
    ErrPoints list;
    list.load(path, false);
    list.load(path, true);
    return 0;
}

int cfg(const uint8_t *data, size_t size)
{
    const QString path = writeInput(data, size, "input.cfg");
    Cfg c;
    c.readFile(path);
    return 0;
}

int batch(const uint8_t *data, size_t size)
{
    const QStringList lines =
        QString::fromLocal8Bit(reinterpret_cast<const char *>(data), int(size)).split('\n');
    BatchDispatcher d;
    AnsweringExecutor x(&d);
    batchEnded = false;
    outerHandler = qInstallMessageHandler(watchBatchEnd);
    d.doDispatchCmds(lines);
    // A batch may loop for ever by design: its run is cut after 2 s.
    QElapsedTimer clock;
    clock.start();
    while (!batchEnded && clock.elapsed() < 2000)
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    if (!batchEnded)
        d.batchStopSlot();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    qInstallMessageHandler(outerHandler);
    return 0;
}

int emp(const uint8_t *data, size_t size)
{
    const QString path = writeInput(data, size, "input.emp");
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return 0;
    QTextStream in(&f);
    const EMPHeader header = EmpFile::readHeader(in);
    QString why;
    if (!header.valid || !EmpFile::checkGeometry(header, &why))
        return 0;
    std::unique_ptr<double[]> shifts;
    if (!EmpFile::readShifts(in, header, header.stdEdgeEnergy, shifts, &why))
        return 0;
    Analyzed2DRes map;
    EmpFile::fillMap(map, EmpFile::areaOf(header), shifts.get());
    return 0;
}

int lines(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    // The first byte sets a small limit, so that overlong lines come often.
    const int limit = 1 + data[0] % 64;
    const QByteArray bytes(reinterpret_cast<const char *>(data) + 1, int(size - 1));
    const QString path = writeInput(data + 1, size - 1, "input.txt");
    bool overlong = false;
    const QStringList expected = splitLines(bytes, limit, overlong);
    BoundedLineReader in(path, limit);
    if (!in.open(QStringLiteral("fuzz")))
        abort();
    QStringList got;
    QString line;
    while (in.readLine(line))
        got << line;
    if (got != expected || in.failed() != overlong)
        abort();
    return 0;
}

int batchFile(const uint8_t *data, size_t size)
{
    const QString path = writeInput(data, size, "input.bat");
    const QByteArray bytes(reinterpret_cast<const char *>(data), int(size));
    BatchCtrl ctrl;
    ctrl.setText(QStringLiteral("before"));
    ctrl.load(path);
    const QString text = ctrl.text();
    if (text.contains(QLatin1Char('\r')))
        abort();
    // Plain ASCII text comes back line for line, each ended by one LF.
    bool plain = true;
    for (char c : bytes)
        plain = plain && c > 0 && uchar(c) < 0x80;
    bool overlong = false;
    const QStringList expected =
        splitLines(bytes, BoundedLineReader::DefaultMaxLineBytes, overlong);
    if (plain && !overlong && text != (expected.isEmpty() ? QString() : expected.join('\n') + '\n'))
        abort();
    return 0;
}

const QVector<Target> &all()
{
    static const QVector<Target> targets = {
        {"image", image},   {"spectrum", spectrum}, {"energyref", energyRef},
        {"errpoints", errPoints}, {"cfg", cfg},   {"batch", batch},
        {"emp", emp},       {"lines", lines},       {"batchfile", batchFile}};
    return targets;
}

} // namespace FuzzTargets
