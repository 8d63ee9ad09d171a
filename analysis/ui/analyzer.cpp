#include "analysis/ui/analyzer.h"

#include <QButtonGroup>
#include <QColor>
#include <QDebug>
#include <QPen>
#include <QPushButton>
#include <QThread>
#include <cmath>

#include "analysis/ui/aelemsconds.h"
#include "analysis/ui/lcfreference.h"
#include "core/spectrum.h"
#include "core/workerthread.h"
#include "display/screenfit.h"
#include "display/widgethelpers.h"
#include "display/xafsfileselect.h"
#include "display/xafsview.h"
#include "ui_analyzer.h"

namespace {

QString realText(double v)
{
    return QString::number(v, 'g', 6);
}

// The row pointers in a block of their own: the worker counts them while
// this thread rebuilds its rows, and a shared block would be written in place
// once the worker's copy is gone, unordered with the worker's reads.
template <typename T> QVector<T> ownCopy(const QVector<T> &rows)
{
    return QVector<T>(rows.constBegin(), rows.constEnd());
}

} // namespace

Analyzer::Analyzer(QWidget *parent)
    : QFrame(parent),
      suggest(),
      zansaMap(QStringLiteral("a2d Zansa")),
      dEdgeMap(QStringLiteral("a2d dEdge")),
      dMutMap(QStringLiteral("a2d DMut")),
      restMap(QStringLiteral("a2d Rest")),
      ratioMap(QStringLiteral("a2d Rati")),
      mapsPerRef(2),
      correlation(0.0),
      corTh(0.999),
      elemsCorMap(QStringLiteral("a2d ElemsCor")),
      elemsCorThMap(QStringLiteral("a2d ElemsCorTh")),
      sumUpMap(QStringLiteral("Sum Up Img")),
      processedMap(QStringLiteral("Processed Map")),
      map1(QStringLiteral("E-Shift Map 1")),
      map2(QStringLiteral("E-Shift Map 2")),
      ui(new Ui::Analyzer),
      view(nullptr),
      refGroup(nullptr),
      modeGroup(nullptr),
      dispModeGroup(nullptr),
      dEdgeModeGroup(nullptr),
      dEdgeCompGroup(nullptr),
      contAccess(false),
      workerThread(nullptr),
      worker(nullptr),
      pending(0),
#if !VANTOSCOPE_CLASSIC
      compRange(0.0),
      initStep(0.0),
      minStep(0.0),
