#ifndef _FILEDIALOG_H
#define _FILEDIALOG_H

#include <QFileDialog>
#include <QString>

class QWidget;

// The program's file dialog: Qt's own (non-native) dialog starting in the
// data root folder. Created once by its owner, shown modeless and kept, so it
// remembers the folder it was last in. File mode, accept mode, filters and
// connections are set by the owner.
class _FileDialog : public QFileDialog
{
    Q_OBJECT

public:
    explicit _FileDialog(QString title = QString(), QWidget *parent = nullptr);
};

#endif
