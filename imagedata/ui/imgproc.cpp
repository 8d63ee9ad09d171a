#include "imagedata/ui/imgproc.h"

#include <QDebug>
#include <cmath>

#include "core/globals.h"
#include "display/colorbar.h"
#include "display/procdispa.h"
#include "imagedata/imageshift.h"
#include "imagedata/tiffdata.h"
#include "ui_imgproc.h"

namespace {

QString numberText(double v) { return QString::number(v, 'g', 6); }

} // namespace

ImgProc::ImgProc(QWidget *parent)
    : QFrame(parent), ui(new Ui::ImgProc), imgWidth(0), imgHeight(0), frame(nullptr), score(0),
      drawing(false)
{
    ui->setupUi(this);
    ui->CBar->format = ImageFormatRGB888;
    ui->CBar->paintCBar();
    score = ui->NormScolarP->text().toDouble();

    connect(ui->CBar, &ColorBar::cBarUpdating, this, &ImgProc::drawOnImage);
    connect(ui->BinThVSlider, &QSlider::sliderMoved, this, &ImgProc::movedBinThVSlider);
    connect(ui->BinThV, &QLineEdit::editingFinished, this, &ImgProc::setBinThV);
    connect(ui->SetRef, &QPushButton::clicked, this, &ImgProc::setRefBin);
    connect(ui->EdgeDetect, &QCheckBox::toggled, this, &ImgProc::toggledEdgeDetect);
    connect(ui->BinaryImage, &QCheckBox::toggled, this, &ImgProc::toggledEdgeDetect);
    connect(ui->Compare, &QCheckBox::toggled, this, &ImgProc::toggledEdgeDetect);
    connect(ui->ShiftX, &QLineEdit::editingFinished, this, &ImgProc::drawOnImage);
    connect(ui->ShiftY, &QLineEdit::editingFinished, this, &ImgProc::drawOnImage);
    for (QToolButton *b : {ui->ShiftU, ui->ShiftD, ui->ShiftL, ui->ShiftR})
        connect(b, &QToolButton::clicked, this, &ImgProc::shiftBinImg);
    connect(ui->ShiftAuto, &QPushButton::clicked, this, &ImgProc::autoShiftBinImg);
    connect(ui->AAutoShift, &QCheckBox::toggled, this, &ImgProc::drawOnImage);
    connect(this, &ImgProc::updateImg, this, &ImgProc::drawOnImage);
    connect(ui->SetShift, &QPushButton::clicked, this, &ImgProc::setShift);
    connect(ui->ClearAllShifts, &QPushButton::clicked, this, &ImgProc::clearAllShifts);
}

ImgProc::~ImgProc()
{
    ui->DispA->setImage(nullptr);
    delete ui;
}

ColorBar *ImgProc::colorBar() const { return ui->CBar; }

ProcDispA *ImgProc::view() const { return ui->DispA; }

int ImgProc::shiftX() const { return ui->ShiftX->text().toInt(nullptr, 10); }

int ImgProc::shiftY() const { return ui->ShiftY->text().toInt(nullptr, 10); }

void ImgProc::setShiftEdits(int dx, int dy)
{
    ui->ShiftX->setText(QString::number(ImageShift::clampShift(dx)));
    ui->ShiftY->setText(QString::number(ImageShift::clampShift(dy)));
}

void ImgProc::setData(TiffData *newFrame)
{
    if (!newFrame) {
        clearFrame();
        return;
    }
    if (!ui->EdgeDetect->isChecked())
        return;
    frame = newFrame;
    edgeDetect();
    if (ui->BinaryImage->isChecked())
        binarize();
    drawOnImage();
}

void ImgProc::clearFrame()
{
    frame = nullptr;
    imgWidth = imgHeight = 0;
    edge.reset();
    bin.reset();
    showImage(std::unique_ptr<QImage>(new QImage()));
}

double ImgProc::matchScore() const
{
    if (!ref || !bin)
        return 0.0;
    return ImageShift::matchScore(*ref, *bin, shiftX(), shiftY());
}

void ImgProc::toggledEdgeDetect(bool) { emit askGiveData(); }

void ImgProc::thresholdFromSlider()
{
    const double max = ui->MaxEdgeV->text().toDouble();
    const double min = ui->MinEdgeV->text().toDouble();
    const double t = (max - min) * (ui->BinThVSlider->value() / 1000.0) + min;
    ui->BinThV->setText(numberText(t));
}

