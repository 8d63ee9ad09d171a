#ifndef BODY_H
#define BODY_H

#include <QButtonGroup>
#include <QImage>
#include <QMainWindow>
#include <QQueue>
#include <QRect>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <QVector>

#include "batch/cmdline.h"
#include "core/cmdid.h"
#include "core/fft1d.h"
#include "core/spectrum.h"
#include "core/suggestelm.h"
#include "core/xafsspectrum.h"
#include "display/selectimgdialog.h"
#include "display/xafsfileselect.h"
#include "display/xafsview.h"
#include "imagedata/analyzecond.h"
#include "analysis/fitjob.h"
#include "imagedata/analyzed2dres.h"
#include "imagedata/areaengine.h"
#include "imagedata/errpointssnapshot.h"
#include "imagedata/spectrumsource.h"
#include "imagedata/ui/imgproc.h"
#include "mainwindow/runfailures.h"
#if !VANTOSCOPE_CLASSIC
#include "mainwindow/stats.h"
#endif

class Analyzer;
class Analyzer2;
class BatchCtrl;
class BatchDispatcher;
class CalibCtrl;
class ColorBar;
class EMPHeader;
class ErrPoints;
class ImgDispA;
class LoadTiff;
class QCloseEvent;
class QLineEdit;
class QPainter;
class QTextStream;
class QThread;
class SaveDataCfg;
class SelectDataFiles;
class TiffData;
class _FileDialog;

namespace Ui {
class Body;
}

// The main window and controller: owns the I1 and I0 image stacks, the dark
// frame, the energy-shift map, the background and total-I0 spectra, every
// tool window and the worker threads (two image loaders and the batch
// interpreter; the analysis window runs its own). Compiled once per program:
// the classic program has no statistics window.
//
// Slots live in several files by concern: body.cpp (construction, wiring,
// shutdown), bodystacks.cpp (stacks, browsing, dark frame and areas,
// background, total I0), bodydraw.cpp (overlay, read-outs, statistics),
// bodyimgproc.cpp (image processor), bodyspectrum.cpp (spectrum at a point),
// bodysavemaps.cpp and bodysavespectra.cpp (saving), bodycalib.cpp
// (calibration run and map files), bodyarea.cpp (area runs), bodyresidual.cpp
// (residual absorption), bodyfourier.cpp (Fourier diagnostic), bodysumup.cpp
// (sum-up images), bodydarkcheck.cpp (dark-point check).
class Body : public QMainWindow
{
    Q_OBJECT

public:
    explicit Body(QWidget *parent = nullptr);
    // Ends every worker thread and waits for it before its worker goes.
    ~Body() override;

    // The batch editor (start-up hands it the "-b" file).
    BatchCtrl *batchCtrl() const { return batchEditor; }
    // An event of the GUI thread ran short of memory: one line, and the
    // batch command in progress ends as failed.
    void memoryRanShort();

    // Read access for the tool windows and tests.
    const QVector<TiffData *> &i1Stack() const { return i1Frames; }
    const QVector<TiffData *> &i0Stack() const { return i0Frames; }
    // The I0 stack ordered by rising energy (stable for equal energies); the
    // lookups by energy read this, whatever order the frames were loaded in.
    const QVector<TiffData *> &i0FramesByEnergy() const { return i0ByEnergy; }
    TiffData *darkImage() const { return darkFrame; }
    const QVector<double> &i1DarkLevels() const { return i1DarkMeans; }
    const QVector<double> &i0DarkLevels() const { return i0DarkMeans; }
    bool i1DarkAreaSet() const { return i1DarkAreaOn; }
    bool i0DarkAreaSet() const { return i0DarkAreaOn; }
    QRectF i1DarkRect() const { return i1DarkArea; }
    QRectF i0DarkRect() const { return i0DarkArea; }
    const XafsSpectrum &totalI0OfI1Table() const { return totalI0ofI1; }
    const XafsSpectrum &totalI0OfI0Table() const { return totalI0ofI0; }
    bool backgroundValid() const { return bgValid; }
    const XafsSpectrum &backgroundSpectrum() const { return bgSpectrum; }
    int imageW() const { return imageWidth; }
    int imageH() const { return imageHeight; }
    int pointX() const { return currentX; }
    int pointY() const { return currentY; }
    bool isAnalyzing() const { return analyzing; }

