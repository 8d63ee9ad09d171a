#include "mainwindow/body.h"

#include <QCloseEvent>
#include <QDebug>
#include <QMetaType>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <cmath>

#include "analysis/analyzeproc.h"
#include "analysis/ui/aelemsconds.h"
#include "analysis/ui/analyzer.h"
#include "analysis/ui/analyzer2.h"
#include "batch/batchcmdtables.h"
#include "batch/batchdispatcher.h"
#include "batch/ui/batchctrl.h"
#include "calibration/ui/calibctrl.h"
#include "core/cfg.h"
#include "core/globals.h"
#include "core/physicaltables.h"
#include "display/_filedialog.h"
#include "display/colorbar.h"
#include "display/imgdispa.h"
#include "display/screenfit.h"
#include "display/widgethelpers.h"
#include "imagedata/errpoints.h"
#include "imagedata/loadtiff.h"
#include "imagedata/tiffdata.h"
#include "core/workerthread.h"
#include "imagedata/ui/selectdatafiles.h"
#include "mainwindow/savedatacfg.h"
#include "ui_body.h"

namespace {

// Ends a worker thread and waits for it, so that no event reaches its
// worker afterwards.
void endThread(QThread *thread)
{
    if (!thread)
        return;
    thread->quit();
    thread->wait();
}

} // namespace

Body::Body(QWidget *parent)
    : QMainWindow(parent),
      ui(new Ui::Body),
      i1Thread(nullptr),
      i0Thread(nullptr),
      i1Loader(nullptr),
      i0Loader(nullptr),
      darkFrame(nullptr),
      spectrumView(nullptr),
      calibCtrl(nullptr),
      calibrating(false),
      eShiftMap("a2d esm"),
      calibMin(0),
      calibMax(0),
      calibSum(0),
      calibCount(0),
      imageWidth(-1),
      imageHeight(-1),
      imageOriginX(0),
      imageOriginY(0),
      mapOriginX(0),
      mapOriginY(0),
      currentX(0),
      currentY(0),
      analyzer(nullptr),
      analyzing(false),
      imageSaveDialog(nullptr),
      dataSaveDialog(nullptr),
      saveDataCfg(nullptr),
      saveEachDialog(nullptr),
      batchThread(nullptr),
      batchDispatcher(nullptr),
      batchEditor(nullptr),
      bgValid(false),
      i0DarkAreaOn(false),
      i1DarkAreaOn(false),
#if !VANTOSCOPE_CLASSIC
      statsRangeLo(0),
      statsRangeHi(1.0),
      statsRangeOn(false),
#endif
      i1Generation(0),
      i0Generation(0),
      i1ArrivingGeneration(0),
      i0ArrivingGeneration(0),
      darkExpState(-1)
#if !VANTOSCOPE_CLASSIC
      ,
      statsRefreshPending(false),
      statsMarksShown(false)
#endif
{
    darkDialog.setOption(QFileDialog::DontUseNativeDialog, true);
    darkDialog.setDirectory(dataRoot);
    darkDialog.setFileMode(QFileDialog::ExistingFile);
    darkDialog.setAcceptMode(QFileDialog::AcceptOpen);
    darkDialog.setNameFilters({tr("RVKT Files, IMG Files, Tiff Files (*.dat *.img *.tif *.tiff)"),
                               tr("Any Files (* *.*)")});

    loadVictoreenTable();

    ui->setupUi(this);

    ui->dispA->cBar = ui->CBar;
    ui->CBarAll->setText(tr("Set All"));
    connect(ui->CBar, &ColorBar::cBarUpdating, this, &Body::cBarUpdating);
    connect(ui->CBarAll, &QPushButton::clicked, this, &Body::cBarUpdated);

    imageTypeGroup.addButton(ui->ShowData, 0);
    imageTypeGroup.addButton(ui->ShowI0, 1);
    imageTypeGroup.addButton(ui->ShowShiftMap, 2);
    imageTypeGroup.addButton(ui->ShowResAnalysis, 3);
    for (QAbstractButton *b : imageTypeGroup.buttons())
        connect(b, &QAbstractButton::toggled, this, &Body::dispImgSelected);

    ui->HCross->vertical = 0;
    ui->VCross->vertical = 1;

    suggestEdgeEnergy();
    connect(ui->SuggestingElm, &QLineEdit::editingFinished, this, &Body::newElmSuggested);
    connect(ui->SuggestingEdge, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &Body::newEdgeSuggested);

    setupBatch();
    setupDataLoaders();
    setupImageView();
    setupCalibCtrl();
    setupXafsView();
    setupAnalyzer();
    setupAnalyzer2();
    setupSaveDialogs();
    setupSaveEachSpectrum();
    setupDeglitch();
    setupImgProc();
    setupFourierA();
    setupSumUp();
    setupErrPoints();
#if !VANTOSCOPE_CLASSIC
    setupStats();
#endif

    connect(ui->CheckVals, &QPushButton::clicked, this, &Body::showAnalyzedVals);
    setupBackground();
    fitWindowsToScreen();
    runConfigBatch();
}

