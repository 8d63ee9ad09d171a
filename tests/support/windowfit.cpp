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

QStringList windowsTooLarge()
{
    const QSize room(1366 - 10, 728 - 32);
    QStringList large;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (qobject_cast<QFileDialog *>(w) || qobject_cast<QMenu *>(w) || w->windowType() == Qt::ToolTip
            || w->windowType() == Qt::Desktop)
            continue;
        w->show();
        QApplication::processEvents();
        if (w->layout() != nullptr)
            w->layout()->activate();
        const QSize s = w->minimumSize().expandedTo(w->minimumSizeHint()).expandedTo(w->size());
        if (s.width() > room.width() || s.height() > room.height())
            large << QString("%1 (%2): %3 x %4").arg(w->windowTitle(), w->metaObject()->className())
                         .arg(s.width()).arg(s.height());
    }
    return large;
}

// Room for text in a line edit or label, as they paint it.
static int textRoom(QWidget *field)
{
    if (auto *le = qobject_cast<QLineEdit *>(field)) {
        QStyleOptionFrame opt;
        opt.initFrom(le);
        opt.rect = le->rect();
        opt.lineWidth = le->hasFrame() ? le->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &opt, le) : 0;
        const QRect r = le->style()->subElementRect(QStyle::SE_LineEditContents, &opt, le)
                            .marginsRemoved(le->textMargins());
        return r.width() - 2 * 2 - 1; // the line edit's margins and its cursor
    }
    auto *label = qobject_cast<QLabel *>(field);
    return label ? label->contentsRect().width() - 2 * label->margin() : 0;
}

QStringList cutTexts(QWidget *window, const QList<QPair<QString, QStringList>> &fields)
{
    QStringList cut;
    for (const auto &f : fields) {
        auto *field = window->findChild<QWidget *>(f.first);
        for (const QString &text : f.second) {
            if (auto *le = qobject_cast<QLineEdit *>(field))
                le->setText(text);
            else if (auto *label = qobject_cast<QLabel *>(field))
                label->setText(text);
            if (field != nullptr && field->window()->layout() != nullptr)
                field->window()->layout()->activate();
            QApplication::processEvents();
            const int need = field ? QFontMetrics(field->font()).horizontalAdvance(text) : 0;
            if (field == nullptr || need > textRoom(field))
                cut << QString("%1: %2 needs %3 px, has %4").arg(f.first, text).arg(need)
                           .arg(field ? textRoom(field) : 0);
        }
    }
    return cut;
}
