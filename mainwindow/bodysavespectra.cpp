// Saving the spectrum of every box of the analysis area into one text file,
// one line per box.
#include "mainwindow/body.h"

#include <QDebug>
#include <QFile>
#include <QLineEdit>
#include <QRadioButton>
#include <QTextStream>

#include "calibration/ui/calibctrl.h"
#include "core/globals.h"
#include "core/wholefile.h"
#include "ui_body.h"

namespace {

enum SpectraKind { NormalizedXafs, RawXafs, RawSums };

const char *headerLine(int kind)
{
    switch (kind) {
    case NormalizedXafs: return "# Vantoscope Save Normalized Xafs Spectra 1.0";
    case RawXafs: return "# Vantoscope Save Raw Xafs Spectra 1.0";
    default: return "# Vantoscope Save Raw Spectra 1.0";
    }
}

// Box centres per row (or rows) of a walk from lo to hi.
qint64 gridCount(int lo, int hi, int half, int step)
{
    return (qint64(hi) - lo - half - 1) / qMax(step, 1) + 1;
}

// " E value" for every point of s (E less the offset when it is used).
void writePoints(QTextStream &out, const Spectrum &s)
{
    for (int i = 0; i < s.count(); i++)
        out << " " << s.xAt(i) << " " << s.points[i].y();
}

} // namespace

void Body::saveEachSpectrum(QString fileName)
{
    if (ui->SaveAsNormalizedXAFS->isChecked())
        saveEachNormalizedXafsSpectrum(fileName);
    else if (ui->SaveAsRawXAFS->isChecked())
        saveEachRawXafsSpectrum(fileName);
    else if (ui->SaveAsRaw->isChecked())
        saveEachRawSpectrum(fileName);
}

void Body::saveEachNormalizedXafsSpectrum(QString fileName)
{
    saveEachSpectra(fileName, NormalizedXafs);
}

void Body::saveEachRawXafsSpectrum(QString fileName)
{
    saveEachSpectra(fileName, RawXafs);
}

void Body::saveEachRawSpectrum(QString fileName)
{
    saveEachSpectra(fileName, RawSums);
}

void Body::saveEachSpectra(const QString &fileName, int kind)
{
    AnalyzeCond area;
    if (!askAnalyzeCond(area))
        return;
    const QString path = addDefaultSuffix(fileName, "dat");
    WholeFile file(path);
    if (!file.open())
        return;
    QTextStream &out = file.stream();
    out << headerLine(kind) << "\n";
    out << "# X-Range (x0, x1), steps : " << area.x0 << " " << area.x1 << " "
        << gridCount(area.x0, area.x1, area.halfW, area.stepX) << "\n";
    out << "# Y-Range (y0, y1), steps : " << area.y0 << " " << area.y1 << " "
        << gridCount(area.y0, area.y1, area.halfH, area.stepY) << "\n";
    out << "# Full Width, Height      : " << area.width << " " << area.height << "\n";
    out << "# Bin Half Width, Height  : " << area.halfW << " " << area.halfH << "\n";
    out << "# Step dX, dY             : " << area.stepX << " " << area.stepY << "\n";
    out << "# End of Header" << "\n";

    // The call blocks the window, so the box size cannot change during the walk.
    const int hw = ui->HWidth->text().toInt(nullptr, 10);
    const int hh = ui->VWidth->text().toInt(nullptr, 10);
    const int mode = calibCtrl->targetBGVictoreen() ? 0 : 1;
    const SuggestElm suggest = getSuggestElm();
    const double rows = double(area.y1) - area.y0;
    do {
        const int x = area.x, y = area.y;
        if (area.rowStart)
            qDebug() << "Save Xafs Spectra : Progress"
                     << (rows > 0 ? (y - area.y0) / rows * 100 : 100.0);
        if (kind == RawSums) {
            out << QString("%1 %2").arg(x).arg(y);
            writePoints(out, rawSpectrumAtPoint(x, y, hw, hh));
        } else {
            const double shift = eShiftAtPoint(x, y);
            out << QString("%1 %2 %3").arg(x).arg(y).arg(shift, 0, 'g', 6);
            const Spectrum sp = spectrumAtPoint(x, y, hw, hh);
            if (kind == RawXafs) {
                writePoints(out, sp);
            } else {
                const XafsSpectrum xs(sp, QStringLiteral("Body-SaveEach"), mode, shift, suggest);
                const QVector<QPointF> &norm = xs.doubleNormalizedPostBase.points;
                for (int i = 0; i < xs.count(); i++)
                    out << " " << xs.xAt(i) << " " << (i < norm.size() ? norm[i].y() : 0.0);
            }
        }
        out << "\n";
    } while (area.next());
    file.commit();
}