// Number fields hold their widest values; every window opens no larger than
// the screen it is on.
void Body::fitWindowsToScreen()
{
    widenForTexts(ui->Position, {QString::asprintf("(% 4d, % 4d)", 8888, 8888)});
    widenForTexts(ui->Value, {"-8.888e+88", "-0.0008888"});
    widenForTexts(ui->DarkValue, WidestText::number() << "-88,888.8");
    widenForTexts(ui->EShiftOnTbl, {"-888.888"});
    widenForTexts(ui->EShiftFromStd, {"-888.88"});
    widenForTexts(ui->ImgNo, {"8888"});
    widenForTexts(ui->SuggestingEeV, WidestText::energy());
    fitToScreen(this);
    QList<QWidget *> tools{calibCtrl, spectrumView, saveDataCfg, batchEditor, &imgProc,
                           &bgFileSelect, &bgView};
#if !VANTOSCOPE_CLASSIC
    tools << &stats;
#endif
    for (QWidget *w : tools)
        fitToScreen(w);
}

Body::~Body()
{
    // The runs read the frames from their pools: they end before the frames go.
    areaEngine.stop();
    calibEngine.stop();
    // Threads first: nothing may reach a worker once it is gone.
    endThread(i1Thread);
    endThread(i0Thread);
    endThread(batchThread);
    delete i1Loader;
    delete i0Loader;
    delete batchDispatcher;
    delete batchEditor;
    delete i1Thread;
    delete i0Thread;
    delete batchThread;

    forgetShownFrames(i1Frames);
    forgetShownFrames(i0Frames);
    imgProc.clearFrame();
    i0ByEnergy.clear();
    clearTiffDataList(i1Frames);
    clearTiffDataList(i0Frames);
    delete darkFrame;
    darkFrame = nullptr;

    for (XafsView *v : spectrumViews)
        delete v;
    spectrumViews.clear();
    spectrumView = nullptr;
    delete calibCtrl;
    // The analysis window stops its own worker thread.
    delete analyzer;
    analyzer = nullptr;
    delete analyzer2;
    analyzer2 = nullptr;
    lcfResMaps.clear();
    elemsResMaps.clear();
    delete imageSaveDialog;
    delete dataSaveDialog;
    delete saveEachDialog;
    delete saveDataCfg;
    delete ui;
}

void Body::closeEvent(QCloseEvent *event)
{
    emit finishing();
    event->accept();
}

SelectDataFiles *Body::i1Panel() const { return ui->SelectI1Files; }
SelectDataFiles *Body::i0Panel() const { return ui->SelectI0Files; }
ImgDispA *Body::imageView() const { return ui->dispA; }
ColorBar *Body::colorBar() const { return ui->CBar; }

// -- Element suggestion

void Body::suggestEdgeEnergy()
{
    const int Z = symbolToZ(ui->SuggestingElm->text().trimmed());
    if (Z < 1)
        return;
    const double e = edgeEnergyEV(Z, ui->SuggestingEdge->currentIndex());
    if (!(e > 0) || !std::isfinite(e))
        return;
    ui->SuggestingEeV->setText(QString::number(e, 'g', 6));
}

