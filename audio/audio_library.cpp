#include "audio/audio_library.h"
#include <bass.h>

uint32_t AudioVersion() { return BASS_GetVersion(); }

bool AudioInit(int device, uint32_t frequency, HWND window) {
    return BASS_Init(device, frequency, 0, window, nullptr) != FALSE;
}

void AudioFree() {
    BASS_Free();
    BASS_PluginFree(0);
}

int AudioErrorCode() { return BASS_ErrorGetCode(); }

float AudioCpu() { return BASS_GetCPU(); }

bool AudioDeviceName(int device, std::wstring* name) {
    BASS_DEVICEINFO info{};
    if (!BASS_GetDeviceInfo((DWORD)device, &info)) return false;
    name->clear();
    if (info.name) {
        int n = MultiByteToWideChar(CP_UTF8, 0, info.name, -1, nullptr, 0);
        if (n > 1) {
            name->resize((size_t)n - 1);
            MultiByteToWideChar(CP_UTF8, 0, info.name, -1, name->data(), n);
        }
    }
    return true;
}

uint32_t AudioPluginLoad(const wchar_t* path) { return BASS_PluginLoad((const char*)path, BASS_UNICODE); }

bool AudioPluginFirstFormat(uint32_t plugin, std::string* name, std::string* extensions) {
    const BASS_PLUGININFO* info = BASS_PluginGetInfo(plugin);
    if (!info || info->formatc == 0 || !info->formats) return false;
    const BASS_PLUGINFORM& f = info->formats[0];
    *name = f.name ? f.name : "";
    *extensions = f.exts ? f.exts : "";
    return true;
}

void AudioPluginFree(uint32_t plugin) {
    if (plugin) BASS_PluginFree(plugin);
}

bool AudioGetFormat(AudioChannel ch, AudioChannelFormat* f) {
    BASS_CHANNELINFO info{};
    if (!BASS_ChannelGetInfo(ch, &info)) return false;
    f->frequency = info.freq;
    f->channels = info.chans;
    f->type = info.ctype;
    f->sourceBits = info.origres & 0xFFFF;
    f->plugin = info.plugin;
    return true;
}

bool AudioPluginFormatName(uint32_t plugin, uint32_t type, std::string* name) {
    const BASS_PLUGININFO* info = plugin ? BASS_PluginGetInfo(plugin) : nullptr;
    if (!info || !info->formats) return false;
    for (DWORD i = 0; i < info->formatc; i++) {
        if (info->formats[i].ctype != type) continue;
        *name = info->formats[i].name ? info->formats[i].name : "";
        return true;
    }
    return false;
}

const char* AudioGetTags(AudioChannel ch, uint32_t type) { return BASS_ChannelGetTags(ch, type); }

int64_t AudioFileSize(AudioChannel ch) {
    QWORD n = BASS_StreamGetFilePosition(ch, BASS_FILEPOS_END);
    return n == (QWORD)-1 ? -1 : (int64_t)n;
}

bool AudioGetFft1024(AudioChannel ch, float* magnitudes512) {
    return BASS_ChannelGetData(ch, magnitudes512, BASS_DATA_FFT1024) != (DWORD)-1;
}

bool AudioGetFloats(AudioChannel ch, float* out, uint32_t count) {
    return BASS_ChannelGetData(ch, out, (count * sizeof(float)) | BASS_DATA_FLOAT) != (DWORD)-1;
}

uint32_t AudioGetLevel(AudioChannel ch) { return BASS_ChannelGetLevel(ch); }

bool AudioDeviceDetailsOf(int device, AudioDeviceDetails* d) {
    BASS_DEVICEINFO info{};
    if (!BASS_GetDeviceInfo((DWORD)device, &info)) return false;
    d->name = info.name ? info.name : "";
    d->driver = info.driver ? info.driver : "";
    d->flags = info.flags;
    return true;
}

int AudioCurrentDevice() { return (int)BASS_GetDevice(); }

bool AudioGetOutputInfo(AudioOutputInfo* o) {
    BASS_INFO info{};
    if (!BASS_GetInfo(&info)) return false;
    *o = AudioOutputInfo{info.flags,  info.hwsize, info.hwfree, info.freesam,  info.free3d,
                         info.minrate, info.maxrate, info.dsver, info.speakers, info.freq};
    return true;
}

AudioChannel AudioOpenFile(const wchar_t* path, bool decode, bool loop) {
    DWORD flags = BASS_UNICODE | (decode ? BASS_STREAM_DECODE : 0) | (loop ? BASS_SAMPLE_LOOP : 0);
    HSTREAM s = BASS_StreamCreateFile(FALSE, path, 0, 0, flags);
    if (s) return s;
    DWORD mflags = BASS_UNICODE | BASS_MUSIC_PRESCAN | (loop ? BASS_SAMPLE_LOOP : 0);
    mflags |= decode ? BASS_MUSIC_DECODE : (BASS_MUSIC_RAMP | BASS_MUSIC_POSRESET);
    return BASS_MusicLoad(FALSE, path, 0, 0, mflags, 0);
}

// One free that matches the handle's kind: a stream or a music.
void AudioFreeChannel(AudioChannel ch) {
    if (!ch) return;
    if (!BASS_StreamFree(ch)) BASS_MusicFree(ch);
}

