#ifndef WINDOWFIT_H
#define WINDOWFIT_H

#include <QList>
#include <QPair>
#include <QStringList>

class QWidget;

// Every top-level window but Qt's file dialogs and menus, each shown, whose
// smallest size or whose size does not fit the inside of a window on a
// 1366 x 768 screen (1366 x 728 under a panel, less a window frame), as
// "title (class): w x h".
QStringList windowsTooLarge();

// Each named child of window set to each of its texts: those the field cuts,
// measured at the field's font, as "name: text ...".
QStringList cutTexts(QWidget *window, const QList<QPair<QString, QStringList>> &fields);

#endif