    SelectDataFiles *i1Panel() const;
    SelectDataFiles *i0Panel() const;
    ImgDispA *imageView() const;
    ColorBar *colorBar() const;
    XafsView *pointSpectrumView() const { return spectrumView; }
    XafsView *backgroundView() { return &bgView; }
    XafsFileSelect *backgroundChooser() { return &bgFileSelect; }
    Analyzer *analysisWindow() const { return analyzer; }
    CalibCtrl *calibrationWindow() const { return calibCtrl; }
    ImgProc *imageProcessor() { return &imgProc; }
    SaveDataCfg *saveOptions() const { return saveDataCfg; }
    LoadTiff *i1LoadWorker() const { return i1Loader; }
    LoadTiff *i0LoadWorker() const { return i0Loader; }
    SelectImgDialog *darkFileDialog() { return &darkDialog; }
#if !VANTOSCOPE_CLASSIC
    Stats *statistics() { return &stats; }
    bool statsOverlayOn() const { return statsRangeOn; }
    double statsOverlayLo() const { return statsRangeLo; }
    double statsOverlayHi() const { return statsRangeHi; }
#endif

    // The analysis area in image pixels: the selected area when one is
    // selected, else the view window, not clipped to the image
    // (0 .. imageWidth, 0 .. imageHeight). Empty without an image or when
    // nothing of the area lies on it. The overlay, the statistics, the area
    // runs and the area saves all walk this.
    QRectF analysisArea() const;
    // The "Selected Area" read-out, from the display's selection.
    void showSelectedArea();
    // The element suggestion as the form shows it now.
    SuggestElm getSuggestElm() const;

    // Dark level per pixel of frame i from the stack's dark area: 0 while the
    // area is off; means missing for new frames are measured first; past the
    // end of the list (an I1 index on a shorter I0 stack) the first mean.
    double i1DarkMeanAt(int i);
    double i0DarkMeanAt(int i);
    // Factor from the dark frame's exposure to a stack exposure of stackExpMs:
    // stackExpMs / DarkExpTime. 1 (nothing scaled) when DarkExpTime is empty,
    // zero, negative or no number, which marks that field pink and logs a
    // line once, or when stackExpMs is not a positive number.
    double darkExposureScale(double stackExpMs);

    // Box-sum profiles through the shown frame (no dark level subtracted);
    // for I1 frames ln(I0/I1) or I1/I0 with the I0 stack at the frame's energy.
    Spectrum rowProfile(int y, int hw, int hh, bool fromI1) const;
    Spectrum columnProfile(int x, int hw, int hh, bool fromI1) const;

    // The corrected spectrum of the box of half sizes hw, hh around (x, y),
    // one point per I1 frame; empty off the image.
    Spectrum spectrumAtPoint(int x, int y, int hw, int hh);
    // What every box spectrum is built from, as it stands now; the area runs
    // take one at their start.
    SpectrumSource spectrumSource();
    // Energy and plain box sum per I1 frame; empty off the image.
    Spectrum rawSpectrumAtPoint(int x, int y, int hw, int hh);

    // Stores a shift the image processor found (or was given) for frame, in
    // that frame when it is still a frame of either stack.
    void applyImgShift(TiffData *frame, int dx, int dy);

    // Reads an energy-shift map file's header.
    EMPHeader loadMapHeader(QTextStream &in);

