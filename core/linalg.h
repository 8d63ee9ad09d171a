#ifndef LINALG_H
#define LINALG_H

// Small dense linear algebra: square matrices as arrays of row pointers,
// LU decomposition with partial row pivoting and the two substitutions.
//
// The decomposition does not move rows: logical row i lives at physical
// index perm[i] in L, U and in the right-hand and solution vectors, so after
// luDecompose, solveL and solveU the value of unknown k is x[perm[k]].
// The caller owns every array obtained here and frees it with the matching
// delete operation.
class LinAlg
{
public:
    double **newMatrix(int n);
    double *newVector(int n);
    int *newIntVector(int n);
    void deleteMatrix(int n, double **m);
    void deleteVector(double *v);
    void deleteIntVector(int *v);

    void zeroMatrix(int n, double **m);
    void zeroVector(int n, double *v);
    void zeroVector(int n, int *v);
    void identity(int n, double **m);
    void copyMatrix(int n, double **from, double **to);
    void copyVector(int n, double *from, double *to);
    void multiply(int n, double **a, double **b, double **c);
    void multiplyVector(int n, double **a, double *x, double *y);
    bool hasNaN(int n, double **m);
    bool hasNaN(int n, double *v);

    // False when a pivot was exactly 0.0; the decomposition is completed anyway.
    bool luDecompose(int n, double **a, double **l, double **u, int *perm);
    bool solveL(int n, double **l, double *b, double *y, int *perm);
    bool solveU(int n, double **u, double *y, double *x, int *perm);

    // Solves a·x = b by luDecompose, solveL and solveU with arrays of its own and
    // writes unknown k to result[k]. Without stopOnSingular all three steps run
    // and the unknowns are written whatever they report; with it a failed
    // decomposition returns at once and leaves result as it was.
    // True only when every step that ran succeeded.
    bool solve(int n, double **a, const double *b, double *result, bool stopOnSingular = false);

    // Gauss elimination of a and b alike, in pivot order (a triangular form).
    void eliminate(int n, double **a, double **b);

    void print(const char *name, int n, double **m);
    void print(const char *name, int n, double **m, int *perm);
    void print(const char *name, int n, double *v);
    void print(const char *name, int n, int *v);
    void print(const char *name, int n, double *v, int *perm);
};

#endif
