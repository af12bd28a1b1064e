// Renders all playing channels into one block of device frames.
#pragma once
#include <stdint.h>

// out: frames * chans floats, overwritten. blockStartUs is when the block
// starts to be heard on the library's clock, for volume slides.
void MixBlock(float* out, int frames, int chans, int rate, int64_t nowUs);
