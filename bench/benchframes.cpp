#include "benchframes.h"

#include <QtGlobal>
#include <random>
#include <vector>

#include "imagedata/tiffdata.h"
#include "imagedata/tiffwriter.h"

QStringList writeBenchFrames(const QString &folder, int count, int side)
{
    std::mt19937 rng(7);
    std::normal_distribution<double> noise(0, 40);
    std::vector<quint16> px(size_t(side) * side);
    TiffWriter writer;
    QStringList names;
    for (int i = 0; i < count; i++) {
        for (int y = 0; y < side; y++)
            for (int x = 0; x < side; x++) {
                const double v = 8000 + 20 * i + 6 * ((x + y) % 1000) + noise(rng);
                px[size_t(y) * side + x] = quint16(qBound(0.0, v, 65535.0));
            }
        const QString name = folder + QString("/frame%1.tif").arg(i, 3, 10, QChar('0'));
        if (!writer.writeTiff(name, side, side, px.data()))
            qFatal("can not write %s", qPrintable(name));
        names << name;
    }
    return names;
}

TiffData *memoryFrame(const QString &name, int side, const std::function<double(int, int)> &value)
{
    auto *t = new TiffData;
    t->fileName = name;
    t->width = side;
    t->height = side;
    t->pixelType = TiffData::PixelImg16;
    t->exposureMs = 100;
    t->displayImageOnLoad = false;
    for (int y = 0; y < side; y++) {
        auto *row = new quint16[side];
        for (int x = 0; x < side; x++)
            row[x] = quint16(qBound(0.0, value(x, y), 65535.0));
        t->rows.append(row);
    }
    t->min = 0;
    t->max = 65535;
    return t;
}
