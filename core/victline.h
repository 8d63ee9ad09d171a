#ifndef VICTLINE_H
#define VICTLINE_H

#include "core/physconst.h"
#include "core/spectrum.h"

#include <QPointF>
#include <QVector>

// A pre-edge or post-edge line of an XAFS spectrum: a straight line in energy
// or a Victoreen curve c + b·L^3 + a·L^4 in wavelength L = hc / E, fitted over
// an energy window. A straight line may carry a correction region outside its
// window, held as a sampled cubic Bezier curve in the points of the base.
class VictLine : public Spectrum
{
public:
    static constexpr double hc = PhysConst::Hc;  // eV times Angstrom
    enum { StoredCurve = 2 };

    explicit VictLine(bool preEdge = true);
    // As a new line; the vectors keep their room.
    void restart(bool preEdge);

    // Fits over [lo, hi] of the spectrum's x as its lookups see it. Every fit
    // starts from an empty stored curve with the correction cleared.
    bool fit(const Spectrum &s, double lo, double hi, int linear);
    // The same for a caller that knows s.lookupsAscend(): when it holds, only
    // the window's run of points is read, in the same order.
    bool fit(const Spectrum &s, double lo, double hi, int linear, bool ascends);
    bool fitLinear(const Spectrum &s, bool ascends = false);
    bool fitVictoreen(const Spectrum &s, bool ascends = false);

    double valueAt(double e) const
    {
        if (cubicOn && (cubicAbove ? e > fitHi : e < fitLo))
            return mode == StoredCurve ? y(e) : ((p0 * e + p1) * e + p2) * e + p3;
        return plainValue(e);
    }
    double plainValue(double e) const
    {
        if (linear)
            return slope * e + c;
        const double l = hc / e;
        const double l3 = l * l * l;
        return c + b * l3 + a * l3 * l;
    }

    // valueAt(e[i]) into out[i], i < n.
    void lineValues(const double *e, int n, double *out) const;
    // The same for a caller that knows whether e ascends with no NaN.
    void lineValues(const double *e, int n, double *out, bool ascends) const;

    // The correction region against the other line of the same spectrum:
    // genCurveInPre on the pre-edge line, genCurveInPost on the post-edge line.
    void genCorrected(const VictLine &other);
    void genCurveInPre(const VictLine &post);
    void genCurveInPost(const VictLine &pre);

    bool fitOk;
    int linear;
    double c;
    double b;
    double a;
    double slope;
    double sigma;
    int nPoints;
    double fitLo;
    double fitHi;
    bool cubicOn;
    bool cubicAbove;
    QVector<QPointF> controlPoints;
    int mode;          // StoredCurve: the region reads the stored curve; else the cubic p0..p3
    double p0, p1, p2, p3;
    bool preEdge;      // which builder genCorrected uses

private:
    void clearCorrection();
    // Over the points from .. to - 1 when the caller found the window's run of
    // them, else over every point.
    void updateSigma(const Spectrum &s, bool ascends, int from, int to);
    void storeCurve(const QPointF &c0, const QPointF &c1, const QPointF &c2, const QPointF &c3,
                    bool above);
    // Whether the stored curve's x ascend, as storeCurve wrote them (the
    // points of a line are its stored curve; nothing else writes them).
    bool curveAscends = true;
};

#endif