void Body::newEdgeSuggested(int) { suggestEdgeEnergy(); }

void Body::newElmSuggested() { suggestEdgeEnergy(); }

SuggestElm Body::getSuggestElm() const
{
    SuggestElm s;
    s.use = ui->UseSuggestElm->isChecked();
    s.Z = symbolToZ(ui->SuggestingElm->text().trimmed());
    s.edge = ui->SuggestingEdge->currentIndex();
    s.edgeEV = ui->SuggestingEeV->text().toDouble();
    s.dPreE = ui->DPreE->text().toDouble();
    s.dPostS = ui->DPostS->text().toDouble();
    s.thJumpSigma = ui->ThJumpSigma->text().toDouble();
    return s;
}

// -- Wiring steps

void Body::setupBatch()
{
    batchThread = new QThread;
    batchDispatcher = new BatchDispatcher;
    startWorkerThread(batchThread, batchDispatcher);
    batchEditor = new BatchCtrl;
    batchEditor->setDispatcher(batchDispatcher);
    showOnClick(ui->BatchCtrlB, batchEditor);
    connect(batchDispatcher, &BatchDispatcher::execCmdTokenSig, this,
            [this](int token) { batchNextToken = token; });
    connect(batchDispatcher, &BatchDispatcher::execCmdSig, this, &Body::execCmdSlot);
    // Only completions a batch command owes reach the interpreter.
    connect(this, &Body::finishBatchExec, this, &Body::relayCompletion);
}

void Body::setupDataLoaders()
{
    ui->SelectI1Files->setCaption(tr("I1 Data"));
    ui->SelectI0Files->setCaption(tr("I0 Data"));

    i1Thread = new QThread;
    i1Loader = new LoadTiff;
    connectLoadRequests(i1Loader, true);
    connect(i1Loader, &LoadTiff::leftOut, this,
            [this](int refused, int files) { logLeftOut(true, refused, files); });
    connect(i1Loader, &LoadTiff::jobStarted, this, &Body::i1JobStarted);
    connect(i1Loader, &LoadTiff::loaded, this, &Body::loadedI1);
    connect(i1Loader, &LoadTiff::finishLoadFiles, this,
            [this](EX_CMD_ID cmd) { emit finishBatchExec(int(cmd)); });
    connect(i1Loader, &LoadTiff::finishLoadFiles, this, &Body::finishedLoadI1Files);
    startWorkerThread(i1Thread, i1Loader);

    i0Thread = new QThread;
    i0Loader = new LoadTiff;
    connectLoadRequests(i0Loader, false);
    connect(i0Loader, &LoadTiff::leftOut, this,
            [this](int refused, int files) { logLeftOut(false, refused, files); });
    connect(i0Loader, &LoadTiff::jobStarted, this, &Body::i0JobStarted);
    connect(i0Loader, &LoadTiff::loaded, this, &Body::loadedI0);
    connect(i0Loader, &LoadTiff::finishLoadFiles, this,
            [this](EX_CMD_ID cmd) { emit finishBatchExec(int(cmd)); });
    connect(i0Loader, &LoadTiff::finishLoadFiles, this, &Body::finishedLoadI0Files);
    startWorkerThread(i0Thread, i0Loader);

    connect(ui->SelectI1Files, &SelectDataFiles::filesSelected, this, &Body::readI1Files);
    connect(ui->SelectI0Files, &SelectDataFiles::filesSelected, this, &Body::readI0Files);
    connect(ui->SelectI1Files, &SelectDataFiles::clear, this, &Body::clearI1Files);
    connect(ui->SelectI0Files, &SelectDataFiles::clear, this, &Body::clearI0Files);
    // Each panel browses while its series is the shown one; a file is listed
    // just before its frame is stored.
    connect(ui->SelectI1Files, &SelectDataFiles::currentIndexChanged, this, [this](int i) {
        if (showingI1() && i < i1Frames.size())
            showData(i);
    });
    connect(ui->SelectI0Files, &SelectDataFiles::currentIndexChanged, this, [this](int i) {
        if (!showingI1() && i < i0Frames.size())
            showData(i);
    });

    darkFrame = nullptr;
    showOnClick(ui->SelectDark, &darkDialog);
    connect(ui->ClearDark, &QPushButton::clicked, this, &Body::clearDark);
    connect(&darkDialog, &QFileDialog::fileSelected, this, &Body::selectedDark);
    connect(ui->DarkExpTime, &QLineEdit::editingFinished, this, [this] { darkExposureMs(); });

    i0DarkAreaOn = i1DarkAreaOn = false;
    connect(ui->SelectI0Files, &SelectDataFiles::setDarkArea, this, &Body::setI0DarkArea);
    connect(ui->SelectI0Files, &SelectDataFiles::updateDarkArea, this,
            &Body::clearUpdateI0DarkArea);
    connect(ui->SelectI0Files, &SelectDataFiles::clearDarkArea, this, &Body::clearI0DarkArea);
    connect(ui->SelectI1Files, &SelectDataFiles::setDarkArea, this, &Body::setI1DarkArea);
    connect(ui->SelectI1Files, &SelectDataFiles::updateDarkArea, this,
            &Body::clearUpdateI1DarkArea);
    connect(ui->SelectI1Files, &SelectDataFiles::clearDarkArea, this, &Body::clearI1DarkArea);

    for (XafsFileSelect *chooser : {ui->TotalI0ofI1XAFS, ui->TotalI0ofI0XAFS}) {
        chooser->setMaxSelectBW(50);
        chooser->setMaxClearBW(50);
    }
    connect(ui->TotalI0ofI1XAFS, &XafsFileSelect::newFile, this, &Body::newTotalI0ofI1File);
    connect(ui->TotalI0ofI0XAFS, &XafsFileSelect::newFile, this, &Body::newTotalI0ofI0File);
    // A cleared chooser leaves no table behind.
    connect(ui->TotalI0ofI1XAFS, &XafsFileSelect::cleared, this,
            [this] { totalI0ofI1 = XafsSpectrum(); });
    connect(ui->TotalI0ofI0XAFS, &XafsFileSelect::cleared, this,
            [this] { totalI0ofI0 = XafsSpectrum(); });
}

