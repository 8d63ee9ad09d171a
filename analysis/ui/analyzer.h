#ifndef ANALYZER_H
#define ANALYZER_H

#include <QFrame>
#include <QPointer>
#include <QString>
#include <QVector>

#include "analysis/analysisrequest.h"
#include "analysis/analyzeproc.h"
#include "analysis/elemsanswer.h"
#include "analysis/fitanswer.h"
#include "analysis/fitjob.h"
#include "core/suggestelm.h"
#include "core/xafsspectrum.h"
#include "display/eshiftmapdialog.h"
#include "display/fdgroup.h"
#include "imagedata/analyzed2dres.h"

class ColorBar;
class EMPHeader;
class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QThread;
class SumUpCtrl;
class XafsView;

namespace Ui {
class Analyzer;
}

// The analysis window: the reference rows of the fits, the edge-position and
// element options, the result maps of every area analysis and the choice of
// the map shown. It computes nothing itself: one spectrum at a time goes to
// its AnalyzeProc worker, which lives in a thread of its own, as a request
// with a snapshot of the rows; the answers come back by value and are shown
// here in the GUI thread. Only answers to the latest request count.
class Analyzer : public QFrame
{
    Q_OBJECT

public:
    explicit Analyzer(QWidget *parent = nullptr);
    // Stops the worker's thread and waits for it before anything is freed.
    ~Analyzer() override;

    // The map chosen for display; null when nothing applies.
    Analyzed2DRes *currentMap();
    // 0 when SelDMut is checked, else 1 when SelRatio is checked, else 0.
    int raImageType() const;
    // 0 checks SelRatio, 1 checks SelDMut; other values do nothing.
    void selectRaImageType(int t);
    // Checks the control of mode 0 to 5; check boxes are only ever checked.
    void selectAnalysisMode(int mode);
    // Marks every answer still on its way, also one partly taken, as
    // belonging to an older request: none of it reaches the fields.
    void dropAnswersInFlight();
#if !VANTOSCOPE_CLASSIC
    // The ideal step of DEdgeCWStepWeV, DEdgeCWStepDEeV, DEdgeCWStepAt into
    // dEdgeComp; false (dEdgeComp unchanged, a debug line) for a spacing that
    // is not positive, a value that is not finite or too many points.
    bool makeDEdgeStepSpectrum();
    static constexpr int MaxStepPoints = 1000000;
#endif

    bool continuousAccess() const { return contAccess; }
    const XafsSpectrum &currentSpectrum() const { return current; }
    // The curve of the last answered fit, as shown in the view.
    const XafsSpectrum &fittedSpectrum() const { return fitted; }
    // The last fit and edge position answered to the current request; an area
    // run records these (the worker's own fields belong to its thread).
    const FitAnswer &lastFitAnswer() const { return lastFit; }
    double lastDEdge() const { return lastEdge; }
    // Id of the latest request (0 before the first).
    quint64 currentRequestId() const { return requestId; }
    // The fit and edge jobs a request would send now, with the rows' snapshots.
    FitJob fitJob() const;
    // The element part of a request as it would be sent now, whatever the mode.
    void elemsJob(QVector<ElemRowData> &rows, AElemsCondsData &bg, int &mainT,
                  QVector<double> &stdRatios) const;

    XafsView *spectrumView() const { return view; }
    AnalyzeProc *analysisWorker() const { return worker; }
    QThread *analysisThread() const { return workerThread; }
    QButtonGroup *imageChooser() const { return refGroup; }
    AElemsConds *elemsConds() const;          // AElemsCds
    QCheckBox *mlcfBox() const;               // MLCF
    QCheckBox *fixedScaleBox() const;         // FixedScale
    QLineEdit *dMutScaleMaxEdit() const;      // DMutScaleMax
    QLineEdit *dMutScaleMinEdit() const;      // DMutScaleMin
    QLineEdit *ratioScaleMaxEdit() const;     // RatioScaleMax
    QLineEdit *ratioScaleMinEdit() const;     // RatioScaleMin
    QLineEdit *raEnergyEdit() const;          // RAAtEV
    QLineEdit *raFactorEdit() const;          // RAFactor
    QLineEdit *elemNamesEdit() const;         // AElemNames
    QLineEdit *corThEdit() const;             // CorTh
    bool dispOnTime() const;                  // DispOnTime
    bool elemsDispOnTime() const;             // ElemsDispOnTime
    bool stepComparisonChosen() const;        // DEdgeCWStep

