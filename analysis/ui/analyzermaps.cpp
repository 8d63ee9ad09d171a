// Map1 and Map2, read from energy-shift map files or captured from the shown
// map, and the map made of the two block by block: difference, quotient or
// Map1 masked by Map2.
#include "analysis/ui/analyzer.h"

#include <QButtonGroup>
#include <QDebug>
#include <QLineEdit>
#include <QMetaType>
#include <QPushButton>
#include <QRadioButton>

#include "calibration/empheader.h"
#include "display/colorbar.h"
#include "display/widgethelpers.h"
#include "ui_analyzer.h"

namespace {

// The sum of map's values over the box of the walker's current block, taken
// on the map's own grid; cells outside the map count 0. The box is clipped
// to the map first, so the half sizes may be as large as they come.
double boxSum(const Analyzed2DRes &map, const AnalyzeCond &block)
{
    AnalyzeCond box = map.area;
    box.x = block.x;
    box.y = block.y;
    box.halfW = block.halfW;
    box.halfH = block.halfH;
    int c0, c1, r0, r1;
    if (!map.hasData() || !box.clippedBox(&c0, &c1, &r0, &r1))
        return 0.0;
    double s = 0.0;
    for (int r = r0; r <= r1; r++) {
        for (int c = c0; c <= c1; c++)
            s += map.value(c, r);
    }
    return s;
}

enum class Combination { Sub, Div, Mask };

double combine(Combination how, double s1, double s2)
{
    switch (how) {
    case Combination::Div:
        return s2 == 0.0 ? 1.0 : s1 / s2;
    case Combination::Mask:
        return s2 > 0.0 ? s1 : 0.0;
    case Combination::Sub:
        break;
    }
    return s1 - s2;
}

} // namespace

void Analyzer::setupMaps()
{
    showMapsGroup = new QButtonGroup;
    showMapsGroup->addButton(ui->ShowMap1);
    showMapsGroup->addButton(ui->ShowMap2);
    showMapsGroup->addButton(ui->ShowProcessedMap);
    ui->ShowProcessedMap->setChecked(true);
    connect(showMapsGroup, &QButtonGroup::idClicked, this, &Analyzer::changedSelection);

    // Read when the maps are processed.
    procTypeGroup = new QButtonGroup;
    procTypeGroup->addButton(ui->ProcTypeSub);
    procTypeGroup->addButton(ui->ProcTypeDiv);
    procTypeGroup->addButton(ui->ProcTypeMask);
    ui->ProcTypeSub->setChecked(true);

    for (EShiftMapDialog *dialog : {&map1Dialog, &map2Dialog}) {
        dialog->setFileMode(QFileDialog::ExistingFile);
        dialog->setAcceptMode(QFileDialog::AcceptOpen);
    }
    showOnClick(ui->SelMap1, &map1Dialog);
    showOnClick(ui->SelMap2, &map2Dialog);
    connect(&map1Dialog, &QFileDialog::fileSelected, this, &Analyzer::loadMap1);
    connect(&map2Dialog, &QFileDialog::fileSelected, this, &Analyzer::loadMap2);
    connect(ui->CaptureAsMap1, &QPushButton::clicked, this, &Analyzer::captureAsMap1);
    connect(ui->CaptureAsMap2, &QPushButton::clicked, this, &Analyzer::captureAsMap2);
    connect(ui->AskProcessMaps, &QPushButton::clicked, this, &Analyzer::processMaps);
}

void Analyzer::loadMap1(QString file)
{
    loadMapInto(file, map1, ui->Map1Name);
}

void Analyzer::loadMap2(QString file)
{
    loadMapInto(file, map2, ui->Map2Name);
}

// The reader is connected directly: map and header are filled when the emit
// returns. A failed read leaves the map and the name as they were.
void Analyzer::loadMapInto(const QString &file, Analyzed2DRes &map, QLineEdit *nameEdit)
{
    EMPHeader header;
    emit loadMap(file, map, header);
    if (header.valid)
        nameEdit->setText(file);
}

void Analyzer::captureAsMap1()
{
    captureInto(map1, ui->Map1Name);
}

void Analyzer::captureAsMap2()
{
    captureInto(map2, ui->Map2Name);
}

// With no map shown the input keeps its content, and its name is shown again.
void Analyzer::captureInto(Analyzed2DRes &map, QLineEdit *nameEdit)
{
    map.copyFrom(currentMap());
    nameEdit->setText(map.name);
}

void Analyzer::processMaps()
{
    if (!map1.imageValid || !map2.imageValid)
        return;
    // Stays empty (one block at (0, 0)) when the main window has no image.
    AnalyzeCond ac;
    emit askAnalyzeCond(ac);
    // Half sizes and steps kept in range as init() keeps them, whoever filled
    // the walker.
    ac.init(ac.width, ac.height, ac.halfW, ac.halfH,
            QRectF(ac.x0, ac.y0, double(ac.x1) - ac.x0, double(ac.y1) - ac.y0), ac.stepX, ac.stepY);
    if (ac.centreCount() > MaxProcessBlocks) {
        qDebug() << "Analyzer: the maps are not processed: the area has more than"
                 << MaxProcessBlocks << "blocks";
        return;
    }
    Combination how = Combination::Sub;   // also with none checked
    if (!ui->ProcTypeSub->isChecked()) {
        if (ui->ProcTypeDiv->isChecked())
            how = Combination::Div;
        else if (ui->ProcTypeMask->isChecked())
            how = Combination::Mask;
    }

    processedMap.setArea(ac);
    ac.reset();
    do {
        const double v = combine(how, boxSum(map1, ac), boxSum(map2, ac));
        processedMap.setData(ac.x, ac.y, ac.halfW, ac.halfH, v);
        qDebug() << ac.x << ac.y << v << processedMap.value(ac.x, ac.y) << ac.halfW << ac.halfH
                 << processedMap.area.width << processedMap.area.height;
    } while (ac.next());
    if (colorBar)
        processedMap.colorScale = colorBar->scale();
    processedMap.genImg();
}
