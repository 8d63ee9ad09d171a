#include <QApplication>
#include <QDebug>
#include <QTranslator>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <exception>
#include <new>

#include "batch/ui/batchctrl.h"
#include "core/cfg.h"
#include "core/globals.h"
#include "app/guardedapplication.h"
#include "app/startup.h"
#include "mainwindow/body.h"
#include "variant/variant.h"

// Whether the program runs without a screen (the offscreen or minimal platform).
static bool isHeadless()
{
    const QString platform = QGuiApplication::platformName();
    return platform == "offscreen" || platform == "minimal";
}

// A headless "-x" run can be neither watched nor closed: once the interpreter
// has no run left, the program ends with exit status 1 if the last run was
// given up by its bounds or the batch file could not be read, and with 0 once
// the batch file's run has ended without quitting.
// The first end decides the exit status.
static void exitWhenHeadlessRunEnds(BatchCtrl *batch, bool fileRefused)
{
    auto ending = std::make_shared<bool>(false);
    QObject::connect(batch, &BatchCtrl::runsEnded, batch, [fileRefused, ending](bool givenUp) {
        if ((!givenUp && !fileRefused) || *ending)
            return;
        *ending = true;
        qDebug() << (givenUp ? "The batch run was given up" : "The batch file could not be read")
                 << "and no screen can show it: the program ends";
        QCoreApplication::exit(1);
    });
    QObject::connect(batch, &BatchCtrl::editorRunsEnded, batch, [ending](bool givenUp) {
        if (givenUp || *ending)
            return;
        *ending = true;
        qDebug() << "The batch run has ended and no screen can show the program: it ends";
        QCoreApplication::exit(0);
    });
}

static bool started = false;   // the event loop runs

// Without the memory to set the program up it ends with exit status 1: the
// exception is not caught, so nothing half made is unwound. Later, memory
// running short where nothing can end only that work ends the program so.
static void endWithoutMemory()
{
    try {
        if (std::exception_ptr e = std::current_exception())
            std::rethrow_exception(e);
    } catch (const std::bad_alloc &) {
        std::fputs(started ? "Not enough memory: the program ends\n"
                           : "Not enough memory to start the program\n",
                   stderr);
        std::fflush(stderr);
        std::_Exit(1);
    } catch (...) {
    }
    std::abort();
}

int main(int argc, char **argv)
{
    std::set_terminate(endWithoutMemory);
#if VANTOSCOPE_CLASSIC
    Variant::setClassic(true);
#endif
    tuneAllocator();
    initApplication();
    cfg.init(argc, argv, QString(), QStringList());

    GuardedApplication *app = new GuardedApplication(argc, argv);
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
    app->setMemoryShortHandler([body] { body->memoryRanShort(); });
    QObject::connect(body, SIGNAL(finishing()), app, SLOT(closeAllWindows()));
    body->show();
    bool fileRefused = false;
    if (options.loadsBatchFile())
        fileRefused = !body->batchCtrl()->setBatchFile(options.batchFile);
    if (options.execBatch) {
        if (isHeadless())
            exitWhenHeadlessRunEnds(body->batchCtrl(), fileRefused);
        body->batchCtrl()->execBatchSlot();
    }

    started = true;
    const int result = app->exec();
    delete body;
    delete translator;
    delete app;
    return result;
}
