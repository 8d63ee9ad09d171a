#ifndef VLABEL_H
#define VLABEL_H

#include <QLabel>

// A label whose text reads from top to bottom.
class VLabel : public QLabel
{
    Q_OBJECT

public:
    explicit VLabel(QWidget *parent = nullptr);
    explicit VLabel(const QString &text, QWidget *parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
};

#endif
