#include "display/screenfit.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QStringList>
#include <QStyleOptionFrame>
#include <QWidget>

// Frame and title bar of a window not yet shown, at the usual sizes.
static const QSize assumedFrame(8, 36);

QSize screenRoom(const QWidget *window)
{
    QScreen *screen = window->screen();
    if (screen == nullptr)
        screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    QSize frame = assumedFrame;
    if (window->isVisible() && window->frameGeometry().size() != window->size())
        frame = window->frameGeometry().size() - window->size();
    return (screen->availableGeometry().size() - frame).expandedTo(QSize(1, 1));
}

QSize fittingSize(QWidget *window)
{
    QSize want = window->sizeHint();
    auto *area = window->findChild<QScrollArea *>();
    if (area != nullptr && area->widget() != nullptr && area->window() == window) {
        const QSize around = window->sizeHint() - area->sizeHint();
        want = area->widget()->sizeHint() + around.expandedTo(QSize(0, 0))
               + QSize(2 * area->frameWidth(), 2 * area->frameWidth());
    }
    want = want.expandedTo(window->minimumSizeHint()).expandedTo(window->minimumSize());
    const QSize room = screenRoom(window);
    if (area != nullptr) {
        // A bar appears across the side that is cut, and takes room from the other.
        const int bar = area->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, area);
        if (want.height() > room.height())
            want.rwidth() += bar;
        if (want.width() > room.width())
            want.rheight() += bar;
    }
    return want.boundedTo(room);
}

void fitToScreen(QWidget *window)
{
    auto *area = window->findChild<QScrollArea *>();
    if (area != nullptr && area->window() == window)
        window->resize(fittingSize(window));
    else
        window->resize(window->size().boundedTo(screenRoom(window)).expandedTo(window->minimumSizeHint()));
}

namespace WidestText {
QStringList number()
{
    return {"-8.88888e-88", "-0.000888888"};
}
QStringList energy()
{
    return {"-0.888888", "-88888.8"};
}
QStringList ratio()
{
    return {"-0.0888888", "-888888"};
}
}

void widenForTexts(QWidget *field, const QStringList &texts)
{
    const QFontMetrics fm(field->font());
    int text = 0;
    for (const QString &t : texts)
        text = qMax(text, fm.horizontalAdvance(t));
    int around = 0;
    if (auto *le = qobject_cast<QLineEdit *>(field)) {
        QStyleOptionFrame opt;
        opt.initFrom(le);
        const int frame = le->hasFrame() ? le->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &opt, le) : 0;
        const QMargins m = le->textMargins();
        // Frame, the line edit's own margin of 2 on each side and the cursor.
        around = 2 * frame + m.left() + m.right() + 2 * 2 + 1;
    } else if (auto *label = qobject_cast<QLabel *>(field)) {
        around = 2 * label->frameWidth() + 2 * label->margin() + qMax(label->indent(), 0);
    }
    const int need = text + around + 1;
    if (field->minimumWidth() < need)
        field->setMinimumWidth(need);
    if (field->maximumWidth() < need)
        field->setMaximumWidth(need);
}