    // Why a map that has an area but no data has nothing, in words for its
    // user: every box of the last run that fills it gave no result (that
    // run's summary), or it is the map of a reference row that had no part
    // in the last fit. Empty when neither applies.
    QString noDataReason(const Analyzed2DRes *map) const;

protected:
    void closeEvent(QCloseEvent *event) override;

signals:
    void findFirstDEdgeAtAPoint();
    void findNextDEdgeAtAPoint();
    void noMorePointsToFindDEdge();
    void loadI1Files(QStringList files, bool skipLive, int step, int start, int tail,
                     ErrPointsSnapshot errPoints, EX_CMD_ID cmd);
    void loadI0Files(QStringList files, bool skipLive, int step, int start, int tail,
                     ErrPointsSnapshot errPoints, EX_CMD_ID cmd);
    void finishing();
    void finishBatchExec(int id);
    void doCollectQInfo(AnalyzeCond cond);
    void doCalibNextPoint();
    void doFinishCalib();
    void calibProgress(double percent);

public slots:
    // Stacks, browsing, display, dark frame and areas, background (bodystacks.cpp,
    // bodydraw.cpp).
    void clearI1Files();
    void clearI0Files();
    void readI1Files(QStringList files, bool clearFirst);
    void readI0Files(QStringList files, bool clearFirst);
    void finishedLoadI1Files();
    void finishedLoadI0Files();
    void showData(int i);
    void selectedDark(QString fileName);
    void clearDark();
    void prev();
    void next();
    void sliderMoved(int i);
    void draw(QPainter *p);
    void showXafsSpectrum(double x, double y);
    void cBarUpdating();
    void cBarUpdated();
    void onMouseMovedInDispA();
    void loadedI1(TiffData *frame, int index);
    void loadedI0(TiffData *frame, int index);
    void dispImgSelected(bool);
    void selectedNewRef();
    void seekImage(int i);
    void deglitch();
    void showAnalyzedVals();
    void setI0DarkArea();
    void setI1DarkArea();
    void clearUpdateI0DarkArea();
    void clearUpdateI1DarkArea();
    void updateI0DarkArea();
    void updateI1DarkArea();
    void clearI0DarkArea();
    void clearI1DarkArea();
    void clearedBG();
    void selectedBG(QString fileName);
    void newTotalI0ofI1File(QString fileName);
    void newTotalI0ofI0File(QString fileName);

    // Spectrum of the current point (bodyspectrum.cpp).
    void showXafsSpectrum();

    // Element suggestion (body.cpp).
    void newEdgeSuggested(int);
    void newElmSuggested();

    // Saving maps and images (bodysavemaps.cpp).
    void saveImage(QString fileName);
    void saveImageWNum(QString fileName, QString tag);
    void saveAllImages(QString fileName);
    void showSaveDataDialog();
    void saveData(QString fileName);
    void saveDataAsTiff(QString fileName, int index);
    void saveDataAsText(QString fileName, int index);
    void saveFlatDark();

    // Saving spectra over an area (bodysavespectra.cpp).
    void saveEachSpectrum(QString fileName);
    void saveEachNormalizedXafsSpectrum(QString fileName);
    void saveEachRawXafsSpectrum(QString fileName);
    void saveEachRawSpectrum(QString fileName);

#if !VANTOSCOPE_CLASSIC
    // Statistics window (bodydraw.cpp).
    void showStatistics();
    void selectedRangeInStats();
#endif

    // Image processor (bodyimgproc.cpp).
    void giveProcData();
    void setImgShift(int dx, int dy);
    void clearAllShifts();

    // Energy calibration.
    void newStdFile();
    void execCalibration();
    void calibNextPoint();
    void finishCalib();
    void saveEMap(QString fileName);
    void saveEMap(QString fileName, const Analyzed2DRes &map);
    void loadEMap(QString fileName);
    void loadMap(QString fileName, Analyzed2DRes &map, EMPHeader &header);
    void clearShiftMap();
    void normalizeEShift();
    void useErrPMaskToggled(bool on);

    // Area analyses.
    bool askAnalyzeCond(AnalyzeCond &cond);
    void start2DAnalysis();
    void stop2DAnalysis();
    void analyzeASpectrumFinished();
    void recordResForAPoint();
    void generateResImages();
    void startRA2DAnalysis();
    void generateRAResImage();
    void startElems2DAnalysis();
    void stopElems2DAnalysis();
    void analyzeElemsFinished();
    void recordElemsResForAPoint();
    void generateElemsResImages();
    void setupResAnalysisImage();
    void execFourierA();
    void startCollectQInfo();
    void doSumUp();
    void darkCheck();

    // Batch command executor.
    void execCmdSlot(const CmdLine &cmd, bool skip);

private:
    // Construction steps, in the order the constructor runs them.
    void setupBatch();
    void setupDataLoaders();
    void setupImageView();
    void setupCalibCtrl();
    void setupXafsView();
    void setupAnalyzer();
    void setupAnalyzer2();
    void setupSaveDialogs();
    void setupSaveEachSpectrum();
    void setupDeglitch();
    void setupImgProc();
    void setupFourierA();
    void setupSumUp();
    void setupErrPoints();
#if !VANTOSCOPE_CLASSIC
    void setupStats();
#endif
    void setupBackground();
    void fitWindowsToScreen();
    void runConfigBatch();
    void suggestEdgeEnergy();

