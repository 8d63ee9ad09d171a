#ifndef TIFFDATA_H
#define TIFFDATA_H

#include <QImage>
#include <QMetaType>
#include <QRectF>
#include <QString>
#include <QVector>

#include "core/colorscale.h"

class ErrPoints;
class TiffDataBudget;

// One detector frame: pixel rows in the type the file stored them, the range
// of the values, energy, exposure, the bad-pixel list applied, an alignment
// shift and an 8-bit display image coloured through a colour-scale snapshot.
//
// Pixel rule: the value at image position (x, y) is the stored pixel at frame
// position (x - shiftX, y - shiftY) as a double, 0 outside the frame.
class TiffData
{
public:
    enum PixelType {
        PixelTiff16 = 0,   // TIFF, quint16 rows from the TIFF allocator
        PixelImg16 = 1,    // ".img", quint16 rows
        PixelImg32 = 2,    // ".img", quint32 rows
        PixelFloat = 3,    // text image, float rows
        PixelNone = 4      // no data
    };

    TiffData();
    ~TiffData();
    TiffData(const TiffData &) = delete;
    TiffData &operator=(const TiffData &) = delete;

    // Frees rows, image and image buffer; keeps size, range and pixelType.
    void clear();

    // Reads a TIFF, ".img" or text image, chosen by the first bytes. A non-null
    // list becomes errPoints. False (with a debug line) on any failure; a failed
    // load leaves no pixel rows. With a budget the frame takes the given turn
    // of it: the bytes it will hold are reserved from its header, before its
    // pixels are allocated, and a frame past the budget is refused.
    bool load(const QString &fileName, const ErrPoints *list, TiffDataBudget *budget = nullptr,
              int turn = -1);
    bool readTiff(const QString &fileName);
    bool readImg(const QString &fileName);
    bool readText(const QString &fileName);
    // Offset of the ".img" pixel data (64 + comment length), 0 on failure.
    int readImgHeader(const QString &fileName);
    // Number of text-image header lines, -1 on failure.
    int readTextHeader(const QString &fileName);

    // Rebuilds image/imageBuffer through colorScale.
    void makeImage();
    void makeImage(const ColorScale &scale);

    // Sum over columns x-|hw|..x+|hw| and rows y-|hh|..y+|hh| (pixel rule).
    double boxSum(int x, int y, int hw, int hh) const;
    // The same with the shift (dx, dy) in place of the frame's own.
    double boxSum(int x, int y, int hw, int hh, int dx, int dy) const;
    // boxSum(xs[k], y, hw, hh, dx, dy) into out[k] for every k < count.
    void boxSums(const int *xs, int count, int y, int hw, int hh, int dx, int dy, double *out) const;
    // Stored row r as 16-bit pixels: null unless the frame holds 16-bit rows
    // and row r of them has pixels.
    const quint16 *pixels16(qint64 r) const
    {
        if ((pixelType != PixelTiff16 && pixelType != PixelImg16) || r < 0 || r >= rows.size())
            return nullptr;
        return static_cast<const quint16 *>(rows[int(r)]);
    }
    // Asks the memory early for the first rows of the band boxSums(xs, ...)
    // reads for boxes centred from x0 to x1: a hint, nothing is read.
    void prefetchBand(int x0, int x1, int y, int hw, int hh, int dx, int dy) const;
    // Mean over columns X..X+W, rows Y..Y+H of r truncated; outside pixels
    // count 0 but stay in the divisor; negative W or H gives 0.
    double rectAverage(const QRectF &r) const;
    // Mean of the 8 neighbours that lie inside the frame and are not listed.
    double valueErrCorrected(int x, int y) const;
    // Replaces every listed pixel by valueErrCorrected.
    void applyErrPoints();

    // Pixel rule with the shift applied.
    double pixelValue(int x, int y) const;
    // Stored value at frame column col, row row (no shift); 0 outside.
    double storedValue(int col, int row) const;
    // Number of stored pixel rows (height after a successful read).
    int rowCount() const { return rows.size(); }
    // Bytes the pixel rows and the display image hold.
    qint64 memoryBytes() const;

    int imageFormat;            // 24 grey, 13 RGB
    QString fileName;
    int bytesPerPixel;          // ".img" header value, default 2
    unsigned int width;
    unsigned int height;
    int errOriginX;             // frame position on the detector (".img")
    int errOriginY;
    const ErrPoints *errPoints; // not owned; default &globalErrPoints
    qint64 scanlineSize;        // TIFF frames only
    double min;
    double max;
    // One pointer per row, `width` elements of the pixel type; null for a row of zeros.
    QVector<void *> rows;
    double energy;              // eV
    ColorScale colorScale;      // snapshot the display image is coloured with
    uchar *imageBuffer;         // owned
    QImage *image;              // owned, over imageBuffer
    double exposureMs;
    int shiftX;
    int shiftY;
    int pixelType;
    // The readers build the display image after a read unless this is false
    // (the image view then builds it when the frame is first shown).
    bool displayImageOnLoad;

private:
    // Reserves what a frame of w x h pixels whose stored rows take rowBytes
    // each will hold, display image included, from the budget of the load;
    // true without one. Only the first call of a load asks the budget.
    bool admit(qint64 rowBytes, qint64 h);
    bool loadChosen(const QString &fileName, const ErrPoints *list);
    TiffDataBudget *budget;   // of the load in progress, until it asked once
    int budgetTurn;

    // TIFF frames: all rows in one block, rows pointing into it.
    bool allocPixelBlock(size_t bytes);
    void freePixelBlock();
    void *pixelBlock;

    void resetRange();
    void failRead();
    bool finishRead(bool replaceBadPixels);
    template <typename T> double sumFrameRect(qint64 c0, qint64 c1, qint64 r0, qint64 r1) const;
    double sumRect(qint64 x0, qint64 x1, qint64 y0, qint64 y1, int dx, int dy) const;
    template <typename T>
    void sumRects(const int *xs, int count, qint64 a, qint64 r0, qint64 r1, int dx, double *out) const;
    void storeValue(int col, int row, double v);
};

Q_DECLARE_METATYPE(TiffData *)

// Deletes every frame of the list and empties it.
void clearTiffDataList(QVector<TiffData *> &frames);

// Box sum at energy E over a stack sorted by rising energy: interpolated (or
// extrapolated) between the two bracketing frames; 1.0 for an empty stack.
double boxSumAtEnergy(const QVector<TiffData *> &frames, double E, int x, int y, int hw,
                      int hh);

#endif
