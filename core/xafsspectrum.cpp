#include "core/xafsspectrum.h"

#include <QDebug>
#include <QFile>
#include <QStringList>
#include <QTextStream>

#include <cmath>
#include <limits>

#include "core/boundedlinereader.h"
#include "core/globals.h"
#include "core/innerproduct.h"
#include "core/physconst.h"
#include "core/wholefile.h"

namespace {

// A derived value whose denominator is zero, or that is not finite, reads 0
// (a zero denominator gives no finite quotient).
double finiteRatio(double num, double den)
{
    const double r = num / den;
    return std::isfinite(r) ? r : 0.0;
}

QStringList itemsOf(const QString &line)
{
    const QString s = line.simplified();
    return s.isEmpty() ? QStringList() : s.split(QLatin1Char(' '));
}

bool toFinite(const QString &text, double &value)
{
    bool ok = false;
    value = text.toDouble(&ok);
    return ok && std::isfinite(value);
}

} // namespace

// The steepest rise of the smoothed data s across the mean of the two lines.
struct XafsSpectrum::Crossing
{
    int k = 0;  // its point; 0 while there is none
    double bestRise = 0.0;
    static double level(const double *preV, const double *postV, int i)
    {
        return (preV[i] + postV[i]) / 2;
    }
    void at(int i, const double *preV, const double *postV, const double *s)
    {
        atLevel(i, level(preV, postV, i), s);
    }
    void atLevel(int i, double lev, const double *s)
    {
        if (lev > s[i - 1] && s[i + 1] > lev) {
            const double rise = s[i + 1] - s[i - 1];
            if (rise > bestRise) {
                bestRise = rise;
                k = i;
            }
        }
    }
};

XafsSpectrum::XafsSpectrum() : pre(true), post(false)
{
    init(QStringLiteral("No Name"), SuggestElm());
}

XafsSpectrum::XafsSpectrum(const Spectrum &s, const QString &name, int mode, double shift,
                           const SuggestElm &suggest, int derived)
    : Spectrum(s), pre(true), post(false)
{
    begin(name, mode, shift, suggest, derived);
}

void XafsSpectrum::renew(const Spectrum &s, const QString &name, int mode, double shift,
                         const SuggestElm &suggest, int derived)
{
    assignKeepingRoom(s);
    pre.restart(true);
    post.restart(false);
    i0.restart();
    i1.restart();
    // The normalisation sets the points of every derived spectrum; without
    // one they are emptied here.
    for (Spectrum *d : {&normalizedPostBase, &doubleNormalizedPostBase, &normalized,
                        &doubleNormalizedPreBase}) {
        if (count() == 0)
            d->restart();
        else
            d->reset();
    }
    begin(name, mode, shift, suggest, derived);
}

void XafsSpectrum::begin(const QString &name, int mode, double shift, const SuggestElm &suggest,
                         int derived)
{
    init(name, suggest);
    this->mode = mode;
    this->shift = shift;
    if (count() > 0)
        normalize(mode, derived);
}

void XafsSpectrum::init(const QString &name, const SuggestElm &suggest)
{
    this->name = name;
    this->suggest = suggest;
    plainMuT = 1;
    mode = 1;
    reservedLo = -1000.0;
    reservedHi = 1000.0;
    preEnd = suggest.use ? suggest.dPreE : -10.0;
    postStart = suggest.use ? suggest.dPostS : 10.0;
    midx = dMut = shift = 0.0;
    outOfRangeMidx = noisyMidx = false;
}

int XafsSpectrum::normalizeIfNotEmpty(int linear)
{
    if (count() > 0)
        normalize(linear);
    return count();
}

void XafsSpectrum::normalize(int linear, int derived)
{
    outOfRangeMidx = noisyMidx = false;
    smooth(2);
    const int n = count();
    bool xAscend, eAscend;
    takeEnergies(xAscend, eAscend);
    midx = n > 0 ? xAt(edgeGuessIndex(xAscend)) : 0.0;
    fitPrePost(midx, linear, eAscend);

    lineValues(eAscend);
    const double *preV = preAtPoints.constData(), *postV = postAtPoints.constData();
    // The derived spectrum alone reads neither midx nor dMut: it is built in
    // the pass of the edge search.
    const bool together = derived == DerivedPreBase;
    Crossing crossing;
    if (together)
        buildDerived(eAscend, preV, postV, derived, &crossing);
    else
        crossing = crossingOf(preV, postV);
    midx = midxAt(crossing.k, preV, postV);
    dMut = post.valueAt(midx) - pre.valueAt(midx);
    if (!std::isfinite(dMut)) {  // a Victoreen line has no value at E <= 0
        dMut = 0.0;
        noisyMidx = true;
    }
    if (!together)
        buildDerived(eAscend, preV, postV, derived, nullptr);
    checkSuggestion();
}

