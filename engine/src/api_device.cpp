// Library and device calls: version, errors, configuration, BASS_Init and
// BASS_Free, the device list and the output's capabilities.
#include "bass.h"
#include "channel.h"
#include "error.h"
#include "decoder.h"
#include "library_state.h"
#include "sync_thread.h"

LibraryState& Library() {
    static LibraryState* state = [] {
        auto* s = new LibraryState();
        s->config[BASS_CONFIG_BUFFER] = 500;
        s->config[BASS_CONFIG_UPDATEPERIOD] = 10;
        s->config[BASS_CONFIG_GVOL_STREAM] = 10000;
        s->config[BASS_CONFIG_GVOL_MUSIC] = 10000;
        s->config[BASS_CONFIG_NET_TIMEOUT] = 5000;
        s->config[BASS_CONFIG_NET_BUFFER] = 5000;
        s->config[BASS_CONFIG_NET_PREBUF] = 75;
        s->config[BASS_CONFIG_VERIFY] = 16000;
        s->config[BASS_CONFIG_UNICODE] = 0;
        return s;
    }();
    return *state;
}

extern "C" {

DWORD WINAPI BASS_GetVersion(void) { return Ok<DWORD>(0x02041100); }

int WINAPI BASS_ErrorGetCode(void) { return LastError(); }

BOOL WINAPI BASS_SetConfig(DWORD option, DWORD value) {
    LibraryState& lib = Library();
    if (option >= 64) return Fail(BASS_ERROR_ILLTYPE, FALSE);
    std::lock_guard<std::recursive_mutex> lock(lib.mu);
    lib.config[option] = value;
    return Ok(TRUE);
}

DWORD WINAPI BASS_GetConfig(DWORD option) {
    LibraryState& lib = Library();
    if (option >= 64) return Fail(BASS_ERROR_ILLTYPE, (DWORD)-1);
    std::lock_guard<std::recursive_mutex> lock(lib.mu);
    return Ok(lib.config[option]);
}

BOOL WINAPI BASS_SetConfigPtr(DWORD option, const void* value) { return Fail(BASS_ERROR_ILLTYPE, FALSE); }
const void* WINAPI BASS_GetConfigPtr(DWORD option) { return Fail(BASS_ERROR_ILLTYPE, (const void*)nullptr); }

BOOL WINAPI BASS_GetDeviceInfo(DWORD device, BASS_DEVICEINFO* info) {
    if (!info) return Fail(BASS_ERROR_ILLPARAM, FALSE);
    LibraryState& lib = Library();
    std::lock_guard<std::recursive_mutex> lock(lib.mu);
    // The strings stay valid until the list is read again for device 0 or 1.
    static std::vector<DeviceEntry> list;
    static bool listed = false;
    if (!listed || device <= 1) {
        list = ListDevices();
        listed = true;
    }
    if (device == 0) {
        info->name = "No sound";
        info->driver = "";
        info->flags = BASS_DEVICE_ENABLED | (lib.initialised && lib.device == 0 ? BASS_DEVICE_INIT : 0);
        return Ok(TRUE);
    }
    if (device > list.size()) return Fail(BASS_ERROR_DEVICE, FALSE);
    const DeviceEntry& e = list[device - 1];
    info->name = e.name.c_str();
    info->driver = e.driver.c_str();
    info->flags = BASS_DEVICE_ENABLED | BASS_DEVICE_TYPE_SPEAKERS | (e.isDefault ? BASS_DEVICE_DEFAULT : 0) |
                  (lib.initialised && lib.device == (int)device ? BASS_DEVICE_INIT : 0);
    return Ok(TRUE);
}

BOOL WINAPI BASS_Init(int device, DWORD freq, DWORD flags, HWND win, const void* dsguid) {
    LibraryState& lib = Library();
    std::lock_guard<std::recursive_mutex> lock(lib.mu);
    if (lib.initialised) return Fail(BASS_ERROR_ALREADY, FALSE);
    if (device < -1) return Fail(BASS_ERROR_DEVICE, FALSE);
    if (device == -1) {
        std::vector<DeviceEntry> list = ListDevices();
        device = 0;
        for (size_t i = 0; i < list.size(); i++)
            if (list[i].isDefault) device = (int)i + 1;
        if (device == 0 && !list.empty()) device = 1;
        if (device == 0) return Fail(BASS_ERROR_DEVICE, FALSE);
    }
    if (freq == 0) freq = 44100;
    OutputFormat format;
    int error = StartOutput(device, freq, &format);
    if (error) return Fail(error, FALSE);
    lib.initialised = true;
    lib.device = device;
    lib.initFlags = flags;
    lib.format = format;
    StartSyncThread();
    return Ok(TRUE);
}

BOOL WINAPI BASS_SetDevice(DWORD device) {
    LibraryState& lib = Library();
    std::lock_guard<std::recursive_mutex> lock(lib.mu);
    if (!lib.initialised) return Fail(BASS_ERROR_INIT, FALSE);
    if ((int)device != lib.device) return Fail(BASS_ERROR_DEVICE, FALSE);
    return Ok(TRUE);
}

DWORD WINAPI BASS_GetDevice(void) {
    LibraryState& lib = Library();
    std::lock_guard<std::recursive_mutex> lock(lib.mu);
    if (!lib.initialised) return Fail(BASS_ERROR_INIT, (DWORD)-1);
    return Ok((DWORD)lib.device);
}

BOOL WINAPI BASS_Free(void) {
    LibraryState& lib = Library();
    std::lock_guard<std::recursive_mutex> lock(lib.mu);
    if (!lib.initialised) return Fail(BASS_ERROR_INIT, FALSE);
    StopOutput();
    StopSyncThread();
    // Streams and modules that play belong to the device; decoding channels
    // belong to no device and stay.
    for (ChannelPtr& ch : AllChannels())
        if (!ch->decodeOnly) RemoveChannel(ch->handle);
    lib.initialised = false;
    lib.device = -1;
    return Ok(TRUE);
}

BOOL WINAPI BASS_GetInfo(BASS_INFO* info) {
    if (!info) return Fail(BASS_ERROR_ILLPARAM, FALSE);
    LibraryState& lib = Library();
    std::lock_guard<std::recursive_mutex> lock(lib.mu);
    if (!lib.initialised) return Fail(BASS_ERROR_INIT, FALSE);
    *info = BASS_INFO{};
    // The mixer takes mono and stereo, 8-bit and 16-bit sources (and more) at any
    // rate the readers accept, and resamples them to the device's mix format.
    // There is no DirectSound and no hardware mixing: the output is WASAPI
    // (or the silent clock), so no hardware memory, slots or DirectSound version.
    info->flags = DSCAPS_CONTINUOUSRATE | DSCAPS_EMULDRIVER | DSCAPS_SECONDARYMONO | DSCAPS_SECONDARYSTEREO |
                  DSCAPS_SECONDARY8BIT | DSCAPS_SECONDARY16BIT;
    info->minrate = kMinSourceRate;
    info->maxrate = kMaxSourceRate;
    info->eax = FALSE;
    info->minbuf = lib.format.periodMs ? lib.format.periodMs * 2 : 10;
    info->dsver = 0;
    info->latency = lib.format.bufferMs;
    info->initflags = lib.initFlags;
    info->speakers = lib.format.chans;
    info->freq = lib.format.rate;
    return Ok(TRUE);
}

BOOL WINAPI BASS_Update(DWORD length) { return Ok(TRUE); }

float WINAPI BASS_GetCPU(void) { return Ok(OutputCpuPercent()); }

BOOL WINAPI BASS_Start(void) {
    return Library().initialised ? Ok(TRUE) : Fail(BASS_ERROR_INIT, FALSE);
}
BOOL WINAPI BASS_Stop(void) { return Fail(BASS_ERROR_NOTAVAIL, FALSE); }
BOOL WINAPI BASS_Pause(void) { return Fail(BASS_ERROR_NOTAVAIL, FALSE); }
BOOL WINAPI BASS_SetVolume(float volume) { return Fail(BASS_ERROR_NOTAVAIL, FALSE); }
float WINAPI BASS_GetVolume(void) { return Fail(BASS_ERROR_NOTAVAIL, -1.0f); }

}  // extern "C"
