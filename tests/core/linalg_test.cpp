#include <gtest/gtest.h>

#include "core/leastsquare.h"
#include "core/linalg.h"

#include <cmath>
#include <cstring>
#include <string>

namespace {

// Matrices and vectors of a solve, freed with the object.
struct System
{
    explicit System(int size) : n(size)
    {
        a = la.newMatrix(n);
        l = la.newMatrix(n);
        u = la.newMatrix(n);
        b = la.newVector(n);
        y = la.newVector(n);
        x = la.newVector(n);
        perm = la.newIntVector(n);
    }
    ~System()
    {
        la.deleteMatrix(n, a);
        la.deleteMatrix(n, l);
        la.deleteMatrix(n, u);
        la.deleteVector(b);
        la.deleteVector(y);
        la.deleteVector(x);
        la.deleteIntVector(perm);
    }
    bool decompose() { return la.luDecompose(n, a, l, u, perm); }
    bool solveAll()
    {
        const bool ok = decompose();
        const bool okL = la.solveL(n, l, b, y, perm);
        const bool okU = la.solveU(n, u, y, x, perm);
        return ok && okL && okU;
    }
    double unknown(int k) const { return x[perm[k]]; }

    LinAlg la;
    int n;
    double **a, **l, **u;
    double *b, *y, *x;
    int *perm;
};

} // namespace

TEST(LinAlgLu, PivotsZeroFirstEntry)
{
    System s(2);
    s.a[0][0] = 0;
    s.a[0][1] = 1;
    s.a[1][0] = 1;
    s.a[1][1] = 0;
    s.b[0] = 2;
    s.b[1] = 3;
    ASSERT_TRUE(s.solveAll());
    EXPECT_EQ(s.perm[0], 1);
    EXPECT_DOUBLE_EQ(s.unknown(0), 3.0);
    EXPECT_DOUBLE_EQ(s.unknown(1), 2.0);
    EXPECT_EQ(s.a[0][0], 0.0);  // a is not changed
    EXPECT_EQ(s.b[0], 2.0);     // nor b
}

TEST(LinAlgLu, SingularReported)
{
    System s(3);
    const double rows[3][3] = {{1, 2, 3}, {1, 2, 3}, {0, 1, 4}};
    for (int i = 0; i < 3; i++)
        for (int j = 0; j < 3; j++)
            s.a[i][j] = rows[i][j];
    EXPECT_FALSE(s.decompose());
    bool zeroOnDiagonal = false;
    for (int i = 0; i < 3; i++)
        zeroOnDiagonal = zeroOnDiagonal || s.u[s.perm[i]][i] == 0.0;
    EXPECT_TRUE(zeroOnDiagonal);
    s.la.zeroVector(3, s.b);
    EXPECT_FALSE(s.la.solveU(3, s.u, s.b, s.x, s.perm));
}

TEST(LinAlgLu, SizeOneAndTies)
{
    System one(1);
    one.a[0][0] = 5;
    one.b[0] = 10;
    ASSERT_TRUE(one.decompose());
    EXPECT_EQ(one.l[0][0], 1.0);
    EXPECT_EQ(one.u[0][0], 5.0);
    EXPECT_TRUE(one.la.solveL(1, one.l, one.b, one.y, one.perm));
    EXPECT_EQ(one.y[0], 10.0);
    EXPECT_TRUE(one.la.solveU(1, one.u, one.y, one.x, one.perm));
    EXPECT_EQ(one.x[0], 2.0);

    System tie(3);
    const double rows[3][3] = {{1, 1, 0}, {-3, 1, 2}, {3, 0, 1}};
    for (int i = 0; i < 3; i++)
        for (int j = 0; j < 3; j++)
            tie.a[i][j] = rows[i][j];
    ASSERT_TRUE(tie.decompose());
    EXPECT_EQ(tie.perm[0], 1);  // |-3| and |3| tie: the upper row wins
}

TEST(LinAlgLu, TwelveByTwelveReproducesRightSide)
{
    const int n = 12;
    System s(n);
    for (int i = 0; i < n; i++) {
        for (int j = 0; j < n; j++)
            s.a[i][j] = std::sin(1.0 + i * 7 + j * 3) + (i == j ? 4.0 : 0.0);
        s.b[i] = i - 5.5;
    }
    ASSERT_TRUE(s.solveAll());
    double *sol = s.la.newVector(n);
    double *check = s.la.newVector(n);
    for (int k = 0; k < n; k++)
        sol[k] = s.unknown(k);
    s.la.multiplyVector(n, s.a, sol, check);
    for (int i = 0; i < n; i++)
        EXPECT_NEAR(check[i], s.b[i], 1e-10);
    EXPECT_FALSE(s.la.hasNaN(n, s.u));
    double result[n];
    EXPECT_TRUE(s.la.solve(n, s.a, s.b, result));
    for (int k = 0; k < n; k++)
        EXPECT_DOUBLE_EQ(result[k], sol[k]);
    sol[3] = NAN;
    EXPECT_TRUE(s.la.hasNaN(n, sol));
    s.la.deleteVector(sol);
    s.la.deleteVector(check);
}

