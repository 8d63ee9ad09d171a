#include "display/selectimgdialog.h"

SelectImgDialog::SelectImgDialog(QString title, QWidget *parent) : _FileDialog(title, parent)
{
}