    SuggestElm suggest;
    QVector<LCFReference *> refs;
    Analyzed2DRes zansaMap;
    Analyzed2DRes dEdgeMap;
    Analyzed2DRes dMutMap;
    Analyzed2DRes restMap;
    Analyzed2DRes ratioMap;
    int mapsPerRef;
    QVector<ElemCtrl *> elems;
    QVector<double> elemResults;
    double correlation;
    double corTh;
    Analyzed2DRes elemsCorMap;
    Analyzed2DRes elemsCorThMap;
    Analyzed2DRes sumUpMap;
    Analyzed2DRes processedMap;
    Analyzed2DRes map1;
    Analyzed2DRes map2;
    XafsSpectrum dEdgeComp;

signals:
    void askAnalyze();
    void analyzeSpectrum0(XafsSpectrum s, QVector<LCFReference *> lcfrs0, XafsSpectrum *res,
                          bool isMLCF, double sE0, double eE0, SuggestElm sElm);
#if VANTOSCOPE_CLASSIC
    void analyzeSpectrumDEdge0(XafsSpectrum s, SuggestElm sElm, bool isMidPoint, XafsSpectrum ref);
#else
    void analyzeSpectrumDEdge0(XafsSpectrum s, SuggestElm sElm, bool isMidPoint, XafsSpectrum ref,
                               double cwRangeEV, double cwInitDEeV, double cwMinDEeV);
#endif
    void finished();
    void askAnalyzeElems();
    void analyzeSpectrumElems0(XafsSpectrum s, QVector<ElemCtrl *> elems, QVector<double> *res,
                               int mainT, const AElemsConds *aec);
    void analyzeElemsFinished();
    void askRAAnalyze();
    void changedSelection();
    void setNewCorrelation(double cor);
    void askSumUp();
    void loadMap(QString fname, Analyzed2DRes &map, EMPHeader &empH);
    void askAnalyzeCond(AnalyzeCond &ac);
    // The snapshot that the following worker requests use.
    void sendRequest(AnalysisRequest request);
    // A batch member found no row, element or image of the name or number it
    // was given (or could not act now): one line saying what it looked for.
    void notFound(const QString &line);

private slots:
    void addNewRef();
    void analyzeSpectrumFinished();
    void analyzeSpectrumElemsFinished();
    void selectedNewRef(int i);
    void selectedImgChanged(bool);
    void noticedNewZ(double z);
    void noticedNewDEdge(double dEdge);
    void toggledDEdgeCompWith(bool f);
    void selectedNewDEdgeCWFile(QString fname);
    void fitAnswered(FitAnswer answer);
    void dEdgeAnswered(quint64 id, double dEdge);

public slots:
    void show();
    void setContAccess(bool f);
    void setLCFMode(int f);
    void analyzeAndShowSpectrum(XafsSpectrum s, SuggestElm sElm);
#if !VANTOSCOPE_CLASSIC
    void initAnalyzeSpectrum();
#endif
    void analyzeSpectrum(XafsSpectrum &s, SuggestElm sElm);
    void reAnalyzeSpectrum();
    void setProgress(double perCent);
    void setElemsProgress(double perCent);
    // The note of the last area run (boxes without a result), below Analyze;
    // empty clears it.
    void setRunNote(const QString &note);
    // The fit's fields (the rows' fractions and amounts, the residual) and
    // the edge position's hold no number: their fit failed.
    void showNoFit(bool fit, bool edge);
    // The same of the element rows' results.
    void showNoElemsResults();
    void setLCFStd(int no, bool use, double dE, QString fname, QString isVic);
    void selectImage(int id);
    void setRaEnergy(double eng);
    void setRaFactor(double factor);
    void setNormalize(bool f);
    void setEnergyCorrection(bool f);

    // -- sumup
public:
    // The panel of the sum-up ranges (SumUpC).
    SumUpCtrl *sumUpCtrl() const;

    // -- scales (analyzerscales.cpp)
public:
    // The jobs analyzeSpectrum sends: SelMLCFAnal, SelDEdgeAnal, SelElemA.
    bool fitJobChosen() const;
    bool dEdgeJobChosen() const;
    bool elemsJobChosen() const;
    // The colour bar that shows the range of the map last regenerated here;
    // null (the default) for none.
    void setColorBar(ColorBar *bar);

public slots:
    void setFixedScale(bool f);
    void setDMutScaleMax(double max);
    void setDMutScaleMin(double min);
    void setRatioScaleMax(double max);
    void setRatioScaleMin(double min);

private slots:
    void scaleChanged();
    void scalePolicyChanged(bool f);

private:
    // Wires FixedScale and the four scale edits (from the constructor).
    void setupScales();
    // The maps the fixed scales apply to, in the order they are regenerated:
    // those of the DMut or the Ratio range, and the element rows' maps,
    // which take the DMut range but keep theirs when the policy changes.
    enum ScaleKind { DMutScale, RatioScale, ElemScale };
    QVector<QPair<Analyzed2DRes *, ScaleKind>> scaledMaps();
    void applyTypedRange(Analyzed2DRes *map, ScaleKind kind);
    // genImg through the colour bar's colours, then the map's display range
    // into the bar.
    void regenerate(Analyzed2DRes *map);
    QPointer<ColorBar> colorBar;
    // (end of scales)

