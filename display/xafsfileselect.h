#ifndef XAFSFILESELECT_H
#define XAFSFILESELECT_H

#include <QFrame>
#include <QString>

#include "ui_xafsfileselect.h"

class _FileDialog;

// A one-line chooser of one spectrum file: the chosen path, a Select button
// that opens the panel's own file dialog, a Clear button and an optional
// "use" box. It reports the chosen name; its owner loads the spectrum.
class XafsFileSelect : public QFrame, public Ui_XafsFileSelect
{
    Q_OBJECT

public:
    explicit XafsFileSelect(QWidget *parent = nullptr);
    ~XafsFileSelect() override;

    bool fileChosen;     // a file has been taken (by the dialog or by load)
    _FileDialog *dialog; // owned

signals:
    void changedUse(bool use);
    void newFile(QString file);
    void cleared();

public slots:
    void load(QString file);
    void fileSelected(QString file);
    void fileNameValid(bool ok);
    void clear();
    void setUse(bool use);
    void showUse(bool show);
    void setMaxSelectBW(int w);
    void setMaxClearBW(int w);
};

#endif
