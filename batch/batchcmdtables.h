#ifndef BATCHCMDTABLES_H
#define BATCHCMDTABLES_H

#include <QMetaType>
#include <QString>
#include <QVector>

#include "core/cmdid.h"

class CmdLine;

struct CmdIdName
{
    int id;
    QString name;
};

extern QVector<CmdIdName> ctlCmdTable;
extern QVector<CmdIdName> exCmdTable;

void initBatchCmdTables();
CTL_CMD_ID ctlCmdId(const CmdLine &c);
bool isCtlCmd(const CmdLine &c);
EX_CMD_ID exCmdId(const CmdLine &c);
bool isExCmd(const CmdLine &c);
QString exCmdName(EX_CMD_ID id);

#endif
