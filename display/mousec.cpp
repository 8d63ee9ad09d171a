#include "display/mousec.h"

#include <QMouseEvent>
#include <cmath>

#include "display/chcoord.h"

MouseC::MouseC(QObject *parent)
    : QObject(parent),
      isPressed(false),
      curButton(Qt::NoButton), pressButton(Qt::NoButton), releaseButton(Qt::NoButton),
      dblClickButton(Qt::NoButton),
      curModifiers(Qt::NoModifier), pressModifiers(Qt::NoModifier),
      releaseModifiers(Qt::NoModifier), dblClickModifiers(Qt::NoModifier)
{
}

QPoint MouseC::roundedPos(const QMouseEvent *e)
{
    const QPointF p = e->localPos();
    return QPoint(ChCoord::toInt(std::floor(p.x() + 0.5)), ChCoord::toInt(std::floor(p.y() + 0.5)));
}

void MouseC::moved(const QMouseEvent *e)
{
    prevPos = curPos;
    curPos = roundedPos(e);
    curButton = e->button();
    curModifiers = e->modifiers();
}

void MouseC::pressed(const QMouseEvent *e)
{
    moved(e);
    pressPos = curPos;
    isPressed = true;
    pressButton = e->button();
    pressModifiers = e->modifiers();
}

void MouseC::released(const QMouseEvent *e)
{
    moved(e);
    releasePos = curPos;
    isPressed = false;
    releaseButton = e->button();
    releaseModifiers = e->modifiers();
}

void MouseC::doubleClicked(const QMouseEvent *e)
{
    dblClickPos = roundedPos(e);
    curButton = dblClickButton = e->button();
    curModifiers = dblClickModifiers = e->modifiers();
}

int MouseC::mode(Qt::MouseButton button, Qt::KeyboardModifiers modifiers)
{
    int base;
    if (button == Qt::LeftButton)
        base = Left;
    else if (button == Qt::RightButton)
        base = Right;
    else
        return OtherButton;
    const bool shift = modifiers & Qt::ShiftModifier;
    const bool ctrl = modifiers & Qt::ControlModifier;
    const bool alt = modifiers & Qt::AltModifier;
    // Order of the codes: none, S, C, A, SC, SA, CA, SCA.
    int k;
    if (shift && ctrl && alt) k = 7;
    else if (ctrl && alt) k = 6;
    else if (shift && alt) k = 5;
    else if (shift && ctrl) k = 4;
    else if (alt) k = 3;
    else if (ctrl) k = 2;
    else if (shift) k = 1;
    else k = 0;
    return base + k;
}
