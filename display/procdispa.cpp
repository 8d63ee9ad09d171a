#include "display/procdispa.h"

#include <QPainter>
#include <cmath>

ProcDispA::ProcDispA(QWidget *parent)
    : DispA(parent), procImage(nullptr), viewX(0), viewY(0), viewW(0), viewH(0)
{
    connect(this, &DispA::drawImage1, this, &ProcDispA::drawOnScreen);
    connect(this, &DispA::mouseMoved0, this, &ProcDispA::onMouseMoved);
    connect(this, &DispA::mousePressed0, this, &ProcDispA::onMousePressed);
    connect(this, &DispA::mouseReleased0, this, &ProcDispA::onMouseReleased);
    connect(this, &DispA::wheelMoved0, this, &ProcDispA::onWheelMoved);
}

void ProcDispA::setImage(QImage *image)
{
    procImage = image;
}

void ProcDispA::fitToImage()
{
    if (procImage == nullptr)
        return;
    viewX = viewY = 0;
    viewW = procImage->width();
    viewH = procImage->height();
    update();
}

void ProcDispA::drawOnScreen(QPainter *p)
{
    if (procImage == nullptr || p == nullptr)
        return;
    // A view window of zero size shows the whole image.
    p->drawImage(QRectF(0, 0, width(), height()), *procImage, QRectF(viewX, viewY, viewW, viewH));
    coord.setScreenRange(0, 0, width(), height());
    coord.setRealRange(viewX, viewY, viewX + viewW, viewY + viewH);
}

void ProcDispA::onMouseMoved()
{
    const double w = qMax(1, width());
    const double h = qMax(1, height());
    emit mouseMoved(mouse.curPos.x() / w * viewW + viewX, mouse.curPos.y() / h * viewH + viewY);
    update();
}

void ProcDispA::onMousePressed()
{
    update();
}

void ProcDispA::onMouseReleased()
{
    update();
}

void ProcDispA::onWheelMoved()
{
    if (!zoomEnabled)
        return;
    const double f = zoomFactor;
    const double newW = viewW * f;
    const double newH = viewH * f;
    // A zoom that would take the view past its bounds is refused.
    const auto inBounds = [f](double oldExt, double ext) {
        if (!std::isfinite(ext))
            return false;
        if (f < 1 && oldExt > 0 && ext < MinViewSize)
            return false;
        return !(f > 1 && ext > MaxViewSize);
    };
    if (!inBounds(viewW, newW) || !inBounds(viewH, newH))
        return;
    const double fx = mouse.curPos.x() / double(qMax(1, width()));
    const double fy = mouse.curPos.y() / double(qMax(1, height()));
    viewX = viewX + fx * viewW - fx * newW;
    viewW = newW;
    viewY = viewY + fy * viewH - fy * newH;
    viewH = newH;
    update();
}
