// basswv.dll: WavPack through libwavpack, as an add-on of our bass.dll
// (interface in sonvale_addon.h). Lossless and hybrid files; a hybrid file's
// correction file (the same name + "c", .wvc) is used when it lies beside the
// file, which makes the decode lossless again. APE tags (or an ID3v1 tag when
// there is none) come out as the APE tag block.
#include <windows.h>
#include <wavpack/wavpack.h>
#include <string.h>
#include <algorithm>
#include <new>
#include <string>
#include <vector>
#include "addon_entry.h"

namespace {

const DWORD kCtypeWavPack = 0x10500;

const BASS_PLUGINFORM kFormats[] = {
    {kCtypeWavPack, "WavPack", "*.wv"},
};

// What libwavpack reads through: the host's reader, or a correction file.
struct Input {
    SvReader r{};
    HANDLE file = INVALID_HANDLE_VALUE;
    ~Input() {
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    }
    size_t Read(void* p, size_t n) {
        if (file == INVALID_HANDLE_VALUE) return r.read(r.context, p, n);
        DWORD got = 0;
        return ReadFile(file, p, (DWORD)std::min<size_t>(n, 1u << 30), &got, nullptr) ? got : 0;
    }
    int64_t Tell() {
        if (file == INVALID_HANDLE_VALUE) return r.tell(r.context);
        LARGE_INTEGER zero{}, at{};
        return SetFilePointerEx(file, zero, &at, FILE_CURRENT) ? at.QuadPart : -1;
    }
    int64_t Size() {
        if (file == INVALID_HANDLE_VALUE) return r.size(r.context);
        LARGE_INTEGER size{};
        return GetFileSizeEx(file, &size) ? size.QuadPart : -1;
    }
    bool Seek(int64_t to) {
        if (to < 0 || to > Size()) return false;
        if (file == INVALID_HANDLE_VALUE) return r.seek(r.context, to) != 0;
        LARGE_INTEGER at;
        at.QuadPart = to;
        return SetFilePointerEx(file, at, nullptr, FILE_BEGIN) != 0;
    }
};

int32_t ReadBytes(void* id, void* data, int32_t n) { return n <= 0 ? 0 : (int32_t)((Input*)id)->Read(data, (size_t)n); }
int32_t WriteBytes(void*, void*, int32_t) { return 0; }
int64_t GetPos(void* id) { return ((Input*)id)->Tell(); }
int SetPosAbs(void* id, int64_t pos) { return ((Input*)id)->Seek(pos) ? 0 : -1; }
int SetPosRel(void* id, int64_t delta, int mode) {
    auto* in = (Input*)id;
    int64_t base = mode == SEEK_CUR ? in->Tell() : mode == SEEK_END ? in->Size() : 0;
    return in->Seek(base + delta) ? 0 : -1;
}
// Only ever the byte just read: step back over it.
int PushBackByte(void* id, int c) {
    auto* in = (Input*)id;
    int64_t at = in->Tell();
    return at > 0 && in->Seek(at - 1) ? c : EOF;
}
int64_t GetLength(void* id) { return ((Input*)id)->Size(); }
int CanSeek(void*) { return 1; }
int Truncate(void*) { return -1; }
int CloseInput(void*) { return 0; }

WavpackStreamReader64 kReader = {ReadBytes, WriteBytes, GetPos,   SetPosAbs, SetPosRel,
                                 PushBackByte, GetLength, CanSeek, Truncate, CloseInput};

struct Stream {
    Input main, correction;
    WavpackContext* wpc = nullptr;
    int chans = 0;
    bool isFloat = false;
    bool broken = false;  // a failed seek leaves the decoder unusable
    float scale = 1;
    std::vector<int32_t> buf;
    std::string ape;  // name=value\0 ... \0
    ~Stream() {
        if (wpc) WavpackCloseFile(wpc);
    }
};

bool OpenCorrection(Stream* s, const wchar_t* path) {
    if (!path) return false;
    std::wstring c = std::wstring(path) + L"c";
    s->correction.file = CreateFileW(c.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    return s->correction.file != INVALID_HANDLE_VALUE;
}

// The tag items, text ones only (binary items such as cover art are skipped).
void ReadTags(Stream* s) {
    int count = WavpackGetNumTagItems(s->wpc);
    for (int i = 0; i < count && i < 10000; i++) {
        char key[256];
        if (WavpackGetTagItemIndexed(s->wpc, i, key, sizeof(key)) <= 0) continue;
        int size = WavpackGetTagItem(s->wpc, key, nullptr, 0);
        if (size <= 0 || size > (16 << 20)) continue;
        std::string value((size_t)size + 1, '\0');
        WavpackGetTagItem(s->wpc, key, value.data(), size + 1);
        value.resize(strnlen(value.c_str(), value.size()));  // several values: the first
        s->ape += std::string(key) + "=" + value;
        s->ape.push_back('\0');
    }
    if (!s->ape.empty()) s->ape.push_back('\0');
}

void* __cdecl Open(const SvReader* reader, DWORD, SvStreamInfo* info, int* error) {
    *error = BASS_ERROR_FILEFORM;
    uint8_t head[4];
    reader->seek(reader->context, 0);
    if (reader->read(reader->context, head, 4) != 4 || memcmp(head, "wvpk", 4) != 0) return nullptr;
    reader->seek(reader->context, 0);
    auto* s = new (std::nothrow) Stream();
    if (!s) return (*error = BASS_ERROR_MEM, nullptr);
    s->main.r = *reader;
    bool wvc = OpenCorrection(s, reader->path);
    char message[128] = {};
    s->wpc = WavpackOpenFileInputEx64(&kReader, &s->main, wvc ? &s->correction : nullptr, message,
                                      OPEN_TAGS | OPEN_NORMALIZE | OPEN_DSD_AS_PCM | (wvc ? OPEN_WVC : 0), 0);
    if (!s->wpc) {
        delete s;
        return nullptr;
    }
    s->chans = WavpackGetNumChannels(s->wpc);
    int bytes = WavpackGetBytesPerSample(s->wpc);
    int bits = WavpackGetBitsPerSample(s->wpc);
    uint32_t rate = WavpackGetSampleRate(s->wpc);
    s->isFloat = (WavpackGetMode(s->wpc) & MODE_FLOAT) != 0;
    if (s->chans < 1 || s->chans > 32 || rate < 1 || rate > 1000000 || bytes < 1 || bytes > 4 || bits < 1 ||
        bits > 32) {
        delete s;
        return (*error = BASS_ERROR_FORMAT, nullptr);
    }
    s->scale = (float)(1.0 / (double)(1u << (bytes * 8 - 1)));
    ReadTags(s);
    int64_t total = WavpackGetNumSamples64(s->wpc);
    info->freq = rate;
    info->chans = (DWORD)s->chans;
    info->ctype = kCtypeWavPack;
    info->origres = s->isFloat ? (32 | BASS_ORIGRES_FLOAT) : (DWORD)bits;
    info->frames = total >= 0 ? total : -1;
    *error = 0;
    return s;
}

int64_t __cdecl Read(void* stream, float* out, int64_t frames) {
    auto* s = (Stream*)stream;
    int64_t done = 0;
    if (s->broken) return 0;
    while (done < frames) {
        uint32_t want = (uint32_t)std::min<int64_t>(frames - done, 4096);
        s->buf.resize((size_t)want * s->chans);
        uint32_t got = WavpackUnpackSamples(s->wpc, s->buf.data(), want);
        if (got == 0) break;
        float* o = out + done * s->chans;
        size_t n = (size_t)got * s->chans;
        if (s->isFloat) {
            for (size_t i = 0; i < n; i++) {
                float f;
                memcpy(&f, &s->buf[i], 4);
                o[i] = f == f ? f : 0;  // NaN in damaged data
            }
        } else {
            for (size_t i = 0; i < n; i++) o[i] = (float)s->buf[i] * s->scale;
        }
        done += got;
        if (got < want) break;
    }
    return done;
}

int __cdecl Seek(void* stream, int64_t frame) {
    auto* s = (Stream*)stream;
    if (s->broken) return 0;
    if (WavpackSeekSample64(s->wpc, frame)) return 1;
    s->broken = true;
    return 0;
}

const char* __cdecl Tags(void* stream, DWORD type, DWORD* bytes) {
    return TagBlockOf(((Stream*)stream)->ape, BASS_TAG_APE, type, bytes);
}

const SvAddon kAddon = {
    SV_ADDON_VERSION, {0x02040000, 1, kFormats}, Open, Read, Seek, Tags, CloseStream<Stream>,
};

}  // namespace

SV_EXPORT_ADDON(kAddon)
