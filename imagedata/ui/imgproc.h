#ifndef IMGPROC_H
#define IMGPROC_H

#include <QFrame>
#include <QImage>
#include <memory>

#include "imagedata/procimage.h"

class ColorBar;
class ProcDispA;
class TiffData;

namespace Ui {
class ImgProc;
}

// The "Image Processor" tool window: aligns frames against a reference. It
// takes the frame the main window shows, makes its edge image and binary
// image, shows either with its own colour bar, and in comparison mode
// overlays the binary image on a stored reference at the shift in ShiftX,
// ShiftY, scores the match and searches the best shift by hill climbing. A
// shift is handed back with the frame it was found for.
//
// The frame is the main window's; it must call clearFrame() (or setData with
// null) before it deletes a frame it may have handed over.
class ImgProc : public QFrame
{
    Q_OBJECT

public:
    explicit ImgProc(QWidget *parent = nullptr);
    ~ImgProc() override;

    // Frame hand-over: taken only while "Edge Detect" is checked; null always
    // drops the frame (clearFrame).
    void setData(TiffData *frame);
    // Score of the binary image against the reference at ShiftX, ShiftY.
    double matchScore() const;

    TiffData *currentFrame() const { return frame; }
    const ProcImage *edgeImage() const { return edge.get(); }
    const ProcImage *binaryImage() const { return bin.get(); }
    const ProcImage *referenceImage() const { return ref.get(); }
    const QImage *shownImage() const { return image.get(); }
    // Score of the last comparison redraw.
    double lastScore() const { return score; }
    int shiftX() const;
    int shiftY() const;
    ColorBar *colorBar() const;
    ProcDispA *view() const;

signals:
    void askGiveData();
    void askClearAllShifts();
    void updateImg();
    // The shift (dx, dy) for frame, the frame held when it was found or set.
    void imgShift(TiffData *frame, int dx, int dy);

public slots:
    void movedBinThVSlider(int);
    void newBinThV();
    void setBinThV();
    void setRefBin();
    void toggledEdgeDetect(bool);
    void edgeDetect();
    void binarize();
    void drawOnImage();
    void shiftBinImg();
    void autoShiftBinImg();
    void autoShiftBinImg0();
    void setShift();
    void clearAllShifts();
    // Forgets the frame and the images made from it (the reference stays)
    // and shows an empty image.
    void clearFrame();

private:
    void thresholdFromSlider();
    void showImage(std::unique_ptr<QImage> next);
    void setShiftEdits(int dx, int dy);

    Ui::ImgProc *ui;
    std::unique_ptr<QImage> image;   // shown, replaced on every redraw
    // Size of the current frame (width and height would hide QWidget's).
    int imgWidth;
    int imgHeight;
    TiffData *frame;                 // not owned
    std::unique_ptr<ProcImage> edge;
    std::unique_ptr<ProcImage> bin;
    std::unique_ptr<ProcImage> ref;
    double score;
    bool drawing;                    // a redraw is running
};

#endif
