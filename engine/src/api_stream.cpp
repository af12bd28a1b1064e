// Creating and freeing streams and modules. File formats are told apart by
// their content: WAVE, AIFF, Ogg Vorbis and MPEG audio here, then each loaded
// add-on; modules only through BASS_MusicLoad.
#include "addons.h"
#include "bass.h"
#include "channel.h"
#include "error.h"
#include "library_state.h"
#include "net_feed.h"

namespace {

std::wstring PathArgument(const void* file, DWORD flags) {
    if (flags & BASS_UNICODE) return (const wchar_t*)file;
    const char* a = (const char*)file;
    int n = MultiByteToWideChar(CP_ACP, 0, a, -1, nullptr, 0);
    std::wstring w(n > 0 ? (size_t)n : 1, L'\0');
    if (n > 0) MultiByteToWideChar(CP_ACP, 0, a, -1, w.data(), n);
    w.resize(wcslen(w.c_str()));
    return w;
}

std::unique_ptr<ByteSource> OpenSource(BOOL mem, const void* file, QWORD offset, QWORD length, DWORD flags,
                                       std::wstring* path, int* error) {
    if (!file) {
        *error = BASS_ERROR_FILEOPEN;
        return nullptr;
    }
    if (mem) {
        if (!length) {
            *error = BASS_ERROR_ILLPARAM;
            return nullptr;
        }
        return ByteSource::OpenMemory((const uint8_t*)file + offset, length);
    }
    *path = PathArgument(file, flags);
    return ByteSource::OpenFile(path->c_str(), offset, length, error);
}

// A channel around a decoder; the error when the library cannot take it.
ChannelPtr MakeChannel(std::unique_ptr<Decoder> dec, DWORD flags, bool music, const std::wstring& path, int* error) {
    bool decodeOnly = (flags & BASS_STREAM_DECODE) != 0;
    if (!decodeOnly && !Library().initialised) {
        *error = BASS_ERROR_INIT;
        return nullptr;
    }
    auto ch = std::make_shared<Channel>();
    ch->isMusic = music;
    ch->decodeOnly = decodeOnly;
    ch->freq = dec->format.freq;
    ch->chans = dec->format.chans;
    ch->sampleBytes = (flags & BASS_SAMPLE_FLOAT) ? 4 : 2;
    ch->flags = flags;
    ch->dec = std::move(dec);
    if (flags & BASS_UNICODE)
        ch->filename.assign((const char*)path.c_str(), (path.size() + 1) * sizeof(wchar_t));
    else {
        int n = WideCharToMultiByte(CP_ACP, 0, path.c_str(), -1, nullptr, 0, nullptr, nullptr);
        ch->filename.assign(n > 0 ? (size_t)n : 1, '\0');
        if (n > 0) WideCharToMultiByte(CP_ACP, 0, path.c_str(), -1, ch->filename.data(), n, nullptr, nullptr);
    }
    return ch;
}

bool FreeChannel(DWORD handle, bool music) {
    ChannelPtr ch = FindChannel(handle);
    if (!ch || ch->isMusic != music) return false;
    {
        std::lock_guard<RecursiveLock> lock(ch->mu);
        FireSyncs(*ch, BASS_SYNC_FREE, 0);
    }
    return RemoveChannel(handle);
}

}  // namespace

