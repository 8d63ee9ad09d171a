#include "app/startup.h"

#include <QDebug>
#include <QFileInfo>

#include "core/cfg.h"
#include "analysis/analysisrequest.h"
#include "analysis/analyzeproc.h"
#include "analysis/elemsanswer.h"
#include "analysis/fitanswer.h"
#include "batch/batchcmdtables.h"
#include "calibration/empheader.h"
#include "batch/cmdline.h"
#include "core/colorscale.h"
#include "core/globals.h"
#include "core/physicaltables.h"
#include "core/xafsspectrum.h"
#include "imagedata/analyzecond.h"
#include "imagedata/errpoints.h"
#include "imagedata/errpointssnapshot.h"
#include "imagedata/tiffdata.h"

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
    o.batchFileNamed = store.keys.contains("-b");
    o.batchFile = o.batchFileNamed ? store.value("-b", "") : QStringLiteral("batchFile.bat");
    return o;
}

bool StartupOptions::loadsBatchFile() const
{
    if (batchFile.isEmpty())
        return false;
    return batchFileNamed || QFileInfo::exists(batchFile);
}

static void registerAppResources()
{
    Q_INIT_RESOURCE(translations);
}

void registerMetaTypes()
{
    qRegisterMetaType<CmdLine>("CmdLine");
    qRegisterMetaType<EX_CMD_ID>("EX_CMD_ID");
    qRegisterMetaType<XafsSpectrum>("XafsSpectrum");
    qRegisterMetaType<SuggestElm>("SuggestElm");
    qRegisterMetaType<ColorScale>("ColorScale");
    qRegisterMetaType<TiffData *>("TiffData*");
    qRegisterMetaType<ErrPoints *>("ErrPoints*");
    qRegisterMetaType<ErrPoints *>("ErrPoints");
    qRegisterMetaType<ErrPointsSnapshot>("ErrPointsSnapshot");
    qRegisterMetaType<AnalyzeCond>("AnalyzeCond");
    qRegisterMetaType<XafsSpectrum *>("XafsSpectrum*");
    qRegisterMetaType<QVector<double> *>("QVector<double>*");
    qRegisterMetaType<QVector<LCFReference *>>("QVector<LCFReference*>");
    qRegisterMetaType<QVector<LCFReference *>>("QVector<LCFReferencd*>");
    qRegisterMetaType<QVector<ElemCtrl *>>("QVector<ElemCtrl*>");
    qRegisterMetaType<const AElemsConds *>("const AElemsConds*");
    qRegisterMetaType<AElemsConds *>("AElemsConds*");
    qRegisterMetaType<AnalysisRequest>("AnalysisRequest");
    qRegisterMetaType<FitAnswer>("FitAnswer");
    qRegisterMetaType<EMPHeader>("EMPHeader");
    qRegisterMetaType<ElemsAnswer>("ElemsAnswer");
}

void initApplication()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    initGlobals();
    registerAppResources();
    initBatchCmdTables();
    if (!loadVictoreenTable())
        qDebug() << "The Victoreen table could not be loaded";
    registerMetaTypes();
}
