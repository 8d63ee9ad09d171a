// Drawing over the image, the read-outs and profiles at the pointer, the
// services on the shown result map and the statistics hook-up.
#include "mainwindow/body.h"

#include <QDebug>
#include <QPainter>
#include <QTimer>
#include <cmath>

#include "analysis/ui/analyzer.h"
#include "core/stringutil.h"
#include "display/colorbar.h"
#include "display/crosssview.h"
#include "display/imgdispa.h"
#include "display/widgethelpers.h"
#include "imagedata/tiffdata.h"
#include "imagedata/ui/selectdatafiles.h"
#include "ui_body.h"

namespace {

int toInt(double v) { return ChCoord::toInt(v); }

// A map's value at (x, y) as it is shown: its processed copy while that is
// displayed; 0 outside the map.
double shownValue(const Analyzed2DRes *map, int x, int y)
{
    return map->shownValue(x, y);
}

// |half size| typed in a field, at most the image's extent n: a larger box
// covers the image all the same, and 2 h + 1 stays far from overflow.
qint64 boxHalf(const QString &text, int n)
{
    const qint64 h = qAbs(qint64(text.toInt(nullptr, 10)));
    return qMin(h, qint64(qMax(n, 1)));
}

// A screen coordinate truncated toward zero in 64 bits; NaN gives 0.
qint64 screenInt(double v)
{
    if (std::isnan(v))
        return 0;
    return qint64(qBound(-4.0e18, v, 4.0e18));
}

// The rectangle of image pixels (x, y, w, h) on the display's screen,
// computed in 64 bits and clipped to a margin around the display: its edges
// outside the display are not seen, and no coordinate nears the ends of int.
QRect screenRect(const ChCoord &c, double x, double y, double w, double h)
{
    const qint64 margin = 8;   // beyond the widest pen
    auto clip = [margin](qint64 v, double a, double b) {
        const qint64 lo = screenInt(qMin(a, b)) - margin, hi = screenInt(qMax(a, b)) + margin;
        return qBound(lo, v, hi);
    };
    const qint64 X = screenInt(c.realToScreenX(x)), Y = screenInt(c.realToScreenY(y));
    const qint64 X1 = X + screenInt(c.realToScreenLengthX(w));
    const qint64 Y1 = Y + screenInt(c.realToScreenLengthY(h));
    const qint64 cx = clip(X, c.screenX0, c.screenX1), cy = clip(Y, c.screenY0, c.screenY1);
    return QRect(int(cx), int(cy), int(clip(X1, c.screenX0, c.screenX1) - cx),
                 int(clip(Y1, c.screenY0, c.screenY1) - cy));
}

} // namespace

// -- Analysis area

QRectF Body::analysisArea() const
{
    if (imageWidth < 1 || imageHeight < 1)
        return QRectF();
    const ImgDispA *d = ui->dispA;
    QRectF area = d->areaValid ? QRectF(d->areaX, d->areaY, d->areaW, d->areaH).normalized()
                               : QRectF(d->viewX, d->viewY, d->viewW, d->viewH);
    if (!std::isfinite(area.x()) || !std::isfinite(area.y()) || !std::isfinite(area.width())
        || !std::isfinite(area.height()))
        return QRectF();
    // Walked as it is: the grid starts at the area's corner, on the image or not.
    if (!area.intersects(QRectF(0, 0, imageWidth, imageHeight)))
        return QRectF();
    return area;
}

// The area that analyses use: the selected one's corners, or the whole view.
void Body::showSelectedArea()
{
    const ImgDispA *d = ui->dispA;
    if (!d->selecting && !d->areaValid) {
        ui->BoxSize->setText(tr("Whole view"));
        return;
    }
    const int x = toInt(d->areaX), y = toInt(d->areaY);
    const int x1 = toInt(d->areaX + d->areaW), y1 = toInt(d->areaY + d->areaH);
    ui->BoxSize->setText(QString::asprintf("(% 4d, % 4d)-(% 4d, % 4d)", x, y, x1, y1));
}

