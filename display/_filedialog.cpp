#include "display/_filedialog.h"

#include "core/globals.h"

_FileDialog::_FileDialog(QString title, QWidget *parent)
    : QFileDialog(parent, QString(), QString(), QString())
{
    setOptions(options() | QFileDialog::DontUseNativeDialog);
    setWindowTitle(title);
    setDirectory(dataRoot);
}
