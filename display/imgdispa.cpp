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
      prevAreaX(0), prevAreaY(0), prevAreaW(0), prevAreaH(0),
      pinned(false), pinnedX(0), pinnedY(0),
      imageW(0), imageH(0)
{
    connect(this, &DispA::drawImage1, this, &ImgDispA::drawImage);
    connect(this, &DispA::mouseMoved0, this, &ImgDispA::onMouseMoved);
    connect(this, &DispA::mousePressed0, this, &ImgDispA::onMousePressed);
    connect(this, &DispA::mouseReleased0, this, &ImgDispA::onMouseReleased);
    connect(this, &DispA::wheelMoved0, this, &ImgDispA::onWheelMoved);
}

double ImgDispA::imageX(double px) const { return px / qMax(1, width()) * viewW + viewX; }
double ImgDispA::imageY(double py) const { return py / qMax(1, height()) * viewH + viewY; }

double ImgDispA::pointX() const { return pinned ? pinnedX : imageX(mouse.curPos.x()); }
double ImgDispA::pointY() const { return pinned ? pinnedY : imageY(mouse.curPos.y()); }

void ImgDispA::setRealMousePos(double x, double y)
{
    // A screen pixel may span several image pixels (or less than one): the
    // point is kept as given, not taken back from the screen.
    pinned = true;
    pinnedX = x;
    pinnedY = y;
    DispA::setRealMousePos(x, y);
}

void ImgDispA::mouseMoveEvent(QMouseEvent *event)
{
    pinned = false;
    DispA::mouseMoveEvent(event);
}

void ImgDispA::mousePressEvent(QMouseEvent *event)
{
    pinned = false;
    DispA::mousePressEvent(event);
}

void ImgDispA::wheelEvent(QWheelEvent *event)
{
    pinned = false;
    DispA::wheelEvent(event);
}

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

void ImgDispA::forgetFrame()
{
    frame = nullptr;
    frameImage = nullptr;
    update();
}

void ImgDispA::resetImageViewWindow()
{
    // A map shown has an image, so a size.
    if (showOverLayer && showsImage())
        setView(0, 0, overlayMap->area.width, overlayMap->area.height);
    else if (frame)
        setView(0, 0, frame->width, frame->height);
    else if (imageW > 0 && imageH > 0)
        setView(0, 0, imageW, imageH);
}

void ImgDispA::setImageSize(int w, int h)
{
    imageW = qMax(w, 0);
    imageH = qMax(h, 0);
    if (!(viewW > 0) || !(viewH > 0))
        resetImageViewWindow();
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

void ImgDispA::setSelectedArea(int x0, int y0, int x1, int y1)
{
    // In doubles: corners far apart have a span no int holds.
    areaX = x0;
    areaY = y0;
    areaW = double(x1) - double(x0);
    areaH = double(y1) - double(y0);
    areaValid = true;
    emit selectedAreaChanged();
    update();
}

void ImgDispA::setShowOverLayer(bool show) { showOverLayer = show; }

void ImgDispA::recallOldSelectedArea()
{
    areaX = prevAreaX;
    areaY = prevAreaY;
    areaW = prevAreaW;
    areaH = prevAreaH;
    emit selectedAreaChanged();
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
        if (overlayMap && overlayMap->hasData() && overlayMap->imageValid && overlayMap->image
            && !overlayMap->image->isNull())
            return overlayMap->image;
        return nullptr;
    }
    return frame ? frame->image : frameImage;
}

bool ImgDispA::showsImage() const { return shownImage() != nullptr; }

bool ImgDispA::shownScale(ColorScale *scale) const
{
    if (!shownImage())
        return false;
    if (showOverLayer) {
        *scale = overlayMap->colorScale;
        scale->valueMin = overlayMap->scaleMin();
        scale->valueMax = overlayMap->scaleMax();
    } else if (frame) {
        *scale = frame->colorScale;
        scale->valueMin = frame->min;
        scale->valueMax = frame->max;
    } else {
        return false;
    }
    return true;
}

QRect ImgDispA::viewWindowRect() const
{
    const QImage *img = shownImage();
    if (!img)
        return QRect();
    // The image's own pixels inside the view: a zoomed-out view reaches far
    // past the image, and its margin holds nothing to save.
    const double x0 = std::floor(viewX), y0 = std::floor(viewY);
    const double x1 = std::ceil(viewX + viewW), y1 = std::ceil(viewY + viewH);
    const double left = qMax(0.0, x0), top = qMax(0.0, y0);
    const double right = qMin(double(img->width()), x1), bottom = qMin(double(img->height()), y1);
    if (!(right > left) || !(bottom > top))
        return QRect();
    return QRect(int(left), int(top), int(right - left), int(bottom - top));
}

QImage ImgDispA::viewWindowImage()
{
    syncFrameImage();
    const QRect r = viewWindowRect();
    if (r.isEmpty()) {
        if (shownImage())
            qDebug() << "ImgDispA: the view shows no pixel of the image";
        return QImage();
    }
    return shownImage()->copy(r);
}

void ImgDispA::drawImage(QPainter *painter)
{
    const QRectF target(0, 0, width(), height());
    const QRectF source(viewX, viewY, viewW, viewH);
    syncFrameImage();
    // The bar is labelled with the range of what is shown, and with no
    // numbers while nothing is.
    ColorScale shown;
    const bool labelled = shownScale(&shown);
    if (cBar) {
        if (labelled)
            cBar->setValueRange(shown.valueMin, shown.valueMax);
        else
            cBar->clearValueRange();
    }
    const QImage *img = shownImage();
    if (!img)
        return;
    painter->drawImage(target, *img, source);
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
        update();
        return;
    }
    emit selectedAreaChanged();
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
        emit selectedAreaChanged();
    }
    update();
}

void ImgDispA::onMouseMoved()
{
    if (!mouse.isPressed) {
        emit mouseMoved(pointX(), pointY());
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
            emit selectedAreaChanged();
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