    // -- elems (analyzerelems.cpp)
public:
    // The element rows are in use while an element request is unanswered or
    // an area run walks them. newElems() refuses only during an area run; an
    // answer to a request made before the rows were rebuilt is dropped.
    bool elemsBusy() const;
    // Set by the main window for the time of an area run.
    void setAreaRunActive(bool f);
    // The element analysis answered to the current request.
    const ElemsAnswer &lastElemsAnswer() const { return lastElems; }
    // The maps of an element run: kind k of row j at k * rows + j, then
    // elemsCorMap and elemsCorThMap.
    QVector<Analyzed2DRes *> elemsRunMaps();
    // The element map chosen for display (SelElemA, the Show row, the display
    // mode); null when none is.
    Analyzed2DRes *currentElemsMap();
    // genImg of that map alone, for the images refreshed during an element run.
    Analyzed2DRes *refreshShownElemsMap();
    QButtonGroup *elemsTargetGroup() const { return targetGroup; }
    QButtonGroup *elemsShowGroup() const { return showGroup; }
    QLineEdit *elemsCorrelationEdit() const;   // ElemsCorrelation
    static constexpr int MaxElemRows = 256;

    // The batch members of the element rows.
    void selectElemsDispMode(int mode);
    void setElemsSortByAN(bool f);
    void setElemsDEs(double v);
    void setElemNoNeg(QString name, bool f);
    void setElemThDMut(QString name, double v);
    void setElemROI(QString name, double s, double e);
    void setElemUse(QString name, bool f);
    void selectElemShow(QString name);
    void selectElemTarget(QString name);
    // CorTh and corTh to v, then the correlation maps again.
    void setCorTh(double v);

public slots:
    // False (and notFound) when an area run keeps the rows.
    bool setTargetElements(QString elements);

private slots:
    bool newElems();
    void setElemsStd();
    void calcCorrelation();
    void recalcCorMap();
    void newCorTh();
    void setCorrelation(double cor);
    void elemsAnswered(ElemsAnswer answer);
    void refreshEdgeMarkers();

private:
    // Wires the element panel (from the constructor).
    void setupElems();
    // The element part of a request: the rows, the background values, the target.
    void fillElemsRequest(AnalysisRequest &request) const;
    // The id of the checked MainTarget (-1 for none), 0 before the rows exist.
    int elemsTarget() const;
    // The row named name, else the row at the index name reads as; null for none.
    ElemCtrl *elemRow(const QString &name) const;
    // The debug line and notFound.
    void tellNotFound(const QString &line);
    void noElemRow(const char *member, const QString &name, bool byIndex);
    template <typename F>
    void eachRowNamed(const QString &name, const char *member, F f);
    void firstRowTaken(const char *member, const QString &name, const ElemCtrl *row);
    // (end of elems)

    // -- maps (analyzermaps.cpp)
public:
    // Reads an energy-shift map file into map1 or map2 through loadMap; the
    // name field shows the file only when it was read.
    void loadMap1(QString file);
    void loadMap2(QString file);
    // Walks with more blocks than this are not processed.
    static constexpr int MaxProcessBlocks = 1 << 26;

private slots:
    void processMaps();
    void captureAsMap1();
    void captureAsMap2();

private:
    // Wires the map panel (from the constructor).
    void setupMaps();
    void loadMapInto(const QString &file, Analyzed2DRes &map, QLineEdit *nameEdit);
    void captureInto(Analyzed2DRes &map, QLineEdit *nameEdit);
    QButtonGroup *showMapsGroup = nullptr;
    QButtonGroup *procTypeGroup = nullptr;
    // (end of maps)

private:
    // A line edit read as a number: 0 (and a debug line) when it is not a
    // finite number.
    static double numberIn(const QLineEdit *edit);
    // A new request id with the rows' snapshot, sent ahead of the requests.
    void startRequest();

    Ui::Analyzer *ui;
    XafsView *view;
    QButtonGroup *refGroup;
    QButtonGroup *modeGroup;
    QButtonGroup *dispModeGroup;
    QButtonGroup *dEdgeModeGroup;
    QButtonGroup *dEdgeCompGroup;
    FDGroup fdGroup;
    XafsSpectrum current;
    XafsSpectrum fitted;
    bool contAccess;
    QThread *workerThread;
    AnalyzeProc *worker;
    int pending;
    EShiftMapDialog map1Dialog;
    EShiftMapDialog map2Dialog;
#if !VANTOSCOPE_CLASSIC
    double compRange;
    double initStep;
    double minStep;
#endif

    quint64 requestId;          // id of the latest request
    bool requestContAccess;     // contAccess of the latest request
    // The rows of the latest fit request that were in use, in order: the
    // answer's fractions and amounts go to these.
    QVector<QPointer<LCFReference>> requestRows;
    bool answerIsCurrent;       // the answer being received belongs to requestId
    FitAnswer lastFit;
    double lastEdge;

    // -- elems
    QButtonGroup *targetGroup = nullptr;
    QButtonGroup *showGroup = nullptr;
    bool corAbove = false;
    bool corGuard = false;
    bool areaRunActive = false;
    int elemsInFlight = 0;            // element requests sent and not yet answered
    quint64 elemsRowsFrom = 0;        // requests before this id were for older rows
    bool elemsAnswerIsCurrent = false;
    ElemsAnswer lastElems;
};

#endif
