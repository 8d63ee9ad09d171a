#include "ironmix.h"

#include <cmath>

#include "imagedata/tiffdata.h"
#include "imagefixtures.h"
#include "testfiles.h"

IronMix::IronMix(const TestFiles &files, int n, double e0, double de)
{
    lines = QStringList{"eng_by_calc_i1 1", "eng_calc_even_in_eng_i1 1", "set_band_w 0",
                        "set_band_h 0", QString("eng_calc_base_i1 %1").arg(e0),
                        QString("eng_calc_delta_i1 %1").arg(de)};
    const char *spectra[] = {"spectra/fe2o3_rt1.dat", "spectra/feo_rt1.dat"};
    QVector<double> *values[] = {&a, &b};
    for (int k = 0; k < 2; k++) {
        const QString text = resampledSpectrum(spectra[k], e0, de, n, *values[k]);
        const QString ref = files.writeText(QString("ref%1.dat").arg(k), text);
        lines << QString("analyzer_set_LCF_std %1 1 0 %2 0").arg(k).arg(ref);
    }
    lines << "calib_load_std " + files.path("ref0.dat");
}

QVector<TiffData *> IronMix::frames(int w, int h) const
{
    QVector<TiffData *> out;
    for (int i = 0; i < a.size(); i++) {
        TiffData *t = ImageFixtures::floatFrame(w, h, [&](int x, int y) {
            const double f = (x + y) / double(w + h - 2);
            return float(std::exp(-(0.2 + 0.8 * (f * a[i] + (1 - f) * b[i]))));
        });
        t->fileName = QString("f%1").arg(i);
        out << t;
    }
    return out;
}