void XafsSpectrum::takeEnergies(bool &xAscend, bool &eAscend)
{
    const int n = count();
    pointEnergy.resize(n);
    double *e = pointEnergy.data();
    const QPointF *p = points.constData();
    const double off = useOffset ? offset : 0.0;
    bool ascends = true;
    if (n > 0) {
        double last = p[0].x();
        e[0] = last - off;
        int i = 1;
        for (; i + 1 < n; i += 2) {  // two at a time: half the loop's steps
            const double x0 = p[i].x(), x1 = p[i + 1].x();
            e[i] = x0 - off;
            e[i + 1] = x1 - off;
            ascends &= (last <= x0) & (x0 <= x1);
            last = x1;
        }
        if (i < n) {
            e[i] = p[i].x() - off;
            ascends &= last <= p[i].x();
        }
    }
    xAscend = ascends;
    // Shifted by a finite offset, ascending x stay ascending.
    eAscend = ascends && std::isfinite(off);
    if (!eAscend) {
        eAscend = true;
        for (int i = 0; i + 1 < n && eAscend; i++)
            eAscend = e[i] <= e[i + 1];
    }
}

// Index of the steepest rise of the smoothed data inside the edge window.
int XafsSpectrum::edgeGuessIndex(bool xAscend) const
{
    const int n = count();
    if (n <= 1)
        return 0;
    const QPointF *p = points.constData();
    int start = 0;
    int end = n - 1;
    if (suggest.use) {
        const double off = useOffset ? offset : 0.0;
        const double lo = suggest.edgeEV + suggest.dPreE + off;
        const double hi = suggest.edgeEV + suggest.dPostS + off;
        auto mid = [p](int i) { return (p[i].x() + p[i + 1].x()) / 2; };
        // The first i of 1 .. n - 2 with mid(i) above v, else n - 1; over
        // ascending x the mid points ascend too.
        auto firstAbove = [n, mid, xAscend](double v) {
            if (xAscend)
                return firstIndex(1, n - 1, [mid, v](int i) { return mid(i) > v; });
            for (int i = 1; i < n - 1; i++) {
                if (mid(i) > v)
                    return i;
            }
            return n - 1;
        };
        if (mid(0) <= lo)
            start = firstAbove(lo);
        if (mid(0) > hi)
            return 0;
        end = firstAbove(hi);
    }
    if (end <= start)
        return 0;
    int best = 0;
    double bestRise = 0.0;
    if (end < smoothed.size()) {
        const double *s = smoothed.constData();
        auto rise = [&](int i, double r) {
            if (r > bestRise) {
                bestRise = r;
                best = i;
            }
        };
        int i = start;
        for (; i + 1 < end; i += 2) {  // two at a time: half the loop's steps
            const double s1 = s[i + 1];
            rise(i, s1 - s[i]);
            rise(i + 1, s[i + 2] - s1);
        }
        if (i < end)
            rise(i, s[i + 1] - s[i]);
        return best;
    }
    for (int i = start; i < end; i++) {
        const double rise = smoothedAt(i + 1) - smoothedAt(i);
        if (rise > bestRise) {
            bestRise = rise;
            best = i;
        }
    }
    return best;
}

bool XafsSpectrum::fitPrePost(double guess, int linear)
{
    return fitPrePost(guess, linear, lookupsAscend());
}

bool XafsSpectrum::fitPrePost(double guess, int linear, bool ascends)
{
    const int n = count();
    const bool okPre = pre.fit(*this, n > 0 ? xAt(0) : 0.0, guess + preEnd, linear, ascends);
    const bool okPost =
        post.fit(*this, guess + postStart, n > 0 ? xAt(n - 1) : 0.0, linear, ascends);
    const double j = post.valueAt(guess) - pre.valueAt(guess);
    if (j < 0) {
        pre.c += 0.55 * std::fabs(j);
        post.c -= 0.55 * std::fabs(j);
    }
    pre.genCorrected(post);
    post.genCorrected(pre);
    return okPre && okPost;
}

