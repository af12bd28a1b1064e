#include "fft.h"
#include <math.h>
#include <utility>
#include <vector>

static const double kPi = 3.14159265358979323846;

namespace {

// What a size needs worked out once: the Hann window, the twiddle factors
// and the bit-reversal swaps. A spectrum shown on screen asks for the same
// size many times a second, so each thread keeps the last size asked for.
struct Plan {
    int n = 0;
    std::vector<double> hann, cosines, sines;  // n, n / 2, n / 2
    std::vector<std::pair<int, int>> swaps;    // i < j, bit-reversed pairs
    std::vector<double> re, im;                // working space
};

Plan& PlanFor(int n) {
    thread_local Plan p;
    if (p.n == n) return p;
    p.n = n;
    p.hann.resize((size_t)n);
    for (int i = 0; i < n; i++) p.hann[(size_t)i] = 0.5 - 0.5 * cos(2 * kPi * i / n);
    p.cosines.resize((size_t)n / 2);
    p.sines.resize((size_t)n / 2);
    for (int k = 0; k < n / 2; k++) {
        p.cosines[(size_t)k] = cos(-2 * kPi * k / n);
        p.sines[(size_t)k] = sin(-2 * kPi * k / n);
    }
    p.swaps.clear();
    for (int i = 1, j = 0; i < n; i++) {
        int bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) p.swaps.emplace_back(i, j);
    }
    p.re.resize((size_t)n);
    p.im.resize((size_t)n);
    return p;
}

}  // namespace

void Spectrum(const float* samples, int n, bool window, bool removeDc, bool nyquist, float* mags) {
    Plan& p = PlanFor(n);
    double* re = p.re.data();
    double* im = p.im.data();
    double mean = 0;
    if (removeDc) {
        for (int i = 0; i < n; i++) mean += samples[i];
        mean /= n;
    }
    for (int i = 0; i < n; i++) {
        re[i] = (samples[i] - mean) * (window ? p.hann[(size_t)i] : 1.0);
        im[i] = 0;
    }
    // Iterative radix-2 on plain doubles, bit-reversed order first.
    for (const auto& [i, j] : p.swaps) std::swap(re[i], re[j]);
    for (int len = 2; len <= n; len <<= 1) {
        int half = len / 2, stride = n / len;
        for (int i = 0; i < n; i += len) {
            for (int k = 0; k < half; k++) {
                double wr = p.cosines[(size_t)(k * stride)], wi = p.sines[(size_t)(k * stride)];
                int a = i + k, b = a + half;
                double vr = re[b] * wr - im[b] * wi, vi = re[b] * wi + im[b] * wr;
                re[b] = re[a] - vr;
                im[b] = im[a] - vi;
                re[a] += vr;
                im[a] += vi;
            }
        }
    }
    int bins = n / 2 + (nyquist ? 1 : 0);
    for (int i = 0; i < bins; i++) mags[i] = (float)(sqrt(re[i] * re[i] + im[i] * im[i]) * 2 / n);
}
