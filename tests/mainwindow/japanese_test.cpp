#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QGroupBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QToolBox>
#include <QTranslator>
#include <gtest/gtest.h>

#include "analysis/ui/analyzer.h"
#include "app/startup.h"
#include "mainwindow/body.h"

namespace {

// Words a Japanese user reads as they are: names, units and the
// abbreviations of the trade (short buttons whose tool tip says the rest).
const QStringList keptWords{"Vantoscope", "Analyzer2", "eV",  "keV", "deg", "ms",  "I0",
                            "I1",         "LCF",       "MLCF", "DMut", "dMidx", "Mut", "dE",
                            "ROI",        "NROI",      "FFT",  "NES", "S.R."};

// A text is left in English when it holds a Latin word that is not kept
// and no Japanese at all. A file filter is judged without its patterns.
bool untranslated(QString text, bool filter)
{
    text.remove('&');
    if (filter)
        text.remove(QRegularExpression("\\([^()]*\\)\\s*$"));
    for (const QChar c : text)
        if (c.unicode() > 0x7f)
            return false;
    static const QRegularExpression word("[A-Za-z][A-Za-z0-9.]*[A-Za-z0-9]|[A-Za-z]");
    auto it = word.globalMatch(text);
    while (it.hasNext()) {
        const QString w = it.next().captured();
        if (!keptWords.contains(w) && !keptWords.contains(w + "."))
            return true;
    }
    return false;
}

QString who(const QWidget *w)
{
    const QWidget *window = w->window();
    return QString("%1 [%2 %3]").arg(window->metaObject()->className(), w->metaObject()->className(),
                                     w->objectName());
}

// Window titles, button, tab, page and group texts and file filters of every
// top-level window but those of earlier, that the program wrote in English.
// Qt's own widgets inside a file dialog are Qt's to translate.
QStringList englishLeft(const QWidgetList &earlier)
{
    QStringList left;
    auto check = [&left](const QWidget *w, const QString &text, bool filter = false) {
        if (untranslated(text, filter))
            left << who(w) + ": \"" + text + "\"";
    };
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (earlier.contains(window))
            continue;
        check(window, window->windowTitle());
        if (auto *dialog = qobject_cast<QFileDialog *>(window)) {
            for (const QString &f : dialog->nameFilters())
                check(window, f, true);
            continue;
        }
        for (QAbstractButton *b : window->findChildren<QAbstractButton *>()) {
            if (!qobject_cast<QFileDialog *>(b->window()))
                check(b, b->text());
        }
        for (QTabWidget *t : window->findChildren<QTabWidget *>())
            for (int i = 0; i < t->count(); ++i)
                check(t, t->tabText(i));
        for (QToolBox *t : window->findChildren<QToolBox *>())
            for (int i = 0; i < t->count(); ++i)
                check(t, t->itemText(i));
        for (QGroupBox *g : window->findChildren<QGroupBox *>())
            check(g, g->title());
    }
    left.removeDuplicates();
    return left;
}

class Japanese : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(installTranslation(&own)); }
    void TearDown() override
    {
        QCoreApplication::removeTranslator(&own);
        qDeleteAll(qApp->findChildren<QTranslator *>(QString(), Qt::FindDirectChildrenOnly));
    }
    QTranslator own;
};

TEST_F(Japanese, NoWindowButtonOrFilterLeftInEnglish)
{
    const QWidgetList earlier = QApplication::topLevelWidgets();
    Body body;
    // Windows made on demand: element rows, the data save dialog's filters.
    body.analysisWindow()->setTargetElements("Fe Cu");
    body.findChild<QPushButton *>("SaveData")->click();
    const QStringList left = englishLeft(earlier);
    EXPECT_TRUE(left.isEmpty()) << left.size() << " left in English:\n"
                                << left.join("\n").toStdString();
}

} // namespace
