#include "system/system_volume.h"
#include "base/general_settings.h"
#include <windows.h>
#include <initguid.h>
#include <mmdeviceapi.h>
#include <endpointvolume.h>
#include <mmsystem.h>

SystemVolume g_systemVolume;
static bool g_muteSeen;

int32_t BalanceOf(uint32_t l, uint32_t r) {
    if (l == r) return 0;
    if (r < l) return (int32_t)(16 - (r * 16 + l / 2) / l);
    return (int32_t)((l * 16 + r / 2) / r) - 16;
}

void ApplyBalance(int32_t balance, uint32_t m, uint32_t* left, uint32_t* right) {
    *left = *right = m;
    if (balance > 0) *right = (uint32_t)(16 - balance) * m / 16;
    if (balance < 0) *left = (uint32_t)(16 + balance) * m / 16;
}

// ---- the classic mixer --------------------------------------------------------------

static uint32_t ControlId(const MIXERLINEW& line, DWORD type) {
    MIXERCONTROLW control{};
    control.cbStruct = sizeof(control);
    MIXERLINECONTROLSW lc{};
    lc.cbStruct = sizeof(lc);
    lc.dwLineID = line.dwLineID;
    lc.dwControlType = type;
    lc.cControls = 1;
    lc.cbmxctrl = sizeof(control);
    lc.pamxctrl = &control;
    if (mixerGetLineControlsW((HMIXEROBJ)0, &lc, MIXER_OBJECTF_MIXER | MIXER_GETLINECONTROLSF_ONEBYTYPE) != MMSYSERR_NOERROR)
        return (uint32_t)-1;
    return control.dwControlID;
}

static bool LineOf(DWORD componentType, MIXERLINEW* line) {
    *line = MIXERLINEW{};
    line->cbStruct = sizeof(*line);
    line->dwComponentType = componentType;
    return mixerGetLineInfoW((HMIXEROBJ)0, line, MIXER_OBJECTF_MIXER | MIXER_GETLINEINFOF_COMPONENTTYPE) ==
           MMSYSERR_NOERROR;
}

// Reads or writes `channels` unsigned values of a control.
static bool ControlValues(uint32_t id, uint32_t channels, uint32_t* values, bool write) {
    if (id == (uint32_t)-1) return false;
    MIXERCONTROLDETAILS d{};
    d.cbStruct = sizeof(d);
    d.dwControlID = id;
    d.cChannels = channels ? channels : 1;
    d.cbDetails = sizeof(MIXERCONTROLDETAILS_UNSIGNED);
    MIXERCONTROLDETAILS_UNSIGNED v[8] = {};
    if (d.cChannels > 8) d.cChannels = 8;
    d.paDetails = v;
    if (write) {
        for (DWORD i = 0; i < d.cChannels; i++) v[i].dwValue = values[i];
        return mixerSetControlDetails((HMIXEROBJ)0, &d, MIXER_OBJECTF_MIXER | MIXER_SETCONTROLDETAILSF_VALUE) ==
               MMSYSERR_NOERROR;
    }
    if (mixerGetControlDetailsW((HMIXEROBJ)0, &d, MIXER_OBJECTF_MIXER | MIXER_GETCONTROLDETAILSF_VALUE) !=
        MMSYSERR_NOERROR)
        return false;
    for (DWORD i = 0; i < d.cChannels; i++) values[i] = v[i].dwValue;
    return true;
}

// ---- the object ----------------------------------------------------------------------

void ReleaseSystemVolume() {
    if (g_systemVolume.endpointVolume) g_systemVolume.endpointVolume->Release();
    g_systemVolume.endpointVolume = nullptr;
}

static void OpenEndpoint() {
    SystemVolume& s = g_systemVolume;
    ReleaseSystemVolume();
    IMMDeviceEnumerator* enumerator = nullptr;
    if (FAILED(CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_INPROC_SERVER,
                                __uuidof(IMMDeviceEnumerator), (void**)&enumerator)))
        return;
    IMMDevice* device = nullptr;
    HRESULT hr = enumerator->GetDefaultAudioEndpoint(eRender, eConsole, &device);
    enumerator->Release();
    if (FAILED(hr) || !device) return;
    device->Activate(__uuidof(IAudioEndpointVolume), CLSCTX_INPROC_SERVER, nullptr, (void**)&s.endpointVolume);
    device->Release();
}

