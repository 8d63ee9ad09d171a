#ifndef ANALYZEPROC_H
#define ANALYZEPROC_H

#include <QMetaType>
#include <QObject>
#include <QVector>

#include <atomic>

#include "analysis/analysisrequest.h"
#include "analysis/elemsanswer.h"
#include "analysis/fitanswer.h"
#include "analysis/spectrumfit.h"
#include "core/suggestelm.h"
#include "core/xafsspectrum.h"

class LCFReference;
class ElemCtrl;
class AElemsConds;

Q_DECLARE_OPAQUE_POINTER(LCFReference *)
Q_DECLARE_OPAQUE_POINTER(ElemCtrl *)
Q_DECLARE_OPAQUE_POINTER(AElemsConds *)
Q_DECLARE_OPAQUE_POINTER(const AElemsConds *)
Q_DECLARE_METATYPE(QVector<LCFReference *>)
Q_DECLARE_METATYPE(QVector<ElemCtrl *>)
Q_DECLARE_METATYPE(const AElemsConds *)
Q_DECLARE_METATYPE(AElemsConds *)
Q_DECLARE_METATYPE(QVector<double> *)
Q_DECLARE_METATYPE(XafsSpectrum *)

// The per-spectrum analyses of the analysis window, run in a thread of their
// own: the linear-combination fits (LCF, the older LCF and MLCF), the edge
// position and the element analysis.
//
// The worker touches no object of the GUI thread. A fit reads the reference
// rows only through the snapshot stored by setRequest (the row pointers of a
// request are counted, never followed) and never writes through its result
// pointer; every fit and edge request is answered with the request's id.
class AnalyzeProc : public QObject
{
    Q_OBJECT

public:
    explicit AnalyzeProc(QObject *parent = nullptr);
    ~AnalyzeProc() override;

    std::atomic<bool> contAccess;
    double zansa;
    double dEdge;
    QVector<double> fractions;
    QVector<double> amounts;
    QVector<double> elemDMut;
    QVector<double> elemDMutRatio;
    QVector<double> elemMuPlus;
    QVector<double> elemMuMinus;
    QVector<double> elemDE;
    QVector<double> elemROI;
    QVector<double> elemNROI;
    bool lcfOld;
#if VANTOSCOPE_CLASSIC
    // The edge search of the classic program [eV]: half-width, first and
    // smallest step.
    static constexpr double ClassicCompRange = 20.0;
    static constexpr double ClassicInitStep = 1.0;
    static constexpr double ClassicMinStep = 0.1;
#endif

signals:
    void finished();
    void finishedAElems();
    void newZ(double z);
    void newDEdge(double dEdge);
    void fitAnswered(FitAnswer answer);
    void dEdgeAnswered(quint64 id, double dEdge);
    // The element analysis of a request, sent before finishedAElems().
    void elemsAnswered(ElemsAnswer answer);

public slots:
    void setContAccess(bool f);
    void analyzeSpectrum0(XafsSpectrum s, QVector<LCFReference *> lcfrs0, XafsSpectrum *res,
                          bool isMLCF, double sE0, double eE0, SuggestElm sElm);
    void analyzeSpectrumByLCF(XafsSpectrum s, QVector<LCFReference *> lcfrs0, XafsSpectrum *res,
                              double sE0, double eE0, SuggestElm sElm);
    void analyzeSpectrumByLCF_Old(XafsSpectrum s, QVector<LCFReference *> lcfrs0,
                                  XafsSpectrum *res, double sE0, double eE0, SuggestElm sElm);
    void analyzeSpectrumByMLCF(XafsSpectrum s, QVector<LCFReference *> lcfrs0, XafsSpectrum *res,
                               double sE0, double eE0, SuggestElm sElm);
#if VANTOSCOPE_CLASSIC
    // Searches with the fixed ClassicCompRange, ClassicInitStep, ClassicMinStep.
    void analyzeSpectrumDEdge0(XafsSpectrum s, SuggestElm sElm, bool isMidPoint, XafsSpectrum ref);
#else
    void analyzeSpectrumDEdge0(XafsSpectrum s, SuggestElm sElm, bool isMidPoint, XafsSpectrum ref,
                               double cwRangeEV, double cwInitDEeV, double cwMinDEeV);
#endif
    void analyzeSpectrumElems0(XafsSpectrum s, QVector<ElemCtrl *> elems, QVector<double> *res0,
                               int mainT, const AElemsConds *aec);
    void setLcfOld(bool f);
    // The snapshot of the rows that the following requests use.
    void setRequest(AnalysisRequest request);

private:
    enum FitKind { Lcf, LcfOld, Mlcf };
    void fit(FitKind kind, const XafsSpectrum &s, int rowCount, double sE0, double eE0,
             const SuggestElm &sElm);
    void answer(FitAnswer &a);

    AnalysisRequest stored;
    SpectrumFit::Scratch fitScratch;
};

#endif