void XafsSpectrum::lineValues(bool eAscend)
{
    const int n = count();
    preAtPoints.resize(n);
    postAtPoints.resize(n);
    const double *e = pointEnergy.constData();
    pre.lineValues(e, n, preAtPoints.data(), eAscend);
    post.lineValues(e, n, postAtPoints.data(), eAscend);
}

double XafsSpectrum::findMidx()
{
    if (smoothed.size() != count())
        smooth(2);
    bool xAscend, eAscend;
    takeEnergies(xAscend, eAscend);
    lineValues(eAscend);
    return findMidx(preAtPoints.constData(), postAtPoints.constData());
}

XafsSpectrum::Crossing XafsSpectrum::crossingOf(const double *preV, const double *postV) const
{
    const double *s = smoothed.constData();
    Crossing c;
    for (int i = 1, n = count(); i < n - 1; i++)
        c.at(i, preV, postV, s);
    return c;
}

double XafsSpectrum::findMidx(const double *preV, const double *postV)
{
    return midxAt(crossingOf(preV, postV).k, preV, postV);
}

double XafsSpectrum::midxAt(int k, const double *preV, const double *postV)
{
    const double *s = smoothed.constData();
    auto level = [preV, postV](int i) { return Crossing::level(preV, postV, i); };
    if (k == 0) {
        noisyMidx = true;
        return midx;
    }

    const int ia = k - 1, ib = k, ic = k + 1;
    const double ea = xAt(ia), eb = xAt(ib), ec = xAt(ic);
    const double da = level(ia) - s[ia];
    const double db = level(ib) - s[ib];
    const double dc = level(ic) - s[ic];
    // Equal levels at neighbouring points leave an estimate undefined; it is skipped.
    const double estimates[3] = {ea + (eb - ea) * da / (da - db), eb + (ec - eb) * db / (db - dc),
                                 ea + (ec - ea) * da / (da - dc)};
    double sum = 0.0;
    int used = 0;
    for (double e : estimates) {
        if (std::isfinite(e)) {
            sum += e;
            used++;
        }
    }
    if (used == 0) {
        noisyMidx = true;
        return midx;
    }
    return sum / used;
}

void XafsSpectrum::buildDerived(bool eAscend, const double *preV, const double *postV,
                                int derived, Crossing *crossing)
{
    const double *e = pointEnergy.constData();
    const int n = count();
    Spectrum *all[4] = {&normalized, &doubleNormalizedPreBase, &normalizedPostBase,
                        &doubleNormalizedPostBase};
    const int bits[4] = {DerivedNormalized, DerivedPreBase, DerivedPostBase, DerivedDoublePostBase};
    QPointF *out[4] = {nullptr, nullptr, nullptr, nullptr};
    for (int k = 0; k < 4; k++) {
        if (derived & bits[k]) {
            // Every point and the range are written below.
            all[k]->points.resize(n);
            if (!all[k]->smoothed.isEmpty())
                all[k]->smoothed.resize(0);
            out[k] = all[k]->points.data();
        } else if (!all[k]->points.isEmpty() || !all[k]->smoothed.isEmpty()) {
            all[k]->clearPoints();
        } else {
            all[k]->resetRange();
        }
    }
    const QPointF *p = points.constData();
    const double jump = dMut;
    RangeScan range[4];
    if (!(derived & DerivedAll)) {
        // Nothing to build.
        return;
    } else if (derived == DerivedPreBase) {
        // What the fits and the edge search read, alone.
        QPointF *o = out[1];
        RangeScan &r = range[1];
        // The lines read once: the points written may share memory with them.
        auto derive = [&](int i, double pv, double qv) {
            const double y = finiteRatio(p[i].y() - pv, qv - pv);
            o[i] = QPointF(e[i], y);
            r.addY(i, y);
        };
        if (crossing && n >= 3) {
            const double *s = smoothed.constData();
            derive(0, preV[0], postV[0]);
            for (int i = 1; i < n - 1; i++) {
                const double pv = preV[i], qv = postV[i];
                derive(i, pv, qv);
                crossing->atLevel(i, (pv + qv) / 2, s);
            }
            derive(n - 1, preV[n - 1], postV[n - 1]);
        } else {
            for (int i = 0; i < n; i++)
                derive(i, preV[i], postV[i]);
        }
        if (eAscend) {
            r.addAscendingX(e, n);
        } else {
            for (int i = 0; i < n; i++)
                r.addX(e[i]);
        }
    } else {
        for (int i = 0; i < n; i++) {
            const double y = p[i].y();
            const double lines = postV[i] - preV[i];
            const double postBase = finiteRatio(y - postV[i], jump);
            const double values[4] = {jump != 0.0 ? postBase + 1.0 : 0.0,
                                      finiteRatio(y - preV[i], lines), postBase,
                                      finiteRatio(y - postV[i], lines)};
            for (int k = 0; k < 4; k++) {
                if (out[k]) {
                    out[k][i] = QPointF(e[i], values[k]);
                    range[k].add(i, e[i], values[k]);
                }
            }
        }
    }
    for (int k = 0; k < 4; k++) {
        if (out[k])
            range[k].storeIn(*all[k]);
    }
}