void InitSystemVolume() {
    SystemVolume& s = g_systemVolume;
    if (s.useEndpoint) {
        // Each (re)build starts from a fresh apartment of this thread.
        ReleaseSystemVolume();
        CoUninitialize();
        CoInitialize(nullptr);
        OpenEndpoint();
        if (!s.endpointVolume) return;
    }
    MIXERLINEW line;
    if (LineOf(MIXERLINE_COMPONENTTYPE_DST_SPEAKERS, &line)) {
        s.speakerChannels = line.cChannels > 2 ? 1 : line.cChannels;
        s.speakerVolumeId = ControlId(line, MIXERCONTROL_CONTROLTYPE_VOLUME);
        s.speakerMuteId = ControlId(line, MIXERCONTROL_CONTROLTYPE_MUTE);
    }
    if (LineOf(MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT, &line)) {
        s.waveVolumeId = ControlId(line, MIXERCONTROL_CONTROLTYPE_VOLUME);
        s.waveMuteId = ControlId(line, MIXERCONTROL_CONTROLTYPE_MUTE);
    }
    uint32_t v[2] = {};
    if (s.speakerChannels == 2 && ControlValues(s.speakerVolumeId, 2, v, false)) s.balance = BalanceOf(v[0], v[1]);
}

static bool MainOnEndpoint() { return g_systemVolume.useEndpoint; }

int GetSystemVolume(VolumeTarget target) {
    SystemVolume& s = g_systemVolume;
    if (target == VolumeMain && MainOnEndpoint()) {
        float level = 0;
        if (!s.endpointVolume || FAILED(s.endpointVolume->GetMasterVolumeLevelScalar(&level))) return -1;
        return (int)(level * 65535.0f + 0.5f);
    }
    uint32_t v = 0;
    return ControlValues(target == VolumeMain ? s.speakerVolumeId : s.waveVolumeId, 1, &v, false) ? (int)v : -1;
}

void SetSystemVolume(VolumeTarget target, int value) {
    SystemVolume& s = g_systemVolume;
    if (value < 0) value = 0;
    if (value > 65535) value = 65535;
    if (target == VolumeMain && MainOnEndpoint()) {
        if (s.endpointVolume) s.endpointVolume->SetMasterVolumeLevelScalar(value / 65535.0f, nullptr);
        return;
    }
    uint32_t v = (uint32_t)value;
    if (target == VolumeMain && !g_general.isVolumeAutoCenter && s.speakerChannels > 1) {
        uint32_t ch[2] = {};
        if (ControlValues(s.speakerVolumeId, 2, ch, false)) s.balance = BalanceOf(ch[0], ch[1]);
        if (s.balance != 0) {
            uint32_t quiet = ((16 - (uint32_t)abs(s.balance)) * v + 8) / 16;
            ch[0] = s.balance > 0 ? v : quiet;
            ch[1] = s.balance > 0 ? quiet : v;
        } else {
            ch[0] = ch[1] = v;
        }
        ControlValues(s.speakerVolumeId, 2, ch, true);
        return;
    }
    // One uniform value: this also centres the balance.
    ControlValues(target == VolumeMain ? s.speakerVolumeId : s.waveVolumeId, 1, &v, true);
}

bool IsMuted(VolumeTarget target) {
    SystemVolume& s = g_systemVolume;
    bool muted = false;
    if (target == VolumeMain && MainOnEndpoint()) {
        BOOL m = FALSE;
        muted = s.endpointVolume && SUCCEEDED(s.endpointVolume->GetMute(&m)) && m;
    } else {
        uint32_t v = 0;
        muted = ControlValues(target == VolumeMain ? s.speakerMuteId : s.waveMuteId, 1, &v, false) && v;
    }
    // A device that has just gone quiet may be a new default: look again once.
    if (muted && !g_muteSeen) {
        g_muteSeen = true;
        InitSystemVolume();
    } else if (!muted) {
        g_muteSeen = false;
    }
    return muted;
}

void ToggleMute(VolumeTarget target) {
    SystemVolume& s = g_systemVolume;
    if (target == VolumeMain && MainOnEndpoint()) {
        BOOL m = FALSE;
        if (s.endpointVolume && SUCCEEDED(s.endpointVolume->GetMute(&m))) s.endpointVolume->SetMute(!m, nullptr);
        return;
    }
    InitSystemVolume();
    uint32_t id = target == VolumeMain ? s.speakerMuteId : s.waveMuteId, v = 0;
    if (!ControlValues(id, 1, &v, false)) {
        InitSystemVolume();
        id = target == VolumeMain ? s.speakerMuteId : s.waveMuteId;
        if (!ControlValues(id, 1, &v, false)) return;
    }
    v = !v;
    ControlValues(id, 1, &v, true);
}

void ShiftBalance(bool towardLeft) {
    SystemVolume& s = g_systemVolume;
    if (s.useEndpoint) return;
    uint32_t ch[2] = {};
    uint32_t n = s.speakerChannels ? s.speakerChannels : 1;
    if (!ControlValues(s.speakerVolumeId, n, ch, false)) return;
    if (n < 2) {
        ControlValues(s.speakerVolumeId, n, ch, true);
        return;
    }
    uint32_t m = ch[0] > ch[1] ? ch[0] : ch[1];
    s.balance += towardLeft ? 1 : -1;
    if (s.balance > 16) s.balance = 16;
    if (s.balance < -16) s.balance = -16;
    ApplyBalance(s.balance, m, &ch[0], &ch[1]);
    ControlValues(s.speakerVolumeId, 2, ch, true);
}
