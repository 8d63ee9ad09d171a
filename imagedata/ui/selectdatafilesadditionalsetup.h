#ifndef SELECTDATAFILESADDITIONALSETUP_H
#define SELECTDATAFILESADDITIONALSETUP_H

#include <QFrame>
#include <QRectF>
#include <QString>
#include <memory>

#include "imagedata/errpoints.h"

class _FileDialog;

namespace Ui {
class SelectDataFilesAdditionalSetup;
}

// The less frequent options of one image series: its dark area, whether new
// images are shown as they load, whether 'Live' files are left out, and the
// series' own bad-pixel list.
class SelectDataFilesAdditionalSetup : public QFrame
{
    Q_OBJECT

public:
    explicit SelectDataFilesAdditionalSetup(QWidget *parent = nullptr);
    ~SelectDataFilesAdditionalSetup() override;

    // "(x0,y0)-(x1,y1)" of a rectangle, each corner truncated toward zero.
    static QString areaText(const QRectF &r);

    bool showLatest() const;
    void setShowLatest(bool on);
    bool ignoreLiveFiles() const;
    void setIgnoreLiveFiles(bool on);
    // The dark area as shown, "(-,-)-(-,-)" until one is set.
    QString darkAreaText() const;
    // Path of the bad-pixel file loaded last; empty when none.
    QString errPsFile() const;
    ErrPoints *errPoints() { return &errList; }
    const ErrPoints *errPoints() const { return &errList; }
    _FileDialog *errPsDefDialog() const { return errPsDialog.get(); }

signals:
    void setDarkArea();
    void updateDarkArea();
    void clearDarkArea();

public slots:
    void errPsDefSelected(const QString &path);
    void toggledUseErrPs(bool on);
    void darkArea(const QRectF &r);

private:
    Ui::SelectDataFilesAdditionalSetup *ui;
    std::unique_ptr<_FileDialog> errPsDialog;
    ErrPoints errList;
};

#endif
