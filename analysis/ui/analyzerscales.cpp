// The display scales of the result maps: each map's own range, or the fixed
// DMut and Ratio ranges typed into the window; and the jobs an area run asks for.
#include "analysis/ui/analyzer.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>

#include "analysis/ui/elemctrl.h"
#include "analysis/ui/lcfreference.h"
#include "display/colorbar.h"
#include "ui_analyzer.h"

bool Analyzer::fitJobChosen() const
{
    return ui->SelMLCFAnal->isChecked();
}

bool Analyzer::dEdgeJobChosen() const
{
    return ui->SelDEdgeAnal->isChecked();
}

bool Analyzer::elemsJobChosen() const
{
    return ui->SelElemA->isChecked();
}

void Analyzer::setColorBar(ColorBar *bar)
{
    colorBar = bar;
}

void Analyzer::setupScales()
{
    connect(ui->FixedScale, &QCheckBox::toggled, this, &Analyzer::scalePolicyChanged);
    for (QLineEdit *edit : {ui->DMutScaleMax, ui->DMutScaleMin, ui->RatioScaleMax, ui->RatioScaleMin})
        connect(edit, &QLineEdit::editingFinished, this, &Analyzer::scaleChanged);
}

QVector<QPair<Analyzed2DRes *, Analyzer::ScaleKind>> Analyzer::scaledMaps()
{
    QVector<QPair<Analyzed2DRes *, ScaleKind>> maps;
    for (const LCFReference *row : refs) {
        if (!row || row->maps.isEmpty())
            continue;
        maps.append({row->maps[0], DMutScale});
        maps.append({row->maps[row->maps.size() > 1 ? 1 : 0], RatioScale});
    }
    for (Analyzed2DRes *m : {&zansaMap, &dEdgeMap, &dMutMap, &restMap})
        maps.append({m, DMutScale});
    maps.append({&ratioMap, RatioScale});
    for (ElemCtrl *row : elems) {
        if (!row)
            continue;
        for (int kind = 0; kind < ElemCtrl::MapKinds; ++kind) {
            if (Analyzed2DRes *m = row->map(kind))
                maps.append({m, ElemScale});
        }
    }
    return maps;
}

void Analyzer::regenerate(Analyzed2DRes *map)
{
    if (colorBar)
        map->colorScale = colorBar->scale();
    map->genImg();
    if (colorBar)
        colorBar->setValueRange(map->scaleMin(), map->scaleMax());
}

// The fixed range typed for maps of this kind (element maps take the DMut one).
void Analyzer::applyTypedRange(Analyzed2DRes *map, ScaleKind kind)
{
    const bool ratio = kind == RatioScale;
    map->fixedMin = numberIn(ratio ? ui->RatioScaleMin : ui->DMutScaleMin);
    map->fixedMax = numberIn(ratio ? ui->RatioScaleMax : ui->DMutScaleMax);
}

void Analyzer::scaleChanged()
{
    for (const auto &m : scaledMaps()) {
        applyTypedRange(m.first, m.second);
        regenerate(m.first);
    }
    emit changedSelection();
}

// The element rows' maps keep the range they have; one that has none yet
// (a new row's) is held at the range it shows, else at the typed DMut range.
void Analyzer::scalePolicyChanged(bool f)
{
    for (const auto &m : scaledMaps()) {
        Analyzed2DRes *map = m.first;
        if (m.second == ElemScale && f && !ColorScale::isValueRange(map->fixedMin, map->fixedMax)) {
            const double lo = map->scaleMin(), hi = map->scaleMax();
            if (ColorScale::isValueRange(lo, hi) && lo < hi) {
                map->fixedMin = lo;
                map->fixedMax = hi;
            } else {
                applyTypedRange(map, DMutScale);
            }
        }
        map->fixedScale = f;
        regenerate(map);
        if (m.second == ElemScale)
            continue;
        applyTypedRange(map, m.second);
        regenerate(map);
    }
    emit changedSelection();
}

void Analyzer::setFixedScale(bool f)
{
    ui->FixedScale->setChecked(f);
}

void Analyzer::setDMutScaleMax(double max)
{
    ui->DMutScaleMax->setText(QString::number(max, 'g', 6));
    scaleChanged();
}

void Analyzer::setDMutScaleMin(double min)
{
    ui->DMutScaleMin->setText(QString::number(min, 'g', 6));
    scaleChanged();
}

void Analyzer::setRatioScaleMax(double max)
{
    ui->RatioScaleMax->setText(QString::number(max, 'g', 6));
    scaleChanged();
}

void Analyzer::setRatioScaleMin(double min)
{
    ui->RatioScaleMin->setText(QString::number(min, 'g', 6));
    scaleChanged();
}
