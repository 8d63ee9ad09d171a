#ifndef LEASTSQUARE_H
#define LEASTSQUARE_H

#include <QString>
#include <QVector>

// Polynomial least squares y = c0 + c1·x + ... + c(n-1)·x^(n-1), accumulated
// point by point from power sums.
class LeastSquare
{
public:
    explicit LeastSquare(int n = 2);

    void add(double x, double y);
    // Solves the normal equations; false, coefficients unchanged, when singular.
    bool solve();
    // Root-mean-square residual of the current coefficients; stored in rms.
    double residual();
    // Adds the points of columns xColumn and yColumn (counted from 0 in the
    // items of a line) of the lines after lastHeaderLine (-1: every line) and
    // writes the first two coefficients of the last good fit to the debug
    // log. Only the classic program defines it (analysis/leastsquarefitfile.cpp).
    void fitFile(const QString &fileName, int xColumn, int yColumn, int lastHeaderLine);

    int tag;
    int n;
    QVector<double> coefficients;
    QVector<double> powerSums;     // entry k: sum of x^k, k = 0 .. 2n-1
    QVector<double> weightedSums;  // entry k: sum of y·x^k, k = 0 .. n-1
    double sumY2;
    int count;
    bool autoSolve;
    QVector<double> residuals;     // one per added point while autoSolve is on
    double rms;
};

#endif
