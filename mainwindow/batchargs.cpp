#include "mainwindow/batchargs.h"

#include "batch/cmdline.h"

QString argOrEmpty(const CmdLine &cmd, int i)
{
    return cmd.arg(i);
}

int batchInt(const QString &arg)
{
    bool ok = false;
    const int v = arg.toInt(&ok, 10);
    return ok ? v : 0;
}

double batchReal(const QString &arg)
{
    bool ok = false;
    const double v = arg.toDouble(&ok);
    return ok ? v : 0.0;
}

bool batchFlag(const QString &arg)
{
    return batchInt(arg) == 1;
}

QString batchIntText(const QString &arg)
{
    return QString::number(batchInt(arg));
}

QString batchRealText(double v)
{
    return QString::number(v, 'g', 6);
}