// -- Overlay

void Body::draw(QPainter *p)
{
    ImgDispA *d = ui->dispA;
    const ChCoord &c = d->coord;
    const qint64 hw = boxHalf(ui->HWidth->text(), imageWidth);
    const qint64 hh = boxHalf(ui->VWidth->text(), imageHeight);
    // Whatever changed what is shown may have changed what a save writes.
    refreshSaveReason();
    // No image, no mapping onto it: nothing is marked over a blank view.
    if (!d->showsImage())
        return;

    p->setPen(QPen(QColor(255, 0, 0), 2));
    p->drawRect(screenRect(c, double(currentX - hw), double(currentY - hh), double(2 * hw + 1),
                           double(2 * hh + 1)));

    p->setPen(QPen(QColor(192, 192, 0), 1));
    p->drawLine(toInt(c.realToScreenX(currentX)), toInt(c.realToScreenY(0)),
                toInt(c.realToScreenX(currentX)), toInt(c.realToScreenY(imageHeight)));
    p->drawLine(toInt(c.realToScreenX(0)), toInt(c.realToScreenY(currentY)),
                toInt(c.realToScreenX(imageWidth)), toInt(c.realToScreenY(currentY)));

    if (d->selecting || d->areaValid) {
        p->setPen(QColor(192, 192, 255));
        p->drawRect(screenRect(c, d->areaX, d->areaY, d->areaW, d->areaH));
    }
    if (i0DarkAreaOn) {
        p->setPen(QColor(192, 255, 192));
        p->drawRect(screenRect(c, i0DarkArea.x(), i0DarkArea.y(), i0DarkArea.width(),
                               i0DarkArea.height()));
    }
    if (i1DarkAreaOn) {
        p->setPen(QColor(255, 192, 192));
        p->drawRect(screenRect(c, i1DarkArea.x(), i1DarkArea.y(), i1DarkArea.width(),
                               i1DarkArea.height()));
    }
    ui->CBar->update();
#if !VANTOSCOPE_CLASSIC
    drawStatsMarks(p);
    if (!analyzing)
        scheduleStatsRefresh();
#endif
}

void Body::showXafsSpectrum(double x, double y)
{
    currentX = toInt(x);
    currentY = toInt(y);
    showXafsSpectrum();
}

// -- Read-outs and profiles

void Body::onMouseMovedInDispA()
{
    ImgDispA *d = ui->dispA;
    const int ix = toInt(d->pointX());
    const int iy = toInt(d->pointY());
    const int hw = ui->HWidth->text().toInt(nullptr, 10);
    const int hh = ui->VWidth->text().toInt(nullptr, 10);
    const bool fromI1 = showingI1();

    ui->HCross->profile = rowProfile(iy, 1, hh, fromI1);
    ui->HCross->markerPos = ix;
    ui->VCross->profile = columnProfile(ix, hw, 1, fromI1);
    ui->VCross->markerPos = iy;
    ui->HCross->update();
    ui->VCross->update();

    if (ui->ShowResAnalysis->isChecked()) {
        // No number beside a view that shows no map.
        const Analyzed2DRes *map = analyzer->currentMap();
        if (map && d->showsImage()) {
            const double v = shownValue(map, ix, iy);
            ui->Value->setText(withThousandsSep(QString("%1").arg(v, 0, 'g', 2)));
        } else {
            ui->Value->clear();
        }
    } else if (const TiffData *f = shownFrame()) {
        ui->Value->setText(withThousandsSep(QString("%1").arg(f->pixelValue(ix, iy), 0, 'g', 4)));
    } else {
        ui->Value->clear();
    }
    if (darkFrame)
        ui->DarkValue->setText(withThousandsSep(QString::number(darkFrame->pixelValue(ix, iy), 'g', 6)));
}

