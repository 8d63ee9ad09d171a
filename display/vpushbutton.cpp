#include "display/vpushbutton.h"

#include <QPainter>

void drawVerticalText(QWidget *widget, const QString &text)
{
    QPainter p(widget);
    p.setPen(Qt::black);
    p.rotate(90);
    p.drawText(QRectF(0, -widget->width(), widget->height(), widget->width()),
               Qt::AlignHCenter | Qt::AlignVCenter, text);
}

VPushButton::VPushButton(QWidget *parent) : QPushButton(parent), caption(new QPushButton) {}

VPushButton::VPushButton(const QString &text, QWidget *parent)
    : QPushButton(text, parent), caption(new QPushButton)
{
}

VPushButton::~VPushButton() { delete caption; }

void VPushButton::setText(const QString &text)
{
    caption->setText(text);
    updateGeometry();
    update();
}

QString VPushButton::text() const { return caption->text(); }

QSize VPushButton::sizeHint() const { return caption->sizeHint().transposed(); }

QSize VPushButton::minimumSizeHint() const { return caption->minimumSizeHint().transposed(); }

void VPushButton::paintEvent(QPaintEvent *event)
{
    QPushButton::paintEvent(event);
    drawVerticalText(this, caption->text());
}
