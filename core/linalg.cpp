#include "core/linalg.h"

#include <cmath>
#include <cstdio>

double **LinAlg::newMatrix(int n)
{
    if (n < 1)
        return nullptr;
    double **m = new double *[n];
    for (int i = 0; i < n; i++)
        m[i] = new double[n];
    return m;
}

double *LinAlg::newVector(int n)
{
    return n < 1 ? nullptr : new double[n];
}

int *LinAlg::newIntVector(int n)
{
    return n < 1 ? nullptr : new int[n];
}

void LinAlg::deleteMatrix(int n, double **m)
{
    if (!m)
        return;
    for (int i = 0; i < n; i++)
        delete[] m[i];
    delete[] m;
}

void LinAlg::deleteVector(double *v)
{
    delete[] v;
}

void LinAlg::deleteIntVector(int *v)
{
    delete[] v;
}

void LinAlg::zeroMatrix(int n, double **m)
{
    for (int i = 0; i < n; i++)
        zeroVector(n, m[i]);
}

void LinAlg::zeroVector(int n, double *v)
{
    for (int i = 0; i < n; i++)
        v[i] = 0.0;
}

void LinAlg::zeroVector(int n, int *v)
{
    for (int i = 0; i < n; i++)
        v[i] = 0;
}

void LinAlg::identity(int n, double **m)
{
    zeroMatrix(n, m);
    for (int i = 0; i < n; i++)
        m[i][i] = 1.0;
}

void LinAlg::copyMatrix(int n, double **from, double **to)
{
    for (int i = 0; i < n; i++)
        copyVector(n, from[i], to[i]);
}

void LinAlg::copyVector(int n, double *from, double *to)
{
    for (int i = 0; i < n; i++)
        to[i] = from[i];
}

void LinAlg::multiply(int n, double **a, double **b, double **c)
{
    for (int i = 0; i < n; i++) {
        for (int j = 0; j < n; j++) {
            double s = 0.0;
            for (int k = 0; k < n; k++)
                s += a[i][k] * b[k][j];
            c[i][j] = s;
        }
    }
}

void LinAlg::multiplyVector(int n, double **a, double *x, double *y)
{
    for (int i = 0; i < n; i++) {
        double s = 0.0;
        for (int k = 0; k < n; k++)
            s += a[i][k] * x[k];
        y[i] = s;
    }
}

bool LinAlg::hasNaN(int n, double **m)
{
    for (int i = 0; i < n; i++) {
        if (hasNaN(n, m[i]))
            return true;
    }
    return false;
}

bool LinAlg::hasNaN(int n, double *v)
{
    for (int i = 0; i < n; i++) {
        if (std::isnan(v[i]))
            return true;
    }
    return false;
}

bool LinAlg::luDecompose(int n, double **a, double **l, double **u, int *perm)
{
    if (n < 1)
        return true;
    for (int i = 0; i < n; i++)
        perm[i] = i;
    copyMatrix(n, a, l);

    bool ok = true;
    for (int c = 0; c < n; c++) {
        double maxAbs = 0.0;
        int chosen = c;
        for (int r = c; r < n; r++) {
            const double v = std::fabs(l[perm[r]][c]);
            if (v > maxAbs) {
                maxAbs = v;
                chosen = r;
            }
        }
        const int t = perm[c];
        perm[c] = perm[chosen];
        perm[chosen] = t;

        double *pivotRow = l[perm[c]];
        const double pivot = pivotRow[c];
        if (pivot == 0.0) {
            ok = false;
            continue;
        }
        for (int r = c + 1; r < n; r++) {
            double *row = l[perm[r]];
            const double m = row[c] / pivot;
            row[c] = m;
            for (int j = c + 1; j < n; j++)
                row[j] -= pivotRow[j] * m;
        }
    }

    for (int i = 0; i < n; i++) {
        const int p = perm[i];
        for (int j = 0; j < n; j++) {
            if (j >= i) {
                u[p][j] = l[p][j];
                l[p][j] = (j == i) ? 1.0 : 0.0;
            } else {
                u[p][j] = 0.0;
            }
        }
    }
    return ok;
}

bool LinAlg::solveL(int n, double **l, double *b, double *y, int *perm)
{
    copyVector(n, b, y);
    bool ok = true;
    for (int k = 0; k < n - 1; k++) {
        const double d = l[perm[k]][k];
        if (d == 0.0) {
            ok = false;
            continue;
        }
        y[perm[k]] /= d;
        for (int r = k + 1; r < n; r++)
            y[perm[r]] -= y[perm[k]] * l[perm[r]][k];
    }
    return ok;
}

bool LinAlg::solveU(int n, double **u, double *y, double *x, int *perm)
{
    copyVector(n, y, x);
    bool ok = true;
    for (int k = n - 1; k >= 0; k--) {
        const double d = u[perm[k]][k];
        if (d == 0.0) {
            ok = false;
            continue;
        }
        x[perm[k]] /= d;
        for (int r = k - 1; r >= 0; r--)
            x[perm[r]] -= x[perm[k]] * u[perm[r]][k];
    }
    return ok;
}

