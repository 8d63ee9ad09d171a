#include "display/fdgroup.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

FDGroup::FDGroup(QObject *parent) : QObject(parent)
{
}

void FDGroup::addDialog(QFileDialog *dialog)
{
    if (dialog == nullptr || dlgs.contains(dialog))
        return;
    dlgs.append(dialog);
    connect(dialog, &QFileDialog::currentChanged, this, &FDGroup::currentChanged);
    connect(dialog, &QFileDialog::directoryEntered, this, &FDGroup::directoryEntered);
    // A dialog deleted before the group is dropped from it.
    connect(dialog, &QObject::destroyed, this, [this](QObject *d) { forget(d); });
}

void FDGroup::forget(QObject *dialog)
{
    for (int i = dlgs.size() - 1; i >= 0; i--) {
        if (static_cast<QObject *>(dlgs[i]) == dialog)
            dlgs.remove(i);
    }
}

void FDGroup::currentChanged(const QString &path)
{
    moveAllTo(QFileInfo(path).canonicalPath());
}

void FDGroup::directoryEntered(const QString &folder)
{
    moveAllTo(folder);
}

void FDGroup::moveAllTo(const QString &folder)
{
    // A path that names no existing folder (an empty highlight) moves nobody.
    if (folder.isEmpty())
        return;
    const QString target = QDir(folder).absolutePath();
    QObject *from = sender();
    // Setting a folder may make a dialog emit directoryEntered; the comparison
    // and the sender exclusion end the echo after one pass.
    const QVector<QFileDialog *> members = dlgs;
    for (QFileDialog *d : members) {
        if (static_cast<QObject *>(d) == from || !dlgs.contains(d))
            continue;
        if (d->directory().absolutePath() != target)
            d->setDirectory(target);
    }
}
