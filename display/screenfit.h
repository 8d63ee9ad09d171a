#ifndef SCREENFIT_H
#define SCREENFIT_H

#include <QSize>

class QWidget;

// The room a top-level window has on its screen: the screen's available area
// less the window manager's frame and title bar.
QSize screenRoom(const QWidget *window);

// The size the window's contents ask for (through its scroll area when the
// form has one, so that nothing scrolls while there is room), bounded by
// screenRoom.
QSize fittingSize(QWidget *window);

// Resizes a window with a scroll area to fittingSize; any other keeps its
// size as far as the room allows. A window not yet shown is fitted when it
// is first shown, when everything inside it counts in its size.
void fitToScreen(QWidget *window);

// Once the widgets just added to a shown window are in its layout, lets the
// window grow to what its contents ask for, within screenRoom, and keeps it
// on the screen. It never shrinks the window.
void growToFit(QWidget *window);

class QStringList;

// Widest texts of the formats the windows show numbers in.
namespace WidestText {
// Any number written with 'g' and 6 significant digits.
QStringList number();
// An energy in eV, or an energy difference, with 'g', 6: no exponent.
QStringList energy();
// A ratio with 'g', 6, from 0.0001 to 10^6.
QStringList ratio();
}

// Makes a field (a line edit or label) at least as wide as it takes to show
// each of the texts whole at its own font; the layout gives it the room.
void widenForTexts(QWidget *field, const QStringList &texts);

#endif