// With a suggestion in force, an edge outside its window or a jump within the
// noise of both lines gives midx = edgeEV and dMut = 0.
void XafsSpectrum::checkSuggestion()
{
    if (!suggest.use)
        return;
    const double e0 = suggest.edgeEV;
    const double th = suggest.thJumpSigma;
    const bool weak = th * pre.sigma > dMut && th * post.sigma > dMut;
    if (midx < e0 + suggest.dPreE || midx > e0 + suggest.dPostS) {
        outOfRangeMidx = true;
        if (weak)
            noisyMidx = true;
        midx = e0;
        dMut = 0.0;
    } else if (weak || noisyMidx) {
        noisyMidx = true;
        midx = e0;
        dMut = 0.0;
    }
}

double XafsSpectrum::doubleNormalizedPreBaseAt(double e) const
{
    if (std::isnan(e))
        qDebug() << "nan EeV in XafsSpectrum::doubleNormalizedPreBase";
    const Spectrum &d = doubleNormalizedPreBase;
    return d.y(d.useOffset ? e + d.offset : e);
}

double XafsSpectrum::score(double shift, const XafsSpectrum &ref) const
{
    ShiftScratch scratch;
    return score(shift, ref, scratch);
}

double XafsSpectrum::score(double shift, const XafsSpectrum &ref, ShiftScratch &t) const
{
    const int n = count();
    const Spectrum &mine = doubleNormalizedPreBase;
    const Spectrum &d = ref.doubleNormalizedPreBase;
    if (t.ref != &d) {
        t.ref = &d;
        t.refAscending = d.ascending() ? 1 : 0;
        t.refX.clear();
    }
    const int m = d.count();
    if (t.refAscending == 1 && m >= 2) {
        // Spectrum::valuesAt over ascending points, the division of each
        // segment's interpolation taken once per segment: the same values.
        if (t.refX.empty()) {
            t.refX.resize(size_t(m));
            t.refY.resize(size_t(m));
            t.slope.resize(size_t(m - 1));
            for (int k = 0; k < m; k++) {
                t.refX[size_t(k)] = d.xAt(k);
                t.refY[size_t(k)] = d.points[k].y();
            }
            for (int k = 0; k + 1 < m; k++) {
                const double x0 = t.refX[size_t(k)], x1 = t.refX[size_t(k + 1)];
                t.slope[size_t(k)] = x1 == x0 ? 0.0 : (t.refY[size_t(k + 1)] - t.refY[size_t(k)]) / (x1 - x0);
            }
        }
        if (t.sample != this)
            takeSample(t);
        return scoreAscending(shift, ref, t);
    }
    t.q.resize(size_t(n));
    t.want.resize(size_t(n));
    t.b.resize(size_t(n));
    for (int i = 0; i < n; i++) {
        const double e = points[i].x() - shift;
        t.want[size_t(i)] = e >= ref.xMin && e <= ref.xMax;
        t.q[size_t(i)] = d.useOffset ? e + d.offset : e;
    }
    d.valuesAt(t.q.data(), t.want.data(), n, t.b.data(), t.refAscending == 1);
    InnerProduct sum;
    for (int i = 0; i < n; i++) {
        if (t.want[size_t(i)])
            sum.add(i < mine.count() ? mine.points[i].y() : 0.0, t.b[size_t(i)]);
    }
    double c = 0.0;
    sum.normalised(&c);
    return c;
}

