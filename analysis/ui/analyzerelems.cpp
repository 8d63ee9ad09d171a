// The element part of the analysis window: the element rows built from the
// element names, the results of one spectrum taken into them, and the
// correlation of the element ratios with the standard ratios.
#include "analysis/ui/analyzer.h"

#include <QButtonGroup>
#include <QDebug>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <cmath>
#include <vector>

#include "analysis/elemanalysis.h"
#include "analysis/ui/aelemsconds.h"
#include "analysis/ui/elemctrl.h"
#include "core/physicaltables.h"
#include "display/screenfit.h"
#include "display/xafsview.h"
#include "ui_analyzer.h"

namespace {

QString realText(double v)
{
    return QString::number(v, 'g', 6);
}

} // namespace

void Analyzer::setupElems()
{
    corAbove = false;
    corTh = 0.999;
    ui->CorTh->setText(realText(corTh));
    recalcCorMap();
    connect(ui->SetSTD, &QPushButton::clicked, this, &Analyzer::setElemsStd);
    connect(this, &Analyzer::setNewCorrelation, this, &Analyzer::setCorrelation);
    connect(ui->CorTh, &QLineEdit::editingFinished, this, &Analyzer::newCorTh);
    connect(ui->ReCalcCor, &QPushButton::clicked, this, &Analyzer::recalcCorMap);
    connect(ui->AElemNames, &QLineEdit::editingFinished, this, &Analyzer::newElems);
    // The answer comes before the worker's finishedAElems(), across threads.
    qRegisterMetaType<ElemsAnswer>("ElemsAnswer");
    connect(worker, &AnalyzeProc::elemsAnswered, this, &Analyzer::elemsAnswered);
}

bool Analyzer::elemsBusy() const
{
    return areaRunActive || elemsInFlight > 0;
}

void Analyzer::setAreaRunActive(bool f)
{
    areaRunActive = f;
}

QVector<Analyzed2DRes *> Analyzer::elemsRunMaps()
{
    QVector<Analyzed2DRes *> maps;
    for (int kind = 0; kind < ElemCtrl::MapKinds; ++kind) {
        for (ElemCtrl *row : qAsConst(elems))
            maps << row->map(kind);
    }
    maps << &elemsCorMap << &elemsCorThMap;
    return maps;
}

Analyzed2DRes *Analyzer::currentElemsMap()
{
    if (!ui->SelElemA->isChecked() || elems.isEmpty() || showGroup == nullptr)
        return nullptr;
    const int shown = showGroup->checkedId();
    if (shown < 0 || shown >= elems.size())
        return nullptr;
    ElemCtrl *row = elems[shown];
    if (ui->ShowElemsDMut0->isChecked())
        return row->map(ElemCtrl::JumpMap);
    if (ui->ShowElemsDMutN->isChecked())
        return row->map(ElemCtrl::RatioMap);
    if (ui->ShowElemsCorr->isChecked())
        return &elemsCorMap;
    if (ui->ShowElemsCorrTh->isChecked())
        return &elemsCorThMap;
    if (ui->ShowElemsMutPlus->isChecked())
        return row->map(ElemCtrl::MuPlusMap);
    if (ui->ShowElemsMutMinus->isChecked())
        return row->map(ElemCtrl::MuMinusMap);
    if (ui->ShowElemsDE->isChecked())
        return row->map(ElemCtrl::EdgeOffsetMap);
    if (ui->ShowElemsROI->isChecked())
        return row->map(ElemCtrl::RoiMap);
    if (ui->ShowElemsNROI->isChecked())
        return row->map(ElemCtrl::NRoiMap);
    return nullptr;
}

Analyzed2DRes *Analyzer::refreshShownElemsMap()
{
    Analyzed2DRes *map = currentElemsMap();
    if (map)
        map->genImg();
    return map;
}

QLineEdit *Analyzer::elemsCorrelationEdit() const
{
    return ui->ElemsCorrelation;
}

// -- Batch members

void Analyzer::tellNotFound(const QString &line)
{
    qDebug().noquote() << line;
    emit notFound(line);
}

// The line of a batch member that finds no element row to act on.
void Analyzer::noElemRow(const char *member, const QString &name, bool byIndex)
{
    const int rows = elems.size();
    const QString among =
        rows == 0 ? tr("there are no element rows") : tr("rows 0 to %1").arg(rows - 1);
    const QString line =
        byIndex ? tr("no element row is named or numbered \"%1\" (%2); nothing is changed")
                : tr("no element row is named \"%1\" (%2); nothing is changed");
    tellNotFound(QString("Analyzer::%1: ").arg(member) + line.arg(name, among));
}

