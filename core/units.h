#ifndef UNITS_H
#define UNITS_H

#include <QObject>

// Holds the lattice spacing d (Angstrom) of the monochromator crystal.
class Units : public QObject
{
    Q_OBJECT

public:
    explicit Units(double d = 0.0, QObject *parent = nullptr);
    double d() const;

public slots:
    void setD(double d);

private:
    double spacing;
};

#endif
