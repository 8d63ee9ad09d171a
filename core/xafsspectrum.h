#ifndef XAFSSPECTRUM_H
#define XAFSSPECTRUM_H

#include "core/spectrum.h"
#include "core/suggestelm.h"
#include "core/victline.h"

#include <QMetaType>
#include <QString>

#include <vector>

class QTextStream;

// An absorption spectrum (mu-t against energy in eV) with its pre- and
// post-edge lines, edge position midx, edge jump dMut and derived spectra.
// Passed by value through queued signals; copies share the point vectors.
class XafsSpectrum : public Spectrum
{
public:
    // The derived spectra a normalisation builds; those left out stay empty.
    enum Derived {
        DerivedNormalized = 1,
        DerivedPreBase = 2,       // doubleNormalizedPreBase
        DerivedPostBase = 4,      // normalizedPostBase
        DerivedDoublePostBase = 8,
        DerivedAll = 15
    };

    XafsSpectrum();
    XafsSpectrum(const Spectrum &s, const QString &name, int mode = 1, double shift = 0.0,
                 const SuggestElm &suggest = SuggestElm(), int derived = DerivedAll);

    void init(const QString &name, const SuggestElm &suggest);
    // The same as constructing from these arguments, in place: the vectors
    // keep their room (a thread that normalises spectrum after spectrum).
    void renew(const Spectrum &s, const QString &name, int mode, double shift,
               const SuggestElm &suggest, int derived);

    // Smooths, guesses the edge, fits both lines, finds midx and dMut and
    // rebuilds the derived spectra. linear: 1 straight lines, 0 Victoreen.
    void normalize(int linear, int derived = DerivedAll);
    // Normalises only a spectrum with points; returns the point count.
    int normalizeIfNotEmpty(int linear);
    bool fitPrePost(double guess, int linear);
    // The same for a caller that knows lookupsAscend().
    bool fitPrePost(double guess, int linear, bool ascends);
    // Where the smoothed data cross the mean of the two lines. Without such a
    // crossing the current midx (the guess) is kept and noisyMidx is set.
    double findMidx();

    double score(double shift, const XafsSpectrum &ref) const;
    // Trial shifts of one pass and of a whole search at most; a search that
    // would take more is cut with a debug line.
    static constexpr int MaxShiftTrialsPerPass = 20000;
    static constexpr qint64 MaxShiftTrials = 200000;
    // Whether a search over range with these steps can run: a finite range,
    // positive finite steps.
    static bool shiftSearchUsable(double range, double step, double minStep);
    double bestShift(const XafsSpectrum &ref, double range, double step, double minStep) const;
    // Buffers of trial shifts against one reference, reusable from search to
    // search against that reference (a thread searching block after block).
    struct ShiftScratch
    {
        std::vector<double> q, b;
        std::vector<char> want;
        int refAscending = -1;   // not yet known
        // The reference's points as the lookups see them, and per segment
        // its slope (0 where both ends share x); built on first use.
        std::vector<double> refX, refY, slope;
        const Spectrum *ref = nullptr;
        // The searching spectrum's energies and doubleNormalizedPreBase
        // values, taken for one search.
        std::vector<double> sampleE, sampleV;
        bool sampleAscends = false;   // ascending, no NaN
        const XafsSpectrum *sample = nullptr;
    };
    double bestShift(const XafsSpectrum &ref, double range, double step, double minStep,
                     ShiftScratch &scratch) const;

    double doubleNormalizedPreBaseAt(double e) const;

    // Files: the spectrum file written by save, plain columns and 9809 scans.
    static bool is9809(QTextStream &stream);
    static bool isPlainMuT(const QString &fileName);
    bool readPlain(const QString &fileName);
    bool read9809(const QString &fileName);
    bool load(const QString &fileName);
    bool loadAndNormalize(const QString &fileName);
    bool save(const QString &fileName, bool withShift = false) const;

    int plainMuT;
    QString name;
    SuggestElm suggest;
    VictLine pre;
    VictLine post;
    int mode;
    double reservedLo;
    double preEnd;
    double postStart;
    double reservedHi;
    Spectrum i0;
    Spectrum i1;
    Spectrum normalizedPostBase;
    Spectrum doubleNormalizedPostBase;
    Spectrum normalized;
    Spectrum doubleNormalizedPreBase;
    double shift;
    bool outOfRangeMidx;
    bool noisyMidx;
    double midx;
    double dMut;

private:
    double score(double shift, const XafsSpectrum &ref, ShiftScratch &scratch) const;
    static double scoreAscending(double shift, const XafsSpectrum &ref, const ShiftScratch &scratch);
    template<bool UseOffset>
    static double scoreRun(double shift, const XafsSpectrum &ref, const ShiftScratch &scratch);
    void takeSample(ShiftScratch &scratch) const;
    void begin(const QString &name, int mode, double shift, const SuggestElm &suggest, int derived);
    // The point energies (xAt) into pointEnergy; whether the points' x
    // ascend with no NaN, and whether those energies do.
    void takeEnergies(bool &xAscend, bool &eAscend);
    int edgeGuessIndex(bool xAscend) const;
    // Both lines at every point energy into the two vectors below.
    void lineValues(bool eAscend);
    struct Crossing;
    Crossing crossingOf(const double *preV, const double *postV) const;
    double findMidx(const double *preV, const double *postV);
    // midx from the crossing at point k; the guess kept without one.
    double midxAt(int k, const double *preV, const double *postV);
    // From pointEnergy and both lines there; with crossing, for DerivedPreBase
    // alone, crossingOf is found in the same pass.
    void buildDerived(bool eAscend, const double *preV, const double *postV, int derived,
                      Crossing *crossing);
    void checkSuggestion();
    // Point energies and both lines there, as the last normalisation took them.
    QVector<double> pointEnergy;
    QVector<double> preAtPoints;
    QVector<double> postAtPoints;
};

Q_DECLARE_METATYPE(XafsSpectrum)

#endif
