#include "imagedata/procimage.h"

#include <QDebug>
#include <cmath>

#include "core/colorscale.h"
#include "core/globals.h"

ProcImage::ProcImage(int w, int h)
{
    if (w > 0 && h > 0) {
        width = w;
        height = h;
        data.assign(size_t(w) * size_t(h), 0.0);
    }
}

bool ProcImage::isConsistent() const
{
    if (width < 0 || height < 0)
        return false;
    return data.size() == size_t(width) * size_t(height);
}

void ProcImage::updateRange()
{
    min = RangeStartMin;
    max = RangeStartMax;
    for (double v : data) {
        if (v < min)
            min = v;
        if (v > max)
            max = v;
    }
}

QImage ProcImage::toImage(const ColorScale &scale) const
{
    if (!isConsistent()) {
        qDebug() << "inconsistent processed image" << width << "x" << height;
        return QImage();
    }
    QImage img(width, height, QImage::Format_RGB888);
    if (img.isNull() && !isEmpty()) {
        qDebug() << "can not allocate image" << width << "x" << height;
        return img;
    }
    img.fill(Qt::black);   // stays where the scale has no pixel function
    const double span = max - min;
    const bool flat = !(span != 0) || !std::isfinite(span);
    for (int y = 0; y < height; y++) {
        uchar *out = img.scanLine(y);
        const double *row = data.data() + size_t(y) * size_t(width);
        for (int x = 0; x < width; x++) {
            const double f = flat ? 0.0 : (row[x] - min) / span;
            out = scale.colorBytesOf(f, out, ImageFormatRGB888);
        }
    }
    return img;
}