// Calls f for every row named name; the line when there is none.
template <typename F>
void Analyzer::eachRowNamed(const QString &name, const char *member, F f)
{
    int found = 0;
    for (ElemCtrl *row : qAsConst(elems)) {
        if (row->name() == name) {
            f(row);
            ++found;
        }
    }
    if (found == 0)
        noElemRow(member, name, false);
}

// The line of a batch member whose name is no row's and no number, so that
// it falls back to the first row.
void Analyzer::firstRowTaken(const char *member, const QString &name, const ElemCtrl *row)
{
    bool number = false;
    name.toInt(&number);
    if (row->name() != name && !number)
        tellNotFound(QString("Analyzer::%1: ").arg(member)
                     + tr("no element row is named \"%1\"; row 0 (%2) is taken, as the name "
                          "reads as 0")
                           .arg(name, row->name()));
}

void Analyzer::selectElemsDispMode(int mode)
{
    const QVector<QRadioButton *> radios{ui->ShowElemsDMut0,     ui->ShowElemsDMutN,
                                         ui->ShowElemsCorr,      ui->ShowElemsCorrTh,
                                         ui->ShowElemsMutPlus,   ui->ShowElemsMutMinus,
                                         ui->ShowElemsDE,        ui->ShowElemsROI,
                                         ui->ShowElemsNROI};
    if (mode >= 0 && mode < radios.size())
        radios[mode]->setChecked(true);
    else
        qDebug() << qPrintable(QString("Analyzer::selectElemsDispMode: there is no display mode "
                                       "%1 (0 to 8); the mode stays")
                                   .arg(mode));
    emit changedSelection();
}

void Analyzer::setElemsSortByAN(bool f)
{
    ui->SortByANo->setChecked(f);
}

void Analyzer::setElemsDEs(double v)
{
    if (elems.isEmpty())
        tellNotFound("Analyzer::setElemsDEs: "
                     + tr("there are no element rows; nothing is changed"));
    for (ElemCtrl *row : qAsConst(elems))
        row->setPrePostDE(v);
}

void Analyzer::setElemNoNeg(QString name, bool f)
{
    eachRowNamed(name, "setElemNoNeg", [f](ElemCtrl *row) { row->setNoNeg(f); });
}

void Analyzer::setElemThDMut(QString name, double v)
{
    eachRowNamed(name, "setElemThDMut", [v](ElemCtrl *row) { row->setThDMut(v); });
}

void Analyzer::setElemROI(QString name, double s, double e)
{
    eachRowNamed(name, "setElemROI", [&](ElemCtrl *row) { row->setROI(s, e); });
}

void Analyzer::setElemUse(QString name, bool f)
{
    if (ElemCtrl *row = elemRow(name)) {
        firstRowTaken("setElemUse", name, row);
        row->setUse(f);
    } else {
        noElemRow("setElemUse", name, true);
    }
}

void Analyzer::selectElemShow(QString name)
{
    if (ElemCtrl *row = elemRow(name)) {
        firstRowTaken("selectElemShow", name, row);
        row->showButton()->setChecked(true);
        emit changedSelection();
    } else {
        noElemRow("selectElemShow", name, true);
    }
}

void Analyzer::selectElemTarget(QString name)
{
    if (ElemCtrl *row = elemRow(name)) {
        firstRowTaken("selectElemTarget", name, row);
        row->mainTargetButton()->setChecked(true);
        emit changedSelection();
    } else {
        noElemRow("selectElemTarget", name, true);
    }
}

ElemCtrl *Analyzer::elemRow(const QString &name) const
{
    for (ElemCtrl *row : elems) {
        if (row->name() == name)
            return row;
    }
    const int i = name.toInt();   // not a number: 0
    return i >= 0 && i < elems.size() ? elems[i] : nullptr;
}

// -- Rows

bool Analyzer::setTargetElements(QString elements)
{
    ui->AElemNames->setText(elements);
    return newElems();
}

