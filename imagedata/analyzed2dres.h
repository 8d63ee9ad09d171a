#ifndef ANALYZED2DRES_H
#define ANALYZED2DRES_H

#include <QFileInfo>
#include <QImage>
#include <QObject>
#include <QString>

#include "core/colorscale.h"
#include "imagedata/analyzecond.h"

// A 2D map of doubles over the image, one value per pixel, filled box by box
// while an analysis walks an area. Keeps the extremes of its values, a
// processed (deglitched) copy, a display scale and an 8-bit display image
// coloured through its colour-scale snapshot. GUI thread only.
class Analyzed2DRes : public QObject
{
    Q_OBJECT

public:
    explicit Analyzed2DRes(QString name = QString());
    ~Analyzed2DRes() override;

    // Gives the map the size of the walker and empties it (zero-filled).
    void setArea(AnalyzeCond walker);
    // Makes this map a copy of source; a null source or the map itself does nothing.
    void copyFrom(const Analyzed2DRes *source);
    // Writes the values at the walk's centres as text, a line per row of centres
    // or (xyValues) a line "x y value" per centre. areaOnly has no effect.
    bool saveAsText(QFileInfo file, bool areaOnly, bool commaSeparated, bool xyValues);

    // The display scale: the fixed one, else the processed copy's range when it
    // is shown, else the data range.
    double scaleMin() const;
    double scaleMax() const;
    // Value at cell (x, y) of data, 0 outside the map or without data.
    double value(int x, int y) const;

    int no;
    QString name;
    AnalyzeCond area;
    bool imageValid;
    QImage *image;
    uchar *imageBuffer;
    double *data;
    double min;
    double max;
    int minX;
    int minY;
    int maxX;
    int maxY;
    double fixedMin;
    double fixedMax;
    bool fixedScale;
    int imageFormat;
    int count;
    double procMin;
    double procMax;
    double *procData;
    double deglitchFactor;
    double deglitchRatio;
    bool useProcImg;
    ColorScale colorScale;  // what genImg colours with

public slots:
    void clear();
    void setNo(int n);
    void setData(int x, int y, int halfW, int halfH, double v);
    void genImg();
    QImage *img();
    // A new array of width x height 16-bit values (the caller delete[]s it), null
    // when there is nothing to export. Values are clamped to [lo, hi] (useRange)
    // or to the data range; areaOnly writes the walk's centres first and sets count.
    unsigned short *tiffDataForSave(bool useRange, double lo, double hi, bool areaOnly);
    void deglitch();
    void setDeglitchConds(double factor, double ratio);
    void selectProcImg(bool b);
    void deglitch2(double th);
    void copyProc2Data();
    void setFixedScale(bool b);
    void setScale(double lo, double hi);

private:
    Q_DISABLE_COPY(Analyzed2DRes)

    int cellCount() const;
    void freeArrays();
    const double *source() const;
};

#endif
