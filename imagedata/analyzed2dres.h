#ifndef ANALYZED2DRES_H
#define ANALYZED2DRES_H

#include <QFileInfo>
#include <QImage>
#include <QObject>
#include <QRect>
#include <QString>

class TaskPool;

#include "core/colorscale.h"
#include "imagedata/analyzecond.h"

// A 2D map of doubles over the image, one value per pixel, filled box by box
// while an analysis walks an area. Keeps the extremes of its values, a
// processed (deglitched) copy, a display scale and an 8-bit display image
// coloured through its colour-scale snapshot. GUI thread only.
//
// Storage: the map is the size of the image, but only the cells of
// storedRect() are held; every other cell reads 0. The first setData stores
// the bounding box of the walk's boxes (and of its own box); a later box
// outside it widens the storage to the whole map. The processed copy is
// made by the deglitch filters only, over the same cells.
class Analyzed2DRes : public QObject
{
    Q_OBJECT

public:
    explicit Analyzed2DRes(QString name = QString());
    ~Analyzed2DRes() override;

    // Gives the map the size of the walker and empties it; allocates nothing.
    void setArea(AnalyzeCond walker);
    // Makes this map a copy of source; a null source or the map itself does nothing.
    void copyFrom(const Analyzed2DRes *source);
    // Writes the values at the walk's centres as text, a line per row of centres
    // or (xyValues) a line "x y value" per centre. areaOnly has no effect. A
    // map with no centre on it, or with no value recorded, writes nothing and
    // leaves the file as it was.
    bool saveAsText(QFileInfo file, bool areaOnly, bool commaSeparated, bool xyValues);

    // The display scale: the fixed one (when it is a range of values), else
    // the processed copy's range when it is shown, else the data range.
    double scaleMin() const;
    double scaleMax() const;
    bool fixedInUse() const;
    // Value at cell (x, y) of data, 0 outside the map or without data.
    double value(int x, int y) const;
    // The same of the processed copy.
    double processedValue(int x, int y) const;
    // The value shown: the processed copy's while it is selected.
    double shownValue(int x, int y) const;
    // Values have been recorded since the last setArea.
    bool hasData() const { return data != nullptr; }
    // Its storage could not be allocated since the area was last set: the
    // values that did not fit were dropped.
    bool ranShort() const { return storeFailed; }
    // The cells held by data and procData; empty without data.
    QRect storedRect() const { return stored; }
    // Gives every map (null ones and repeats are passed over) the scale and paints its
    // image, as genImg one after the other would. Idle threads of helpers
    // paint maps too, each map in one thread, while the caller paints and
    // then waits: nothing else may touch the maps until it returns.
    static void genImgs(const QVector<Analyzed2DRes *> &maps, const ColorScale &scale,
                        TaskPool *helpers);

    int no;
    QString name;
    AnalyzeCond area;
    bool imageValid;
    QImage *image;
    uchar *imageBuffer;
    double *data;          // row-major over storedRect(), null until the first setData
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
    double *procData;      // as data; null until a deglitch filter runs
    double deglitchFactor;
    double deglitchRatio;
    bool useProcImg;
    ColorScale colorScale;  // what genImg colours with

public slots:
    void clear();
    void setNo(int n);
    void setData(int x, int y, int halfW, int halfH, double v);
    // Every cell of the map from values (width x height, row by row), as
    // setData of each cell with a box of one pixel would, in one pass; false
    // when the cells cannot be held.
    bool setCells(const double *values);
    void genImg();
    QImage *img();
    // A new array of width x height 16-bit values (the caller delete[]s it), null
    // when there is nothing to export (no value recorded). Values are clamped to [lo, hi] (useRange)
    // or to the data range; areaOnly writes the walk's centres first and sets count.
    unsigned short *tiffDataForSave(bool useRange, double lo, double hi, bool areaOnly);
    // The range tiffDataForSave spreads over 0 .. 65535: *lo .. *hi as given
    // (useRange), else the values exported.
    void tiffRange(bool useRange, double *lo, double *hi) const;
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
    // Makes the storage hold the cells of need (clipped to the map); false
    // when it can not be allocated, and from then on until the area is set.
    bool store(const QRect &need);
    bool storeFailed = false;
    // Counts v, at cell (x, y), in the map's range.
    void noteValue(int x, int y, double v);
    bool storeProcessed();
    const double *source() const;
    // genImg in two steps: the image, sized to the area, then its pixels.
    void newImg();
    void paintImg();
    double cellOf(const double *cells, int x, int y) const;
    void fillBox(double *cells, int x, int y, int halfW, int halfH, double v) const;
    // Writes the samples of one map row: out(c0, c1, cells) for the stored
    // run of it (none when the row holds none) and fill(c0, c1) for the rest.
    template <typename Stored, typename Empty>
    void walkRow(int r, Stored out, Empty fill) const;

    QRect stored;
};

#endif