#endif
      requestId(0),
      requestContAccess(false),
      answerIsCurrent(false),
      lastEdge(0.0)
{
    ui->setupUi(this);
    suggest = SuggestElm();

    // Analysis modes; SelSumUp moves on to the image chooser below.
    modeGroup = new QButtonGroup;
    modeGroup->addButton(ui->SelRAA);
    modeGroup->addButton(ui->SelElemA);
    modeGroup->addButton(ui->SelSumUp);
    modeGroup->addButton(ui->SelProcMaps);
    ui->SelMLCFAnal->setChecked(true);

    // The spectrum view: the fitted curve is its first further spectrum.
    view = new XafsView(nullptr);
    view->setWindowTitle(tr("Analyzing Spectrum"));
    view->others.append(&fitted);
    view->pens.append(QPen(QColor(255, 128, 192), 2));

    refGroup = new QButtonGroup;
    for (int i = 0; i < 4; ++i)
        addNewRef();
    refs[0]->showButton()->setChecked(true);

    workerThread = new QThread;
    workerThread->setObjectName(QStringLiteral("Analyzer worker"));
    worker = new AnalyzeProc;
    startWorkerThread(workerThread, worker);
    contAccess = false;

    // The image chooser: ids after the rows' own.
    const int n = refs.size();
    refGroup->addButton(ui->ShowDMuT, n);
    refGroup->addButton(ui->ShowRest, n + 1);
    refGroup->addButton(ui->ShowRatio, n + 2);
    refGroup->addButton(ui->ShowZ, n + 3);
    refGroup->addButton(ui->ShowDEdge, n + 4);
    refGroup->addButton(ui->SelSumUp, n + 14);
    ui->ShowDMuT->setChecked(true);

    connect(ui->AddRef, &QPushButton::clicked, this, &Analyzer::addNewRef);
    showOnClick(ui->ShowView, view);
    connect(ui->AskAnalyze, &QPushButton::clicked, this, &Analyzer::askAnalyze);
    connect(ui->AskRAAnalyze, &QPushButton::clicked, this, &Analyzer::askRAAnalyze);
    connect(ui->AskSumUp, &QPushButton::clicked, this, &Analyzer::askSumUp);
    connect(ui->AskAnalyzeElems, &QPushButton::clicked, this, [this] {
        // Without "Element Analysis" a run analyses no block: the window says
        // why where the run's progress would be (a press that stops a run
        // needs no word).
        const bool stops = areaRunActive;
        emit askAnalyzeElems();
        if (!stops && !ui->SelElemA->isChecked())
            ui->ElemsProgress->setText(tr("Element Analysis is not chosen"));
    });
    // Requests: the snapshot goes first, then the requests it serves; all
    // queued to the worker's thread, so they arrive in this order.
    connect(this, &Analyzer::sendRequest, worker, &AnalyzeProc::setRequest);
    connect(this, &Analyzer::analyzeSpectrum0, worker, &AnalyzeProc::analyzeSpectrum0);
    connect(this, &Analyzer::analyzeSpectrumDEdge0, worker, &AnalyzeProc::analyzeSpectrumDEdge0);
    connect(this, &Analyzer::analyzeSpectrumElems0, worker, &AnalyzeProc::analyzeSpectrumElems0);
    connect(ui->AsOldLCF, &QCheckBox::toggled, worker, &AnalyzeProc::setLcfOld);
    // Answers, in the order the worker sends them: the answer with its id,
    // the value, then finished().
    connect(worker, &AnalyzeProc::fitAnswered, this, &Analyzer::fitAnswered);
    connect(worker, &AnalyzeProc::dEdgeAnswered, this, &Analyzer::dEdgeAnswered);
    connect(worker, &AnalyzeProc::finished, this, &Analyzer::analyzeSpectrumFinished);
    connect(worker, &AnalyzeProc::newZ, this, &Analyzer::noticedNewZ);
    connect(worker, &AnalyzeProc::newDEdge, this, &Analyzer::noticedNewDEdge);
    connect(worker, &AnalyzeProc::finishedAElems, this, &Analyzer::analyzeSpectrumElemsFinished);
    connect(refGroup, &QButtonGroup::idClicked, this, &Analyzer::selectedNewRef);
    connect(ui->SelRatio, &QRadioButton::toggled, this, &Analyzer::selectedImgChanged);
    connect(ui->DEdgeCompWith, &QRadioButton::toggled, this, &Analyzer::toggledDEdgeCompWith);
    connect(ui->DEdgeCWFileSelect, &XafsFileSelect::newFile, this,
            &Analyzer::selectedNewDEdgeCWFile);
    connect(ui->DEdgeCWFileSelect, &XafsFileSelect::cleared, this,
            [this] { dEdgeComp = XafsSpectrum(); });

    // Edge position: from the mid point or by comparison, with a comparison
    // spectrum from a file or a generated step.
    dEdgeModeGroup = new QButtonGroup;
    dEdgeModeGroup->addButton(ui->DEdgeMidPoint);
    dEdgeModeGroup->addButton(ui->DEdgeCompWith);
    ui->DEdgeMidPoint->setChecked(true);
#if VANTOSCOPE_CLASSIC
    ui->DEdgeCWSelectBox->setEnabled(false);
#else
    ui->DEdgeCWSelectBox->setEnabled(true);
    initAnalyzeSpectrum();
#endif
    dEdgeCompGroup = new QButtonGroup;
    dEdgeCompGroup->addButton(ui->DEdgeCWFile);
    dEdgeCompGroup->addButton(ui->DEdgeCWStep);
    ui->DEdgeCWFile->setChecked(true);

    // The element display modes choose among the element maps, not in the
    // image chooser.
    dispModeGroup = new QButtonGroup;
    for (QRadioButton *b : {ui->ShowElemsDMut0, ui->ShowElemsDMutN, ui->ShowElemsCorr,
                            ui->ShowElemsCorrTh, ui->ShowElemsMutPlus, ui->ShowElemsMutMinus,
                            ui->ShowElemsDE, ui->ShowElemsROI, ui->ShowElemsNROI})
        dispModeGroup->addButton(b);
    ui->ShowElemsDMut0->setChecked(true);
    connect(dispModeGroup, &QButtonGroup::idClicked, this, &Analyzer::changedSelection);
    setupElems();
    setupScales();
    setupMaps();
    widenForTexts(ui->DispZansa, WidestText::number());
    widenForTexts(ui->DispDEdge, WidestText::energy());
    widenForTexts(ui->ElemsCorrelation, WidestText::ratio());
    fitToScreen(this);
    fitToScreen(view);
}

