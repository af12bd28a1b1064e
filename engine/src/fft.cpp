#include "fft.h"
#include <complex>
#include <math.h>
#include <vector>

static const double kPi = 3.14159265358979323846;

void Spectrum(const float* samples, int n, bool window, bool removeDc, bool nyquist, float* mags) {
    std::vector<std::complex<double>> a((size_t)n);
    double mean = 0;
    if (removeDc) {
        for (int i = 0; i < n; i++) mean += samples[i];
        mean /= n;
    }
    // The Hann window of the last size asked for on this thread, worked out once:
    // a spectrum shown on screen asks for the same size many times a second.
    thread_local std::vector<double> hann;
    if (window && hann.size() != (size_t)n) {
        hann.resize((size_t)n);
        for (int i = 0; i < n; i++) hann[(size_t)i] = 0.5 - 0.5 * cos(2 * kPi * i / n);
    }
    for (int i = 0; i < n; i++) {
        double w = window ? hann[(size_t)i] : 1.0;
        a[(size_t)i] = (samples[i] - mean) * w;
    }
    // Iterative radix-2, bit-reversed order first.
    for (int i = 1, j = 0; i < n; i++) {
        int bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) std::swap(a[(size_t)i], a[(size_t)j]);
    }
    for (int len = 2; len <= n; len <<= 1) {
        double ang = -2 * kPi / len;
        std::complex<double> wl(cos(ang), sin(ang));
        for (int i = 0; i < n; i += len) {
            std::complex<double> w(1);
            for (int k = 0; k < len / 2; k++) {
                std::complex<double> u = a[(size_t)(i + k)], v = a[(size_t)(i + k + len / 2)] * w;
                a[(size_t)(i + k)] = u + v;
                a[(size_t)(i + k + len / 2)] = u - v;
                w *= wl;
            }
        }
    }
    int bins = n / 2 + (nyquist ? 1 : 0);
    for (int i = 0; i < bins; i++) mags[i] = (float)(std::abs(a[(size_t)i]) * 2 / n);
}
