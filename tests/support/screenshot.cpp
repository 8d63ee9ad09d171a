#include "screenshot.h"

#include <QApplication>
#include <QDebug>
#include <QDir>
#include <QPixmap>
#include <QWidget>

QString screenshotDir()
{
    return QString::fromLocal8Bit(qgetenv("VANTOSCOPE_SCREENSHOT_DIR"));
}

QString saveScreenshot(QWidget *widget, const QString &name, int width, int height)
{
    const QString dir = screenshotDir();
    if (dir.isEmpty() || widget == nullptr)
        return QString();
    if (!QDir().mkpath(dir)) {
        qDebug() << "screenshot: cannot make folder" << dir;
        return QString();
    }
    widget->resize(width, height);
    widget->show();
    QApplication::processEvents();
    const QPixmap shot = widget->grab();
    const QString path = QDir(dir).absoluteFilePath(name + ".png");
    if (!shot.save(path, "PNG")) {
        qDebug() << "screenshot: cannot write" << path;
        return QString();
    }
    return path;
}