Analyzer::~Analyzer()
{
    // Nothing may answer into this window once its members go: the worker's
    // thread ends first (requests still queued are dropped with the worker).
    workerThread->quit();
    workerThread->wait();
    delete worker;
    delete workerThread;
    // The view draws the rows' spectra and the fitted curve: it goes before them.
    delete view;
    delete refGroup;
    delete modeGroup;
    delete dispModeGroup;
    delete targetGroup;
    delete showGroup;
    delete dEdgeModeGroup;
    delete dEdgeCompGroup;
    delete showMapsGroup;
    delete procTypeGroup;
    delete ui;
}

Analyzed2DRes *Analyzer::currentMap()
{
    Analyzed2DRes *map = nullptr;
    const int id = refGroup->checkedId();
    if (id >= 0 && id < refs.size()) {
        const QVector<Analyzed2DRes *> &rowMaps = refs[id]->maps;
        const int t = raImageType();
        if (!rowMaps.isEmpty())
            map = rowMaps[t < rowMaps.size() ? t : 0];
    }
    if (ui->ShowDEdge->isChecked())
        map = &dEdgeMap;
    else if (ui->ShowZ->isChecked())
        map = &zansaMap;
    if (ui->ShowDMuT->isChecked() && dMutMap.imageValid)
        map = &dMutMap;
    if (ui->ShowRest->isChecked() && restMap.imageValid)
        map = &restMap;
    if (ui->ShowRatio->isChecked() && ratioMap.imageValid)
        map = &ratioMap;
    if (Analyzed2DRes *elemsMap = currentElemsMap())
        map = elemsMap;
    if (ui->SelSumUp->isChecked())
        map = &sumUpMap;
    if (ui->SelProcMaps->isChecked()) {
        if (ui->ShowProcessedMap->isChecked())
            map = &processedMap;
        else if (ui->ShowMap2->isChecked())
            map = &map2;
        else if (ui->ShowMap1->isChecked())
            map = &map1;
    }
    return map;
}

int Analyzer::raImageType() const
{
    if (ui->SelDMut->isChecked())
        return 0;
    if (ui->SelRatio->isChecked())
        return 1;
    return 0;
}

void Analyzer::selectRaImageType(int t)
{
    if (t == 0)
        ui->SelRatio->setChecked(true);
    else if (t == 1)
        ui->SelDMut->setChecked(true);
    else
        qDebug() << qPrintable(
            QString("Analyzer::selectRaImageType: there is no image type %1 (0 or 1); the type "
                    "stays")
                .arg(t));
}

void Analyzer::selectAnalysisMode(int mode)
{
    switch (mode) {
    case 0:
        ui->SelMLCFAnal->setChecked(true);
        break;
    case 1:
        ui->SelRAA->setChecked(true);
        break;
    case 2:
        ui->SelElemA->setChecked(true);
        break;
    case 3:
        ui->SelSumUp->setChecked(true);
        break;
    case 4:
        ui->SelProcMaps->setChecked(true);
        break;
    case 5:
        ui->SelDEdgeAnal->setChecked(true);
        break;
    default:
        qDebug() << qPrintable(
            QString("Analyzer::selectAnalysisMode: there is no analysis mode %1 (0 to 5); the "
                    "modes stay")
                .arg(mode));
        break;
    }
}

