#ifndef FFT1D_H
#define FFT1D_H

#include <fftw3.h>

class Spectrum;

// One-dimensional complex DFT of FFTW for one transform length: buffers and plans are
// kept between calls and rebuilt only when the length changes.
class Fft1D
{
public:
    Fft1D();
    ~Fft1D();
    Fft1D(const Fft1D &) = delete;
    Fft1D &operator=(const Fft1D &) = delete;

    void clear();
    void setSize(int n);
    int size() const { return n; }

    // Real input (imaginary parts 0); nothing happens without buffers.
    void forward(const double *data);
    // The spectrum's y values, zero-padded to the transform length.
    void forward(const Spectrum &spectrum);
    // |X[k]| of the last forward transform, n entries owned by this object; null when empty.
    const double *magnitude();
    // Unnormalised backward transform of n complex values into inverseOutput().
    void inverse(const fftw_complex *data);

    const fftw_complex *forwardOutput() const { return fwdOut; }
    const fftw_complex *inverseOutput() const { return invOut; }

private:
    int n;
    fftw_complex *fwdIn;
    fftw_complex *fwdOut;
    fftw_complex *invIn;
    fftw_complex *invOut;
    fftw_plan forwardPlan;
    fftw_plan inversePlan;
    double *magnitudes;
};

#endif
