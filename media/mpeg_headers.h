// The length of MPEG audio (layers 1 to 3) from its headers alone, without
// decoding: the Xing/Info frame count less the LAME tag's encoder delay and
// padding, a VBRI header's frame count, or for a stream without either the
// audio bytes over the mean frame size. Pure logic over bytes in memory.
#pragma once
#include <stddef.h>
#include <stdint.h>

struct MpegFrameHeader {
    int layer = 0;       // 1 to 3
    int mpeg1 = 0;       // 1: MPEG 1; 0: MPEG 2 or 2.5
    int rate = 0;        // samples a second
    int bitrate = 0;     // bits a second
    int bytes = 0;       // the whole frame, header included
    int samples = 0;     // per channel
    int channels = 0;
    bool crc = false;    // two bytes of CRC follow the header
};

// A valid four-byte frame header (free format is not one); false otherwise.
bool ParseMpegFrameHeader(const uint8_t* h, MpegFrameHeader* out);

enum MpegLengthSource { MpegLengthNone, MpegLengthXing, MpegLengthVbri, MpegLengthBytes };

struct MpegLength {
    int64_t samples = 0;   // per channel, encoder delay and padding taken off where known
    int rate = 0;
    int channels = 0;
    int layer = 0;
    MpegLengthSource source = MpegLengthNone;
};

// `audio` holds the first `have` bytes of the audio (after an ID3v2 tag),
// which runs `audioBytes` in all (up to the tags at the end). The first frame
// must start the audio and be followed by two more of the same layer and rate
// (or the audio must end after one or two), so that other data is not taken
// for MPEG. False when the bytes are not that, or too few of them are here
// to tell. Header fields that cannot be true (more frames than the bytes
// could hold, a delay longer than the audio) are not believed.
bool MpegLengthFromHeaders(const uint8_t* audio, size_t have, int64_t audioBytes, MpegLength* out);

// Milliseconds of `samples` at `rate`, rounded to the nearest.
int32_t MpegMilliseconds(int64_t samples, int rate);
