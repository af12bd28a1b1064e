// Magnitude spectrum of n real samples (n a power of two, 256..32768).
#pragma once
#include <vector>

// mags receives n / 2 (+1 with nyquist) magnitudes; a full-scale sine on a bin
// reads about 0.5 with the Hann window (its coherent gain), 1.0 without.
void Spectrum(const float* samples, int n, bool window, bool removeDc, bool nyquist, float* mags);
