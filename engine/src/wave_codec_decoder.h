// Compressed sample data inside WAVE: IMA ADPCM, Microsoft ADPCM, u-law and
// A-law. All four are read block by block (G.711 in blocks of 4096 frames), so
// seeking decodes at most one block ahead of the wanted frame.
#pragma once
#include <vector>
#include "decoder.h"

enum : uint16_t {
    kWaveMsAdpcm = 0x0002,
    kWaveAlaw = 0x0006,
    kWaveUlaw = 0x0007,
    kWaveImaAdpcm = 0x0011,
    kWaveMpegLayer3 = 0x0055,
};

struct WaveCodecLayout {
    uint16_t tag = 0;
    int chans = 1;
    int blockAlign = 1;
    int samplesPerBlock = 1;      // frames in a whole block
    int64_t dataStart = 0;
    int64_t dataBytes = 0;
    int64_t factFrames = -1;      // the fact chunk's count, when there is one
    std::vector<int16_t> coefs;   // Microsoft ADPCM predictor pairs
};

// Checks the layout against its codec's rules (the caller fills it from the
// header); BASS_ERROR_FORMAT when it does not hold together.
bool CheckWaveCodecLayout(WaveCodecLayout* layout, const uint8_t* fmtExtra, size_t extraBytes, int* error);
std::unique_ptr<Decoder> MakeWaveCodecDecoder(std::unique_ptr<ByteSource> src, const WaveCodecLayout& layout,
                                              StreamFormat format);

