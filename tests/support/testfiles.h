#ifndef TESTFILES_H
#define TESTFILES_H

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <QTemporaryDir>
#include <QVector>

// A scratch folder for files that a test writes on the fly; removed with the object.
class TestFiles
{
public:
    TestFiles();
    QString dir() const;
    QString path(const QString &name) const;
    // Writes the bytes to name inside the folder and returns the full path.
    QString write(const QString &name, const QByteArray &bytes) const;
    QString writeText(const QString &name, const QString &text) const;
    QByteArray read(const QString &name) const;
    // The lines of the one map file whose name starts with name, its date
    // left out; a line saying how many there are when not one.
    QStringList savedMap(const QString &name) const;

private:
    QTemporaryDir tmp;
};

// Collects the debug messages written while it exists (and passes them on).
class DebugCapture
{
public:
    DebugCapture();
    ~DebugCapture();
    QStringList messages() const;
    // Whether some message contains text.
    bool contains(const QString &text) const;
    int count(const QString &text) const;

private:
    QtMessageHandler previous;
};

// A file shipped with the sources under data/.
QString sourceDataPath(const QString &relative);

// a and b hold the same bits; the second also takes any two NaN as the same.
bool sameBits(double a, double b);
bool sameBitsOrNaN(double a, double b);

// The measured spectrum data/relative at n energies from e0 in steps of de:
// its values appended to values, and "energy value" lines; empty when the
// file can not be read.
QString resampledSpectrum(const QString &relative, double e0, double de, int n,
                          QVector<double> &values);

#endif
