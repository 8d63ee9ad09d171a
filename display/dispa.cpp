#include "display/dispa.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include "variant/variant.h"

DispA::DispA(QWidget *parent)
    : QFrame(parent), zoomEnabled(true), panEnabled(true), wheelSteps(0), zoomFactor(1.0)
{
    setFrameShape(QFrame::StyledPanel);
    setAttribute(Qt::WA_MouseTracking, true);
}

void DispA::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    // The classic program leaves the range as the drawing slots last set it.
    if (!Variant::isClassic())
        coord.setScreenRange(0, height(), width(), 0);
    p.fillRect(0, 0, width(), height(), Qt::white);
    emit drawImage1(&p);
    emit drawImage2(&p);
}

void DispA::mouseMoveEvent(QMouseEvent *event)
{
    if (event->modifiers() & Qt::AltModifier)
        return;
    mouse.moved(event);
    emit mouseMoved0();
    update();
}

void DispA::mousePressEvent(QMouseEvent *event)
{
    mouse.pressed(event);
    emit mousePressed0();
}

void DispA::mouseReleaseEvent(QMouseEvent *event)
{
    mouse.released(event);
    emit mouseReleased0();
}

void DispA::mouseDoubleClickEvent(QMouseEvent *event)
{
    mouse.doubleClicked(event);
    emit mouseDoubleClicked0();
}

void DispA::wheelEvent(QWheelEvent *event)
{
    wheelSteps = event->angleDelta().y() * 0.125 / 15.0;
    zoomFactor = wheelSteps < 0 ? 1.1 : 0.9090909090909091;
    emit wheelMoved0();
}

void DispA::setScreenMousePos(int x, int y)
{
    mouse.prevPos = mouse.curPos;
    mouse.curPos = QPoint(x, y);
    emit mouseMoved0();
    update();
}

void DispA::setRealMousePos(double x, double y)
{
    setScreenMousePos(ChCoord::toInt(coord.realToScreenX(x)), ChCoord::toInt(coord.realToScreenY(y)));
}
