// Scratch folders and small file helpers shared by the tests.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

struct ScratchFolder {
    // A fresh folder under the process's scratch root, removed at destruction.
    explicit ScratchFolder(const wchar_t* name);
    ~ScratchFolder();
    std::wstring path;  // with a trailing backslash
    std::wstring File(const wchar_t* name) const { return path + name; }

    static void InitForProcess();
    static const std::wstring& Root();
};

std::string ReadFileBytes(const std::wstring& path);

// The process's open kernel handles.
int HandleCount();
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);
bool RemoveTree(const std::wstring& path);
// The folder of the running test executable, with a trailing backslash.
std::wstring TestExeFolder();

// A plain WAVE header: format tag (1 integer, 3 float), channels, rate, bits,
// and the data chunk's declared size (which may promise more than follows).
std::string WaveHeader(uint16_t tag, uint16_t chans, uint32_t rate, uint16_t bits, uint32_t dataBytes);
// A 16-bit PCM WAVE file of a sine (stereo), for playback tests.
bool WriteSineWav(const std::wstring& path, int seconds, int rate = 44100, double hz = 440.0, double level = 0.5,
                  int silentSeconds = 0);
// A stretch of one long sine as a 16-bit stereo WAVE: `frames` frames at
// `rate` from the time `fromSeconds` on, so that pieces written one after the
// other join into one signal.
bool WriteSinePiece(const std::wstring& path, int rate, double fromSeconds, uint32_t frames, double hz = 440.0,
                    double level = 0.5);
// Stretches of that sine one after the other in one file: (from, frames) each.
bool WriteSinePieces(const std::wstring& path, int rate, const std::vector<std::pair<double, uint32_t>>& pieces);
// The first channel of a captured output of `chans` channels, told apart as
// 32-bit float (every value a number within 1.5) or else 16-bit frames.
std::vector<float> CapturedFirstChannel(const std::string& raw, int chans);
// What is wrong with a captured output (32-bit float or 16-bit frames of
// `chans` channels at `rate`) that should hold one 440 Hz sine at level 0.5
// lasting `seconds`: a length off by more than 4 ms, a silent run or a step
// (looked for in the average of four frames, which a resampler's ringing near
// half the rate leaves alone, against stepLimit). Empty when nothing is.
std::string JoinedSineProblem(const std::string& raw, int chans, int rate, double seconds, double stepLimit = 0.04);
// A small four-channel tracker module (ProTracker "M.K." layout) with one
// looping square-wave sample playing a few notes for about `seconds`.
bool WriteTinyModule(const std::wstring& path, int seconds);

// Answers every message box of the process (or only those with the caption
// `only`) from another thread while alive and keeps "caption|text" of each.
struct AnyBoxCatcher {
    explicit AnyBoxCatcher(const wchar_t* only = nullptr);
    ~AnyBoxCatcher();
    std::vector<std::wstring> Seen();
    HANDLE thread = nullptr;
    volatile LONG stop = 0;
    const wchar_t* only;
};

// In the test programs that link allocation_limit.cpp: while one lives, any
// single allocation through operator new larger than `bytes` fails with
// std::bad_alloc, as it would on a machine short of memory.
struct AllocationLimit {
    explicit AllocationLimit(size_t bytes);
    ~AllocationLimit();
};

// The General keys of Settings.ini in the order a save writes them, with their defaults.
struct GeneralKey {
    const char* name;
    const char* value;
};
constexpr size_t kGeneralKeyCount = 59;
extern const GeneralKey kGeneralKeys[kGeneralKeyCount];
