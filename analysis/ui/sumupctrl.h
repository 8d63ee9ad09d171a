#ifndef SUMUPCTRL_H
#define SUMUPCTRL_H

#include <QFrame>
#include <QVector>

class QComboBox;
class QLineEdit;

namespace Ui {
class SumUpCtrl;
}

// The panel "Sum Up Control": the ranges of I1 image numbers that a sum-up
// adds, one combo item "from-to" per range, in the order they were added.
class SumUpCtrl : public QFrame
{
    Q_OBJECT

public:
    // Image numbers from <= i < to; flag is always 0.
    struct Range
    {
        int from;
        int to;
        int flag;
    };

    explicit SumUpCtrl(QWidget *parent = nullptr);
    ~SumUpCtrl() override;

    const QVector<Range> &ranges() const { return rangeList; }

    QLineEdit *fromEdit() const;     // SumUpFrom
    QLineEdit *toEdit() const;       // SumUpTo
    QComboBox *rangeCombo() const;   // SumUps

public slots:
    // Appends the range SumUpFrom .. SumUpTo as it stands (a text that is no
    // integer reads as 0).
    void add();
    // Removes the current range; the one before it becomes current.
    void del();

private:
    Ui::SumUpCtrl *ui;
    QVector<Range> rangeList;
};

#endif