void Body::setupImageView()
{
    connect(ui->Prev, &QToolButton::clicked, this, &Body::prev);
    connect(ui->Next, &QToolButton::clicked, this, &Body::next);
    connect(ui->SeekBar, &QSlider::sliderMoved, this, &Body::sliderMoved);
    // Keys, clicks in the groove and the wheel move the slider without
    // sliderMoved; a drag has had it already.
    connect(ui->SeekBar, &QSlider::valueChanged, this, [this](int i) {
        if (!settingSeekBar && !ui->SeekBar->isSliderDown())
            sliderMoved(i);
    });
    connect(ui->ZoomIn, &QPushButton::clicked, ui->dispA, &ImgDispA::setViewWAsSelectedArea);
    connect(ui->ResetScale, &QPushButton::clicked, ui->dispA, &ImgDispA::resetImageViewWindow);
    connect(ui->dispA, &ImgDispA::mouseMoved, this,
            QOverload<double, double>::of(&Body::showXafsSpectrum));
    connect(ui->dispA, &DispA::drawImage2, this, &Body::draw);
    connect(ui->dispA, &DispA::mouseMoved0, this, &Body::onMouseMovedInDispA);
    connect(ui->dispA, &ImgDispA::selectedAreaChanged, this, &Body::showSelectedArea);
    showSelectedArea();
}

