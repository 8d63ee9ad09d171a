#include "batch/cmdline.h"

#include "core/stringutil.h"

CmdLine::CmdLine() : valid(false), isControl(false) {}

CmdLine::~CmdLine() {}

void CmdLine::clear()
{
    line.clear();
    cmd.clear();
    args.clear();
    isControl = false;
}

void CmdLine::parse(const QString &text)
{
    isControl = false;
    clear();
    line = text.simplified();
    const int hash = line.indexOf('#');
    if (hash >= 0)
        line.truncate(hash);
    if (line.isEmpty())
        return;

    // Items are taken by index: the rest of a long line is never copied.
    QString item;
    int at = nextItem(text, 0, item);
    cmd = item;
    if (cmd.isEmpty())
        return;
    while (at < text.size()) {
        at = nextItem(text, at, item);
        if (!item.isEmpty())
            args << item;
    }
    isControl = cmd.startsWith(':');
    valid = true;
}

QString CmdLine::arg(int i) const
{
    return (i >= 0 && i < args.size()) ? args[i] : QString();
}
