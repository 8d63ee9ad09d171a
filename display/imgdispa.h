#ifndef IMGDISPA_H
#define IMGDISPA_H

#include <QImage>

#include "core/colorscale.h"
#include "display/dispa.h"

class Analyzed2DRes;
class ColorBar;
class TiffData;

// The main window's image area: a detector frame or a result map scaled from
// a view window (image pixels) onto the widget, with wheel zoom, Shift-pan,
// rubber-band selection and Ctrl-drag zoom to an area.
class ImgDispA : public DispA
{
    Q_OBJECT

public:
    explicit ImgDispA(QWidget *parent = nullptr);

    // Bounds of the view window's width and height, in image pixels.
    static constexpr double MinViewSize = 2.0;
    static constexpr double MaxViewSize = 1.0e7;

    TiffData *frame;              // not owned
    QImage *frameImage;           // the frame's display image, not owned
    bool showOverLayer;
    Analyzed2DRes *overlayMap;    // not owned
    ColorBar *cBar;               // not owned; labelled with the shown range, colours new images
    double viewX, viewY, viewW, viewH;
    bool selecting;
    bool areaValid;
    double areaX, areaY, areaW, areaH;
    double prevAreaX, prevAreaY, prevAreaW, prevAreaH;

    // Image point shown at a widget point.
    double imageX(double px) const;
    double imageY(double py) const;
    // Image point under the cursor: the point it was placed on by
    // setRealMousePos until the mouse moves, else the point under the pointer.
    double pointX() const;
    double pointY() const;
    // Whether the view has an image (frame or overlay map) to show; a map
    // that holds no value shows nothing.
    bool showsImage() const;
    // The colour scale of what is shown, labelled with its value range: the
    // frame's or the map's. False when nothing is shown.
    bool shownScale(ColorScale *scale) const;
    // The pixels of the shown image inside the view window; empty when
    // nothing is shown or the view lies off the image.
    QRect viewWindowRect() const;
    // The size of the stacks' images: Reset Scale falls back on it while
    // nothing is shown, and a view window not set yet takes it.
    void setImageSize(int w, int h);
    // Holds no frame any more (it is gone, or none is at the index shown).
    void forgetFrame();

signals:
    void mouseMoved(double x, double y);
    void newAreaSelected();
    // The selected area, its validity or the selecting state changed.
    void selectedAreaChanged();
    void mouseDragged(double x, double y);

public slots:
    void setImage(TiffData *frame);
    // Fits the view to the map on screen, else to the frame, else to the
    // image size; left as it is while none of them is known.
    void resetImageViewWindow();
    void setViewWAsSelectedArea();
    void setShowOverLayer(bool show);
    // Area from two corners, not reordered; no newAreaSelected.
    void setSelectedArea(int x0, int y0, int x1, int y1);
    void recallOldSelectedArea();
    // The pixels of the shown image inside the view window (a view larger
    // than the image gives the whole image); null when nothing is shown or
    // the view lies off the image.
    QImage viewWindowImage();

    void drawImage(QPainter *painter);
    void onMousePressed();
    void onMouseReleased();
    void onMouseMoved();
    void onWheelMoved();

    // Places the cursor on image point (x, y) exactly, whatever the zoom.
    void setRealMousePos(double x, double y) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    bool pinned;          // the cursor stands on pinnedX, pinnedY
    double pinnedX, pinnedY;
    int imageW, imageH;   // setImageSize; 0: unknown

    const QImage *shownImage() const;
    void normaliseArea();
    void syncFrameImage();
    void setView(double x, double y, double w, double h);
};

#endif
