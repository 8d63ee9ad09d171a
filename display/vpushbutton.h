#ifndef VPUSHBUTTON_H
#define VPUSHBUTTON_H

#include <QPushButton>

// A push button whose caption reads from top to bottom. The caption is held
// by a hidden inner button; the button's own text stays empty.
class VPushButton : public QPushButton
{
    Q_OBJECT

public:
    explicit VPushButton(QWidget *parent = nullptr);
    explicit VPushButton(const QString &text, QWidget *parent = nullptr);
    ~VPushButton() override;

    // Caption of the inner button.
    void setText(const QString &text);
    QString text() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPushButton *caption;
};

// Draws text centred in the whole widget, turned by 90 degrees.
void drawVerticalText(QWidget *widget, const QString &text);

#endif