void Body::setupCalibCtrl()
{
    calibrating = false;
    calibCtrl = new CalibCtrl;
    showOnClick(ui->OpenCalibCtrl, calibCtrl);
    connect(calibCtrl, &CalibCtrl::newStdFileLoaded, this, &Body::newStdFile);
    connect(calibCtrl, &CalibCtrl::stdCleared, this, [this] {
        stdSpectrum = XafsSpectrum();
        if (spectrumView) {
            spectrumView->standard = XafsSpectrum();
            spectrumView->update();
        }
    });
    connect(calibCtrl, &CalibCtrl::execCalibration, this, &Body::execCalibration,
            Qt::QueuedConnection);
    connect(this, &Body::doCalibNextPoint, this, &Body::calibNextPoint, Qt::QueuedConnection);
    connect(this, &Body::calibProgress, calibCtrl, &CalibCtrl::progress);
    connect(this, &Body::doFinishCalib, this, &Body::finishCalib);
    // The run's chunks wait in calibChunks for calibNextPoint.
    connect(&calibEngine, &AreaEngine::chunkReady, this, [this](const AreaEngine::Chunk &c) {
        if (!calibrating)
            return;
        calibChunks.enqueue(c);
        emit doCalibNextPoint();
    });
    // A run that memory cut short says so once, before it reports its end.
    for (AreaEngine *engine : {&areaEngine, &raEngine, &calibEngine})
        connect(engine, &AreaEngine::ranShort, this, [this] {
            logRefusal(tr("Not enough memory: the run ended early, its maps lack the rest"));
        });
    connect(&calibEngine, &AreaEngine::finished, this, [this] {
        calibWalkDone = true;
        emit doCalibNextPoint();
    });
    connect(calibCtrl, &CalibCtrl::saveEMap, this, QOverload<QString>::of(&Body::saveEMap));
    connect(calibCtrl, &CalibCtrl::loadEMap, this, &Body::loadEMap);
    connect(calibCtrl, &CalibCtrl::clearMap, this, &Body::clearShiftMap);
}

void Body::setupXafsView()
{
    spectrumView = new XafsView;
    spectrumView->setWindowTitle(tr("Spectrum at the position"));
    // At the screen's right edge, and in front of the main window once that is up.
    placeBeside(spectrumView, this);
    spectrumView->show();
    spectrumViews << spectrumView;
    showOnClick(ui->ShowXafsView, spectrumView);
    QTimer::singleShot(0, spectrumView, [this] {
        if (!isVisible() || !spectrumView->isVisible())
            return;
        keepOnScreen(spectrumView);
        spectrumView->raise();
    });
}

void Body::setupAnalyzer()
{
    analyzer = new Analyzer;
    analyzing = false;
    analyzer->setColorBar(ui->CBar);
    connect(ui->ShowAnalyzer, &QPushButton::clicked, analyzer, &Analyzer::show);
    connect(analyzer, &Analyzer::askAnalyzeCond, this, &Body::askAnalyzeCond);
    connect(analyzer, &Analyzer::askAnalyze, this, &Body::start2DAnalysis);
    connect(analyzer, &Analyzer::finished, this, &Body::analyzeASpectrumFinished);
    connect(analyzer, &Analyzer::askAnalyzeElems, this, &Body::startElems2DAnalysis);
    connect(analyzer, &Analyzer::analyzeElemsFinished, this, &Body::analyzeElemsFinished);
    connect(analyzer, &Analyzer::askRAAnalyze, this, &Body::startRA2DAnalysis);
    connect(analyzer, &Analyzer::changedSelection, this, &Body::selectedNewRef);
    connect(analyzer, &Analyzer::notFound, this, &Body::logUnderBatch);
    // The caller reads the map and header back as soon as the call returns.
    connect(analyzer, &Analyzer::loadMap, this, &Body::loadMap, Qt::DirectConnection);
}

void Body::setupSaveDialogs()
{
    imageSaveDialog = new _FileDialog;
    imageSaveDialog->setFileMode(QFileDialog::AnyFile);
    imageSaveDialog->setAcceptMode(QFileDialog::AcceptSave);
    imageSaveDialog->setNameFilters({tr("Image File (*.png)"), tr("Any Files (* *.*)")});
    // The dialog only when there is an image to save; else the reason.
    connect(ui->SaveImage, &QPushButton::clicked, this, [this] {
        if (showSaveReason(SaveKind::Image))
            showInFront(imageSaveDialog);
    });
    connect(imageSaveDialog, &QFileDialog::fileSelected, this, &Body::saveImage);

    dataSaveDialog = new _FileDialog;
    dataSaveDialog->setFileMode(QFileDialog::AnyFile);
    dataSaveDialog->setAcceptMode(QFileDialog::AcceptSave);

    saveDataCfg = new SaveDataCfg;
    showOnClick(ui->SaveDataCfgB, saveDataCfg);
    connect(ui->SaveData, &QPushButton::clicked, this, &Body::showSaveDataDialog);
    connect(dataSaveDialog, &QFileDialog::fileSelected, this, &Body::saveData);
    connect(ui->SaveFlatDark, &QPushButton::clicked, this, &Body::saveFlatDark);
}