    // Stacks (bodystacks.cpp).
    // The shown series: I0 while ShowI0 is checked, else I1 (the map views
    // browse the stack their maps are built from); its panel.
    bool showingI1() const;
    const QVector<TiffData *> &shownFrames() const;
    SelectDataFiles *shownPanel() const;
    // The display's frame when it is one of the shown series, or null.
    TiffData *shownFrame() const;
    // The index of the frame on screen, else the panel's.
    int screenIndex() const;
    // Shows frame i of the shown series, or no frame when it has none there;
    // slider, "No." and marker follow.
    void showFrameAt(int i);
    // showFrameAt(i) when the shown series has frame i; otherwise a line
    // naming who, the slider back at the index on screen, nothing else changed.
    void browseTo(int i, const char *who);
    // Puts the spectrum view's marker at f's energy (none for null) with one
    // update of the view; nothing when it stands there for f already.
    void markFrameEnergy(const TiffData *f);
    const TiffData *markedFrame = nullptr;   // compared only, never dereferenced
    // Asks a loader for files with the panel's rules, snapshots of the
    // colour bar and of the panel's bad-pixel list, and the stack's generation.
    void requestLoad(bool i1, const QStringList &files, bool clearFirst);
    // A loader began a job of generation g; frames of an older generation
    // than the stack's are dropped on arrival.
    void i1JobStarted(quint64 g);
    void i0JobStarted(quint64 g);
    // Bytes the frames of both stacks and the dark frame hold.
    qint64 stackMemoryBytes() const;
    // Bytes of the frames received from each loader, for its memory count.
    qint64 i1ReceivedBytes = 0;
    qint64 i0ReceivedBytes = 0;
    // Image size, origin and slider range from I1 frame 0.
    void takeI1Geometry();
    // True while the program itself sets SeekBar's value or range.
    bool settingSeekBar = false;
    void finishedLoad(bool i1);
    // One line for a load that left images out for memory.
    void logLeftOut(bool i1, int refused, int files);
    void setDarkArea(bool i1);
    void updateDarkArea(bool i1);
    void insertI0ByEnergy(TiffData *frame);
    void newTotalI0File(XafsSpectrum &table, const QString &fileName);
    // The display forgets its frame when it is one of these, before they are deleted.
    void forgetShownFrames(const QVector<TiffData *> &frames);
    // DarkExpTime as a positive number, or 0 (marked pink, logged once).
    double darkExposureMs();

    // Drawing (bodydraw.cpp).
#if !VANTOSCOPE_CLASSIC
    // What the statistics and their marks were made from: when it changes
    // they are stale.
    struct StatsKey
    {
        const void *map = nullptr;
        const void *data = nullptr;
        double min = 0, max = 0, procMin = 0, procMax = 0;
        bool proc = false;
        QRectF area;
        int halfW = 0, halfH = 0, width = 0, height = 0;
        double lo = 0, hi = 0;   // the marked range (marks only)
        bool operator==(const StatsKey &o) const;
        bool operator!=(const StatsKey &o) const { return !(*this == o); }
    };
    // The map the statistics are about: the analysis window's current map
    // when it holds data, else null.
    Analyzed2DRes *statsMap() const;
    StatsKey statsKeyOf(const Analyzed2DRes *map) const;
    void drawStatsMarks(QPainter *p);
    void buildStatsMarks(Analyzed2DRes *map);
    // Recomputes the statistics, later in the event loop, when the map or
    // the area changed since they were last computed.
    void scheduleStatsRefresh();
    void refreshStatsIfChanged();
#endif

    // -- darkcheck (bodydarkcheck.cpp; setupErrPoints in body.cpp)
public:
    // The Analyzer2 panel: made at construction without a parent.
    Analyzer2 *analyzer2Panel() const { return analyzer2; }
    // Most histogram bins the dark check takes.
    static constexpr int MaxDarkBins = 100000;
    // Writes "dark-hg-all.dat" in the working directory: the count of the
    // pixel values of every frame in bins + 1 slots of width max / bins from
    // 0, values at or above max in the last; NaN values are not counted.
    // False, with a debug line and no file, for a max that is not a positive
    // finite number or bins outside 0 .. MaxDarkBins (0: one slot).
    static bool writeDarkHistogram(const QVector<TiffData *> &frames, double max, int bins);
    // The pixels of frame 0 that read above th in every frame, with the sums
    // of their values: "dark-allDarkPoints.dat" (error-points file format),
    // the list size after each frame in "dark-allDarkPointNums.dat", and the
    // differences with known in "dark-allDarkPoints-onlyInPs1.dat" and
    // "dark-allDarkPoints-onlyInErrPs.dat", all in the working directory.
    // Nothing is written when no pixel qualifies. Returns the number found.
    static int writeDarkPoints(const QVector<TiffData *> &frames, double th,
                               const ErrPoints &known);

private:
    // The two steps of darkCheck on the I1 stack with the panel's values;
    // darkHistogram is false when it refused them.
    bool darkHistogram();
    void findDarkPoints();
    Analyzer2 *analyzer2 = nullptr;
    // (end of darkcheck)

