#include "display/widgethelpers.h"

#include <QSettings>
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
