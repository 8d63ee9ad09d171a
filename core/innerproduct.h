#ifndef INNERPRODUCT_H
#define INNERPRODUCT_H

#include <cmath>

// The sums of a*a, b*b and a*b over the pairs added, in the order added, and
// the normalised inner product they give.
class InnerProduct
{
public:
    void add(double a, double b)
    {
        aa += a * a;
        bb += b * b;
        ab += a * b;
    }
    // ab / sqrt(aa * bb) into c; false, c untouched, unless both sums of
    // squares are positive.
    bool normalised(double *c) const
    {
        if (!(aa > 0.0) || !(bb > 0.0))
            return false;
        *c = ab / std::sqrt(aa * bb);
        return true;
    }

    double aa = 0.0;
    double bb = 0.0;
    double ab = 0.0;
};

#endif