#if !VANTOSCOPE_CLASSIC
bool Analyzer::makeDEdgeStepSpectrum()
{
    const double w = numberIn(ui->DEdgeCWStepWeV);
    const double d = numberIn(ui->DEdgeCWStepDEeV);
    const double a = numberIn(ui->DEdgeCWStepAt);
    const double lo = a - w / 2.0;
    const double hi = a + w / 2.0;
    if (!(d > 0.0)) {
        qDebug() << "Analyzer: step spacing" << d << "is not positive; no step spectrum made";
        return false;
    }
    if (!std::isfinite(lo) || !std::isfinite(hi)) {
        qDebug() << "Analyzer: step from" << lo << "to" << hi << "is not finite; no step spectrum made";
        return false;
    }
    if (w > 0.0 && (w / d > MaxStepPoints || lo + d <= lo || hi + d <= hi)) {
        qDebug() << "Analyzer: step width" << w << "at spacing" << d << "needs more than"
                 << MaxStepPoints << "points; no step spectrum made";
        return false;
    }
    Spectrum step;
    int count = 0;
    for (double x = lo; x < hi && count <= MaxStepPoints; x += d, ++count)
        step.addPoint(x, x >= a ? 1.0 : 0.0);
    dEdgeComp = XafsSpectrum(step, QStringLiteral("DEdge Step"), 1, 0.0, SuggestElm());
    return true;
}
#endif

AElemsConds *Analyzer::elemsConds() const
{
    return ui->AElemsCds;
}

QCheckBox *Analyzer::mlcfBox() const
{
    return ui->MLCF;
}

QCheckBox *Analyzer::fixedScaleBox() const
{
    return ui->FixedScale;
}

QLineEdit *Analyzer::dMutScaleMaxEdit() const
{
    return ui->DMutScaleMax;
}

QLineEdit *Analyzer::dMutScaleMinEdit() const
{
    return ui->DMutScaleMin;
}

QLineEdit *Analyzer::ratioScaleMaxEdit() const
{
    return ui->RatioScaleMax;
}

QLineEdit *Analyzer::ratioScaleMinEdit() const
{
    return ui->RatioScaleMin;
}

QLineEdit *Analyzer::raEnergyEdit() const
{
    return ui->RAAtEV;
}

QLineEdit *Analyzer::raFactorEdit() const
{
    return ui->RAFactor;
}

QLineEdit *Analyzer::elemNamesEdit() const
{
    return ui->AElemNames;
}

QLineEdit *Analyzer::corThEdit() const
{
    return ui->CorTh;
}

bool Analyzer::dispOnTime() const
{
    return ui->DispOnTime->isChecked();
}

bool Analyzer::elemsDispOnTime() const
{
    return ui->ElemsDispOnTime->isChecked();
}

bool Analyzer::stepComparisonChosen() const
{
    return ui->DEdgeCWStep->isChecked();
}

void Analyzer::addNewRef()
{
    auto *row = new LCFReference;
    refs.append(row);
    const int n = refs.size();
    if (auto *select = row->fileSelect()->findChild<QPushButton *>(QStringLiteral("Select")))
        select->setText(tr("Select Ref%1").arg(n));
    // The box may already stand as wanted, so the row's flag is set as well.
    row->fileSelect()->setUse(n < 3);
    row->changedUse(n < 3);
    ui->RefBaseLayout->addWidget(row, n - 1, 0);
    resize((size() + QSize(0, 22)).boundedTo(screenRoom(this)));
    fdGroup.addDialog(row->fileSelect()->fileDialog());
    refGroup->addButton(row->showButton(), n - 1);
    view->others.append(row);
    connect(row, &LCFReference::newFileSelected, view, &XafsView::update);
    connect(row, &LCFReference::newDeltaE, this, &Analyzer::reAnalyzeSpectrum);
    // A cleared row leaves the fit at once.
    connect(row, &LCFReference::referenceCleared, view, &XafsView::update);
    connect(row, &LCFReference::referenceCleared, this, &Analyzer::reAnalyzeSpectrum);
}

void Analyzer::analyzeSpectrumFinished()
{
    if (!answerIsCurrent)
        return;
    answerIsCurrent = false;
    if (!contAccess)
        view->update();
    --pending;
    if (pending <= 0)
        emit finished();
}

void Analyzer::selectedNewRef(int)
{
    emit changedSelection();
}

void Analyzer::selectedImgChanged(bool)
{
    emit changedSelection();
}

void Analyzer::noticedNewZ(double z)
{
    if (answerIsCurrent)
        ui->DispZansa->setText(lastFit.failure ? tr("no fit") : realText(z));
}

