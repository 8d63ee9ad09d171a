#ifndef WINDOWFIT_H
#define WINDOWFIT_H

#include <QSize>
#include <QString>
#include <QStringList>

class QWidget;

// The inside of a window that a 1366 x 768 laptop screen leaves: 1366 x 728
// under a panel, less a window manager's frame and title bar.
QSize laptopClientArea();

// The smallest size the window's layout lets it take, after it is shown.
QSize smallestSize(QWidget *window);

// Every top-level window of the application but Qt's file dialogs and menus,
// each shown; the ones whose smallest size is larger than laptopClientArea()
// come back as "title (class): w x h".
QStringList windowsTooLarge();

// Sets text into the field (a QLineEdit or QLabel), lets the window lay itself
// out again and tells whether the text is shown whole.
bool showsWhole(QWidget *field, const QString &text);

// For each name, the named child of window set to each of the texts: the
// cut ones come back as "name: text".
QStringList cutTexts(QWidget *window, const QList<QPair<QString, QStringList>> &fields);

#endif