extern "C" {

HSTREAM WINAPI BASS_StreamCreateFile(BOOL mem, const void* file, QWORD offset, QWORD length, DWORD flags) {
    int error = 0;
    std::wstring path;
    std::unique_ptr<ByteSource> src = OpenSource(mem, file, offset, length, flags, &path, &error);
    if (!src) return Fail(error, (HSTREAM)0);
    if (src->Size() == 0) return Fail(BASS_ERROR_FILEFORM, (HSTREAM)0);

    // The built-in readers, then the add-ons. A reader gives the source back
    // when the bytes are not its format; one that knows the format but cannot
    // decode it (a WAVE codec we lack) stops the built-in search, and its error
    // stands unless an add-on takes the file.
    using Opener = std::unique_ptr<Decoder> (*)(std::unique_ptr<ByteSource>&, DWORD, int*);
    static const Opener kBuiltIn[] = {
        [](std::unique_ptr<ByteSource>& s, DWORD f, int* e) { return OpenWave(s, f, e); },
        [](std::unique_ptr<ByteSource>& s, DWORD, int* e) { return OpenAiff(s, e); },
        [](std::unique_ptr<ByteSource>& s, DWORD, int* e) { return OpenVorbis(s, e); },
        [](std::unique_ptr<ByteSource>& s, DWORD f, int* e) { return OpenMpeg(s, f, e); },
    };
    std::unique_ptr<Decoder> dec;
    HPLUGIN plugin = 0;
    int worst = BASS_ERROR_FILEFORM;
    for (Opener open : kBuiltIn) {
        if (dec || !src || worst != BASS_ERROR_FILEFORM) break;
        int e = 0;
        dec = open(src, flags, &e);
        if (!dec && e != BASS_ERROR_FILEFORM) worst = e;
    }
    if (!dec && src) {
        int addonError = 0;
        dec = OpenWithAddons(src, flags, &plugin, &addonError);
        if (!dec && addonError != BASS_ERROR_FILEFORM) worst = addonError;
    }
    if (!dec) return Fail(worst, (HSTREAM)0);
    if (dec->format.freq == 0 || dec->format.chans == 0) return Fail(BASS_ERROR_FORMAT, (HSTREAM)0);

    ChannelPtr ch = MakeChannel(std::move(dec), flags, false, path, &error);
    if (!ch) return Fail(error, (HSTREAM)0);
    ch->plugin = plugin;
    return Ok((HSTREAM)AddChannel(std::move(ch)));
}

HMUSIC WINAPI BASS_MusicLoad(BOOL mem, const void* file, QWORD offset, DWORD length, DWORD flags, DWORD freq) {
    int error = 0;
    std::wstring path;
    std::unique_ptr<ByteSource> src = OpenSource(mem, file, offset, length, flags, &path, &error);
    if (!src) return Fail(error, (HMUSIC)0);
    if (src->Size() == 0) return Fail(BASS_ERROR_FILEFORM, (HMUSIC)0);
    if (!freq && Library().initialised) freq = Library().format.rate;
    std::unique_ptr<Decoder> dec = OpenModule(src, flags, freq, &error);
    if (!dec) return Fail(error, (HMUSIC)0);
    ChannelPtr ch = MakeChannel(std::move(dec), flags, true, path, &error);
    if (!ch) return Fail(error, (HMUSIC)0);
    return Ok((HMUSIC)AddChannel(std::move(ch)));
}

BOOL WINAPI BASS_StreamFree(HSTREAM handle) {
    return FreeChannel(handle, false) ? Ok(TRUE) : Fail(BASS_ERROR_HANDLE, FALSE);
}

BOOL WINAPI BASS_MusicFree(HMUSIC handle) {
    return FreeChannel(handle, true) ? Ok(TRUE) : Fail(BASS_ERROR_HANDLE, FALSE);
}

HSTREAM WINAPI BASS_StreamCreate(DWORD freq, DWORD chans, DWORD flags, STREAMPROC* proc, void* user) {
    return Fail(BASS_ERROR_NOTAVAIL, (HSTREAM)0);
}

// Returns once the server has answered and the format is known; the download
// goes on in the background (see net_feed.h).
HSTREAM WINAPI BASS_StreamCreateURL(const char* url, DWORD offset, DWORD flags, DOWNLOADPROC* proc, void* user) {
    if (!url) return Fail(BASS_ERROR_ILLPARAM, (HSTREAM)0);
    if ((flags & BASS_STREAM_DECODE) && (flags & BASS_STREAM_AUTOFREE)) return Fail(BASS_ERROR_NOTAVAIL, (HSTREAM)0);
    if (!(flags & BASS_STREAM_DECODE) && !Library().initialised) return Fail(BASS_ERROR_INIT, (HSTREAM)0);
    std::wstring address = PathArgument(url, flags);
    int error = 0;
    std::shared_ptr<NetFeed> feed = NetFeed::Connect(address, offset, flags, proc, user, &error);
    if (!feed) return Fail(error, (HSTREAM)0);
    feed->StartDownload();
    std::unique_ptr<Decoder> dec = OpenNetDecoder(feed, flags, &error);
    if (!dec) {
        feed->Abort();
        return Fail(error, (HSTREAM)0);
    }
    // Looping needs a seekable stream.
    flags &= ~BASS_SAMPLE_LOOP;
    if (feed->Block()) flags |= BASS_STREAM_BLOCK;
    ChannelPtr ch = MakeChannel(std::move(dec), flags, false, address.substr(0, address.find(L"\r\n")), &error);
    if (!ch) return Fail(error, (HSTREAM)0);
    return Ok((HSTREAM)AddChannel(std::move(ch)));
}

QWORD WINAPI BASS_StreamGetFilePosition(HSTREAM handle, DWORD mode) {
    ChannelPtr ch = FindChannel(handle);
    if (!ch || ch->isMusic) return Fail(BASS_ERROR_HANDLE, (QWORD)-1);
    std::lock_guard<RecursiveLock> lock(ch->mu);
    if (NetFeed* net = ch->dec->Net()) {
        NetFeed::Status s = net->GetStatus();
        switch (mode) {
        case BASS_FILEPOS_CURRENT: return Ok((QWORD)s.read);
        case BASS_FILEPOS_DOWNLOAD: return Ok((QWORD)s.downloaded);
        case BASS_FILEPOS_BUFFER: return Ok((QWORD)(net->Block() ? s.downloaded - s.read : s.downloaded));
        case BASS_FILEPOS_AVAILABLE: return Ok((QWORD)(s.downloaded - s.read));
        case BASS_FILEPOS_CONNECTED: return Ok((QWORD)(s.connected ? 1 : 0));
        case BASS_FILEPOS_START: return Ok((QWORD)0);
        case BASS_FILEPOS_END:
            // Streaming in blocks: the buffer's length stands for the unknown end.
            if (net->Block()) return Ok((QWORD)s.capacity);
            return Ok((QWORD)net->Length());
        case BASS_FILEPOS_SIZE:
            if (net->Length() < 0) return Fail(BASS_ERROR_NOTAVAIL, (QWORD)-1);
            return Ok((QWORD)net->Length());
        default: return Fail(BASS_ERROR_NOTAVAIL, (QWORD)-1);
        }
    }
    ByteSource* src = ch->dec->Source();
    if (!src) return Fail(BASS_ERROR_NOTFILE, (QWORD)-1);
    switch (mode) {
    case BASS_FILEPOS_CURRENT: return Ok((QWORD)src->Tell());
    case BASS_FILEPOS_DOWNLOAD:
    case BASS_FILEPOS_END:
    case BASS_FILEPOS_SIZE: return Ok((QWORD)src->Size());
    case BASS_FILEPOS_START: return Ok((QWORD)0);
    default: return Fail(BASS_ERROR_NOTFILE, (QWORD)-1);  // buffering and connection: internet streams only
    }
}

}  // extern "C"
