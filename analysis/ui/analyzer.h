#ifndef ANALYZER_H
#define ANALYZER_H

#include <QFrame>
#include <QPointer>
#include <QString>
#include <QVector>

#include "analysis/analysisrequest.h"
#include "analysis/analyzeproc.h"
#include "analysis/fitanswer.h"
#include "core/suggestelm.h"
#include "core/xafsspectrum.h"
#include "display/eshiftmapdialog.h"
#include "display/fdgroup.h"
#include "imagedata/analyzed2dres.h"

class EMPHeader;
class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QThread;
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
    void analyzeSpectrumDEdge0(XafsSpectrum s, SuggestElm sElm, bool isMidPoint, XafsSpectrum ref,
                               double cwRangeEV, double cwInitDEeV, double cwMinDEeV);
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
    void setLCFStd(int no, bool use, double dE, QString fname, QString isVic);
    void selectImage(int id);
    void setRaEnergy(double eng);
    void setRaFactor(double factor);
    void setNormalize(bool f);
    void setEnergyCorrection(bool f);

private:
    // A line edit read as a number: 0 (and a debug line) when it is not a
    // finite number.
    static double numberIn(const QLineEdit *edit);
    // A new request id with the rows' snapshot, sent ahead of the requests.
    void startRequest();
    // Marks every answer still on its way as belonging to an older request.
    void dropAnswersInFlight();

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
};

#endif
