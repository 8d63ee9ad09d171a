#ifndef ESHIFTMAPDIALOG_H
#define ESHIFTMAPDIALOG_H

#include "display/_filedialog.h"

// Opens an energy-shift map file (".emp"): existing files, open mode.
// An owner that saves switches it to any file and save mode.
class EShiftMapDialog : public _FileDialog
{
    Q_OBJECT

public:
    explicit EShiftMapDialog(QString title = QString(), QWidget *parent = nullptr);
};

#endif