void ImgProc::movedBinThVSlider(int)
{
    thresholdFromSlider();
    binarize();
    drawOnImage();
}

void ImgProc::newBinThV()
{
    thresholdFromSlider();
    binarize();
    drawOnImage();
}

void ImgProc::setBinThV()
{
    const double max = ui->MaxEdgeV->text().toDouble();
    const double min = ui->MinEdgeV->text().toDouble();
    const double pos = (ui->BinThV->text().toDouble() - min) / (max - min) * 1000.0;
    if (std::isnan(pos))
        qDebug() << "threshold has no slider position";
    else
        ui->BinThVSlider->setValue(int(qBound(-1e9, pos, 1e9)));
    binarize();
    drawOnImage();
}

void ImgProc::edgeDetect()
{
    if (!frame)
        return;
    edge.reset();
    ProcImage e;
    if (!ImageShift::edgeImage(*frame, e)) {
        // The binary image belonged to the frame before.
        bin.reset();
        imgWidth = imgHeight = 0;
        return;
    }
    imgWidth = e.width;
    imgHeight = e.height;
    edge.reset(new ProcImage(std::move(e)));
    ui->MinEdgeV->setText(numberText(edge->min));
    ui->MaxEdgeV->setText(numberText(edge->max));
    thresholdFromSlider();
    binarize();
    drawOnImage();
}

void ImgProc::binarize()
{
    if (!frame || !edge)
        return;
    bin.reset(new ProcImage(ImageShift::binarize(*edge, ui->BinThV->text().toDouble())));
}

void ImgProc::setRefBin()
{
    if (!bin)
        return;
    ref.reset(new ProcImage(*bin));
    ref->updateRange();
    drawOnImage();
}

void ImgProc::showImage(std::unique_ptr<QImage> next)
{
    const bool refit = !image || image->size() != next->size();
    ui->DispA->setImage(next.get());
    image = std::move(next);
    if (refit)
        ui->DispA->fitToImage();
    ui->DispA->update();
    update();
}

void ImgProc::drawOnImage()
{
    if (drawing) {
        qDebug() << "redraw in progress";
        return;
    }
    drawing = true;
    if (ui->Compare->isChecked()) {
        // The search may hand a shift to the main window, which may hand over
        // another frame: check again after it.
        if (ImageShift::comparable(ref.get(), bin.get()) && ui->AAutoShift->isChecked())
            autoShiftBinImg0();
        if (ImageShift::comparable(ref.get(), bin.get())) {
            std::unique_ptr<QImage> next(new QImage());
            score = ImageShift::overlay(*ref, *bin, shiftX(), shiftY(), *next).score();
            ui->NormScolarP->setText(numberText(score).left(6));
            showImage(std::move(next));
        }
    } else {
        const ProcImage *source = ui->BinaryImage->isChecked() ? bin.get() : edge.get();
        if (source) {
            ui->CBar->setValueRange(source->min, source->max);
            showImage(std::unique_ptr<QImage>(new QImage(source->toImage(ui->CBar->scale()))));
        }
    }
    drawing = false;
}

void ImgProc::shiftBinImg()
{
    const QObject *button = sender();
    const qint64 dx = shiftX(), dy = shiftY();
    if (button == ui->ShiftU)
        setShiftEdits(int(dx), ImageShift::clampShift(dy - 1));
    else if (button == ui->ShiftD)
        setShiftEdits(int(dx), ImageShift::clampShift(dy + 1));
    else if (button == ui->ShiftL)
        setShiftEdits(ImageShift::clampShift(dx - 1), int(dy));
    else if (button == ui->ShiftR)
        setShiftEdits(ImageShift::clampShift(dx + 1), int(dy));
    drawOnImage();
}

void ImgProc::autoShiftBinImg()
{
    autoShiftBinImg0();
    drawOnImage();
}

void ImgProc::autoShiftBinImg0()
{
    if (!ImageShift::comparable(ref.get(), bin.get()))
        return;
    const ImageShift::SearchResult r = ImageShift::search(*ref, *bin, shiftX(), shiftY(), score);
    setShiftEdits(r.dx, r.dy);
    if (ui->ASetShift->isChecked())
        setShift();
}

void ImgProc::setShift()
{
    if (!frame) {
        qDebug() << "no frame for the shift";
        return;
    }
    emit imgShift(frame, shiftX(), shiftY());
}

void ImgProc::clearAllShifts() { emit askClearAllShifts(); }