// The value at q of segment k of the points x, y with its slope, as
// Spectrum::valuesAt gives it: the mean of both ends where they share x.
static inline double segmentValue(const double *x, const double *y, const double *slope,
                                  ptrdiff_t k, double q)
{
    return x[k + 1] == x[k] ? (y[k] + y[k + 1]) / 2 : slope[k] * (q - x[k]) + y[k];
}

// Spectrum::valuesAt over the ascending reference, the division of each
// segment's interpolation taken once per segment: the same values. The sample
// is read from t.sampleE and t.sampleV, taken by takeSample.
double XafsSpectrum::scoreAscending(double shift, const XafsSpectrum &ref, const ShiftScratch &t)
{
    if (t.sampleAscends)
        return ref.doubleNormalizedPreBase.useOffset ? scoreRun<true>(shift, ref, t)
                                                     : scoreRun<false>(shift, ref, t);
    const Spectrum &d = ref.doubleNormalizedPreBase;
    const int m = int(t.refX.size());
    const double *X = t.refX.data(), *Y = t.refY.data(), *slope = t.slope.data();
    const double first = X[0], last = X[m - 1];
    const double lo = ref.xMin, hi = ref.xMax;
    const bool useOffset = d.useOffset;
    const double offset = d.offset;
    const double *E = t.sampleE.data(), *V = t.sampleV.data();
    const int n = int(t.sampleE.size());
    // at: the segment of the last query, walked on while the queries ascend.
    const double *at = X;
    const double *const end = X + (m - 1);
    InnerProduct sum;
    for (int i = 0; i < n; i++) {
        const double e = E[i] - shift;
        // A NaN energy lies in no range: it is not looked up.
        if (!(e >= lo && e <= hi))
            continue;
        const double q = useOffset ? e + offset : e;
        const double *x;
        if (q <= first) {
            x = X;
        } else if (!(q < last)) {
            x = end - 1;
        } else {
            if (*at > q)
                at = X;
            while (at[1] <= q)
                at++;
            x = at;
        }
        sum.add(V[i], segmentValue(X, Y, slope, x - X, q));
    }
    double c = 0.0;
    sum.normalised(&c);
    return c;
}

// scoreAscending for sample energies that ascend with no NaN: the points within
// the reference's range are one run, their lookups ascend, and they fall into
// three parts in turn: at or before the first x, between, at or after the last.
// The same lookups, values and order of summation.
template<bool UseOffset>
double XafsSpectrum::scoreRun(double shift, const XafsSpectrum &ref, const ShiftScratch &t)
{
    const double offset = ref.doubleNormalizedPreBase.offset;
    const int m = int(t.refX.size());
    const double *X = t.refX.data(), *Y = t.refY.data(), *slope = t.slope.data();
    const double first = X[0], last = X[m - 1];
    const double lo = ref.xMin, hi = ref.xMax;
    const double *E = t.sampleE.data(), *V = t.sampleV.data();
    const auto query = [&](int i) {
        const double e = E[i] - shift;
        return UseOffset ? e + offset : e;
    };
    int i = 0;
    int end = int(t.sampleE.size());
    while (i < end && !(E[i] - shift >= lo))
        i++;
    while (end > i && !(E[end - 1] - shift <= hi))
        end--;
    const auto atLastSegment = [&](double q) { return !(q <= first) && !(q < last); };
    int middleEnd = end;
    while (middleEnd > i && atLastSegment(query(middleEnd - 1)))
        middleEnd--;
    InnerProduct sum;
    for (; i < middleEnd; i++) {
        const double q = query(i);
        if (!(q <= first))
            break;
        sum.add(V[i], segmentValue(X, Y, slope, 0, q));
    }
    // Between the ends no segment has equal x: x[k] <= q < x[k + 1].
    int k = 0;
    for (; i < middleEnd; i++) {
        const double q = query(i);
        while (X[k + 1] <= q)
            k++;
        sum.add(V[i], slope[k] * (q - X[k]) + Y[k]);
    }
    for (; i < end; i++)
        sum.add(V[i], segmentValue(X, Y, slope, m - 2, query(i)));
    double c = 0.0;
    sum.normalised(&c);
    return c;
}

