#ifndef WIDGETEVENTS_H
#define WIDGETEVENTS_H

#include <QApplication>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QWidget>

// Synthetic input delivered straight to a widget's event handlers.
namespace widgetevents {

inline void mouse(QWidget *w, QEvent::Type type, const QPointF &pos, Qt::MouseButton button,
                  Qt::MouseButtons held, Qt::KeyboardModifiers mods)
{
    QMouseEvent e(type, pos, w->mapToGlobal(pos.toPoint()), button, held, mods);
    QApplication::sendEvent(w, &e);
}

inline void move(QWidget *w, const QPointF &pos, Qt::MouseButtons held = Qt::NoButton,
                 Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    mouse(w, QEvent::MouseMove, pos, Qt::NoButton, held, mods);
}

inline void press(QWidget *w, const QPointF &pos, Qt::MouseButton button = Qt::LeftButton,
                  Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    mouse(w, QEvent::MouseButtonPress, pos, button, button, mods);
}

inline void release(QWidget *w, const QPointF &pos, Qt::MouseButton button = Qt::LeftButton,
                    Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    mouse(w, QEvent::MouseButtonRelease, pos, button, Qt::NoButton, mods);
}

inline void doubleClick(QWidget *w, const QPointF &pos, Qt::MouseButton button = Qt::LeftButton,
                        Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    mouse(w, QEvent::MouseButtonDblClick, pos, button, button, mods);
}

// A press, moves through the given points with the button held, and a release at the last.
inline void drag(QWidget *w, const QPointF &from, const QPointF &to,
                 Qt::MouseButton button = Qt::LeftButton, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    press(w, from, button, mods);
    move(w, (from + to) / 2, button, mods);
    move(w, to, button, mods);
    release(w, to, button, mods);
}

inline void wheel(QWidget *w, const QPointF &pos, int deltaY,
                  Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QWheelEvent e(pos, w->mapToGlobal(pos.toPoint()), QPoint(), QPoint(0, deltaY), Qt::NoButton,
                  mods, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &e);
}

} // namespace widgetevents

#endif