    // -- residual (bodyresidual.cpp)
    // The blocks of raArea into the three maps; ends with generateRAResImage().
    void analyzeRAPoints();
    void recordRAChunk(const AreaEngine::Chunk &chunk);
    AreaEngine raEngine;
    RunFailures raFailures;   // of the last run
    double raFactor = 1.0;    // RAFactor at the start of the last run
    double raEnergy = 8200;   // RAAtEV [eV] at the start of the last run
    // The analysis window's maps, set by every run; not owned.
    Analyzed2DRes *raDMutMap = nullptr;
    Analyzed2DRes *raRestMap = nullptr;
    Analyzed2DRes *raRatioMap = nullptr;
    // (end of residual)

    // -- fourier (bodyfourier.cpp)
public:
    // Correlation sums of the Fourier diagnostic over the blocks of a walk
    // (from its first block), per Fourier index k of the raw block spectra:
    // aa = sum of a*a (alike for every k), bb[k] = sum of b*b, ab[k] = sum of
    // a*b, with a the box sum of I1 frame 0 and b the k-th magnitude of the
    // block's raw spectrum. One transform per block; empty without frames.
    struct FourierSums
    {
        double aa = 0;
        QVector<double> bb;
        QVector<double> ab;
    };
    FourierSums fourierSums(AnalyzeCond walker);

private:
    // (end of fourier)

    // -- area (bodyarea.cpp)
public:
    enum class AreaRun { None, Fit, Elems };
    // The kind of area run in progress (None when analyzing is false).
    AreaRun areaRunKind() const { return areaRun; }
    // Blocks passed over (centre off the image, empty spectrum, no job,
    // fewer than two reference rows) and answers not recorded (stale or
    // mis-sized) in the last run; the first few of each are logged.
    int areaBlocksSkipped() const { return areaSkipped; }
    int areaAnswersDropped() const { return areaDropped; }

