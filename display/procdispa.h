#ifndef PROCDISPA_H
#define PROCDISPA_H

#include <QImage>

#include "display/dispa.h"

// Shows an image made by the image processor panel over a view window (image
// pixels) with wheel zoom about the mouse, and reports the image point under
// the mouse.
class ProcDispA : public DispA
{
    Q_OBJECT

public:
    explicit ProcDispA(QWidget *parent = nullptr);

    // Bounds of the view window's width and height that a zoom may reach.
    static constexpr double MinViewSize = 1e-2;
    static constexpr double MaxViewSize = 1e7;

    QImage *procImage;   // not owned
    double viewX, viewY, viewW, viewH;

    void setImage(QImage *image);
    void fitToImage();

signals:
    void mouseMoved(double x, double y);

public slots:
    void drawOnScreen(QPainter *p);
    void onMousePressed();
    void onMouseReleased();
    void onMouseMoved();
    void onWheelMoved();
};

#endif
