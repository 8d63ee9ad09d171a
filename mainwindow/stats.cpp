#include "mainwindow/stats.h"

#include <QDebug>
#include <QFont>
#include <QFontMetricsF>
#include <QLineF>
#include <QPainter>
#include <QRectF>

#include <climits>
#include <cmath>
#include <utility>

#include "display/chcoord.h"
#include "display/dispa.h"
#include "display/screenfit.h"
#include "display/drawtext.h"
#include "display/mousec.h"
#include "imagedata/analyzed2dres.h"
#include "ui_stats.h"

// Mean, variance and sigma from the sums of values and squares over count;
// a negative variance (rounding) counts as 0.
static void moments(double s1, double s2, double count, double &mean, double &var, double &sigma)
{
    mean = s1 / count;
    var = s2 / count - mean * mean;
    if (var < 0)
        var = 0;
    sigma = std::sqrt(var);
}

namespace {

// Bottom margin of the histogram, a fraction of its height: at least
// LabelMargin, more for long labels, at most MaxLabelMargin.
const double LabelMargin = 0.25;
const double MaxLabelMargin = 0.45;
// Tick marks under the plot and the gap between them and the labels, pixels.
const double TickLength = 10;
const double LabelGap = 3;

} // namespace

Stats::Stats(QWidget *parent)
    : QFrame(parent), ui(new Ui::Stats), plotCoord(nullptr), plotMouse(nullptr), map(nullptr),
      pointedValue(0), bins(100), binWidth(0), maxCount(1), n(0), min(0), max(0), mean(0),
      var(0), sigma(0), rangeLo(1e300), rangeHi(-1e300), draggedLimit(nullptr), selCount(0),
      selLo(0), selHi(0), selMean(0), selVar(0), selSigma(0)
{
    ui->setupUi(this);
    for (QLineEdit *e : {ui->X, ui->Mean, ui->Sigma, ui->SelMean, ui->SelSigma})
        widenForTexts(e, WidestText::number());
    widenForTexts(ui->Num, {"888888888"});
    widenForTexts(ui->Val, WidestText::ratio());

    plotCoord = &ui->DA->coord;
    plotMouse = &ui->DA->mouse;
    // Room under the bars for the value labels, which read downwards.
    plotCoord->marginBottom = LabelMargin;
    selPen = QPen(QColor(255, 0, 0));
    selPen.setDashPattern({8, 2});
    setupBins(0, 1.0);

    connect(ui->DA, &DispA::drawImage2, this, &Stats::draw);
    connect(ui->DA, &DispA::mouseMoved0, this, &Stats::mouseMoved);
    connect(ui->DA, &DispA::mousePressed0, this, &Stats::mousePressed);
    connect(ui->DA, &DispA::mouseReleased0, this, &Stats::mouseReleased);
    connect(ui->ShowOverImage, &QCheckBox::toggled, this, &Stats::toggledShowOverImage);
}

Stats::~Stats()
{
    delete ui;
}

bool Stats::showOverImage() const
{
    return ui->ShowOverImage->isChecked();
}

void Stats::calcStats(Analyzed2DRes *result, AnalyzeCond walker)
{
    if (result == nullptr) {
        qDebug() << "Stats: no map";
        return;
    }
    // n is an int: a walk whose centres can not be counted in one is refused.
    const qint64 all = walker.areaCentreCount();
    if (all >= INT_MAX) {
        qDebug() << "Stats: too many centres in the area";
        return;
    }
    map = result;
    area = walker;

    AnalyzeCond a = area;
    int count = 0, nonFinite = 0;
    double sum = 0, sum2 = 0, lo = 1e300, hi = -1e300;
    do {
        const double v = map->value(a.x, a.y);
        count++;
        sum += v;
        sum2 += v * v;
        if (v < lo)
            lo = v;
        if (v > hi)
            hi = v;
        if (!std::isfinite(v))
            nonFinite++;
    } while (a.next());
    // The walk steps over the centres whose box lies off the image: they lie
    // off the map too and count 0.
    const int offMap = int(qMax<qint64>(all - count, 0));
    if (offMap > 0) {
        count += offMap;
        lo = qMin(lo, 0.0);
        hi = qMax(hi, 0.0);
    }
    if (nonFinite > 0)
        qDebug() << "Stats:" << nonFinite << "values are not finite";

    n = count;
    min = lo;
    max = hi;
    moments(sum, sum2, n, mean, var, sigma);

    setupBins(min, max);

    if (rangeLo > max || rangeHi < min) {
        rangeLo = min;
        rangeHi = max;
    } else {
        rangeLo = qMax(rangeLo, min);
        rangeHi = qMin(rangeHi, max);
    }

    a = area;
    do {
        histogram[binOf(map->value(a.x, a.y), binWidth)]++;
    } while (a.next());
    histogram[binOf(0.0, binWidth)] += offMap;
    maxCount = 0;
    for (int c : qAsConst(histogram))
        maxCount = qMax(maxCount, c);

    calcSelectedRangeStats();
}

