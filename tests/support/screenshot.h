#ifndef SCREENSHOT_H
#define SCREENSHOT_H

#include <QString>

class QWidget;

// The folder named by VANTOSCOPE_SCREENSHOT_DIR, or empty when it is not set.
QString screenshotDir();

// Lays the widget out at the given size, renders it with QWidget::grab and
// writes the picture as <name>.png into screenshotDir(). Returns the written
// path, or an empty string when no folder is set or writing failed.
QString saveScreenshot(QWidget *widget, const QString &name, int width = 800, int height = 560);

#endif
