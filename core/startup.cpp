#include "core/startup.h"

#include <QDebug>
#include <QFileInfo>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include "core/cfg.h"
#include "core/globals.h"

QString chooseConfigFile(const Cfg &store, const QString &appDir)
{
    QString file = QFileInfo(appDir + "/config.cfg").canonicalFilePath();
    if (store.keys.contains("-c"))
        file = store.value("-c", file);
    if (store.keys.contains("-config"))
        file = store.value("-config", file);
    return file;
}

void applyStartupSettings(const Cfg &store)
{
    dataRoot = store.value("DataRoot", dataRoot);
    if (store.keys.contains("-d"))
        dataRoot = store.value("-d", dataRoot);
    batchRoot = store.value("BatchRoot", batchRoot);
    if (store.keys.contains("-br"))
        batchRoot = store.value("-br", batchRoot);
    showAnalyzer2Button =
        store.value("ShowAnalyzer2Button", showAnalyzer2Button ? "1" : "0").toInt(nullptr, 10) == 1;
    if (store.keys.contains("-showA2B"))
        showAnalyzer2Button = store.value("-showA2B", "0").toInt(nullptr, 10) == 1;

    qDebug() << "show analyzer 2" << showAnalyzer2Button;
    qDebug() << "Keys of Cfg::" << store.keys;
    qDebug() << store.keys.contains("ShowAnalyzer2Button") << store.value("ShowAnalyzer2Button", "");
}

StartupOptions startupOptions(const Cfg &store)
{
    StartupOptions o;
    o.noTranslation = store.keys.contains("-e");
    o.execBatch = store.keys.contains("-x");
    o.batchFile = store.keys.contains("-b") ? store.value("-b", "") : QString();
    return o;
}

void tuneAllocator()
{
#ifdef __GLIBC__
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
#endif
}