// A failed edge search comes as NaN.
void Analyzer::noticedNewDEdge(double dEdge)
{
    if (answerIsCurrent)
        ui->DispDEdge->setText(std::isfinite(dEdge) ? realText(dEdge) : QString());
}

void Analyzer::showNoFit(bool fit, bool edge)
{
    if (fit) {
        for (LCFReference *row : qAsConst(refs)) {
            if (row)
                row->showNoResult();
        }
        ui->DispZansa->setText(tr("no fit"));
    }
    if (edge)
        ui->DispDEdge->clear();
}

void Analyzer::toggledDEdgeCompWith(bool f)
{
#if VANTOSCOPE_CLASSIC
    ui->DEdgeCWSelectBox->setEnabled(f);
#else
    Q_UNUSED(f);
    ui->DEdgeCWSelectBox->setEnabled(true);
#endif
}

void Analyzer::selectedNewDEdgeCWFile(QString fname)
{
    qDebug() << "loading" << fname;
    if (!dEdgeComp.loadAndNormalize(fname))
        qDebug() << "Analyzer: no comparison spectrum read from" << fname;
}

void Analyzer::fitAnswered(FitAnswer answer)
{
    answerIsCurrent = answer.id != 0 && answer.id == requestId;
    if (!answerIsCurrent)
        return;
    lastFit = answer;
    // No fit: no row keeps the numbers of an earlier one.
    if (answer.failure && !requestContAccess)
        showNoFit(true, false);
    if (answer.hasCurve && !requestContAccess) {
        if (answer.fractions.size() == requestRows.size()
            && answer.amounts.size() == requestRows.size()) {
            for (int k = 0; k < requestRows.size(); ++k) {
                if (LCFReference *row = requestRows[k]) {
                    row->setFraction(answer.fractions[k]);
                    row->setAmount(answer.amounts[k]);
                }
            }
        } else {
            qDebug() << "Analyzer: answer" << answer.id << "holds" << answer.fractions.size()
                     << "fractions for" << requestRows.size() << "rows in use; rows left as they were";
        }
    }
    if (answer.hasCurve)
        fitted = answer.curve;
}

void Analyzer::dEdgeAnswered(quint64 id, double dEdge)
{
    answerIsCurrent = id != 0 && id == requestId;
    if (answerIsCurrent)
        lastEdge = dEdge;
}

void Analyzer::show()
{
    // The view's first showing puts it beside the window, not over or under it.
    const bool viewNew = !view->windowHandle();
    showInFront(this);
    if (viewNew)
        showBeside(view, this);
    else
        showInFront(view);
}

void Analyzer::setContAccess(bool f)
{
    contAccess = f;
    worker->setContAccess(f);
    // A run starts or stops: what was asked before does not belong to it.
    dropAnswersInFlight();
}

void Analyzer::setLCFMode(int f)
{
    ui->MLCF->setChecked(f == 1);
}

void Analyzer::analyzeAndShowSpectrum(XafsSpectrum s, SuggestElm sElm)
{
    current = s;
    analyzeSpectrum(current, sElm);
    view->setXafsSpectrum(current);
}

#if !VANTOSCOPE_CLASSIC
void Analyzer::initAnalyzeSpectrum()
{
    compRange = numberIn(ui->DEdgeCWFullRangeEV);
    initStep = numberIn(ui->DEdgeCWInitDEeV);
    minStep = numberIn(ui->DEdgeCWMinDEeV);
}
#endif

FitJob Analyzer::fitJob() const
{
    FitJob j;
    j.fit = ui->SelMLCFAnal->isChecked();
    j.edge = ui->SelDEdgeAnal->isChecked();
    j.kind = ui->MLCF->isChecked() ? SpectrumFit::Mlcf
             : ui->AsOldLCF->isChecked() ? SpectrumFit::LcfOld
                                  : SpectrumFit::Lcf;
    j.sE0 = numberIn(ui->LCFRange1);
    j.eE0 = numberIn(ui->LCFRange2);
    for (const LCFReference *row : refs)
        j.refs << row->snapshot();
    j.midPoint = ui->DEdgeMidPoint->isChecked();
    j.comparison = dEdgeComp;
#if VANTOSCOPE_CLASSIC
    j.rangeEV = AnalyzeProc::ClassicCompRange;
    j.initDEeV = AnalyzeProc::ClassicInitStep;
    j.minDEeV = AnalyzeProc::ClassicMinStep;
#else
    j.rangeEV = compRange * 0.5;
    j.initDEeV = initStep;
    j.minDEeV = minStep;
#endif
    return j;
}

