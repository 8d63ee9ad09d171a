#include "display/eshiftmapdialog.h"

#include <QStringList>

EShiftMapDialog::EShiftMapDialog(QString title, QWidget *parent) : _FileDialog(title, parent)
{
    setNameFilters(QStringList() << QStringLiteral("Energy Shift Map File (*.emp)")
                                 << QStringLiteral("Any Files (* *.*)"));
    setFileMode(QFileDialog::ExistingFile);
    setAcceptMode(QFileDialog::AcceptOpen);
}