    // The engine of the fit and element runs (tests watch its chunks).
    AreaEngine *areaRunEngine() { return &areaEngine; }
    // Computes the rest of whatever area run or calibration reads the
    // frames, to its completion, before frames go.
    void finishRunsReadingFrames();

private:
    // A chunk of blocks of the fit or element run, in walk order: queued,
    // then recorded by recordResForAPoint / recordElemsResForAPoint.
    void queueAreaChunk(const AreaEngine::Chunk &chunk);
    void recordAreaChunk(const AreaEngine::Chunk &chunk);
    void areaEngineFinished();
    // The energy-shift map as the runs read it from the pool threads: a copy
    // taken at the start, looked up as eShiftAtPoint does.
    struct ShiftTable
    {
        QVector<double> values;
        int w = 0, h = 0;
        qint64 dx = 0, dy = 0;
        double at(int x, int y) const;
    };
    ShiftTable shiftTable() const;
    // A start slot's common part: the walker, the flags and the maps; false,
    // with the completion of kind, when no run starts (also for a problem
    // found in its numbers, logged in one line). token: the batch command the
    // run reports its end to (0: none).
    bool beginAreaRun(AreaRun kind, int token, const QString &problem = QString());
    AnalyzeCond &areaWalker() { return areaRun == AreaRun::Elems ? elemsArea : lcfArea; }
    static int completionOf(AreaRun kind);
    // Why a run can not be steered by the suggestion: a number of it that is
    // not finite while it is in use. Empty when it can.
    static QString suggestionProblem(const SuggestElm &s);
    // Why a shift search (what names it) can not run: a range that is not
    // finite or steps that are not positive and finite. Empty when it can.
    static QString searchProblem(const char *what, double range, double step, double minStep);
    // Why the fit run's numbers can not give a result in any block; empty when they can.
    static QString fitRunProblem(const FitJob &job, const SuggestElm &s);
    // Gives the map the run's area and no data.
    static void prepareAreaMap(Analyzed2DRes *map, const AnalyzeCond &area, int no);
    // Hands the run's walk to the engine, or passes every block over (the
    // reason skipAll, for the user skipWhy) and ends the run.
    void runAreaEngine(const QString &skipAll, const AreaEngine::Chunk::NoResult &skipWhy,
                       int valuesPerBlock, AreaEngine::Work work);
    // The maps of the fit run that none of its boxes filled lose their data.
    void emptyFailedFitMaps();
    // Writes the summary of f, when it has one, to the batch log and the
    // analysis window (the calibration window for a calibration).
    void noteRunFailures(const RunFailures &f);
    // Writes note (none when empty) where the summary of f goes.
    void noteRunLine(const RunFailures &f, const QString &note);
    // A run of f's kind refused for want of an I1 image changes nothing:
    // maps, fields and f stay as they were; only why is noted.
    void keepMapsWithoutI1(const RunFailures &f);
    // Why a run can not start: no I1 image, or problem; empty when it can.
    QString runRefusal(const QString &problem) const;
    static QString areaRefusal();
    // A run refused before its first box ends as one in which every box
    // failed: maps without data, why in f and in the run's note.
    void refuseRun(RunFailures &f, const QVector<Analyzed2DRes *> &maps, const QString &why);
    // Every map a run of kind fills.
    QVector<Analyzed2DRes *> areaRunMaps(AreaRun kind);
    // Logs the one line of a run whose maps could not hold all its values;
    // false when they could.
    bool noteMapsRanShort(const QVector<Analyzed2DRes *> &maps);
    void recordFitBlock(int x, int y, int hw, int hh, const double *v);
    void recordElemsBlock(int x, int y, int hw, int hh, const double *v);
    void showLastElemsBlock();
    // Stops the engine, clears the flags and sends the run's completion;
    // images, repaint and the closing progress only when the walk is
    // complete, "2da 4:" with stopLog; a stopped run logs how far it came.
    void endAreaRun(bool completed, bool stopLog = false);
    void skipAreaBlock(int x, int y, const QString &why);
    void dropAreaAnswer(int x, int y, const QString &why);
    void noteAreaBlock(int x, int y, const QString &note);
    AreaRun areaRun = AreaRun::None;
    AreaEngine areaEngine;
    QQueue<AreaEngine::Chunk> areaChunks;   // arrived, not yet recorded
    int areaPerBlock = 0;
    FitJob fitJobs;                  // the jobs of the fit run
    QVector<int> fitRowsInUse;       // their rows in use
    int elemsRunRows = 0;            // element rows of the element run
    QVector<double> areaLastValues;  // the last element block recorded
    int areaSkipped = 0;
    int areaDropped = 0;
    int areaNotes = 0;
    int areaBlocksDone = 0;    // blocks of the run recorded or passed over
    int areaBlocksTotal = 0;   // blocks of its walk
    int areaRunToken = 0;      // the batch command it reports to; 0: started by hand
    // The boxes without a result of the last run of each kind.
    RunFailures fitFailures;
    RunFailures elemsFailures;
    RunFailures &areaFailures() { return areaRun == AreaRun::Elems ? elemsFailures : fitFailures; }
    // (end of area)

    // -- calib (bodycalib.cpp)
public:
    // The energy-shift map and the run over it.
    const Analyzed2DRes &energyShiftMap() const { return eShiftMap; }
    bool isCalibrating() const { return calibrating; }
    // The block walker of the last run, or of the last map read.
    const AnalyzeCond &calibrationArea() const { return calibCond; }
    int shiftMapOriginX() const { return mapOriginX; }
    int shiftMapOriginY() const { return mapOriginY; }

private:
    // The edge energy a written map refers to: the standard's edge position,
    // else EdgeEeV, else that of the last map read; 0 when none is known.
    double mapEdgeEnergy() const;
    void recordCalibChunk(const AreaEngine::Chunk &chunk);
    // The statistics of the first blocks of the run's walk; returns their mean.
    double showCalibStatistics(int blocks);
    // The energy-shift map is replaced: what the window shows of the old one goes.
    void forgetShiftMapRun();
    AreaEngine calibEngine;
    QQueue<AreaEngine::Chunk> calibChunks;   // arrived, not yet recorded
    bool calibWalkDone = false;              // every chunk of the run has arrived
    double calibSigma = 0;          // standard deviation of the last run
    double lastMapEdgeEnergy = 0;   // Std Edge Energy of the last map read
    int calibBlocksDone = 0;        // blocks of the run recorded
    bool calibMapUnfinished = false;   // the map is of a run that has not ended or was stopped
    int calibStops = 0;             // runs stopped so far
    int calibNoShift = 0;           // blocks of the run that gave no shift
    RunFailures calibFailures;      // of the last run
    int calibRunToken = 0;          // the batch command it reports to; 0: started by hand
    // Ends the run in progress before its last block; the map keeps what it has.
    void stopCalibration();
    // (end of calib)

