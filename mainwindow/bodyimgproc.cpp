// The image processor's side of the main window: frame hand-over and shifts.
#include "mainwindow/body.h"

#include <QPushButton>

#include "display/widgethelpers.h"
#include "imagedata/tiffdata.h"
#include "imagedata/ui/selectdatafiles.h"
#include "ui_body.h"

void Body::setupImgProc()
{
    showOnClick(ui->ShowImgProc, &imgProc);
    connect(&imgProc, &ImgProc::askGiveData, this, &Body::giveProcData);
    // The window names the frame a shift was found for; only I1 frames take it.
    connect(&imgProc, &ImgProc::imgShift, this, &Body::applyImgShift);
    connect(&imgProc, &ImgProc::askClearAllShifts, this, &Body::clearAllShifts);
}

void Body::giveProcData()
{
    if (i1Frames.isEmpty())
        return;
    const int i = ui->SelectI1Files->currentIndex();
    imgProc.setData(i >= 0 && i < i1Frames.size() ? i1Frames[i] : nullptr);
}

void Body::setImgShift(int dx, int dy)
{
    const int i = ui->SelectI1Files->currentIndex();
    if (i < 0 || i >= i1Frames.size())
        return;
    i1Frames[i]->shiftX = dx;
    i1Frames[i]->shiftY = dy;
}

void Body::applyImgShift(TiffData *frame, int dx, int dy)
{
    // Only an I1 frame still held: the pointer may name one deleted since,
    // and I0 frames shown with edge detection on are never shifted.
    if (!frame || !i1Frames.contains(frame))
        return;
    frame->shiftX = dx;
    frame->shiftY = dy;
}

void Body::clearAllShifts()
{
    for (TiffData *f : i1Frames) {
        f->shiftX = 0;
        f->shiftY = 0;
    }
}
