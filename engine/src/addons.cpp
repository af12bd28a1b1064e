#include "addons.h"
#include <mutex>
#include <vector>
#include "bass.h"
#include "channel.h"
#include "sonvale_addon.h"

namespace {

// A loaded add-on's module. Every call into it holds a reference: the list
// below, a probe in progress, each decoder it opened. The module is unloaded
// when the last of them lets go, so a reload or a freed plug-in never pulls
// code from under a thread still running it or a channel freed later.
struct AddonModule {
    HMODULE module;
    const SvAddon* api;
    AddonModule(HMODULE m, const SvAddon* a) : module(m), api(a) {}
    ~AddonModule() { FreeLibrary(module); }
    AddonModule(const AddonModule&) = delete;
    AddonModule& operator=(const AddonModule&) = delete;
};
using AddonRef = std::shared_ptr<AddonModule>;

struct Addon {
    HPLUGIN handle;
    AddonRef lib;
};

std::mutex gMu;
std::vector<Addon> gAddons;
HPLUGIN gNext = 1;

size_t __cdecl ReaderRead(void* c, void* b, size_t n) { return ((ByteSource*)c)->Read(b, n); }
int __cdecl ReaderSeek(void* c, int64_t p) { return ((ByteSource*)c)->Seek(p) ? 1 : 0; }
int64_t __cdecl ReaderTell(void* c) { return ((ByteSource*)c)->Tell(); }
int64_t __cdecl ReaderSize(void* c) { return ((ByteSource*)c)->Size(); }

class AddonDecoder : public Decoder {
public:
    AddonDecoder(AddonRef lib, std::unique_ptr<ByteSource> src)
        : lib_(std::move(lib)), api_(lib_->api), src_(std::move(src)) {
        reader_ = {src_.get(), ReaderRead, ReaderSeek, ReaderTell, ReaderSize,
                   src_->IsFileFromStart() ? src_->Path().c_str() : nullptr};
    }
    ~AddonDecoder() override {
        if (stream_) api_->close(stream_);
    }
    bool Open(DWORD flags, int* error) {
        SvStreamInfo info{};
        src_->Seek(0);
        stream_ = api_->open(&reader_, flags, &info, error);
        if (!stream_) return false;
        if (info.freq < 1 || info.chans < 1 || info.chans > 32) return (*error = BASS_ERROR_FORMAT, false);
        format.freq = info.freq;
        format.chans = info.chans;
        format.ctype = info.ctype;
        format.origres = info.origres;
        length_ = info.frames;
        static const DWORD kinds[] = {BASS_TAG_OGG, BASS_TAG_ID3,  BASS_TAG_ID3V2, BASS_TAG_APE,
                                      BASS_TAG_MP4, BASS_TAG_WMA, BASS_TAG_VENDOR};
        for (DWORD k : kinds) {
            DWORD bytes = 0;
            if (const char* t = api_->tags(stream_, k, &bytes)) tags[k] = std::string(t, bytes);
        }
        return true;
    }
    std::unique_ptr<ByteSource> Release() { return std::move(src_); }
    int64_t Read(float* out, int64_t frames) override { return api_->read(stream_, out, frames); }
    bool Seek(int64_t frame) override { return api_->seek(stream_, frame) != 0; }
    int64_t Length() override { return length_; }
    ByteSource* Source() override { return src_.get(); }

private:
    AddonRef lib_;  // first in, last out: the module outlives the stream's close
    const SvAddon* api_;
    std::unique_ptr<ByteSource> src_;
    SvReader reader_;
    void* stream_ = nullptr;
    int64_t length_ = -1;
};

}  // namespace

HPLUGIN LoadAddon(const wchar_t* path, int* error) {
    HMODULE m = LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!m) {
        *error = BASS_ERROR_FILEOPEN;
        return 0;
    }
    std::lock_guard<std::mutex> lock(gMu);
    for (auto& a : gAddons)
        if (a.lib->module == m) {
            FreeLibrary(m);
            *error = BASS_ERROR_ALREADY;
            return 0;
        }
    auto query = (SvAddonQueryFn)(void*)GetProcAddress(m, SV_ADDON_QUERY_NAME);
    const SvAddon* api = query ? query(SV_ADDON_VERSION) : nullptr;
    if (!api || api->version != SV_ADDON_VERSION || !api->open || !api->read || !api->seek || !api->close ||
        !api->tags) {
        FreeLibrary(m);
        *error = query ? BASS_ERROR_VERSION : BASS_ERROR_FILEFORM;
        return 0;
    }
    HPLUGIN h = gNext++;
    gAddons.push_back({h, std::make_shared<AddonModule>(m, api)});
    *error = 0;
    return h;
}

bool FreeAddon(HPLUGIN handle) {
    std::vector<Addon> gone;
    {
        std::lock_guard<std::mutex> lock(gMu);
        for (auto it = gAddons.begin(); it != gAddons.end();) {
            if (handle == 0 || it->handle == handle) {
                gone.push_back(*it);
                it = gAddons.erase(it);
            } else {
                ++it;
            }
        }
    }
    if (gone.empty()) return handle == 0;
    // Streams decoded by a freed add-on go with it; one still in use elsewhere
    // keeps the module until that use ends.
    for (auto& a : gone)
        for (ChannelPtr& ch : AllChannels())
            if (ch->plugin == a.handle) RemoveChannel(ch->handle);
    return true;
}

const BASS_PLUGININFO* AddonInfo(HPLUGIN handle) {
    std::lock_guard<std::mutex> lock(gMu);
    for (auto& a : gAddons)
        if (a.handle == handle) return &a.lib->api->info;
    return nullptr;
}

std::unique_ptr<Decoder> OpenWithAddons(std::unique_ptr<ByteSource>& src, DWORD flags, HPLUGIN* which, int* error) {
    std::vector<Addon> list;
    {
        std::lock_guard<std::mutex> lock(gMu);
        list = gAddons;
    }
    *error = BASS_ERROR_FILEFORM;
    for (auto& a : list) {
        auto d = std::make_unique<AddonDecoder>(a.lib, std::move(src));
        int err = BASS_ERROR_FILEFORM;
        if (d->Open(flags, &err)) {
            *which = a.handle;
            *error = 0;
            return d;
        }
        src = d->Release();
        if (err != BASS_ERROR_FILEFORM) *error = err;
    }
    return nullptr;
}
