#include "analysis/analyzeproc.h"

#include <QDebug>
#include <QtNumeric>

#include "analysis/elemanalysis.h"
#include "analysis/spectrumfit.h"

AnalyzeProc::AnalyzeProc(QObject *parent)
    : QObject(parent), contAccess(false), zansa(0.0), dEdge(0.0), lcfOld(false)
{
}

AnalyzeProc::~AnalyzeProc() = default;

void AnalyzeProc::setContAccess(bool f)
{
    contAccess = f;
}

void AnalyzeProc::analyzeSpectrum0(XafsSpectrum s, QVector<LCFReference *> lcfrs0,
                                   XafsSpectrum *res, bool isMLCF, double sE0, double eE0,
                                   SuggestElm sElm)
{
    if (isMLCF)
        analyzeSpectrumByMLCF(s, lcfrs0, res, sE0, eE0, sElm);
    else if (lcfOld)
        analyzeSpectrumByLCF_Old(s, lcfrs0, res, sE0, eE0, sElm);
    else
        analyzeSpectrumByLCF(s, lcfrs0, res, sE0, eE0, sElm);
}

void AnalyzeProc::analyzeSpectrumByLCF(XafsSpectrum s, QVector<LCFReference *> lcfrs0,
                                       XafsSpectrum *res, double sE0, double eE0,
                                       SuggestElm sElm)
{
    Q_UNUSED(res);
    fit(Lcf, s, lcfrs0.size(), sE0, eE0, sElm);
}

void AnalyzeProc::analyzeSpectrumByLCF_Old(XafsSpectrum s, QVector<LCFReference *> lcfrs0,
                                           XafsSpectrum *res, double sE0, double eE0,
                                           SuggestElm sElm)
{
    Q_UNUSED(res);
    fit(LcfOld, s, lcfrs0.size(), sE0, eE0, sElm);
}

void AnalyzeProc::analyzeSpectrumByMLCF(XafsSpectrum s, QVector<LCFReference *> lcfrs0,
                                        XafsSpectrum *res, double sE0, double eE0,
                                        SuggestElm sElm)
{
    Q_UNUSED(res);
    fit(Mlcf, s, lcfrs0.size(), sE0, eE0, sElm);
}

// rowCount is the number of row pointers of the request, which must match
// the stored snapshot.
void AnalyzeProc::fit(FitKind kind, const XafsSpectrum &s, int rowCount, double sE0, double eE0,
                      const SuggestElm &sElm)
{
    QString why;
    const SpectrumFit::Kind k = kind == Mlcf ? SpectrumFit::Mlcf
                                : kind == LcfOld ? SpectrumFit::LcfOld : SpectrumFit::Lcf;
    FitAnswer a = SpectrumFit::fit(k, s, stored.refs, rowCount, sE0, eE0, sElm, fitScratch, &why);
    if (!why.isEmpty())
        qDebug() << "AnalyzeProc: no fit," << why;
    a.id = stored.id;
    answer(a);
}

void AnalyzeProc::answer(FitAnswer &a)
{
    fractions = a.fractions;
    amounts = a.amounts;
    zansa = a.zansa;
    emit fitAnswered(a);
    emit newZ(zansa);
    emit finished();
}

// Midpoint mode: the sample's edge against the suggested edge energy;
// otherwise the shift that best aligns the sample with ref.
#if VANTOSCOPE_CLASSIC
void AnalyzeProc::analyzeSpectrumDEdge0(XafsSpectrum s, SuggestElm sElm, bool isMidPoint,
                                        XafsSpectrum ref)
{
    const double cwRangeEV = ClassicCompRange;
    const double cwInitDEeV = ClassicInitStep;
    const double cwMinDEeV = ClassicMinStep;
#else
void AnalyzeProc::analyzeSpectrumDEdge0(XafsSpectrum s, SuggestElm sElm, bool isMidPoint,
                                        XafsSpectrum ref, double cwRangeEV, double cwInitDEeV,
                                        double cwMinDEeV)
{
#endif
    QString why;
    const char *failure = nullptr;
    dEdge = SpectrumFit::edgePosition(s, sElm, isMidPoint, ref, cwRangeEV, cwInitDEeV, cwMinDEeV,
                                      &why, &failure);
    if (!why.isEmpty())
        qDebug() << "AnalyzeProc:" << why;
    emit dEdgeAnswered(stored.id, dEdge);
    // Shown as no number where the search failed.
    emit newDEdge(failure ? qQNaN() : dEdge);
    emit finished();
}

// The rows, the background values and the target come from the stored
// snapshot; the row pointers are only counted and res0 is not written (the
// answer carries its contents). Always answered.
void AnalyzeProc::analyzeSpectrumElems0(XafsSpectrum s, QVector<ElemCtrl *> elems,
                                        QVector<double> *res0, int mainT, const AElemsConds *aec)
{
    Q_UNUSED(res0);
    Q_UNUSED(mainT);
    Q_UNUSED(aec);
    ElemsAnswer a;
    if (elems.size() == stored.elems.size()) {
        a = ElemAnalysis::analyze(s, stored.elems, stored.aec, stored.mainT);
    } else {
        qDebug() << "AnalyzeProc: no element analysis," << elems.size() << "element rows but"
                 << stored.elems.size() << "in the snapshot";
    }
    a.id = stored.id;
    elemDMut = a.dMut;
    elemDMutRatio = a.dMutRatio;
    elemMuPlus = a.muPlus;
    elemMuMinus = a.muMinus;
    elemDE = a.dE;
    elemROI = a.roi;
    elemNROI = a.nroi;
    emit elemsAnswered(a);
    emit finishedAElems();
}

void AnalyzeProc::setLcfOld(bool f)
{
    lcfOld = f;
    qDebug() << "lcf old flg" << f;
}

void AnalyzeProc::setRequest(AnalysisRequest request)
{
    stored = request;
}