void Stats::setupBins(double lo, double hi)
{
    bool ok = false;
    int b = ui->Bins->text().toInt(&ok);
    if (!ok || b < 1)
        b = 100;
    if (b > MaxBins) {
        qDebug() << "Stats: bins" << b << "limited to" << MaxBins;
        b = MaxBins;
    }
    bins = b;
    maxCount = 1;
    binWidth = (hi - lo) / bins;
    histogram = QVector<int>(bins, 0);
}

void Stats::calcSelectedRangeStats()
{
    selLo = rangeLo;
    selHi = rangeHi;
    qint64 c = 0;
    double s1 = 0, s2 = 0;
    // Statistics of the bins' lower edges, weighted by their counts.
    for (int i = 0; i < histogram.size(); i++) {
        const double v = i * binWidth + min;
        if (v >= selLo && v <= selHi) {
            c += histogram[i];
            s1 += histogram[i] * v;
            s2 += histogram[i] * v * v;
        }
    }
    selCount = int(c);
    const double d = double(qMax<qint64>(c, 1));
    moments(s1, s2, d, selMean, selVar, selSigma);
    emit rangeSelected();
    ui->DA->update();
}

void Stats::pointedAt(double x, double y)
{
    if (map == nullptr)
        return;
    pointedValue = map->value(ChCoord::toInt(x), ChCoord::toInt(y));
    ui->DA->update();
}

void Stats::toggledShowOverImage(bool)
{
    emit rangeSelected();
}

int Stats::binOf(double v, double w) const
{
    const double b = (v - min) / w;
    if (!(b >= 0) || histogram.isEmpty())
        return 0;
    if (b >= histogram.size())
        return histogram.size() - 1;
    return int(b);
}

void Stats::drawVLine(QPainter *p, double x, double y0, double y1) const
{
    // Lines off the widget (or at undefined positions) are left out.
    if (!std::isfinite(x) || x < plotCoord->screenX0 - 10 || x > plotCoord->screenX1 + 10)
        return;
    p->drawLine(QLineF(x, y0, x, y1));
}