Spectrum Body::rowProfile(int y, int hw, int hh, bool fromI1) const
{
    Spectrum s;
    const QVector<TiffData *> &frames = fromI1 ? i1Frames : i0Frames;
    const int i = shownPanel()->currentIndex();
    if (i < 0 || i >= frames.size() || imageWidth < 1 || y < 0 || y >= imageHeight)
        return s;
    const TiffData *f = frames[i];
    const bool fluo = ui->FluoType->isChecked();
    for (int x = 0; x < imageWidth; x++) {
        double v = f->boxSum(x, y, hw, hh);
        if (fromI1) {
            const double i0 = boxSumAtEnergy(i0ByEnergy, f->energy, x, y, hw, hh);
            v = fluo ? v / i0 : (v * i0 > 0 ? std::log(i0 / v) : 1.0);
        }
        s.addPoint(x, v);
    }
    return s;
}

Spectrum Body::columnProfile(int x, int hw, int hh, bool fromI1) const
{
    Spectrum s;
    const QVector<TiffData *> &frames = fromI1 ? i1Frames : i0Frames;
    const int i = shownPanel()->currentIndex();
    if (i < 0 || i >= frames.size() || imageHeight < 1 || x < 0 || x >= imageWidth)
        return s;
    const TiffData *f = frames[i];
    const bool fluo = ui->FluoType->isChecked();
    for (int y = 0; y < imageHeight; y++) {
        double v = f->boxSum(x, y, hw, hh);
        if (fromI1) {
            const double i0 = boxSumAtEnergy(i0ByEnergy, f->energy, x, y, hw, hh);
            v = fluo ? v / i0 : (v * i0 > 0 ? std::log(i0 / v) : 1.0);
        }
        s.addPoint(imageHeight - y, v);
    }
    return s;
}

// -- The shown result map

void Body::deglitch()
{
    Analyzed2DRes *map = analyzer->currentMap();
    if (!map)
        return;
    map->setDeglitchConds(ui->DeGlitchFactor->text().toDouble(),
                          ui->DeGlitchRatio->text().toDouble());
    map->colorScale = ui->CBar->scale();
    map->selectProcImg(true);
    map->genImg();
    map->deglitch();
    ui->dispA->update();
}

void Body::showAnalyzedVals()
{
    const Analyzed2DRes *map = analyzer->currentMap();
    if (!map)
        return;
    qDebug() << "vals of" << map->name;
    const int w = map->hasData() ? map->area.width : 0;
    const int h = map->hasData() ? map->area.height : 0;
    for (int y = 0; y < h; y++) {
        for (int x = 0; x < w; x++) {
            qDebug().noquote() << QString::asprintf("%4d %4d %15.6f %15.6f", x, y, map->value(x, y),
                                                    map->processedValue(x, y));
        }
    }
}

#if !VANTOSCOPE_CLASSIC
// -- Statistics

bool Body::StatsKey::operator==(const StatsKey &o) const
{
    return map == o.map && data == o.data && min == o.min && max == o.max && procMin == o.procMin
           && procMax == o.procMax && proc == o.proc && area == o.area && halfW == o.halfW
           && halfH == o.halfH && width == o.width && height == o.height && lo == o.lo
           && hi == o.hi;
}

Analyzed2DRes *Body::statsMap() const
{
    Analyzed2DRes *map = analyzer ? analyzer->currentMap() : nullptr;
    return map && map->hasData() ? map : nullptr;
}

Body::StatsKey Body::statsKeyOf(const Analyzed2DRes *map) const
{
    StatsKey k;
    if (!map)
        return k;
    k.map = map;
    k.data = map->data;
    k.min = map->min;
    k.max = map->max;
    k.procMin = map->procMin;
    k.procMax = map->procMax;
    k.proc = map->useProcImg;
    k.area = analysisArea();
    k.halfW = ui->HWidth->text().toInt(nullptr, 10);
    k.halfH = ui->VWidth->text().toInt(nullptr, 10);
    if (!i1Frames.isEmpty()) {
        k.width = int(i1Frames.first()->width);
        k.height = int(i1Frames.first()->height);
    }
    return k;
}

