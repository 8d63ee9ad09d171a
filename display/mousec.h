#ifndef MOUSEC_H
#define MOUSEC_H

#include <QObject>
#include <QPoint>

class QMouseEvent;

// Mouse record of one display widget: positions, buttons and modifiers of
// the last move, press, release and double click.
class MouseC : public QObject
{
    Q_OBJECT

public:
    explicit MouseC(QObject *parent = nullptr);

    // Gesture codes of mode(): left button 0..7, right button 8..15, other 16.
    enum Gesture {
        Left = 0,
        ShiftLeft = 1,
        CtrlLeft = 2,
        AltLeft = 3,
        ShiftCtrlLeft = 4,
        ShiftAltLeft = 5,
        CtrlAltLeft = 6,
        ShiftCtrlAltLeft = 7,
        Right = 8,
        ShiftRight = 9,
        CtrlRight = 10,
        AltRight = 11,
        ShiftCtrlRight = 12,
        ShiftAltRight = 13,
        CtrlAltRight = 14,
        ShiftCtrlAltRight = 15,
        OtherButton = 16
    };

    QPoint prevPos;
    QPoint curPos;
    QPoint pressPos;
    QPoint releasePos;
    QPoint dblClickPos;
    bool isPressed;
    Qt::MouseButton curButton;
    Qt::MouseButton pressButton;
    Qt::MouseButton releaseButton;
    Qt::MouseButton dblClickButton;
    Qt::KeyboardModifiers curModifiers;
    Qt::KeyboardModifiers pressModifiers;
    Qt::KeyboardModifiers releaseModifiers;
    Qt::KeyboardModifiers dblClickModifiers;

    void moved(const QMouseEvent *e);
    void pressed(const QMouseEvent *e);
    void released(const QMouseEvent *e);
    void doubleClicked(const QMouseEvent *e);

    // Gesture code of a button with modifiers (only Shift, Ctrl and Alt count).
    static int mode(Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
    // Event position rounded to whole pixels, halves going up.
    static QPoint roundedPos(const QMouseEvent *e);
};

#endif
