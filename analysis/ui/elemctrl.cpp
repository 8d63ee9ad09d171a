#include "analysis/ui/elemctrl.h"

#include <QDebug>
#include <cmath>

#include "core/physicaltables.h"
#include "display/screenfit.h"
#include "ui_elemctrl.h"

namespace {

QString realText(double v)
{
    return QString::number(v, 'g', 6);
}

} // namespace

ElemCtrl::ElemCtrl(QWidget *parent)
    : QFrame(parent),
      Z(0),
      edge(0),
      dmut(0.0),
      ratio(1.0),
      stdRatio(1.0),
      muPlus(0.0),
      muMinus(0.0),
      map0(QStringLiteral("Elem Ctrl 0")),
      mapN(QStringLiteral("Elem Ctrl N")),
      mapMP(QStringLiteral("Elem Ctrl MP")),
      mapMM(QStringLiteral("Elem Ctrl MM")),
      mapDE(QStringLiteral("Elem Ctrl DE")),
      mapROI(QStringLiteral("Elem Ctrl ROI")),
      mapNROI(QStringLiteral("Elem Ctrl NROI")),
      ui(new Ui::ElemCtrl)
{
    ui->setupUi(this);
    // Every field holds the widest value it shows.
    widenForTexts(ui->Name, {"Mo-LIII"});
    widenForTexts(ui->No, {"888"});
    for (QLineEdit *e : {ui->Eng, ui->PrePostDE, ui->DE, ui->ROIs, ui->ROIe, ui->ThDMut})
        widenForTexts(e, WidestText::energy());
    widenForTexts(ui->DMuT, WidestText::number());
    widenForTexts(ui->Ratio, WidestText::ratio());
    widenForTexts(ui->StdRatio, WidestText::ratio());
    widenForTexts(ui->ROI, {"88888"});
    widenForTexts(ui->NROI, {"88888"});
    connect(ui->StdRatio, &QLineEdit::editingFinished, this, &ElemCtrl::newStdRatio);
    connect(ui->Eng, &QLineEdit::editingFinished, this, &ElemCtrl::edgeMarkerChanged);
}

ElemCtrl::~ElemCtrl()
{
    delete ui;
}

QString ElemCtrl::name() const
{
    return ui->Name->text();
}

void ElemCtrl::setName(const QString &name)
{
    ui->Name->setText(name);
}

double ElemCtrl::edgeEnergy() const
{
    bool ok = false;
    const double e = ui->Eng->text().toDouble(&ok);
    if (!ok || !std::isfinite(e)) {
        qDebug() << "ElemCtrl: edge energy" << ui->Eng->text() << "of" << ui->Name->text()
                 << "is not a number, 0 is used";
        return 0.0;
    }
    return e;
}

void ElemCtrl::setEdgeEnergy(double e)
{
    ui->Eng->setText(realText(e));
}

EdgeMarker ElemCtrl::edgeMarker() const
{
    return EdgeMarker{name(), edgeEnergy()};
}

void ElemCtrl::setElement(int z, int e, const QString &rowName)
{
    Z = z;
    edge = e;
    setName(rowName);
    ui->No->setText(QString::number(z));
    const char *const kinds[MapKinds] = {"0", "N", "MP", "MM", "DE", "ROI", "NROI"};
    for (int k = 0; k < MapKinds; ++k)
        map(k)->name = QStringLiteral("%1 Elem Ctrl %2").arg(rowName, QLatin1String(kinds[k]));
    setEdgeEnergy(edgeEnergyEV(z, e));
}

void ElemCtrl::setResults(double dMut, double dMutRatio, double mutPlus, double mutMinus,
                          double dE, double roi, double nroi)
{
    dmut = dMut;
    ui->DMuT->setText(realText(dmut));
    ratio = dMutRatio;
    ui->Ratio->setText(realText(ratio));
    muPlus = mutPlus;
    muMinus = mutMinus;
    ui->DE->setText(realText(dE));
    ui->ROI->setText(realText(roi).left(5));
    ui->NROI->setText(realText(nroi).left(5));
}

void ElemCtrl::showNoResults()
{
    for (QLineEdit *field : {ui->DMuT, ui->Ratio, ui->DE, ui->ROI, ui->NROI})
        field->clear();
}

void ElemCtrl::setStdRatio(double r)
{
    ui->StdRatio->setText(realText(r));
    stdRatio = r;
}

void ElemCtrl::setPrePostDE(double v)
{
    ui->PrePostDE->setText(realText(v));
}

void ElemCtrl::setThDMut(double v)
{
    ui->ThDMut->setText(realText(v));
}

void ElemCtrl::setROI(double s, double e)
{
    ui->ROIs->setText(realText(s));
    ui->ROIe->setText(realText(e));
}

void ElemCtrl::setNoNeg(bool f)
{
    ui->NoNeg->setChecked(f);
}

void ElemCtrl::setUse(bool f)
{
    ui->Use->setChecked(f);
}

bool ElemCtrl::inUse() const
{
    return ui->Use->isChecked();
}

ElemRowData ElemCtrl::snapshot() const
{
    ElemRowData d;
    d.name = name();
    d.Z = Z;
    d.edge = edge;
    d.e0 = edgeEnergy();
    d.dE = numberIn(ui->PrePostDE);
    d.roiS = numberIn(ui->ROIs);
    d.roiE = numberIn(ui->ROIe);
    d.thDMut = numberIn(ui->ThDMut);
    d.noNeg = ui->NoNeg->isChecked();
    d.use = inUse();
    return d;
}

Analyzed2DRes *ElemCtrl::map(int kind)
{
    switch (kind) {
    case JumpMap:
        return &map0;
    case RatioMap:
        return &mapN;
    case MuPlusMap:
        return &mapMP;
    case MuMinusMap:
        return &mapMM;
    case EdgeOffsetMap:
        return &mapDE;
    case RoiMap:
        return &mapROI;
    case NRoiMap:
        return &mapNROI;
    default:
        return nullptr;
    }
}

QRadioButton *ElemCtrl::mainTargetButton() const
{
    return ui->MainTarget;
}

QRadioButton *ElemCtrl::showButton() const
{
    return ui->Show;
}

QCheckBox *ElemCtrl::useBox() const
{
    return ui->Use;
}

QCheckBox *ElemCtrl::noNegBox() const
{
    return ui->NoNeg;
}

QLineEdit *ElemCtrl::engEdit() const
{
    return ui->Eng;
}

QLineEdit *ElemCtrl::prePostDEEdit() const
{
    return ui->PrePostDE;
}

QLineEdit *ElemCtrl::thDMutEdit() const
{
    return ui->ThDMut;
}

QLineEdit *ElemCtrl::roiStartEdit() const
{
    return ui->ROIs;
}

QLineEdit *ElemCtrl::roiEndEdit() const
{
    return ui->ROIe;
}

QLineEdit *ElemCtrl::stdRatioEdit() const
{
    return ui->StdRatio;
}

void ElemCtrl::newStdRatio()
{
    setStdRatio(numberIn(ui->StdRatio));
}

double ElemCtrl::numberIn(const QLineEdit *edit) const
{
    bool ok = false;
    const double v = edit->text().toDouble(&ok);
    if (ok && std::isfinite(v))
        return v;
    qDebug() << "ElemCtrl:" << edit->objectName() << "of" << name() << "holds" << edit->text()
             << "which is not a finite number; read as 0";
    return 0.0;
}
