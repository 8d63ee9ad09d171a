#ifndef ANALYZER2_H
#define ANALYZER2_H

#include <QFrame>
#include <QString>

#include "imagedata/analyzecond.h"

class QCheckBox;
class QLabel;
class QLineEdit;

namespace Ui {
class Analyzer2;
}

// A small tool window of the main window: the settings of the dark-point
// check (threshold, histogram range and bins) with its button, and the use
// switch of the program-wide bad-pixel mask with the name of its file.
class Analyzer2 : public QFrame
{
    Q_OBJECT

public:
    explicit Analyzer2(QWidget *parent = nullptr);
    ~Analyzer2() override;

    QLineEdit *darkThEdit() const;       // DarkTh
    QLineEdit *histgMaxEdit() const;     // HistgMax
    QLineEdit *histgBinsEdit() const;    // HistgBins
    QCheckBox *useErrPMaskBox() const;   // UseErrPMask
    QLabel *errPMaskFileLabel() const;   // ErrPMaskFileName

signals:
    void startCollectQInfo();
    void askedDarkCheck();
    void useErrPMaskToggled(bool on);

public slots:
    void doCollectQInfo(const AnalyzeCond &cond);
    void setUseErrPMaskEnabled(bool f);
    void setUseErrPMaskChecked(bool f);
    // UseErrPMask is checked and enabled.
    bool useErrPMask() const;
    void setErrPMaskFileName(const QString &name);

private:
    Ui::Analyzer2 *ui;
};

#endif
