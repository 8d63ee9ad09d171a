#ifndef SELECTDATAFILESADDITIONALSETUP_H
#define SELECTDATAFILESADDITIONALSETUP_H

#include <QFrame>
#include <QRectF>
#include <QString>

#include "imagedata/_filedialog.h"
#include "imagedata/errpoints.h"
#include "ui_selectdatafilesadditionalsetup.h"

// The less frequent options of one image series: its dark area, whether new
// images are shown as they load, whether 'Live' files are left out, and the
// series' own bad-pixel list.
class SelectDataFilesAdditionalSetup : public QFrame, public Ui_SelectDataFilesAdditionalSetup
{
    Q_OBJECT

public:
    explicit SelectDataFilesAdditionalSetup(QWidget *parent = nullptr);

    // "(x0,y0)-(x1,y1)" of a rectangle, each corner truncated toward zero.
    static QString areaText(const QRectF &r);

    _FileDialog errPsDefDialog;
    ErrPoints errPoints;

signals:
    void setDarkArea();
    void updateDarkArea();
    void clearDarkArea();

public slots:
    void errPsDefSelected(const QString &path);
    void toggledUseErrPs(bool on);
    void darkArea(const QRectF &r);
};

#endif
