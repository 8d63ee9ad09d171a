#ifndef WIDGETHELPERS_H
#define WIDGETHELPERS_H

#include <QString>

class QAbstractButton;
class QWidget;

// A window's size, position and visibility under QSettings group `group`.
void saveWindowGeometry(QWidget *widget, const QString &group, bool popUp);
void restoreWindowGeometry(QWidget *widget, const QString &group, bool *popUp);
// Sets a widget's style sheet; a null widget is passed over.
void applyStyleSheet(QWidget *widget, const QString &styleSheet);

// Moves a window, shrinking it where it must, so that its frame lies inside
// the available area of its screen.
void keepOnScreen(QWidget *window);
// Shows a window, not minimised, inside its screen and in front of the others.
// A null window is passed over.
void showInFront(QWidget *window);
// Every click of the button shows the window in front.
void showOnClick(QAbstractButton *button, QWidget *window);
// Puts a window beside the anchor window, right of it or else left of it;
// where neither has room, or the anchor is not shown yet, at the right edge
// of the anchor's screen. Best called before the window is first shown: the
// window manager then puts its frame, title bar included, at that place.
void placeBeside(QWidget *window, const QWidget *anchor);
// Shows a window in front, placed beside an anchor window just shown: as soon
// as the window manager has framed the anchor, or after half a second.
void showBeside(QWidget *window, QWidget *anchor);

#endif
