#ifndef WIDGETHELPERS_H
#define WIDGETHELPERS_H

#include <QString>

class QWidget;

// A window's size, position and visibility under QSettings group `group`.
void saveWindowGeometry(QWidget *widget, const QString &group, bool popUp);
void restoreWindowGeometry(QWidget *widget, const QString &group, bool *popUp);
// Sets a widget's style sheet; a null widget is passed over.
void applyStyleSheet(QWidget *widget, const QString &styleSheet);

#endif