// The rows from the AElemNames text: "Fe, Cu Pb-L3" gives Fe-K, Cu-K and
// Pb-L3. Symbols the element table lacks are dropped; an unknown edge is K.
// Answers to the requests sent so far were asked for the old rows: they are
// dropped when they come.
bool Analyzer::newElems()
{
    if (areaRunActive) {
        tellNotFound("Analyzer: " + tr("an area run uses the element rows; they are not rebuilt"));
        return false;
    }
    elemsRowsFrom = requestId + 1;
    elemsAnswerIsCurrent = false;   // taken in, it would land in the new rows

    if (targetGroup)
        targetGroup->deleteLater();
    if (showGroup)
        showGroup->deleteLater();
    targetGroup = new QButtonGroup;
    showGroup = new QButtonGroup;
    connect(showGroup, &QButtonGroup::idClicked, this, &Analyzer::changedSelection);

    for (ElemCtrl *row : qAsConst(elems)) {
        ui->AElemBaseLayout->removeWidget(row);
        row->hide();
        row->deleteLater();
    }
    elems.clear();

    QString names = ui->AElemNames->text();
    const QStringList tokens = names.replace(',', ' ').simplified().split(' ');
    for (const QString &token : tokens) {
        QString symbol = token;
        QString edgeText = QStringLiteral("K");
        const int dash = token.indexOf('-');
        if (dash > 0) {
            symbol = token.left(dash);
            edgeText = token.mid(dash + 1);
        }
        const int z = symbolToZ(symbol);
        if (z <= 0) {
            if (!token.isEmpty())
                tellNotFound("Analyzer: "
                             + tr("no element \"%1\" is known; no row is made for \"%2\"")
                                   .arg(symbol, token));
            continue;
        }
        if (elems.size() == MaxElemRows) {
            tellNotFound("Analyzer: "
                         + tr("more than %1 element rows asked for; the rest from \"%2\" on are "
                              "left out")
                               .arg(MaxElemRows)
                               .arg(token));
            break;
        }
        auto *row = new ElemCtrl;
        row->setElement(z, edgeIndex(edgeText), QStringLiteral("%1-%2").arg(symbol, edgeText));
        elems.append(row);
        targetGroup->addButton(row->mainTargetButton());
        showGroup->addButton(row->showButton());
        connect(row, &ElemCtrl::edgeMarkerChanged, this, &Analyzer::refreshEdgeMarkers);
    }

    // By atomic number: the smallest of the rest swapped into each place.
    if (ui->SortByANo->isChecked()) {
        for (int i = 0; i + 1 < elems.size(); ++i) {
            int least = i;
            for (int j = i + 1; j < elems.size(); ++j) {
                if (elems[j]->Z < elems[least]->Z)
                    least = j;
            }
            if (least != i)
                std::swap(elems[i], elems[least]);
        }
    }
    for (int i = 0; i < elems.size(); ++i) {
        targetGroup->setId(elems[i]->mainTargetButton(), i);
        showGroup->setId(elems[i]->showButton(), i);
    }
    for (int i = 0; i < elems.size(); ++i)
        ui->AElemBaseLayout->addWidget(elems[i], i, 0);
    if (!elems.isEmpty()) {
        elems[0]->mainTargetButton()->setChecked(true);
        elems[0]->showButton()->setChecked(true);
    }
    refreshEdgeMarkers();
    if (isVisible())
        growToFit(this);
    // A map of the old rows may be the one shown.
    emit changedSelection();
    return true;
}

void Analyzer::refreshEdgeMarkers()
{
    QVector<EdgeMarker> markers;
    for (const ElemCtrl *row : qAsConst(elems))
        markers << row->edgeMarker();
    view->setEdgeMarkers(markers);
}

// -- Requests and answers

int Analyzer::elemsTarget() const
{
    return targetGroup ? targetGroup->checkedId() : 0;
}

void Analyzer::fillElemsRequest(AnalysisRequest &request) const
{
    if (!ui->SelElemA->isChecked())
        return;
    QVector<double> stdRatios;
    elemsJob(request.elems, request.aec, request.mainT, stdRatios);
}

void Analyzer::elemsJob(QVector<ElemRowData> &rows, AElemsCondsData &bg, int &mainT,
                        QVector<double> &stdRatios) const
{
    rows.clear();
    stdRatios.clear();
    for (const ElemCtrl *row : elems) {
        rows << row->snapshot();
        stdRatios << row->stdRatio;
    }
    bg = ui->AElemsCds->snapshot();
    mainT = elemsTarget();
}

void Analyzer::elemsAnswered(ElemsAnswer answer)
{
    if (elemsInFlight > 0)
        --elemsInFlight;
    elemsAnswerIsCurrent = answer.id != 0 && answer.id == requestId;
    if (elemsAnswerIsCurrent && answer.id < elemsRowsFrom) {
        qDebug() << "Analyzer: element answer" << answer.id
                 << "was asked for rows rebuilt since; not taken";
        elemsAnswerIsCurrent = false;
    }
    if (elemsAnswerIsCurrent) {
        lastElems = answer;
        elemResults = answer.res;
    }
}

