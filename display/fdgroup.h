#ifndef FDGROUP_H
#define FDGROUP_H

#include <QObject>
#include <QString>
#include <QVector>

class QFileDialog;

// Keeps a set of file dialogs in one folder: when the user moves to another
// folder in one of them, all the others follow. The dialogs are not owned.
class FDGroup : public QObject
{
    Q_OBJECT

public:
    explicit FDGroup(QObject *parent = nullptr);

    // Registers a dialog; registering it again does nothing.
    void addDialog(QFileDialog *dialog);
    const QVector<QFileDialog *> &dialogs() const { return dlgs; }

public slots:
    void currentChanged(const QString &path);
    void directoryEntered(const QString &folder);

private:
    void moveAllTo(const QString &folder);
    void forget(QObject *dialog);

    QVector<QFileDialog *> dlgs;
};

#endif