void Stats::draw(QPainter *p)
{
    ChCoord &c = *plotCoord;
    // The value labels read downwards under the ticks at the window's font:
    // the bottom margin holds the longest of them when the plot is tall enough.
    const int step = qMax(1, bins / 10);
    const double w = binWidth > 0 ? binWidth : 1.0;
    QStringList labels;
    for (int i = 0; i <= bins; i += step)
        labels << QString::number(i * w + min, 'g', 4);
    const QFont font;
    const QFontMetricsF metrics(font);
    double longest = 0;
    for (const QString &l : labels)
        longest = qMax(longest, metrics.horizontalAdvance(l));
    const double below = TickLength + LabelGap + longest + 2;
    c.marginBottom = qBound(LabelMargin, below / qMax(1, ui->DA->height()), MaxLabelMargin);
    c.setScreenWindowByMargins();
    // An empty value range (a constant map, or before the first computation)
    // is laid out with bins of width 1; no counts get a y range of 1.
    const double x1 = max > min ? max : min + bins * w;
    c.setRealRange(min, 0, x1, maxCount > 0 ? maxCount : 1);

    p->setPen(QPen(Qt::black, 3));
    for (int i = 0; i < histogram.size(); i++)
        drawVLine(p, c.realToScreenX(min + (i + 0.5) * w), c.realToScreenY(histogram[i]),
                  c.realToScreenY(0));

    p->setPen(QPen(Qt::black, 1));
    DrawText text;
    const double y0 = std::trunc(c.winY0);
    // Labels start under the ticks, end inside the widget and are no thicker
    // than the room between two ticks; their size is the window's font at most.
    const double labelTop = y0 + TickLength + LabelGap;
    const double labelLength =
        qBound(0.0, double(ui->DA->height()) - 2 - labelTop, longest + 2);
    const double spacing = std::fabs(c.realToScreenLengthX(step * w));
    const double labelH = qMin(metrics.height(), 0.9 * spacing);
    const double maxPoint = qMin(16.0, font.pointSizeF() > 0 ? font.pointSizeF() : 16.0);
    for (int k = 0, i = 0; i <= bins; i += step, k++) {
        const double x = c.realToScreenX(i * w + min);
        if (!std::isfinite(x) || x < c.screenX0 - 10 || x > c.screenX1 + 10)
            continue;
        p->drawLine(QLineF(x, y0, x, y0 + TickLength));
        // The box is given by its centre.
        text.drawRotatedText(p, 90, QRectF(x, labelTop + labelLength / 2, labelLength, labelH), font,
                             Qt::AlignLeft | Qt::AlignVCenter, 1, labels[k], maxPoint);
    }

    p->setPen(QColor(255, 0, 0));
    drawVLine(p, c.realToScreenX(mean), y0 + 10, c.winY1);
    p->setPen(QColor(200, 200, 0));
    drawVLine(p, c.realToScreenX(mean - sigma), c.winY0, c.winY1);
    drawVLine(p, c.realToScreenX(mean + sigma), c.winY0, c.winY1);
    ui->Num->setText(QString::number(n));
    ui->Mean->setText(QString::number(mean, 'g', 6));
    ui->Sigma->setText(QString::number(sigma, 'g', 6));

    if (ui->ShowStatsInSelectedArea->isChecked()) {
        QPen pen = selPen;
        pen.setColor(QColor(255, 0, 0));
        p->setPen(pen);
        drawVLine(p, c.realToScreenX(selMean), c.winY0 + 10, c.winY1);
        pen.setColor(QColor(200, 200, 0));
        p->setPen(pen);
        drawVLine(p, c.realToScreenX(selMean - selSigma), c.winY0, c.winY1);
        drawVLine(p, c.realToScreenX(selMean + selSigma), c.winY0, c.winY1);
    }
    ui->SelMean->setText(QString::number(selMean, 'g', 6));
    ui->SelSigma->setText(QString::number(selSigma, 'g', 6));

    p->setPen(QColor(0, 200, 200));
    const int mx = plotMouse->curPos.x();
    drawVLine(p, mx, c.winY0, c.winY1);
    const double xv = c.screenToRealX(mx);
    ui->X->setText(QString::number(xv, 'g', 6));
    const int mouseBin = binOf(xv, w);
    // Whole-number ratio: 1 at the tallest bin, 0 elsewhere.
    const int ratio = maxCount > 0 ? histogram.value(mouseBin) / maxCount : 0;
    ui->Val->setText(QString::number(ratio));

    p->setPen(QColor(0, 0, 255));
    drawVLine(p, c.realToScreenX(rangeLo), c.winY0, c.winY1);
    drawVLine(p, c.realToScreenX(rangeHi), c.winY0, c.winY1);

    const int pointedBin = binOf(pointedValue, binWidth);
    p->setPen(QPen(QColor(0, 200, 0), 5));
    drawVLine(p, c.realToScreenX(min + (pointedBin + 0.5) * w),
              c.realToScreenY(histogram.value(pointedBin)), c.realToScreenY(0));
}

void Stats::mousePressed()
{
    const int x = plotMouse->curPos.x();
    draggedLimit = nullptr;
    if (std::fabs(plotCoord->realToScreenX(rangeLo) - x) < 20)
        draggedLimit = &rangeLo;
    if (std::fabs(plotCoord->realToScreenX(rangeHi) - x) < 20)
        draggedLimit = &rangeHi;
}

void Stats::mouseMoved()
{
    if (draggedLimit == nullptr)
        return;
    *draggedLimit = plotCoord->screenToRealX(plotMouse->curPos.x());
    calcSelectedRangeStats();
}

void Stats::mouseReleased()
{
    draggedLimit = nullptr;
    if (rangeHi < rangeLo) {
        std::swap(rangeLo, rangeHi);
        // The picked range follows the exchanged lines.
        calcSelectedRangeStats();
    }
}