void XafsSpectrum::takeSample(ShiftScratch &t) const
{
    const int n = count();
    const int na = doubleNormalizedPreBase.count();
    const QPointF *p = points.constData();
    const QPointF *a = doubleNormalizedPreBase.points.constData();
    t.sampleE.resize(size_t(n));
    t.sampleV.resize(size_t(n));
    bool ascends = true;
    for (int i = 0; i < n; i++) {
        t.sampleE[size_t(i)] = p[i].x();
        t.sampleV[size_t(i)] = i < na ? a[i].y() : 0.0;
        if (!(i == 0 || t.sampleE[size_t(i - 1)] <= t.sampleE[size_t(i)]))
            ascends = false;
    }
    // A NaN fails every comparison, also the one with the point after it.
    t.sampleAscends = ascends && (n == 0 || !std::isnan(t.sampleE.back()));
    t.sample = this;
}

bool XafsSpectrum::shiftSearchUsable(double range, double step, double minStep)
{
    const auto positive = [](double v) { return std::isfinite(v) && v > 0; };
    return std::isfinite(range) && positive(step) && positive(minStep);
}

// Every pass scans around the same centre, midx - ref's midx, ten times finer
// than the one before, until the step falls below minStep.
double XafsSpectrum::bestShift(const XafsSpectrum &ref, double range, double step,
                               double minStep) const
{
    ShiftScratch scratch;
    return bestShift(ref, range, step, minStep, scratch);
}

double XafsSpectrum::bestShift(const XafsSpectrum &ref, double range, double step,
                               double minStep, ShiftScratch &scratch) const
{
    if (step < minStep)
        return 0.0;
    if (!shiftSearchUsable(range, step, minStep)) {
        qDebug() << "XafsSpectrum::bestShift: step and minStep must be positive and finite, range "
                    "finite"
                 << range << step << minStep;
        return 0.0;
    }
    const double centre = midx - ref.midx;
    // Without both edge positions there is nothing to search around.
    if (!std::isfinite(centre))
        return std::numeric_limits<double>::quiet_NaN();
    double best = -1e300;
    double result = 0.0;
    qint64 trials = 0;
    bool capped = false;
    // This spectrum's points are read from the scratch for the whole search.
    takeSample(scratch);
    while (step >= minStep && !capped) {
        // A step far below the range would take hours: widen it for this pass.
        if (std::fabs(range) / step > MaxShiftTrialsPerPass / 2) {
            step = std::fabs(range) / (MaxShiftTrialsPerPass / 2);
            capped = true;
        }
        for (double d = -range; d <= range; d += step) {
            const double s = centre + d;
            const double sc = score(s, ref, scratch);
            if (sc > best) {
                best = sc;
                result = s;
            }
            if (++trials >= MaxShiftTrials) {
                capped = true;
                break;
            }
        }
        range *= 0.1;
        step *= 0.1;
    }
    scratch.sample = nullptr;
    if (capped)
        logDebug(QString("XafsSpectrum::bestShift: search cut at %1 trial shifts (range %2, "
                         "step %3, min step %4)")
                     .arg(trials).arg(range * 10).arg(step * 10).arg(minStep));
    return result;
}

bool XafsSpectrum::is9809(QTextStream &stream)
{
    stream.seek(0);
    QString line;
    if (!BoundedLineReader::readLine(stream, line, QStringLiteral("XafsSpectrum::is9809")))
        return false;
    return line.simplified().left(4) == QLatin1String("9809");
}

bool XafsSpectrum::isPlainMuT(const QString &fileName)
{
    BoundedLineReader in(fileName);
    QString line;
    if (!in.open(QStringLiteral("XafsSpectrum::isPlainMuT")) || !in.readLine(line))
        return true;
    return line.simplified().left(4) != QLatin1String("9809");
}

