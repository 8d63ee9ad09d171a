#ifndef CFG_H
#define CFG_H

#include <QString>
#include <QStringList>

// Key/value store of the command-line options and the configuration file.
class Cfg
{
public:
    void init(int argc, char **argv, const QString &file, const QStringList &fileKeys);
    void parseArgs(int argc, char **argv);
    void add(const QString &key, const QString &value, const QString &rest, const QString &source);
    void readFile(const QString &path);
    QString value(const QString &key, const QString &defaultValue) const;
    QString valueNoCase(const QString &key, const QString &defaultValue) const;
    QStringList values(const QString &key, const QStringList &matchList,
                       const QStringList &resultList) const;

    QStringList keys;
    QStringList valueList;  // parallel to keys (values() is the lookup)
    QStringList rests;
    QStringList sources;
    QStringList upperKeys;
    QStringList upperValues;
    QStringList upperRests;
    QStringList upperSources;
    QStringList historyKeys;
    QStringList historyUpperKeys;
    QStringList historyValues;
    QStringList historyRests;
    QStringList historySources;

private:
    void readFile(const QString &path, QStringList &reading);
};

// The program-wide store.
extern Cfg cfg;

#endif
