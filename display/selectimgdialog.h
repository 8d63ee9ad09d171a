#ifndef SELECTIMGDIALOG_H
#define SELECTIMGDIALOG_H

#include "display/_filedialog.h"

// The dialog that chooses image files; its owner sets modes and filters.
class SelectImgDialog : public _FileDialog
{
    Q_OBJECT

public:
    explicit SelectImgDialog(QString title = QString(), QWidget *parent = nullptr);
};

#endif
