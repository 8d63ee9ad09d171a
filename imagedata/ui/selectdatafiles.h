#ifndef SELECTDATAFILES_H
#define SELECTDATAFILES_H

#include <QFrame>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <memory>

class EOFSetup;
class ErrPoints;
class SelectDataFilesAdditionalSetup;
class SelectImgDialog;

namespace Ui {
class SelectDataFiles;
}

// The panel through which the user picks the image files of one series and
// browses the images loaded from them. It hands the chosen files on with
// filesSelected(); every loaded image comes back through addImageItem(),
// which gives it its energy and lists it. The file dialog, the energy window
// and the additional-setup window are windows of their own, owned here.
class SelectDataFiles : public QFrame
{
    Q_OBJECT

public:
    explicit SelectDataFiles(QWidget *parent = nullptr);
    ~SelectDataFiles() override;

    // Lists a loaded image; i is its position in the list of files selected.
    // Returns the energy given to it, in eV.
    double addImageItem(const QString &name, int i);
    void emitFilesSelected(const QStringList &files);

    // The series' name: the text of the Select button and the window titles
    // of the file dialog and of both setup windows.
    void setCaption(const QString &caption);

    // The rules of a load request as the fields give them: files left out at
    // the start and at the end (at least 0), the step (at least 1), whether
    // 'Live' files are left out, and the series' bad-pixel list.
    int loadStart() const;
    int loadTail() const;
    int loadStep() const;
    bool skipLive() const;
    bool showLatest() const;
    ErrPoints *errPoints();

    // The list of loaded images: their number and the current one (-1: none).
    int imageCount() const;
    int currentIndex() const;
    // The exposure time of the series in ms as the field gives it; 0 and ok
    // false when it is not a number.
    double expTimeMS(bool *ok = nullptr) const;

    SelectImgDialog *fileDialog() const { return imageDialog.get(); }
    EOFSetup *eofSetup() const { return energyWindow.get(); }
    SelectDataFilesAdditionalSetup *additionalSetup() const { return moreSetup.get(); }

signals:
    void currentIndexChanged(int i);
    void filesSelected(QStringList files, bool clearFirst);
    void clear();
    void setDarkArea();
    void updateDarkArea();
    void clearDarkArea();

public slots:
    void newImageSelected(int i);
    void clearFiles();
    void prev();
    void next();
    void select(int i);
    void setSkip(int n);
    void setCutF(int n);
    void setCutL(int n);
    void setShowLatest(bool on);
    void setEngByName(bool on);
    void setEngByCalc(bool on);
    void setEngCalcStart(double v);
    void setEngCalcDelta(double v);
    void setEngCalcEnd(double v);
    void setEngCalcNum(int n);
    void setEvenInEng(bool on);
    void setEvenInDeg(bool on);
    void setDispUnit(int n);
    void setEngByNameRegExp(const QString &pattern);
    void setEngByNameFactor(double f);
    void setExpTimeMS(double ms, bool uniform);
    // Why a named file cannot be read, and what energies the images keep;
    // empty when it was read or none is named.
    QString setEngByRef(const QString &path);
    void darkArea(const QRectF &r);

private:
    Ui::SelectDataFiles *ui;
    std::unique_ptr<SelectImgDialog> imageDialog;
    std::unique_ptr<EOFSetup> energyWindow;
    std::unique_ptr<SelectDataFilesAdditionalSetup> moreSetup;
};

#endif
