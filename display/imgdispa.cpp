#include "display/imgdispa.h"

#include <QDebug>
#include <QPainter>
#include <cmath>

#include "display/colorbar.h"
#include "imagedata/analyzed2dres.h"
#include "imagedata/tiffdata.h"

namespace {

// Scales a view extent by f about the fraction frac of it and moves start so
// that the point there stays put. Zooming never takes the extent past the view
// bounds (an extent already beyond a bound is kept).
double zoomExtent(double &start, double extent, double f, double frac)
{
    double ext = extent * f;
    if (f < 1 && !(ext >= ImgDispA::MinViewSize))
        ext = qMin(extent, ImgDispA::MinViewSize);
    if (f > 1 && !(ext <= ImgDispA::MaxViewSize))
        ext = qMax(extent, ImgDispA::MaxViewSize);
    start = start + frac * extent - frac * ext;
    return ext;
}

} // namespace

ImgDispA::ImgDispA(QWidget *parent)
    : DispA(parent),
      frame(nullptr),
      frameImage(nullptr),
      showOverLayer(false),
      overlayMap(nullptr),
      cBar(nullptr),
      viewX(0), viewY(0), viewW(0), viewH(0),
      selecting(false),
      areaValid(false),
      areaX(0), areaY(0), areaW(0), areaH(0),
      prevAreaX(0), prevAreaY(0), prevAreaW(0), prevAreaH(0)
{
    connect(this, &DispA::drawImage1, this, &ImgDispA::drawImage);
    connect(this, &DispA::mouseMoved0, this, &ImgDispA::onMouseMoved);
    connect(this, &DispA::mousePressed0, this, &ImgDispA::onMousePressed);
    connect(this, &DispA::mouseReleased0, this, &ImgDispA::onMouseReleased);
    connect(this, &DispA::wheelMoved0, this, &ImgDispA::onWheelMoved);
}

double ImgDispA::imageX(double px) const { return px / qMax(1, width()) * viewW + viewX; }
double ImgDispA::imageY(double py) const { return py / qMax(1, height()) * viewH + viewY; }

void ImgDispA::setImage(TiffData *f)
{
    if (!f)
        return;
    frame = f;
    if (!frame->image) {
        if (cBar)
            frame->makeImage(cBar->scale());
        else
            frame->makeImage();
    }
    frameImage = frame->image;
    if (viewW == 0)
        resetImageViewWindow();
    else
        update();
}

void ImgDispA::resetImageViewWindow()
{
    if (frame)
        setView(0, 0, frame->width, frame->height);
}

void ImgDispA::setView(double x, double y, double w, double h)
{
    viewX = x;
    viewY = y;
    viewW = w;
    viewH = h;
    update();
}

void ImgDispA::setViewWAsSelectedArea()
{
    if (!areaValid)
        return;
    // A view window needs a positive, finite size: areas set from two corners
    // may be reversed or empty.
    const double w = std::fabs(areaW), h = std::fabs(areaH);
    if (!(w > 0) || !(h > 0) || !std::isfinite(w) || !std::isfinite(h)) {
        qDebug() << "ImgDispA: the selected area is empty, the view is kept";
        return;
    }
    setView(qMin(areaX, areaX + areaW), qMin(areaY, areaY + areaH), w, h);
}

void ImgDispA::setShowOverLayer(bool show) { showOverLayer = show; }

void ImgDispA::recallOldSelectedArea()
{
    areaX = prevAreaX;
    areaY = prevAreaY;
    areaW = prevAreaW;
    areaH = prevAreaH;
}

void ImgDispA::syncFrameImage()
{
    // The frame rebuilds its image when the colour bar changes; never keep
    // a pointer to the one it deleted.
    if (frame)
        frameImage = frame->image;
}

const QImage *ImgDispA::shownImage() const
{
    if (showOverLayer) {
        if (overlayMap && overlayMap->imageValid && overlayMap->image)
            return overlayMap->image;
        return nullptr;
    }
    return frameImage;
}

QImage ImgDispA::viewWindowImage()
{
    syncFrameImage();
    const QImage *img = shownImage();
    if (!img)
        return QImage();
    const QPoint c0(ChCoord::toInt(viewX), ChCoord::toInt(viewY));
    const QPoint c1(ChCoord::toInt(viewX + viewW), ChCoord::toInt(viewY + viewH));
    return img->copy(QRect(c0, c1));
}