void Body::setupStats()
{
    statsRangeOn = false;
    statsRangeLo = 0;
    statsRangeHi = 1.0;
    connect(ui->ShowStatistics, &QPushButton::clicked, this, &Body::showStatistics);
    showOnClick(ui->ShowStatistics, &stats);
    connect(&stats, &Stats::rangeSelected, this, &Body::selectedRangeInStats);
    connect(ui->dispA, &ImgDispA::mouseMoved, &stats, &Stats::pointedAt);
}

void Body::showStatistics()
{
    Analyzed2DRes *map = statsMap();
    if (!map)
        return;
    AnalyzeCond area;
    if (!askAnalyzeCond(area))
        return;
    statsComputedKey = statsKeyOf(map);
    stats.calcStats(map, area);
}

void Body::selectedRangeInStats()
{
    const double lo = stats.selectedLo();
    const double hi = stats.selectedHi();
    const bool shown = stats.showOverImage();
    if (statsRangeOn && lo == statsRangeLo && hi == statsRangeHi && shown == statsMarksShown)
        return;
    statsRangeLo = lo;
    statsRangeHi = hi;
    statsRangeOn = true;
    statsMarksShown = shown;
    ui->dispA->update();
}

void Body::scheduleStatsRefresh()
{
    // Statistics are kept current only while their window is open; until the
    // user asks for them nothing is marked.
    if (!stats.isVisible() || statsRefreshPending || statsKeyOf(statsMap()) == statsComputedKey)
        return;
    statsRefreshPending = true;
    QTimer::singleShot(0, this, &Body::refreshStatsIfChanged);
}

void Body::refreshStatsIfChanged()
{
    statsRefreshPending = false;
    if (analyzing)
        return;
    Analyzed2DRes *map = statsMap();
    const StatsKey k = statsKeyOf(map);
    if (k == statsComputedKey)
        return;
    if (!map) {
        statsComputedKey = k;
        return;
    }
    showStatistics();
    // An area that cannot be walked is not tried again until it changes.
    statsComputedKey = k;
}

void Body::buildStatsMarks(Analyzed2DRes *map)
{
    statsMarks.clear();
    AnalyzeCond c;
    if (!askAnalyzeCond(c))
        return;
    // Blocks of no extent draw nothing.
    const double w = 2.0 * c.halfW, h = 2.0 * c.halfH;
    if (w == 0 || h == 0)
        return;
    const int limit = c.centreCount();
    int n = 0;
    do {
        const double v = map->value(c.x, c.y);
        if (statsRangeLo <= v && v <= statsRangeHi)
            statsMarks << QRectF(double(c.x) - c.halfW, double(c.y) - c.halfH, w, h);
    } while (++n < limit && c.next());
}

void Body::drawStatsMarks(QPainter *p)
{
    if (!statsRangeOn || !stats.showOverImage())
        return;
    Analyzed2DRes *map = statsMap();
    if (!map)
        return;
    StatsKey k = statsKeyOf(map);
    k.lo = statsRangeLo;
    k.hi = statsRangeHi;
    if (k != statsMarksKey) {
        buildStatsMarks(map);
        statsMarksKey = k;
    }
    const ChCoord &c = ui->dispA->coord;
    p->setPen(QColor(255, 200, 200));
    p->setBrush(Qt::NoBrush);
    for (const QRectF &r : statsMarks) {
        const QRect s = screenRect(c, r.x(), r.y(), r.width(), r.height());
        if (s.width() > 0 && s.height() > 0)
            p->drawRect(s.adjusted(0, 0, -1, -1));
    }
}
#endif