// Lines whose first two items are numbers are points (x, y); others are skipped.
bool XafsSpectrum::readPlain(const QString &fileName)
{
    clearPoints();
    BoundedLineReader in(fileName);
    if (!in.open(QStringLiteral("XafsSpectrum::readPlain"))) {
        qDebug() << "cannot open xafs spectrum file" << fileName << ":" << in.errorString();
        return false;
    }
    QString line;
    while (in.readLine(line)) {
        const QStringList items = itemsOf(line);
        if (items.size() < 2 || items[0].startsWith(QLatin1Char('#')))
            continue;
        double x, y;
        if (toFinite(items[0], x) && toFinite(items[1], y))
            addPoint(x, y);
    }
    if (in.failed()) {
        clearPoints();
        return false;
    }
    if (count() == 0)
        qDebug() << "no data points in xafs spectrum file" << fileName;
    return count() > 0;
}

bool XafsSpectrum::read9809(const QString &fileName)
{
    clearPoints();
    i0.clearPoints();
    i1.clearPoints();
    BoundedLineReader in(fileName);
    if (!in.open(QStringLiteral("XafsSpectrum::read9809"))) {
        qDebug() << "cannot open 9809 file" << fileName << ":" << in.errorString();
        return false;
    }
    double d = PhysConst::DefaultSpacing;
    bool inHeader = true;
    int skipped = 0;
    QString line;
    while (in.readLine(line)) {
        const QStringList items = itemsOf(line);
        if (inHeader) {
            for (int k = 0; k + 1 < items.size(); k++) {
                double v;
                if (items[k] == QLatin1String("D=") && toFinite(items[k + 1], v) && v > 0.0)
                    d = v;
            }
            if (!items.isEmpty() && items.first() == QLatin1String("Offset"))
                inHeader = false;
            continue;
        }
        if (items.size() <= 4)
            continue;
        double theta, vI0, vI1;
        if (!toFinite(items[1], theta) || !toFinite(items[3], vI0) || !toFinite(items[4], vI1)) {
            skipped++;
            continue;
        }
        const double radians = theta * PhysConst::BraggPi / PhysConst::HalfTurnDeg;
        const double e = PhysConst::Hc / (2.0 * d * std::sin(radians));
        if (!std::isfinite(e) || e <= 0.0) {
            skipped++;
            continue;
        }
        const double mut = vI0 * vI1 > 0.0 ? std::log(vI0 / vI1) : 1.0;
        addPoint(e, mut);
        i0.addPoint(e, vI0);
        i1.addPoint(e, vI1);
    }
    if (in.failed()) {
        clearPoints();
        i0.clearPoints();
        i1.clearPoints();
        return false;
    }
    if (skipped > 0)
        qDebug() << "9809 file" << fileName << ": skipped" << skipped
                 << "data lines without a valid angle or intensity";
    if (count() == 0)
        qDebug() << "no data points in 9809 file" << fileName;
    return count() > 0;
}

bool XafsSpectrum::load(const QString &fileName)
{
    qDebug() << "loading in xafs spectrum" << fileName;
    plainMuT = isPlainMuT(fileName) ? 1 : 0;
    if (plainMuT) {
        qDebug() << "mute";
        return readPlain(fileName);
    }
    qDebug() << "9809";
    return read9809(fileName);
}

bool XafsSpectrum::loadAndNormalize(const QString &fileName)
{
    const bool ok = load(fileName);
    if (ok && count() > 0)
        normalize(mode);
    return ok;
}

bool XafsSpectrum::save(const QString &fileName, bool withShift) const
{
    WholeFile f(fileName);
    if (!f.open())
        return false;
    QTextStream &out = f.stream();
    out << "###Vantoscope::XafsSpectrum\n";
    out << "# midx    : " << midx << "\n";
    out << "# dMut    : " << dMut << "\n";
    out << "# pre   vic : " << pre.c << " " << pre.slope << " " << pre.b << " " << pre.a << "\n";
    out << "# poste vic : " << post.c << " " << post.slope << " " << post.b << " " << post.a
        << "\n";
    out << "#\n";
    out << "# x  double-normalized-pre-base y pre post\n";
    const Spectrum &dn = doubleNormalizedPreBase;
    const double xShift = withShift ? shift : 0.0;
    for (int i = 0; i < count(); i++) {
        const double e = xAt(i);
        out << e - xShift << '\t' << (i < dn.count() ? dn.points[i].y() : 0.0) << '\t'
            << points[i].y() << '\t' << pre.valueAt(e) << '\t' << post.valueAt(e) << "\n";
    }
    return f.commit();
}
