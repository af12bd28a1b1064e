// Renders all playing channels into one block of device frames.
#pragma once
#include <stdint.h>

// out: frames * chans floats, overwritten. blockStartUs is when the block
// starts to be heard on the library's clock, for volume slides.
// A channel started from a MIXTIME sync of another channel while the mixer
// renders that one (its END sync, typically) is chained to it: its first frame
// follows the other's last frame in the same block, or in the block where the
// other's output ends, whatever their rates.
void MixBlock(float* out, int frames, int chans, int rate, int64_t nowUs);

// The channel the mixer is rendering on this thread, 0 when none.
unsigned long RenderingChannel();
