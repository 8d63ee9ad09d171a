#include "core/fft1d.h"

#include <QDebug>
#include <cmath>
#include <cstring>
#include <new>

#include "core/spectrum.h"

Fft1D::Fft1D()
    : n(0), fwdIn(nullptr), fwdOut(nullptr), invIn(nullptr), invOut(nullptr),
      forwardPlan(nullptr), inversePlan(nullptr), magnitudes(nullptr)
{
}

Fft1D::~Fft1D() { clear(); }

static void freeBuffer(fftw_complex *&buf)
{
    if (buf)
        fftw_free(buf);
    buf = nullptr;
}

void Fft1D::clear()
{
    if (forwardPlan)
        fftw_destroy_plan(forwardPlan);
    if (inversePlan)
        fftw_destroy_plan(inversePlan);
    forwardPlan = inversePlan = nullptr;
    freeBuffer(fwdIn);
    freeBuffer(fwdOut);
    freeBuffer(invIn);
    freeBuffer(invOut);
    delete[] magnitudes;
    magnitudes = nullptr;
    n = 0;
}

// Zeroed, so that reading a result before the first transform gives zeros.
static fftw_complex *newBuffer(int n)
{
    const size_t bytes = sizeof(fftw_complex) * size_t(n);
    auto *buf = static_cast<fftw_complex *>(fftw_malloc(bytes));
    if (buf)
        std::memset(buf, 0, bytes);
    return buf;
}

void Fft1D::setSize(int size)
{
    if (size == n)
        return;
    clear();
    if (size < 1)
        return;
    fwdIn = newBuffer(size);
    fwdOut = newBuffer(size);
    invIn = newBuffer(size);
    invOut = newBuffer(size);
    magnitudes = new (std::nothrow) double[size_t(size)];
    if (!fwdIn || !fwdOut || !invIn || !invOut || !magnitudes) {
        qDebug() << "Fft1D: cannot allocate buffers of length" << size;
        clear();
        return;
    }
    n = size;
    forwardPlan = fftw_plan_dft_1d(n, fwdIn, fwdOut, FFTW_FORWARD, FFTW_ESTIMATE);
    inversePlan = fftw_plan_dft_1d(n, invIn, invOut, FFTW_BACKWARD, FFTW_ESTIMATE);
    if (!forwardPlan || !inversePlan) {
        qDebug() << "Fft1D: cannot plan transforms of length" << size;
        clear();
    }
}

void Fft1D::forward(const double *data)
{
    if (n == 0 || !data)
        return;
    for (int i = 0; i < n; i++) {
        fwdIn[i][0] = data[i];
        fwdIn[i][1] = 0.0;
    }
    fftw_execute(forwardPlan);
}

void Fft1D::forward(const Spectrum &spectrum)
{
    if (n == 0)
        return;
    const int count = spectrum.points.size();
    for (int i = 0; i < n; i++) {
        fwdIn[i][0] = i < count ? spectrum.points[i].y() : 0.0;
        fwdIn[i][1] = 0.0;
    }
    fftw_execute(forwardPlan);
}

const double *Fft1D::magnitude()
{
    if (n == 0)
        return nullptr;
    for (int i = 0; i < n; i++)
        magnitudes[i] = std::sqrt(fwdOut[i][0] * fwdOut[i][0] + fwdOut[i][1] * fwdOut[i][1]);
    return magnitudes;
}

void Fft1D::inverse(const fftw_complex *data)
{
    if (n == 0 || !data)
        return;
    std::memcpy(invIn, data, sizeof(fftw_complex) * size_t(n));
    fftw_execute(inversePlan);
}
