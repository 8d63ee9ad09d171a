// Writes the demo data: an I1 and an I0 stack of 16-bit TIFF images across the
// Fe K edge, and the two reference spectra they are mixed from.
//
//   vantoscope-makedemo OUTDIR [SPECTRADIR]
//
// OUTDIR receives i1/ and i0/ (one image per energy, named like
// "7082_5000.tif" so that the energy-by-name rule reads 7082.5 eV) and the
// references fe2o3.dat and feo.dat, sampled at the energies of the images.
// Pixel column x holds the Fe2O3 fraction x / (width - 1) of the normalised
// absorption; every row is the same.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTextStream>
#include <QVector>
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/spectrum.h"
#include "core/wholefile.h"
#include "core/xafsspectrum.h"
#include "imagedata/tiffwriter.h"

#ifndef VANTOSCOPE_SOURCE_DIR
#define VANTOSCOPE_SOURCE_DIR "."
#endif

namespace {

const int Width = 32;
const int Height = 24;
const double FirstEV = 7080.0;
const double StepEV = 2.5;
const int Energies = 49;   // 7080 .. 7200 eV
const double I0Level = 20000.0;
// Lowest mu-t of the stack: keeps I1 clearly below I0.
const double MinMuT = 0.3;
// Straight pre- and post-edge lines, as the references are loaded in the demo.
const int LinearLines = 1;

// "7082_5000": the energy with four decimals, the point written as '_'.
QString energyName(double e)
{
    const qint64 tenThousandths = qint64(std::llround(e * 10000.0));
    return QString("%1_%2")
        .arg(tenThousandths / 10000)
        .arg(tenThousandths % 10000, 4, 10, QLatin1Char('0'));
}

bool loadSpectrum(const QString &path, Spectrum &out)
{
    XafsSpectrum s;
    if (!s.load(path) || s.count() < 2) {
        std::fprintf(stderr, "can't read the spectrum %s\n", qPrintable(path));
        return false;
    }
    out = s;
    return true;
}

// The spectrum at the demo energies, interpolated.
Spectrum resample(const Spectrum &s, const QVector<double> &energies)
{
    Spectrum r;
    for (double e : energies)
        r.addPoint(e, s.y(e));
    return r;
}

bool writeSpectrum(const QString &path, const Spectrum &s, const QString &comment)
{
    WholeFile f(path);
    if (!f.open()) {
        std::fprintf(stderr, "can't write %s\n", qPrintable(path));
        return false;
    }
    QTextStream &out = f.stream();
    out << "# " << comment << "\n# energy_eV mu\n";
    for (const QPointF &p : s.points)
        out << QString::number(p.x(), 'f', 4) << " " << QString::number(p.y(), 'g', 10) << "\n";
    return f.commit();
}

// The spectrum reader's debug lines are not for the user of this tool.
void quietDebug(QtMsgType type, const QMessageLogContext &, const QString &msg)
{
    if (type != QtDebugMsg && type != QtInfoMsg)
        std::fprintf(stderr, "%s\n", qPrintable(msg));
}

quint16 toSample(double v)
{
    if (!std::isfinite(v))
        return 0;
    return quint16(std::clamp(std::lround(v), 0L, 65535L));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    qInstallMessageHandler(quietDebug);
    const QStringList args = app.arguments();
    const char *usage = "usage: %s OUTDIR [SPECTRADIR]\n"
                        "Writes a demo stack (i1/, i0/) and the two references into OUTDIR.\n";
    if (args.size() >= 2 && (args[1] == "-h" || args[1] == "--help")) {
        std::printf(usage, argv[0]);
        return 0;
    }
    // An option is never taken for a folder name.
    if (args.size() < 2 || args.size() > 3 || args[1].startsWith('-')
        || (args.size() > 2 && args[2].startsWith('-'))) {
        std::fprintf(stderr, usage, argv[0]);
        return 2;
    }
    const QDir out(args[1]);
    const QString spectraDir =
        args.size() > 2 ? args[2] : QString(VANTOSCOPE_SOURCE_DIR "/data/spectra");

    Spectrum fe2o3Raw, feoRaw;
    if (!loadSpectrum(spectraDir + "/fe2o3_rt1.dat", fe2o3Raw)
        || !loadSpectrum(spectraDir + "/feo_rt1.dat", feoRaw))
        return 1;

    QVector<double> energies;
    for (int k = 0; k < Energies; k++)
        energies << FirstEV + StepEV * k;
    const Spectrum fe2o3 = resample(fe2o3Raw, energies);
    const Spectrum feo = resample(feoRaw, energies);

    // Each reference scaled to a unit edge jump, as the program normalises
    // it: the mixture's normalised spectrum is then f * Fe2O3 + (1 - f) * FeO.
    const XafsSpectrum fe2o3N(fe2o3, "fe2o3", LinearLines);
    const XafsSpectrum feoN(feo, "feo", LinearLines);
    if (!(fe2o3N.dMut > 0) || !(feoN.dMut > 0)) {
        std::fprintf(stderr, "no edge jump in a reference: %g %g\n", fe2o3N.dMut, feoN.dMut);
        return 1;
    }
    const double jumpA = fe2o3N.dMut;
    const double jumpB = feoN.dMut;
    double lowest = 0.0;
    for (int k = 0; k < Energies; k++)
        lowest = std::min({lowest, fe2o3.points[k].y() / jumpA, feo.points[k].y() / jumpB});
    const double base = MinMuT - lowest;

    if (!out.mkpath("i1") || !out.mkpath("i0")) {
        std::fprintf(stderr, "can't make the folders in %s\n", qPrintable(out.absolutePath()));
        return 1;
    }
    if (!writeSpectrum(out.filePath("fe2o3.dat"), fe2o3,
                       "Fe2O3, Fe K edge, at the energies of the demo stack")
        || !writeSpectrum(out.filePath("feo.dat"), feo,
                          "FeO, Fe K edge, at the energies of the demo stack"))
        return 1;

    TiffWriter writer;
    QVector<quint16> i1(Width * Height);
    for (int k = 0; k < Energies; k++) {
        const double a = fe2o3.points[k].y() / jumpA;
        const double b = feo.points[k].y() / jumpB;
        for (int x = 0; x < Width; x++) {
            const double f = double(x) / (Width - 1);
            const double muT = base + f * a + (1.0 - f) * b;
            const quint16 v = toSample(I0Level * std::exp(-muT));
            for (int y = 0; y < Height; y++)
                i1[y * Width + x] = v;
        }
        const QString name = energyName(energies[k]) + ".tif";
        if (!writer.writeTiff(out.filePath("i1/" + name), Width, Height, i1.constData())
            || !writer.writeConstTiff(out.filePath("i0/" + name), Width, Height,
                                      toSample(I0Level))) {
            std::fprintf(stderr, "can't write the images of %s\n", qPrintable(name));
            return 1;
        }
    }
    std::printf("%d x %d pixels, %d energies %g .. %g eV in %s\n", Width, Height, Energies,
                energies.first(), energies.last(), qPrintable(out.absolutePath()));
    return 0;
}