    // -- batch executor (bodyexec.cpp, bodyexeccalib.cpp)
    // Each returns true when the command reports its completion later itself
    // (loads 4/5 through the loaders, analyzer_exec_LCF 62, analyzer_exec_elems 94,
    // calib_exec 98, calib_load_map 99); otherwise the executor emits
    // finishBatchExec(id) at once after the handler returns.
    bool execImageDataCmd(EX_CMD_ID id, const CmdLine &cmd);   // bodyexecimage.cpp
    bool execAnalyzerCmd(EX_CMD_ID id, const CmdLine &cmd);    // bodyexecanalyzer.cpp
    bool execCalibSaveCmd(EX_CMD_ID id, const CmdLine &cmd);   // bodyexeccalib.cpp
    // The completion a batch command reports: 4/5 for every I1/I0 load.
    static int completionIdOf(EX_CMD_ID id);
    // Passes a completion on to the interpreter, with the token of the command
    // in progress, only when that command owes it; completions of loads, map
    // reads and runs started by hand, or of commands of a stopped run that a
    // newer command replaced, go nowhere. A load's completion counts only when
    // the loader had received the command's request before it ran dry.
    void relayCompletion(int id);
    // Reports the end of a run started for the batch command with token (0:
    // none): the completion reaches the interpreter only when that command is
    // the one in progress, never for a run started by hand or by an earlier,
    // stopped batch.
    void reportRunEnd(int id, int token);
    // The token a start slot gives the run it starts: the executor's, once.
    int takeRunToken();
    // Connects a stack's load requests to its loader, each acknowledged back
    // in the order received.
    void connectLoadRequests(LoadTiff *loader, bool i1);
    int batchToken = 0;        // token of the command in progress; 0: none owed
    int batchNextToken = 0;    // announced by the interpreter for its next command
    int batchOwedId = -1;      // completion the command in progress will report
    int batchOwedOwnId = -1;   // that command's own identifier, also accepted
    quint64 batchLoadNeeds = 0;  // load requests its loader must have received
    quint64 i1LoadsAsked = 0, i1LoadsReceived = 0;
    quint64 i0LoadsAsked = 0, i0LoadsReceived = 0;
    int nextRunToken = 0;        // for the run the executor starts next
    bool relayMuted = false;     // a run's end that no command in progress owes
    // (end of batch executor)

    bool takeLoadedFrame(TiffData *frame, int index, bool current, SelectDataFiles *panel,
                         QVector<TiffData *> &frames);
    // -- helpers of the spectrum and saving files
    // Energy shift [eV] of image point (x, y): the value of eShiftMap at the
    // point's detector position, 0 outside the map.
    double eShiftAtPoint(int x, int y) const;
    // Hands the point spectrum on to the analysis window. Only one spectrum is
    // with the analysis worker at a time; a spectrum that comes meanwhile
    // waits, and a newer one replaces it.
    void feedAnalyzer(const XafsSpectrum &xs, const SuggestElm &suggest);
    void handWaitingPointSpectrum();
    // What a save writes: the image in view, or the map the analysis window
    // shows as TIFF or text, each with the colour bar of what it wrote beside
    // it (not beside text); or why it writes nothing. The buttons and the
    // batch commands ask this alone.
    enum class SaveKind { Image, Tiff, Text };
    struct SavePlan
    {
        QString reason;                // for the user; empty when it writes
        QString detail;                // numbers for the log
        Analyzed2DRes *map = nullptr;  // the map saved
        qint64 gridW = 0, gridH = 0;   // samples of a TIFF map
        QRect view;                    // the shown image's pixels in view
        ColorScale bar;                // the colour bar of what is saved
    };
    SavePlan planSave(SaveKind kind);
    // The kind of Save Data by the save options.
    SaveKind dataSaveKind() const;
    // Shows why a button's save would write nothing beside the save buttons;
    // false when it would.
    bool showSaveReason(SaveKind kind);
    // Recomputes a reason shown, which may no longer hold.
    void refreshSaveReason();
    int saveReasonKind = -1;   // the SaveKind whose reason is shown; -1: none
    // One line of why a save writes nothing: in the debug output and, for a
    // batch command, in the batch log.
    void logNothingSaved(const char *who, const SavePlan &plan);
    // A line that a batch command's refusal also writes into the batch log
    // (bodyexec.cpp); the caller has written the debug line.
    void logUnderBatch(const QString &line);
    // The debug line, and the batch log's under a batch command.
    void logRefusal(const QString &line);
    // Logs line and ends the batch command in progress, if any, as failed.
    void failOwedCommand(const QString &line);
    // Saves the map as dir/base-index.tif (with its colour bar when bar is
    // true) or .dat when the plan of kind writes, else logs why as who.
    void saveMap(const QString &fileName, int index, SaveKind kind, bool bar, const char *who);
    // The first reference row whose Show is checked, else 0: it numbers map files.
    int shownRowIndex() const;
    // Writes the spectra over the analysis area (kind: SpectraKind in
    // bodysavespectra.cpp).
    void saveEachSpectra(const QString &fileName, int kind);
    XafsSpectrum waitingPointSpectrum;
    SuggestElm waitingPointSuggest;
    bool pointSpectrumWaiting = false;
    bool pointSpectrumWithWorker = false;
    // (end of the helpers of the spectrum and saving files)

