#include "batchwindow.h"

#include <QPushButton>

#include "batch/ui/batchctrl.h"
#include "waitfor.h"

void BatchWindow::click(const char *button) { window->findChild<QPushButton *>(button)->click(); }

bool BatchWindow::logHas(const QString &text) const { return log().contains(text); }

QString BatchWindow::log() const { return window->logText(); }

void BatchWindow::exec(const QStringList &lines)
{
    window->setText(lines.join('\n'));
    click("Exec");
}

bool BatchWindow::runs(QStringList lines, int ms)
{
    const QString end = QString("end-%1").arg(++batches);
    exec(lines << ":echo " + end);
    return waitFor([&] { return logHas(end); }, ms);
}
