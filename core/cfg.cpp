#include "core/cfg.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>

#include "core/boundedlinereader.h"
#include "core/stringutil.h"

Cfg cfg;

void Cfg::init(int argc, char **argv, const QString &file, const QStringList &fileKeys)
{
    parseArgs(argc, argv);
    QString chosen = file;
    for (const QString &k : fileKeys) {
        const int i = upperKeys.indexOf(k.toUpper());
        if (i >= 0)
            chosen = upperValues[i];
    }
    if (!chosen.isEmpty())
        readFile(chosen);
}

static bool isOption(const QString &arg) { return arg.startsWith('-'); }

void Cfg::parseArgs(int argc, char **argv)
{
    if (!argv)
        return;
    // Arguments arrive in the system's 8-bit encoding.
    QStringList args;
    for (int i = 0; i < argc; i++)
        args << (argv[i] ? QString::fromLocal8Bit(argv[i]) : QString());

    int i = 0;
    while (i < args.size()) {
        if (!isOption(args[i])) {
            i++;
            continue;
        }
        const QString key = args[i];
        QStringList words;
        int j = i + 1;
        while (j < args.size() && !isOption(args[j]))
            words << args[j++];
        add(key, words.value(0), words.join(" "), QString());
        i = j;
    }
}

// One table of parallel lists: a present key gets the new value and rest (its source
// stays the first one); a new key is appended.
static void addToTable(QStringList &keys, QStringList &values, QStringList &rests,
                       QStringList &sources, const QString &key, const QString &value,
                       const QString &rest, const QString &source)
{
    const int i = keys.indexOf(key);
    if (i >= 0) {
        values[i] = value;
        rests[i] = rest;
        return;
    }
    keys << key;
    values << value;
    rests << rest;
    sources << source;
}

void Cfg::add(const QString &key, const QString &value, const QString &rest,
              const QString &source)
{
    const QString upper = key.toUpper();
    addToTable(keys, valueList, rests, sources, key, value, rest, source);
    addToTable(upperKeys, upperValues, upperRests, upperSources, upper, value, rest, source);

    historyKeys << key;
    historyUpperKeys << upper;
    historyValues << value;
    historyRests << rest;
    historySources << source;
}

void Cfg::readFile(const QString &path)
{
    QStringList reading;
    readFile(path, reading);
}

// reading holds the canonical paths of the files open further up the INCLUDE chain,
// so that a file including itself, directly or through others, is read only once.
void Cfg::readFile(const QString &path, QStringList &reading)
{
    BoundedLineReader in(path);
    if (!in.open(QStringLiteral("Cfg::readFile"))) {
        QString why;
        if (path.isEmpty() || BoundedLineReader::isReadableFile(path, &why) || !QFileInfo::exists(path))
            qDebug().noquote() << "Can't open config file : " + path;
        else
            qDebug().noquote() << "Can't open config file : " + path + " (" + why + ")";
        return;
    }
    QString canonical = QFileInfo(path).canonicalFilePath();
    if (canonical.isEmpty())
        canonical = QFileInfo(path).absoluteFilePath();
    if (reading.contains(canonical)) {
        qDebug().noquote() << "Config file " + path
                                  + " is already being read: INCLUDE loop skipped";
        return;
    }
    reading << canonical;

    QString raw;
    while (in.readLine(raw)) {
        const QString line = stripComment(raw);
        if (isBlankLine(line))
            continue;
        QString key, value;
        const QString rest = splitItem(line, key);
        splitItem(rest, value);
        if (key.toUpper() == "INCLUDE")
            readFile(value, reading);
        else
            add(key, value, rest, QString());
    }
    in.close();
    reading.removeLast();
}

QString Cfg::value(const QString &key, const QString &defaultValue) const
{
    const int i = keys.indexOf(key);
    return i >= 0 ? valueList[i] : defaultValue;
}

QString Cfg::valueNoCase(const QString &key, const QString &defaultValue) const
{
    const int i = upperKeys.indexOf(key.toUpper());
    return i >= 0 ? upperValues[i] : defaultValue;
}

QStringList Cfg::values(const QString &key, const QStringList &matchList,
                        const QStringList &resultList) const
{
    QStringList found;
    const int n = qMin(matchList.size(), resultList.size());
    for (int i = 0; i < n; i++) {
        if (matchList[i] == key)
            found << resultList[i];
    }
    return found;
}