    Ui::Body *ui;

    QThread *i1Thread;
    QThread *i0Thread;
    LoadTiff *i1Loader;
    LoadTiff *i0Loader;
    QVector<TiffData *> i1Frames;
    QVector<TiffData *> i0Frames;
    TiffData *darkFrame;
    SelectImgDialog darkDialog;
    XafsView *spectrumView;
    QVector<XafsView *> spectrumViews;
    QButtonGroup imageTypeGroup;
    CalibCtrl *calibCtrl;
    bool calibrating;
    Analyzed2DRes eShiftMap;
    AnalyzeCond calibCond;
    double calibMin;
    double calibMax;
    double calibSum;
    int calibCount;
    XafsSpectrum stdSpectrum;
    int imageWidth;
    int imageHeight;
    int imageOriginX;
    int imageOriginY;
    int mapOriginX;
    int mapOriginY;
    int currentX;
    int currentY;
    Analyzer *analyzer;
    bool analyzing;          // an area analysis runs
    AnalyzeCond lcfArea;
    QVector<Analyzed2DRes *> lcfResMaps;   // not owned
    AnalyzeCond raArea;
    AnalyzeCond elemsArea;
    QVector<Analyzed2DRes *> elemsResMaps;  // not owned
    _FileDialog *imageSaveDialog;
    _FileDialog *dataSaveDialog;
    SaveDataCfg *saveDataCfg;
    _FileDialog *saveEachDialog;
    QThread *batchThread;
    BatchDispatcher *batchDispatcher;
    BatchCtrl *batchEditor;
    ImgProc imgProc;
    Fft1D fft;
    bool bgValid;
    XafsFileSelect bgFileSelect;
    XafsSpectrum bgSpectrum;
    XafsView bgView;
    bool i0DarkAreaOn;
    bool i1DarkAreaOn;
    QRectF i0DarkArea;
    QRectF i1DarkArea;
    QVector<double> i0DarkMeans;
    QVector<double> i1DarkMeans;
    XafsSpectrum totalI0ofI1;
    XafsSpectrum totalI0ofI0;
#if !VANTOSCOPE_CLASSIC
    Stats stats;
    double statsRangeLo;
    double statsRangeHi;
    bool statsRangeOn;
#endif

    // Load generations: a "New" load starts a new one; frames of older
    // generations still on their way are dropped.
    quint64 i1Generation;
    quint64 i0Generation;
    quint64 i1ArrivingGeneration;
    quint64 i0ArrivingGeneration;
    QVector<TiffData *> i0ByEnergy;
    int darkExpState;        // -1 unknown, 0 bad (marked), 1 good
#if !VANTOSCOPE_CLASSIC
    // Outlines of the blocks in the picked statistics range, in image
    // pixels; rebuilt when their key changes.
    QVector<QRectF> statsMarks;
    StatsKey statsMarksKey;
    StatsKey statsComputedKey;  // what the statistics were last computed for
    bool statsRefreshPending;
    bool statsMarksShown;      // ShowOverImage as last applied
#endif
};

#endif
