// What every format reader gives the channel layer: interleaved float frames
// in [-1, 1] at the source rate, seeking by frame, the length when known and
// the tag blocks in the library's published block formats.
#pragma once
#include <windows.h>
#include <stdint.h>
#include <map>
#include <memory>
#include <string.h>
#include <string>
#include "byte_source.h"

// Source rates the readers accept and the mixer resamples to the device's rate.
const DWORD kMinSourceRate = 100;
const DWORD kMaxSourceRate = 1000000;

struct StreamFormat {
    DWORD freq = 0;
    DWORD chans = 0;
    DWORD ctype = 0;
    DWORD origres = 0;  // bits of the source (| BASS_ORIGRES_FLOAT), 0 when it has none
    DWORD bitrate = 0;  // nominal bits per second, 0 when the format does not say
};

class NetFeed;

class Decoder {
public:
    virtual ~Decoder() = default;
    // Up to frames frames into out (frames * chans floats). Returns the frames
    // written; 0 at the end; -1 on a decoding error that ends the stream;
    // kStalled when an internet stream has nothing yet but more to come.
    static const int64_t kStalled = -2;
    virtual int64_t Read(float* out, int64_t frames) = 0;
    // Sources that hold exactly 16-bit samples give them as they are stored,
    // the same values Read's floats round back to, with no work per sample.
    virtual bool ReadsInt16() const { return false; }
    virtual int64_t ReadInt16(int16_t* out, int64_t frames) { return -1; }
    virtual bool Seek(int64_t frame) = 0;
    // Frames in the stream, or -1 when not known.
    virtual int64_t Length() = 0;
    // Modules follow the loop flag themselves (their own restart point).
    virtual bool HandlesLoop() const { return false; }
    virtual void SetLoop(bool) {}
    // The byte source, for BASS_StreamGetFilePosition; may be null.
    virtual ByteSource* Source() { return nullptr; }
    // Internet streams: the download. News since the last call (called with
    // the channel's lock held; tags may change in it): a title, a stall, a new
    // logical stream of a chained Ogg file or stream.
    virtual NetFeed* Net() { return nullptr; }
    enum : DWORD { kEventMeta = 1, kEventStall = 2, kEventResume = 4, kEventOggChange = 8 };
    // `mixedFrame`: the frame the channel takes next, for news that is due
    // when the audio it came with is played.
    virtual DWORD TakeEvents(int64_t mixedFrame) { return 0; }
    virtual bool Stalled() const { return false; }

    StreamFormat format;
    // Tag blocks by BASS_TAG_xxx, already in the returned layout.
    std::map<DWORD, std::string> tags;
};

// Each reader probes its format by content. A reader returns null with
// *error = BASS_ERROR_FILEFORM when the bytes are not its format, or another
// error when they are its format but cannot be decoded.
std::unique_ptr<Decoder> OpenWave(std::unique_ptr<ByteSource>& src, DWORD flags, int* error);
std::unique_ptr<Decoder> OpenAiff(std::unique_ptr<ByteSource>& src, int* error);
std::unique_ptr<Decoder> OpenVorbis(std::unique_ptr<ByteSource>& src, int* error);
std::unique_ptr<Decoder> OpenMpeg(std::unique_ptr<ByteSource>& src, DWORD flags, int* error);
// Tracker modules from a whole file in memory; freq 0 means 44100.
std::unique_ptr<Decoder> OpenModule(std::unique_ptr<ByteSource>& src, DWORD flags, DWORD freq, int* error);