void Analyzer::analyzeSpectrum(XafsSpectrum &s, SuggestElm sElm)
{
    suggest = sElm;
    const bool fit = ui->SelMLCFAnal->isChecked();
    const bool edge = ui->SelDEdgeAnal->isChecked();
    const bool elemsJob = ui->SelElemA->isChecked();
    pending = (fit ? 1 : 0) + (edge ? 1 : 0);
    if (fit || edge || elemsJob)
        startRequest();
    if (fit)
        emit analyzeSpectrum0(s, ownCopy(refs), &fitted, ui->MLCF->isChecked(),
                              numberIn(ui->LCFRange1), numberIn(ui->LCFRange2), sElm);
    if (edge) {
        const FitJob j = fitJob();
#if VANTOSCOPE_CLASSIC
        emit analyzeSpectrumDEdge0(s, sElm, j.midPoint, j.comparison);
#else
        emit analyzeSpectrumDEdge0(s, sElm, j.midPoint, j.comparison, j.rangeEV, j.initDEeV,
                                   j.minDEeV);
#endif
    }
    if (elemsJob) {
        ++elemsInFlight;
        emit analyzeSpectrumElems0(s, ownCopy(elems), &elemResults, elemsTarget(),
                                   ui->AElemsCds);
    }
}

void Analyzer::reAnalyzeSpectrum()
{
    analyzeSpectrum(current, suggest);
}

void Analyzer::setProgress(double perCent)
{
    ui->Progress->setText(QString::asprintf("%5.2f", perCent));
}

void Analyzer::setElemsProgress(double perCent)
{
    ui->ElemsProgress->setText(QString::asprintf("%5.2f", perCent));
}

void Analyzer::setRunNote(const QString &note)
{
    ui->RunNote->setText(note);
    ui->RunNote->setToolTip(note);
}

void Analyzer::setLCFStd(int no, bool use, double dE, QString fname, QString isVic)
{
    if (no < 0 || no >= refs.size()) {
        tellNotFound("Analyzer::setLCFStd: "
                     + tr("there is no reference row %1 (rows 0 to %2); nothing is changed")
                           .arg(no)
                           .arg(refs.size() - 1));
        return;
    }
    refs[no]->setStd(use, dE, fname, isVic);
}

void Analyzer::selectImage(int id)
{
    if (QAbstractButton *b = refGroup->button(id))
        b->setChecked(true);
    else
        tellNotFound("Analyzer::selectImage: "
                     + tr("no image has the number %1; the choice stays").arg(id));
    emit changedSelection();
}

void Analyzer::setRaEnergy(double eng)
{
    ui->RAAtEV->setText(realText(eng));
}

void Analyzer::setRaFactor(double factor)
{
    ui->RAFactor->setText(realText(factor));
}

void Analyzer::setNormalize(bool f)
{
    if (view)
        view->setNormalize(f);
}

void Analyzer::setEnergyCorrection(bool f)
{
    if (view)
        view->setEnergyCorrection(f);
}

double Analyzer::numberIn(const QLineEdit *edit)
{
    bool ok = false;
    const double v = edit->text().toDouble(&ok);
    if (ok && std::isfinite(v))
        return v;
    qDebug() << "Analyzer:" << edit->objectName() << "holds" << edit->text()
             << "which is not a finite number; read as 0";
    return 0.0;
}

void Analyzer::startRequest()
{
    AnalysisRequest request;
    request.id = ++requestId;
    request.contAccess = contAccess;
    requestContAccess = contAccess;
    requestRows.clear();
    for (LCFReference *row : qAsConst(refs)) {
        const LcfRefData d = row->snapshot();
        if (d.inUse)
            requestRows.append(row);
        request.refs.append(d);
    }
    fillElemsRequest(request);
    answerIsCurrent = false;
    emit sendRequest(request);
}

void Analyzer::dropAnswersInFlight()
{
    ++requestId;
    pending = 0;
    answerIsCurrent = false;
    elemsAnswerIsCurrent = false;
}