namespace {

// solve for n = 2: the operations of luDecompose, solveL and solveU in their
// order, on the values alone. Row r0 is the pivot row (perm[0]), r1 the other.
bool solve2(double **a, const double *b, double *result, bool stopOnSingular)
{
    const double first = std::fabs(a[0][0]);
    const bool swap = std::fabs(a[1][0]) > (first > 0.0 ? first : 0.0);
    const int p0 = swap ? 1 : 0, p1 = swap ? 0 : 1;
    const double r00 = a[p0][0], r01 = a[p0][1];
    double r10 = a[p1][0], r11 = a[p1][1];
    bool ok = true;
    if (r00 == 0.0) {
        ok = false;
    } else {
        const double m = r10 / r00;
        r10 = m;
        r11 -= r01 * m;
    }
    if (r11 == 0.0)
        ok = false;
    if (!ok && stopOnSingular)
        return false;
    // L has ones on its diagonal: solveL divides by 1.0, which changes no value.
    const double y0 = b[p0];
    const double y1 = b[p1] - y0 * r10;
    double x0 = y0, x1 = y1;
    if (r11 != 0.0) {
        x1 /= r11;
        x0 -= x1 * r01;
    }
    if (r00 != 0.0)
        x0 /= r00;
    result[0] = x0;
    result[1] = x1;
    return ok;
}

} // namespace

bool LinAlg::solve(int n, double **a, const double *b, double *result, bool stopOnSingular)
{
    if (n < 1)
        return true;
    if (n == 2)
        return solve2(a, b, result, stopOnSingular);
    // Small systems (every fit here) work in arrays on the stack.
    const int Small = 8;
    double lRows[Small][Small], uRows[Small][Small];
    double *lSmall[Small], *uSmall[Small];
    double vectors[3][Small];
    int permSmall[Small];
    const bool small = n <= Small;
    double **l, **u, *rhs, *y, *x;
    int *perm;
    if (small) {
        for (int i = 0; i < n; i++) {
            lSmall[i] = lRows[i];
            uSmall[i] = uRows[i];
        }
        l = lSmall;
        u = uSmall;
        rhs = vectors[0];
        y = vectors[1];
        x = vectors[2];
        perm = permSmall;
    } else {
        l = newMatrix(n);
        u = newMatrix(n);
        rhs = newVector(n);
        y = newVector(n);
        x = newVector(n);
        perm = newIntVector(n);
    }
    for (int i = 0; i < n; i++)
        rhs[i] = b[i];

    bool ok = luDecompose(n, a, l, u, perm);
    if (ok || !stopOnSingular) {
        const bool okL = solveL(n, l, rhs, y, perm);
        const bool okU = solveU(n, u, y, x, perm);
        ok = ok && okL && okU;
        for (int k = 0; k < n; k++)
            result[k] = x[perm[k]];
    }

    if (!small) {
        deleteIntVector(perm);
        deleteVector(x);
        deleteVector(y);
        deleteVector(rhs);
        deleteMatrix(n, u);
        deleteMatrix(n, l);
    }
    return ok;
}

void LinAlg::eliminate(int n, double **a, double **b)
{
    if (n < 1)
        return;
    bool *available = new bool[n];
    for (int i = 0; i < n; i++)
        available[i] = true;

    for (int pass = 0; pass < n; pass++) {
        int r = -1;
        double maxAbs = -1e300;
        for (int i = 0; i < n; i++) {
            if (!available[i])
                continue;
            if (r < 0)
                r = i;  // kept when every candidate is NaN
            const double v = std::fabs(a[i][i]);
            if (v > maxAbs) {
                maxAbs = v;
                r = i;
            }
        }
        available[r] = false;
        const double pivot = a[r][r];
        if (pivot == 0.0)
            continue;
        for (int j = 0; j < n; j++) {
            a[r][j] /= pivot;
            b[r][j] /= pivot;
        }
        for (int i = 0; i < n; i++) {
            if (!available[i])
                continue;
            const double f = a[i][r];
            for (int j = 0; j < n; j++) {
                a[i][j] -= a[r][j] * f;
                b[i][j] -= b[r][j] * f;
            }
        }
    }
    delete[] available;
}

void LinAlg::print(const char *name, int n, double **m)
{
    printf("# %s = \n# ", name);
    for (int i = 0; i < n; i++) {
        for (int j = 0; j < n; j++)
            printf("%g ", m[i][j]);
        printf("\n# ");
    }
    printf("\n");
}

void LinAlg::print(const char *name, int n, double **m, int *perm)
{
    printf("# %s = \n# ", name);
    for (int i = 0; i < n; i++) {
        for (int j = 0; j < n; j++)
            printf("%g ", m[perm[i]][j]);
        printf("\n# ");
    }
    printf("\n");
}

void LinAlg::print(const char *name, int n, double *v)
{
    printf("# %s = \n# ", name);
    for (int i = 0; i < n; i++)
        printf("%g ", v[i]);
    printf("\n# \n");
}

void LinAlg::print(const char *name, int n, int *v)
{
    printf("# %s = \n# ", name);
    for (int i = 0; i < n; i++)
        printf("%d ", v[i]);
    printf("\n# \n");
}

void LinAlg::print(const char *name, int n, double *v, int *perm)
{
    printf("# %s = \n# ", name);
    for (int i = 0; i < n; i++)
        printf("%g ", v[perm[i]]);
    printf("\n# \n");
}
