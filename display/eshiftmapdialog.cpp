#include "display/eshiftmapdialog.h"

#include <QStringList>

EShiftMapDialog::EShiftMapDialog(QString title, QWidget *parent) : _FileDialog(title, parent)
{
    setNameFilters(QStringList() << tr("Energy Shift Map File (*.emp)") << tr("Any Files (* *.*)"));
    setFileMode(QFileDialog::ExistingFile);
    setAcceptMode(QFileDialog::AcceptOpen);
}
