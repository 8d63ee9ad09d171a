#include "display/screenfit.h"

#include "display/widgethelpers.h"

#include <QEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMainWindow>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QStringList>
#include <QStyleOptionFrame>
#include <QTimer>
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

// The scroll area that holds the whole content of a form, if it has one.
static QScrollArea *contentArea(QWidget *window)
{
    QWidget *holder = window;
    if (auto *main = qobject_cast<QMainWindow *>(window))
        holder = main->centralWidget();
    if (holder == nullptr)
        return nullptr;
    auto *area = holder->findChild<QScrollArea *>(QString(), Qt::FindDirectChildrenOnly);
    return area != nullptr && area->widget() != nullptr ? area : nullptr;
}

QSize fittingSize(QWidget *window)
{
    QSize want = window->sizeHint();
    QScrollArea *area = contentArea(window);
    if (area != nullptr) {
        // What the window holds around its scroll area, as it is laid out now.
        if (window->layout() != nullptr)
            window->layout()->activate();
        const QSize around = (window->size() - area->size()).expandedTo(QSize(0, 0));
        want = area->widget()->sizeHint().expandedTo(area->widget()->minimumSizeHint()) + around
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

namespace {

// Fits its window when the window is first shown: only then do all the
// widgets inside it count in its layout's size. Where the window manager
// then puts the window, it is kept inside the screen's available area.
class FitOnShow : public QObject
{
public:
    using QObject::QObject;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != parent())
            return false;
        auto *window = static_cast<QWidget *>(watched);
        if (event->type() == QEvent::Show && !shown) {
            shown = true;
            fitNow(window);
            // Some widgets settle their sizes only once shown: once more then.
            QTimer::singleShot(0, window, [window] {
                fitNow(window);
                keepOnScreen(window);
            });
            // The window manager places the window soon after it is shown.
            QTimer::singleShot(2000, this, &QObject::deleteLater);
        } else if (event->type() == QEvent::Move && shown) {
            keepOnScreen(window);
        }
        return false;
    }
    static void fitNow(QWidget *window);

private:
    bool shown = false;
};

} // namespace

void fitToScreen(QWidget *window)
{
    if (window->isVisible()) {
        FitOnShow::fitNow(window);
        return;
    }
    window->installEventFilter(new FitOnShow(window));
}

void FitOnShow::fitNow(QWidget *window)
{
    if (contentArea(window) != nullptr)
        window->resize(fittingSize(window));
    else
        window->resize(window->size().boundedTo(screenRoom(window)).expandedTo(window->minimumSizeHint()));
}

void growToFit(QWidget *window)
{
    QTimer::singleShot(0, window, [window] {
        window->resize(fittingSize(window).expandedTo(window->size()).boundedTo(screenRoom(window)));
        keepOnScreen(window);
    });
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
