#include "display/widgethelpers.h"

#include <QAbstractButton>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QTimer>
#include <QPointer>
#include <QWidget>

static const char *SettingsOrganization = "Corvane Qeln";
static const char *SettingsApplication = "Vantoscope";

void saveWindowGeometry(QWidget *widget, const QString &group, bool popUp)
{
    QSettings settings(SettingsOrganization, SettingsApplication);
    settings.beginGroup(group);
    settings.setValue("size", widget->geometry().size());
    settings.setValue("pos", widget->pos());
    settings.setValue("visible", widget->isVisible());
    settings.setValue("popUp", popUp);
    settings.endGroup();
}

void restoreWindowGeometry(QWidget *widget, const QString &group, bool *popUp)
{
    QSettings settings(SettingsOrganization, SettingsApplication);
    settings.beginGroup(group);
    widget->resize(settings.value("size", QSize(400, 400)).toSize());
    widget->move(settings.value("pos", QPoint(200, 200)).toPoint());
    widget->setVisible(settings.value("visible", true).toBool());
    if (popUp)
        *popUp = settings.value("popUp", true).toBool();
    settings.endGroup();
}

void applyStyleSheet(QWidget *widget, const QString &styleSheet)
{
    if (widget)
        widget->setStyleSheet(styleSheet);
}

void keepOnScreen(QWidget *window)
{
    if (!window || window->isMaximized() || window->isFullScreen())
        return;
    const QRect frame = window->frameGeometry();
    QScreen *screen = QGuiApplication::screenAt(frame.center());
    if (!screen)
        screen = window->screen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    // The frame's border and title bar take what they take; the rest is the window's.
    const int dw = frame.width() - window->width();
    const int dh = frame.height() - window->height();
    const QSize size(qMin(window->width(), qMax(1, area.width() - dw)),
                     qMin(window->height(), qMax(1, area.height() - dh)));
    if (size != window->size())
        window->resize(size);  // no smaller than its minimum size
    const int w = window->width() + dw, h = window->height() + dh;
    const int x = qBound(area.left(), frame.left(), qMax(area.left(), area.right() + 1 - w));
    const int y = qBound(area.top(), frame.top(), qMax(area.top(), area.bottom() + 1 - h));
    if (QPoint(x, y) != frame.topLeft())
        window->move(x, y);
}

void showInFront(QWidget *window)
{
    if (!window)
        return;
    // A window shown for the first time is placed by the window manager.
    const bool shownBefore = window->windowHandle() != nullptr;
    if (window->isMinimized())
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    if (shownBefore)
        keepOnScreen(window);
    window->raise();
    window->activateWindow();
}

void showOnClick(QAbstractButton *button, QWidget *window)
{
    if (button && window)
        QObject::connect(button, &QAbstractButton::clicked, window,
                         [window] { showInFront(window); });
}

void placeBeside(QWidget *window, const QWidget *anchor)
{
    if (!window || !anchor || !anchor->screen())
        return;
    const QRect area = anchor->screen()->availableGeometry();
    const int w = window->frameGeometry().width();
    int x = area.right() + 1 - w;
    int y = area.top();
    if (anchor->isVisible()) {
        const QRect a = anchor->frameGeometry();
        y = a.top();
        if (a.right() + 1 + w <= area.right() + 1)
            x = a.right() + 1;
        else if (a.left() - w >= area.left())
            x = a.left() - w;
    }
    window->move(x, y);
    keepOnScreen(window);
}

static void showWhenFramed(QPointer<QWidget> window, QPointer<QWidget> anchor, int tries)
{
    if (!window || !anchor)
        return;
    if (anchor->frameGeometry() == anchor->geometry() && tries > 0) {
        QTimer::singleShot(50, window, [window, anchor, tries] {
            showWhenFramed(window, anchor, tries - 1);
        });
        return;
    }
    placeBeside(window, anchor);
    showInFront(window);
}

void showBeside(QWidget *window, QWidget *anchor)
{
    showWhenFramed(window, anchor, 10);
}
