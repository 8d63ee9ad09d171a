// The Analyzer2 panel and its dark-point check: a histogram of every I1
// pixel value and the pixels that read above a threshold in every frame,
// compared with the program-wide bad-pixel list.
#include <QDebug>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QTextStream>
#include <cmath>

#include "analysis/ui/analyzer2.h"
#include "core/globals.h"
#include "core/wholefile.h"
#include "display/widgethelpers.h"
#include "imagedata/errpoints.h"
#include "imagedata/tiffdata.h"
#include "mainwindow/body.h"
#include "ui_body.h"

namespace {

const char *const HistogramFile = "dark-hg-all.dat";
const char *const PointsFile = "dark-allDarkPoints.dat";
const char *const CountsFile = "dark-allDarkPointNums.dat";
const char *const OnlyInPointsFile = "dark-allDarkPoints-onlyInPs1.dat";
const char *const OnlyInErrPointsFile = "dark-allDarkPoints-onlyInErrPs.dat";

struct DarkPoint
{
    int x;
    int y;
    double sum;
};

// One key per point, its bits mixed (a bijection): qHash of a 64-bit value
// folds the halves together, which would put the points of a detector into
// a few thousand buckets.
quint64 pointKey(int x, int y)
{
    quint64 k = (quint64(quint32(x)) << 32) | quint32(y);
    k = (k ^ (k >> 30)) * 0xbf58476d1ce4e5b9ULL;
    k = (k ^ (k >> 27)) * 0x94d049bb133111ebULL;
    return k ^ (k >> 31);
}


} // namespace

void Body::setupAnalyzer2()
{
    analyzer2 = new Analyzer2;
    ui->ShowAnalyzer2->setVisible(showAnalyzer2Button);
    showOnClick(ui->ShowAnalyzer2, analyzer2);
    connect(analyzer2, &Analyzer2::startCollectQInfo, this, &Body::startCollectQInfo);
    connect(this, &Body::doCollectQInfo, analyzer2, &Analyzer2::doCollectQInfo);
    connect(analyzer2, &Analyzer2::askedDarkCheck, this, &Body::darkCheck);
}

void Body::startCollectQInfo() {}

void Body::darkCheck()
{
    if (i1Frames.isEmpty())
        return;
    if (darkHistogram())
        findDarkPoints();
}

bool Body::darkHistogram()
{
    const double max = analyzer2->histgMaxEdit()->text().toDouble();
    bool ok = false;
    const int bins = analyzer2->histgBinsEdit()->text().toInt(&ok);
    return writeDarkHistogram(i1Frames, max, ok ? bins : -1);
}

void Body::findDarkPoints()
{
    writeDarkPoints(i1Frames, analyzer2->darkThEdit()->text().toDouble(), globalErrPoints);
}

bool Body::writeDarkHistogram(const QVector<TiffData *> &frames, double max, int bins)
{
    if (!(max > 0) || !std::isfinite(max)) {
        qDebug() << "Dark check: the histogram maximum must be a positive number, not" << max;
        return false;
    }
    // With 0 bins one counter takes every value.
    if (bins < 0 || bins > MaxDarkBins) {
        qDebug() << "Dark check: the number of bins must lie in 0 ..." << MaxDarkBins << ", not"
                 << bins;
        return false;
    }
    const double min = 0;
    QVector<qint64> counts(bins + 1, 0);
    for (const TiffData *f : frames) {
        if (!f)
            continue;
        const int w = int(f->width), h = int(f->height);
        for (int y = 0; y < h; y++) {
            for (int x = 0; x < w; x++) {
                const double v = f->pixelValue(x, y);
                if (std::isnan(v))
                    continue;
                // In floating point: a value far above max cannot overflow an int.
                const double s = (v - min) / (max - min) * bins;
                const int slot = s >= bins ? bins : (s > 0 ? int(s) : 0);
                counts[slot]++;
            }
        }
    }

    // A file that can not be written is left out; the points are still looked for.
    WholeFile file(QString::fromLatin1(HistogramFile));
    if (!file.open())
        return true;
    QTextStream &out = file.stream();
    out << QString("# min, max = (%1, %2)  bins = %3\n")
               .arg(QString::number(min, 'g', 6), QString::number(max, 'g', 6))
               .arg(bins);
    const double width = (max - min) / bins;
    double lo = min;
    for (int i = 0; i <= bins; i++) {
        out << i << "\t" << lo << "\t" << counts[i] << "\n";
        lo += width;
    }
    file.commit();
    return true;
}

int Body::writeDarkPoints(const QVector<TiffData *> &frames, double th, const ErrPoints &known)
{
    if (frames.isEmpty() || !frames.first())
        return 0;
    const TiffData *first = frames.first();
    const int w = int(first->width), h = int(first->height);

    QVector<DarkPoint> points;
    for (int y = 0; y < h; y++) {
        for (int x = 0; x < w; x++) {
            const double v = first->pixelValue(x, y);
            if (v > th)
                points.append({x, y, v});
        }
    }
    QVector<int> counts;
    counts << points.size();
    for (int i = 1; i < frames.size(); i++) {
        const TiffData *f = frames[i];
        QVector<DarkPoint> kept;
        kept.reserve(points.size());
        for (const DarkPoint &p : points) {
            const double v = f ? f->pixelValue(p.x, p.y) : 0.0;
            if (v > th)
                kept.append({p.x, p.y, p.sum + v});
        }
        points.swap(kept);
        counts << points.size();
    }
    if (points.isEmpty())
        return 0;

    // Each file whole or not at all; one that can not be written is left out.
    WholeFile all(QString::fromLatin1(PointsFile));
    if (all.open()) {
        QTextStream &out = all.stream();
        out << "# Size " << w << "\t" << h << "\n";
        for (const DarkPoint &p : points)
            out << p.x << "\t" << p.y << "\t" << p.sum << "\n";
        all.commit();
    }

    WholeFile nums(QString::fromLatin1(CountsFile));
    if (nums.open()) {
        QTextStream &out = nums.stream();
        for (int i = 0; i < counts.size(); i++)
            out << i << "\t" << counts[i] << "\n";
        nums.commit();
    }

    // Membership by both coordinates, looked up in sets; the lists keep their order.
    QSet<quint64> knownSet;
    knownSet.reserve(known.points.size());
    for (const QPoint &p : known.points)
        knownSet.insert(pointKey(p.x(), p.y()));
    QSet<quint64> foundSet;
    foundSet.reserve(points.size());
    for (const DarkPoint &p : points)
        foundSet.insert(pointKey(p.x, p.y));

    WholeFile onlyFound(QString::fromLatin1(OnlyInPointsFile));
    if (onlyFound.open()) {
        QTextStream &out = onlyFound.stream();
        for (const DarkPoint &p : points) {
            if (!knownSet.contains(pointKey(p.x, p.y)))
                out << p.x << "\t" << p.y << "\n";
        }
        onlyFound.commit();
    }

    WholeFile onlyKnown(QString::fromLatin1(OnlyInErrPointsFile));
    if (onlyKnown.open()) {
        QTextStream &out = onlyKnown.stream();
        for (const QPoint &p : known.points) {
            if (!foundSet.contains(pointKey(p.x(), p.y())))
                out << p.x() << "\t" << p.y() << "\n";
        }
        onlyKnown.commit();
    }
    return points.size();
}
