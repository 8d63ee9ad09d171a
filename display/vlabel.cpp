#include "display/vlabel.h"

#include "display/vpushbutton.h"

VLabel::VLabel(QWidget *parent) : QLabel(parent, Qt::WindowFlags()) {}

VLabel::VLabel(const QString &text, QWidget *parent) : QLabel(text, parent, Qt::WindowFlags()) {}

QSize VLabel::sizeHint() const { return QLabel::sizeHint().transposed(); }

QSize VLabel::minimumSizeHint() const { return QLabel::minimumSizeHint().transposed(); }

void VLabel::paintEvent(QPaintEvent *)
{
    drawVerticalText(this, text());
}
