#ifndef PROCIMAGE_H
#define PROCIMAGE_H

#include <QImage>
#include <vector>

class ColorScale;

// One processed image of the image processor (edge strength, binary image or
// reference): width x height doubles, row-major, with their range.
class ProcImage
{
public:
    // Start values of the range: the largest finite double and the smallest
    // positive normal one, so an all-zero image reports max 2.2250738585072014e-308.
    static constexpr double RangeStartMin = 1.7976931348623157e308;
    static constexpr double RangeStartMax = 2.2250738585072014e-308;

    ProcImage() = default;
    // All values 0; negative sizes give an empty image.
    ProcImage(int w, int h);

    std::vector<double> data;   // index y * width + x
    int width = 0;
    int height = 0;
    double min = RangeStartMin;
    double max = RangeStartMax;

    // True when data holds exactly width x height values.
    bool isConsistent() const;
    bool isEmpty() const { return width <= 0 || height <= 0; }
    double at(int x, int y) const { return data[size_t(y) * size_t(width) + size_t(x)]; }
    // Recomputes min and max from the range start values over every value
    // (NaN never becomes either).
    void updateRange();

    // An RGB888 image coloured through scale at the fraction (v - min) / (max - min)
    // of each value, filled row by row; min == max gives the bottom of the scale.
    // A null image for an inconsistent record or when QImage cannot allocate it.
    QImage toImage(const ColorScale &scale) const;
};

#endif