TEST(LinAlgKernel, MultiplyIdentityEliminate)
{
    LinAlg la;
    double **a = la.newMatrix(2), **b = la.newMatrix(2), **c = la.newMatrix(2);
    a[0][0] = 2;
    a[0][1] = 1;
    a[1][0] = 4;
    a[1][1] = 3;
    la.identity(2, b);
    la.multiply(2, a, b, c);
    EXPECT_EQ(c[1][0], 4.0);
    EXPECT_EQ(c[0][1], 1.0);

    // Pivot row 1 (|3| > |2|) first; row 0 is reduced by it and then scaled.
    la.eliminate(2, a, b);
    EXPECT_DOUBLE_EQ(a[1][1], 1.0);
    EXPECT_DOUBLE_EQ(a[1][0], 4.0 / 3.0);
    EXPECT_DOUBLE_EQ(a[0][0], 1.0);
    EXPECT_DOUBLE_EQ(a[0][1], 0.0);
    la.deleteMatrix(2, a);
    la.deleteMatrix(2, b);
    la.deleteMatrix(2, c);
    la.deleteMatrix(2, nullptr);
    la.deleteVector(nullptr);
}

TEST(LinAlgKernel, PrintFormat)
{
    LinAlg la;
    double v[2] = {1.5, -2};
    int p[2] = {1, 0};
    testing::internal::CaptureStdout();
    la.print("v", 2, v);
    la.print("w", 2, v, p);
    la.print("p", 2, p);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "# v = \n# 1.5 -2 \n# \n# w = \n# -2 1.5 \n# \n# p = \n# 1 0 \n# \n");
}

TEST(LeastSquareFit, StraightLine)
{
    LeastSquare ls(2);
    ls.add(0, 1);
    ls.add(1, 3);
    ls.add(2, 5);
    ASSERT_TRUE(ls.solve());
    EXPECT_NEAR(ls.coefficients[0], 1.0, 1e-12);
    EXPECT_NEAR(ls.coefficients[1], 2.0, 1e-12);
    EXPECT_NEAR(ls.residual(), 0.0, 1e-6);
    EXPECT_EQ(ls.count, 3);
    EXPECT_DOUBLE_EQ(ls.sumY2, 35.0);
}

TEST(LeastSquareFit, SingularAndAutoSolve)
{
    LeastSquare ls(2);
    ls.autoSolve = true;
    ls.coefficients[0] = 7.0;
    ls.add(1, 2);  // one point cannot fix a line
    ASSERT_EQ(ls.residuals.size(), 1);
    EXPECT_EQ(ls.residuals[0], -1.0);
    EXPECT_EQ(ls.coefficients[0], 7.0);
    ls.add(2, 2);
    ls.add(3, 5);
    ASSERT_EQ(ls.residuals.size(), 3);
    EXPECT_NEAR(ls.residuals[1], 0.0, 1e-6);
    EXPECT_GT(ls.residuals[2], 0.5);
    EXPECT_EQ(ls.rms, ls.residuals[2]);
    EXPECT_EQ(LeastSquare(3).residual(), 0.0);
}

// solve takes a short way for two unknowns; it must give what the three steps
// give, to the bit, also for zero, tied, NaN and infinite entries.
TEST(LinAlgLu, TwoByTwoSolveEqualsTheSteps)
{
    const double values[] = {0.0, -0.0, 1.0, -1.0, 3.0, -3.0, 1e-300, 1e300, NAN, INFINITY};
    int systems = 0;
    for (double a00 : values)
        for (double a01 : values)
            for (double a10 : values)
                for (double a11 : {0.0, 2.0, -0.5, 1e300, double(NAN)})
                    for (bool stop : {false, true}) {
                        System s(2);
                        s.a[0][0] = a00;
                        s.a[0][1] = a01;
                        s.a[1][0] = a10;
                        s.a[1][1] = a11;
                        s.b[0] = 7.0;
                        s.b[1] = -0.25;
                        const bool okLu = s.decompose();
                        const bool okSteps = s.solveAll();
                        double result[2] = {123.0, 456.0};
                        const bool ok = s.la.solve(2, s.a, s.b, result, stop);
                        SCOPED_TRACE(testing::Message() << a00 << " " << a01 << " " << a10 << " "
                                                        << a11 << " stop " << stop);
                        ASSERT_EQ(ok, okSteps);
                        if (stop && !okLu) {
                            EXPECT_EQ(result[0], 123.0);
                            EXPECT_EQ(result[1], 456.0);
                            continue;
                        }
                        // Any NaN is as good as another.
                        for (int k = 0; k < 2; k++) {
                            const double want = s.unknown(k);
                            if (!(std::isnan(want) && std::isnan(result[k])))
                                ASSERT_EQ(std::memcmp(&result[k], &want, sizeof want), 0) << k;
                        }
                        systems++;
                    }
    EXPECT_GT(systems, 1000);
}
