#include <QApplication>
#include <QDebug>
#include <QTranslator>

#include "batch/ui/batchctrl.h"
#include "core/cfg.h"
#include "core/globals.h"
#include "app/startup.h"
#include "mainwindow/body.h"
#include "variant/variant.h"

int main(int argc, char **argv)
{
#if VANTOSCOPE_CLASSIC
    Variant::setClassic(true);
#endif
    tuneAllocator();
    initApplication();
    cfg.init(argc, argv, QString(), QStringList());

    QApplication *app = new QApplication(argc, argv);
    QTranslator *translator = new QTranslator();
    QApplication::setStyle("Fusion");
    qDebug() << QCoreApplication::applicationDirPath();

    const QString cfgFile = chooseConfigFile(cfg, QCoreApplication::applicationDirPath());
    qDebug() << "cfg file" << cfgFile;
    cfg.readFile(cfgFile);
    applyStartupSettings(cfg);

    const StartupOptions options = startupOptions(cfg);
    if (!options.noTranslation)
        installTranslation(translator);

    Body *body = new Body();
    QObject::connect(body, SIGNAL(finishing()), app, SLOT(closeAllWindows()));
    body->show();
    if (options.loadsBatchFile())
        body->batchCtrl()->setBatchFile(options.batchFile);
    if (options.execBatch)
        body->batchCtrl()->execBatchSlot();

    const int result = app->exec();
    delete body;
    delete translator;
    delete app;
    return result;
}
