#include "core/leastsquare.h"

#include "core/linalg.h"

#include <cmath>

LeastSquare::LeastSquare(int n)
    : tag(0), n(n < 1 ? 1 : n), coefficients(this->n, 0.0), powerSums(2 * this->n, 0.0),
      weightedSums(this->n, 0.0), sumY2(0.0), count(0), autoSolve(false), rms(0.0)
{
}

void LeastSquare::add(double x, double y)
{
    double xk = 1.0;
    for (int k = 0; k < 2 * n; k++) {
        powerSums[k] += xk;
        if (k < n)
            weightedSums[k] += y * xk;
        xk *= x;
    }
    count++;
    sumY2 += y * y;
    if (autoSolve)
        residuals.append(solve() ? residual() : -1.0);
}

bool LeastSquare::solve()
{
    LinAlg la;
    double **a = la.newMatrix(n);
    for (int i = 0; i < n; i++) {
        for (int j = 0; j < n; j++)
            a[i][j] = powerSums[i + j];
    }
    QVector<double> result(coefficients);
    const bool ok = la.solve(n, a, weightedSums.constData(), result.data(), true);
    la.deleteMatrix(n, a);
    if (ok)
        coefficients = result;
    return ok;
}

double LeastSquare::residual()
{
    rms = 0.0;
    if (count > 0) {
        double s = sumY2;
        for (int i = 0; i < n; i++) {
            s -= 2.0 * coefficients[i] * weightedSums[i];
            for (int j = 0; j < n; j++)
                s += coefficients[i] * coefficients[j] * powerSums[i + j];
        }
        if (s > 0.0)
            rms = std::sqrt(s / count);
    }
    return rms;
}