// The worker's finishedAElems(): the current answer goes into the rows. An
// answer that does not fit the rows is not taken; the window still reports,
// so that an area run goes on (and drops the block).
void Analyzer::analyzeSpectrumElemsFinished()
{
    const bool current = elemsAnswerIsCurrent;
    elemsAnswerIsCurrent = false;
    if (current) {
        const ElemsAnswer &a = lastElems;
        const int n = elems.size();
        const bool fits = a.valid && a.dMut.size() == n && a.dMutRatio.size() == n
                          && a.muPlus.size() == n && a.muMinus.size() == n && a.dE.size() == n
                          && a.roi.size() == n && a.nroi.size() == n;
        if (fits) {
            for (int k = 0; k < n; ++k)
                elems[k]->setResults(a.dMut[k], a.dMutRatio[k], a.muPlus[k], a.muMinus[k], a.dE[k],
                                     a.roi[k], a.nroi[k]);
            calcCorrelation();
        } else {
            qDebug() << "Analyzer: element answer" << a.id << "holds" << a.dMut.size()
                     << "values for" << n << "rows; not taken";
            correlation = 0.0;
            showNoElemsResults();
        }
        emit analyzeElemsFinished();
    }
}

void Analyzer::showNoElemsResults()
{
    for (ElemCtrl *row : qAsConst(elems)) {
        if (row)
            row->showNoResults();
    }
}

// -- Correlation

// Over the rows in use: the ratios against the standard ratios. When that
// cannot be computed the shown value stays, but correlation becomes 0 so that
// an area run does not record the previous block's value.
void Analyzer::calcCorrelation()
{
    std::vector<double> a, b;
    for (const ElemCtrl *row : qAsConst(elems)) {
        if (row->inUse()) {
            a.push_back(row->ratio);
            b.push_back(row->stdRatio);
        }
    }
    double c = 0.0;
    if (ElemAnalysis::cosine(a.data(), b.data(), int(a.size()), &c))
        emit setNewCorrelation(c);
    else
        correlation = 0.0;
}

void Analyzer::setCorrelation(double cor)
{
    correlation = cor;
    if (corGuard)
        return;
    corGuard = true;
    ui->ElemsCorrelation->setText(realText(cor));
    const bool above = cor > corTh;
    if (above != corAbove) {
        ui->ElemsCorrelation->setStyleSheet(above ? "background-color: rgb(211, 255, 241);"
                                                  : "background-color: rgb(176, 192, 192);");
        corAbove = above;
    }
    corGuard = false;
}

void Analyzer::newCorTh()
{
    corTh = numberIn(ui->CorTh);
    ui->CorTh->setText(realText(corTh));
    recalcCorMap();
}

void Analyzer::setCorTh(double v)
{
    if (!std::isfinite(v)) {
        qDebug() << "Analyzer: correlation threshold" << v << "is not a number; 0 is used";
        v = 0.0;
    }
    ui->CorTh->setText(realText(v));
    corTh = v;
    recalcCorMap();
}

// The correlation of every block of the last element run, from the rows'
// ratio maps, into elemsCorMap and (at or above corTh) elemsCorThMap.
void Analyzer::recalcCorMap()
{
    AnalyzeCond w = elemsCorMap.area;
    w.reset();
    std::vector<double> r, s;
    for (const ElemCtrl *row : qAsConst(elems)) {
        if (row->inUse())
            s.push_back(row->stdRatio);
    }
    r.resize(s.size());
    const double rows = w.y1 - w.y0;
    // Before the first element run there is no area, and a run that left the
    // map without data analysed none: nothing is written, the progress stays.
    const bool walked = w.width > 0 && w.height > 0 && elemsCorMap.hasData();
    if (walked) {
        do {
            if (w.rowStart)
                setElemsProgress(rows != 0.0 ? (w.y - w.y0) / rows * 100.0 : 0.0);
            if (elems.isEmpty())
                continue;
            size_t i = 0;
            for (ElemCtrl *row : qAsConst(elems)) {
                if (row->inUse())
                    r[i++] = row->mapN.value(w.x, w.y);
            }
            double c = 0.0;
            if (!ElemAnalysis::cosine(r.data(), s.data(), int(r.size()), &c))
                c = 0.0;
            elemsCorMap.setData(w.x, w.y, w.halfW, w.halfH, c);
            elemsCorThMap.setData(w.x, w.y, w.halfW, w.halfH, c >= corTh ? c : 0.0);
        } while (w.next());
        setElemsProgress(100.0);
    }
    elemsCorMap.genImg();
    elemsCorThMap.genImg();
    emit changedSelection();
}

void Analyzer::setElemsStd()
{
    for (ElemCtrl *row : qAsConst(elems))
        row->setStdRatio(row->ratio);
    recalcCorMap();
}