void Body::setupSaveEachSpectrum()
{
    saveEachDialog = new _FileDialog;
    saveEachDialog->setFileMode(QFileDialog::AnyFile);
    saveEachDialog->setAcceptMode(QFileDialog::AcceptSave);
    saveEachDialog->setNameFilters({tr("XAFS Spectra (*.dat)"), tr("Any Files (* *.*)")});
    showOnClick(ui->SaveEachSpectrum, saveEachDialog);
    connect(saveEachDialog, &QFileDialog::fileSelected, this, &Body::saveEachSpectrum);
}

void Body::setupDeglitch()
{
    connect(ui->DeGlitch, &QPushButton::clicked, this, &Body::deglitch);
    connect(ui->NormalizeEShift, &QPushButton::clicked, this, &Body::normalizeEShift);
}

void Body::setupFourierA()
{
    connect(ui->ExecFourierA, &QPushButton::clicked, this, &Body::execFourierA);
}

void Body::setupErrPoints()
{
    qRegisterMetaType<ErrPoints *>("ErrPoints");
    qRegisterMetaType<ErrPoints *>("ErrPoints*");
    qRegisterMetaType<ErrPointsSnapshot>("ErrPointsSnapshot");
    connect(analyzer2, &Analyzer2::useErrPMaskToggled, this, &Body::useErrPMaskToggled);
    if (!cfg.upperKeys.contains(QStringLiteral("ERRPOINTS")))
        return;
    const QString file = cfg.valueNoCase("ErrPoints", "").trimmed();
    if (globalErrPoints.load(file, false)) {
        globalErrPoints.valid = true;
        analyzer2->setUseErrPMaskEnabled(true);
        analyzer2->setErrPMaskFileName(globalErrPoints.filePath);
        qDebug() << "Err points loaded from" << globalErrPoints.filePath;
    } else {
        analyzer2->setUseErrPMaskEnabled(false);
    }
}

void Body::setupBackground()
{
    bgFileSelect.setWindowTitle(tr("BG File"));
    bgView.setWindowTitle(tr("BG Specturm"));
    bgView.followXRange = true;
    bgView.setNormalize(false);
    bgValid = false;
    showOnClick(ui->SelectBG, &bgFileSelect);
    showOnClick(ui->ShowBG, &bgView);
    connect(&bgFileSelect, &XafsFileSelect::newFile, this, &Body::selectedBG);
    connect(&bgFileSelect, &XafsFileSelect::cleared, this, &Body::clearedBG);
}

// -- Energy calibration: the standard and the error-point mask (the run and the
// map files are in bodycalib.cpp)

void Body::newStdFile()
{
    const XafsSpectrum *std = calibCtrl ? calibCtrl->standard() : nullptr;
    if (!std)
        return;
    stdSpectrum = *std;
    if (spectrumView)
        spectrumView->standard = *std;
}

void Body::useErrPMaskToggled(bool on) { globalErrPoints.valid = on; }

// -- Area analyses: what this build has of them

bool Body::askAnalyzeCond(AnalyzeCond &cond)
{
    if (i1Frames.isEmpty())
        return false;
    const QRectF area = analysisArea();
    if (area.isEmpty()) {
        qDebug() << "The analysis area lies outside the image";
        return false;
    }
    const TiffData *f0 = i1Frames.first();
    cond.init(int(f0->width), int(f0->height), ui->HWidth->text().toInt(nullptr, 10),
              ui->VWidth->text().toInt(nullptr, 10), area, -1, -1);
    return true;
}

void Body::setupResAnalysisImage()
{
    if (Analyzed2DRes *map = analyzer ? analyzer->currentMap() : nullptr) {
        map->colorScale = ui->CBar->scale();
        map->genImg();
    }
}
