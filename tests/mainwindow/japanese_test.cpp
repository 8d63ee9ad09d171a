#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTranslator>
#include <gtest/gtest.h>

#include "analysis/ui/analyzer.h"
#include "app/startup.h"
#include "display/xafsview.h"
#include "mainwindow/body.h"

namespace {

// A text is left in English when it has no Japanese and holds a Latin word
// other than the names, units and abbreviations a Japanese user reads as they
// are. A file filter is judged without its patterns.
bool untranslated(QString text)
{
    static const QStringList kept{"Vantoscope", "Analyzer2", "eV", "keV", "deg", "ms", "I0", "I1",
                                  "LCF", "MLCF", "DMut", "dMidx", "Mut", "dE", "ROI", "NROI",
                                  "FFT", "NES", "S.R"};
    text.remove('&').remove(QRegularExpression("\\([^()]*\\)\\s*$"));
    if (std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() > 0x7f; }))
        return false;
    static const QRegularExpression word("[A-Za-z][A-Za-z0-9.]*[A-Za-z0-9]|[A-Za-z]");
    for (auto it = word.globalMatch(text); it.hasNext();)
        if (!kept.contains(it.next().captured()))
            return true;
    return false;
}

// With the catalogue installed as start-up installs it, the titles, buttons
// and file filters of every window the main window makes, and the labels of
// its spectrum views (the point's, the background's, the analysis window's)
// once drawn.
TEST(Japanese, NoWindowButtonOrFilterLeftInEnglish)
{
    QTranslator own;
    ASSERT_TRUE(installTranslation(&own));
    const QWidgetList earlier = QApplication::topLevelWidgets();
    QStringList left;
    {
        Body body;
        // Made on demand: element rows, the data save dialog's filters (the
        // dialog opens for a map that holds data).
        // The reason beside the save buttons, before anything is loaded.
        body.findChild<QPushButton *>("SaveImage")->click();
        const QString reason = body.findChild<QLabel *>("SaveReason")->text();
        EXPECT_FALSE(reason.isEmpty());
        if (untranslated(reason))
            left << "SaveReason: \"" + reason + "\"";
        Analyzer *analyzer = body.analysisWindow();
        analyzer->setTargetElements("Fe Cu");
        analyzer->selectAnalysisMode(3);
        AnalyzeCond walk;
        walk.init(2, 2, 0, 0, QRectF(0, 0, 2, 2), -1, -1);
        analyzer->sumUpMap.setArea(walk);
        analyzer->sumUpMap.setData(0, 0, 0, 0, 1.0);
        body.findChild<QPushButton *>("SaveData")->click();
        EXPECT_TRUE(body.findChild<QLabel *>("SaveReason")->text().isEmpty());
        // The spectrum views draw one whose edge was not found: every word of the legend.
        XafsSpectrum flagged;
        flagged.outOfRangeMidx = flagged.noisyMidx = true;
        for (QWidget *window : QApplication::topLevelWidgets()) {
            if (earlier.contains(window))
                continue;
            QStringList texts{window->windowTitle()};
            if (auto *dialog = qobject_cast<QFileDialog *>(window))
                texts << dialog->nameFilters();   // Qt's own widgets are Qt's to translate
            else
                for (QAbstractButton *b : window->findChildren<QAbstractButton *>())
                    texts << b->text();
            if (auto *view = qobject_cast<XafsView *>(window)) {
                view->setXafsSpectrum(flagged);
                view->grab();
                for (QLabel *l : view->findChildren<QLabel *>())
                    texts << l->text();
            }
            for (const QString &t : texts)
                if (untranslated(t))
                    left << QString("%1: \"%2\"").arg(window->metaObject()->className(), t);
        }
    }
    QCoreApplication::removeTranslator(&own);
    qDeleteAll(qApp->findChildren<QTranslator *>(QString(), Qt::FindDirectChildrenOnly));
    left.removeDuplicates();
    EXPECT_TRUE(left.isEmpty()) << left.join("\n").toStdString();
}

} // namespace
