#include "windowfit.h"

#include <QApplication>
#include <QFileDialog>
#include <QFontMetrics>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QStyle>
#include <QStyleOptionFrame>

QSize laptopClientArea()
{
    return QSize(1366 - 10, 728 - 32);
}

QSize smallestSize(QWidget *window)
{
    window->show();
    QApplication::processEvents();
    if (window->layout() != nullptr)
        window->layout()->activate();
    return window->minimumSize().expandedTo(window->minimumSizeHint());
}

QStringList windowsTooLarge()
{
    QStringList large;
    const QSize room = laptopClientArea();
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (qobject_cast<QFileDialog *>(w) != nullptr || qobject_cast<QMenu *>(w) != nullptr
            || w->windowType() == Qt::ToolTip || w->windowType() == Qt::Desktop)
            continue;
        const QSize s = smallestSize(w);
        if (s.width() > room.width() || s.height() > room.height())
            large << QString("%1 (%2): %3 x %4")
                         .arg(w->windowTitle(), w->metaObject()->className())
                         .arg(s.width())
                         .arg(s.height());
    }
    return large;
}

// Room for text inside a line edit, as QLineEdit paints it.
static int textRoom(QLineEdit *le)
{
    QStyleOptionFrame opt;
    opt.initFrom(le);
    opt.rect = le->rect();
    opt.lineWidth = le->hasFrame() ? le->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &opt, le) : 0;
    opt.midLineWidth = 0;
    opt.state |= QStyle::State_Sunken;
    opt.features = QStyleOptionFrame::None;
    QRect r = le->style()->subElementRect(QStyle::SE_LineEditContents, &opt, le);
    r = r.marginsRemoved(le->textMargins());
    const int horizontalMargin = 2;
    const int cursor = 1;
    return r.width() - 2 * horizontalMargin - cursor;
}

bool showsWhole(QWidget *field, const QString &text)
{
    QWidget *window = field->window();
    if (auto *le = qobject_cast<QLineEdit *>(field)) {
        le->setText(text);
        if (window->layout() != nullptr)
            window->layout()->activate();
        QApplication::processEvents();
        return QFontMetrics(le->font()).horizontalAdvance(text) <= textRoom(le);
    }
    if (auto *label = qobject_cast<QLabel *>(field)) {
        label->setText(text);
        if (window->layout() != nullptr)
            window->layout()->activate();
        QApplication::processEvents();
        const int room = label->contentsRect().width() - 2 * label->margin();
        return QFontMetrics(label->font()).horizontalAdvance(text) <= room;
    }
    return false;
}

QStringList cutTexts(QWidget *window, const QList<QPair<QString, QStringList>> &fields)
{
    QStringList cut;
    for (const auto &f : fields) {
        auto *field = window->findChild<QWidget *>(f.first);
        if (field == nullptr) {
            cut << f.first + ": missing";
            continue;
        }
        for (const QString &text : f.second)
            if (!showsWhole(field, text))
                cut << QString("%1: %2 needs %3 px, field %4 px (%5)")
                           .arg(f.first, text)
                           .arg(QFontMetrics(field->font()).horizontalAdvance(text))
                           .arg(field->width())
                           .arg(field->font().toString());
    }
    return cut;
}
