#ifndef XAFSFILESELECT_H
#define XAFSFILESELECT_H

#include <QFrame>
#include <QString>

class _FileDialog;

namespace Ui {
class XafsFileSelect;
}

// A one-line chooser of one spectrum file: the chosen path, a Select button
// that opens the panel's own file dialog, a Clear button and an optional
// "use" box. It reports the chosen name; its owner loads the spectrum.
class XafsFileSelect : public QFrame
{
    Q_OBJECT

public:
    explicit XafsFileSelect(QWidget *parent = nullptr);
    ~XafsFileSelect() override;

    // A file has been taken (by the dialog or by load); clear keeps it set.
    bool fileChosen() const;
    // The "use" box (set by setUse).
    bool use() const;
    // The panel's file dialog, a child of the panel, for owners that keep
    // several dialogs in one folder.
    _FileDialog *fileDialog() const;

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

private:
    Ui::XafsFileSelect *ui;
    bool chosen;
    _FileDialog *dialog;
};

#endif