int64_t AudioLengthBytes(AudioChannel ch) {
    QWORD n = BASS_ChannelGetLength(ch, BASS_POS_BYTE);
    return n == (QWORD)-1 ? -1 : (int64_t)n;
}

int64_t AudioPositionBytes(AudioChannel ch) {
    QWORD n = BASS_ChannelGetPosition(ch, BASS_POS_BYTE);
    return n == (QWORD)-1 ? -1 : (int64_t)n;
}

bool AudioSetPositionBytes(AudioChannel ch, int64_t bytes) {
    if (bytes < 0) return false;
    return BASS_ChannelSetPosition(ch, (QWORD)bytes, BASS_POS_BYTE) != FALSE;
}

bool AudioSetEndBytes(AudioChannel ch, int64_t bytes) {
    if (bytes < 0) return false;
    return BASS_ChannelSetPosition(ch, (QWORD)bytes, BASS_POS_END) != FALSE;
}

double AudioBytesToSeconds(AudioChannel ch, int64_t bytes) {
    if (bytes < 0) return -1.0;
    return BASS_ChannelBytes2Seconds(ch, (QWORD)bytes);
}

int64_t AudioSecondsToBytes(AudioChannel ch, double seconds) {
    QWORD n = BASS_ChannelSeconds2Bytes(ch, seconds);
    return n == (QWORD)-1 ? -1 : (int64_t)n;
}

bool AudioPlay(AudioChannel ch) { return BASS_ChannelPlay(ch, FALSE) != FALSE; }
bool AudioPause(AudioChannel ch) { return BASS_ChannelPause(ch) != FALSE; }
bool AudioStop(AudioChannel ch) { return BASS_ChannelStop(ch) != FALSE; }

AudioActivity AudioIsActive(AudioChannel ch) {
    switch (BASS_ChannelIsActive(ch)) {
    case BASS_ACTIVE_PLAYING: return AudioPlaying;
    case BASS_ACTIVE_STALLED: return AudioStalled;
    case BASS_ACTIVE_PAUSED: return AudioPaused;
    default: return AudioStopped;
    }
}

void AudioSetVolume(AudioChannel ch, float volume) { BASS_ChannelSetAttribute(ch, BASS_ATTRIB_VOL, volume); }

void AudioSetSampleScale(AudioChannel ch, float scale) { BASS_ChannelSetAttribute(ch, BASS_ATTRIB_VOLDSP, scale); }

float AudioGetSampleScale(AudioChannel ch) {
    float v = 1.0f;
    return BASS_ChannelGetAttribute(ch, BASS_ATTRIB_VOLDSP, &v) ? v : 1.0f;
}

void AudioSlideVolume(AudioChannel ch, float volume, uint32_t ms) {
    BASS_ChannelSlideAttribute(ch, BASS_ATTRIB_VOL, volume, ms);
}

float AudioGetVolume(AudioChannel ch) {
    float v = -1.0f;
    BASS_ChannelGetAttribute(ch, BASS_ATTRIB_VOL, &v);
    return v;
}

void AudioSetLoop(AudioChannel ch, bool loop) {
    BASS_ChannelFlags(ch, loop ? BASS_SAMPLE_LOOP : 0, BASS_SAMPLE_LOOP);
}

AudioSync AudioSyncAtPosition(AudioChannel ch, int64_t bytes, AudioSyncProc proc, void* user) {
    if (bytes < 0) return 0;
    return BASS_ChannelSetSync(ch, BASS_SYNC_POS | BASS_SYNC_MIXTIME, (QWORD)bytes, (SYNCPROC*)proc, user);
}

AudioSync AudioSyncSlideEnd(AudioChannel ch, AudioSyncProc proc, void* user) {
    return BASS_ChannelSetSync(ch, BASS_SYNC_SLIDE | BASS_SYNC_MIXTIME | BASS_SYNC_ONETIME, 0, (SYNCPROC*)proc, user);
}

AudioSync AudioSyncAtEnd(AudioChannel ch, AudioSyncProc proc, void* user) {
    return BASS_ChannelSetSync(ch, BASS_SYNC_END | BASS_SYNC_MIXTIME, 0, (SYNCPROC*)proc, user);
}

void AudioRemoveSync(AudioChannel ch, AudioSync sync) {
    if (sync) BASS_ChannelRemoveSync(ch, sync);
}

AudioChannel AudioOpenUrl(const char* url, AudioDownloadProc proc, void* user) {
    return BASS_StreamCreateURL(url, 0, BASS_STREAM_BLOCK | BASS_STREAM_STATUS | BASS_STREAM_AUTOFREE,
                                (DOWNLOADPROC*)proc, user);
}

uint64_t AudioFilePosition(AudioChannel ch, AudioFilePos which) {
    DWORD mode = which == AudioFileBuffered ? BASS_FILEPOS_BUFFER
                 : which == AudioFileEnd    ? BASS_FILEPOS_END
                                            : BASS_FILEPOS_CONNECTED;
    return BASS_StreamGetFilePosition(ch, mode);
}

void AudioSyncTitles(AudioChannel ch, AudioSyncProc proc, void* user) {
    BASS_ChannelSetSync(ch, BASS_SYNC_META, 0, (SYNCPROC*)proc, user);
    BASS_ChannelSetSync(ch, BASS_SYNC_OGG_CHANGE, 0, (SYNCPROC*)proc, user);
}
