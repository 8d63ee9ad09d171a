#ifndef CMDLINE_H
#define CMDLINE_H

#include <QMetaType>
#include <QString>
#include <QStringList>

// One parsed batch statement: its command word and arguments.
class CmdLine
{
public:
    CmdLine();
    ~CmdLine();

    void clear();
    void parse(const QString &text);
    QString arg(int i) const;

    bool valid;
    QString raw;
    QString line;
    bool isControl;
    QString cmd;
    QStringList args;
};
Q_DECLARE_METATYPE(CmdLine)

#endif