void ImgDispA::drawImage(QPainter *painter)
{
    const QRectF target(0, 0, width(), height());
    const QRectF source(viewX, viewY, viewW, viewH);
    syncFrameImage();
    if (!showOverLayer) {
        if (!frameImage)
            return;
        if (frame && cBar)
            cBar->setValueRange(frame->min, frame->max);
        painter->drawImage(target, *frameImage, source);
    } else {
        if (!overlayMap || !overlayMap->imageValid || !overlayMap->image)
            return;
        if (cBar)
            cBar->setValueRange(overlayMap->scaleMin(), overlayMap->scaleMax());
        painter->drawImage(target, *overlayMap->image, source);
    }
    coord.setScreenRange(0, 0, width(), height());
    coord.setRealRange(viewX, viewY, viewX + viewW, viewY + viewH);
}

void ImgDispA::normaliseArea()
{
    if (areaW < 0) {
        areaX += areaW;
        areaW = -areaW;
    }
    if (areaH < 0) {
        areaY += areaH;
        areaH = -areaH;
    }
}

void ImgDispA::onMousePressed()
{
    switch (MouseC::mode(mouse.pressButton, mouse.pressModifiers)) {
    case MouseC::Left:
    case MouseC::CtrlLeft:
        selecting = true;
        prevAreaX = areaX;
        prevAreaY = areaY;
        prevAreaW = areaW;
        prevAreaH = areaH;
        areaX = imageX(mouse.curPos.x());
        areaY = imageY(mouse.curPos.y());
        areaW = areaH = 0;
        break;
    case MouseC::Right:
        areaX = areaY = areaW = areaH = 0;
        selecting = false;
        areaValid = false;
        break;
    default:
        break;
    }
    update();
}

void ImgDispA::onMouseReleased()
{
    const int m = MouseC::mode(mouse.pressButton, mouse.pressModifiers);
    if ((m == MouseC::Left || m == MouseC::CtrlLeft) && selecting) {
        selecting = false;
        if (areaW != 0 && areaH != 0) {
            normaliseArea();
            areaValid = true;
            emit newAreaSelected();
            if (m == MouseC::CtrlLeft)
                setView(areaX, areaY, areaW, areaH);
        }
    }
    update();
}

void ImgDispA::onMouseMoved()
{
    if (!mouse.isPressed) {
        emit mouseMoved(imageX(mouse.curPos.x()), imageY(mouse.curPos.y()));
        update();
        return;
    }
    if (!frameImage)
        return;
    switch (MouseC::mode(mouse.pressButton, mouse.pressModifiers)) {
    case MouseC::Left:
    case MouseC::CtrlLeft:
        if (selecting) {
            areaW = imageX(mouse.curPos.x()) - areaX;
            areaH = imageY(mouse.curPos.y()) - areaY;
        }
        break;
    case MouseC::ShiftLeft:
        if (panEnabled) {
            viewX += double(mouse.prevPos.x() - mouse.curPos.x()) / qMax(1, width()) * viewW;
            viewY += double(mouse.prevPos.y() - mouse.curPos.y()) / qMax(1, height()) * viewH;
        }
        break;
    default:
        break;
    }
    update();
}

void ImgDispA::onWheelMoved()
{
    if (!zoomEnabled)
        return;
    // Nothing shown yet: there is no view to zoom.
    if (!(viewW > 0) || !(viewH > 0))
        return;
    const double w = qMax(1, width()), h = qMax(1, height());
    const double mx = mouse.curPos.x(), my = mouse.curPos.y();
    const double fx = mx / w, fy = my / h;
    const double f = zoomFactor;
    const bool sideBand = mx < 0.1 * w || mx > 0.9 * w;
    const bool scaleW = !sideBand;
    const bool scaleH = sideBand || (0.1 * h <= my && my <= 0.9 * h);
    if (scaleW)
        viewW = zoomExtent(viewX, viewW, f, fx);
    if (scaleH)
        viewH = zoomExtent(viewY, viewH, f, fy);
    update();
}
