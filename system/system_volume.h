// The computer's own volume: the main (speakers) volume through the Core
// Audio endpoint on Windows 6 and later, the wave volume, mute switches and
// the classic mixer's balance through the waveform-audio mixer.
#pragma once
#include <stdint.h>

enum VolumeTarget { VolumeMain = 0, VolumeWave = 1 };

struct IAudioEndpointVolume;

struct SystemVolume {
    IAudioEndpointVolume* endpointVolume = nullptr;
    bool useEndpoint = false;
    uint32_t speakerChannels = 0;
    uint32_t speakerVolumeId = (uint32_t)-1, speakerMuteId = (uint32_t)-1;
    uint32_t waveVolumeId = (uint32_t)-1, waveMuteId = (uint32_t)-1;
    int32_t balance = 0;  // -16..16; positive when the right channel is the quieter one
};

extern SystemVolume g_systemVolume;

void InitSystemVolume();
void ReleaseSystemVolume();
// 0..65535, or -1 when it cannot be read.
int GetSystemVolume(VolumeTarget target);
void SetSystemVolume(VolumeTarget target, int value);
bool IsMuted(VolumeTarget target);
void ToggleMute(VolumeTarget target);
void ShiftBalance(bool towardLeft);

// The balance of two channel volumes, and the channel volumes of a balance.
int32_t BalanceOf(uint32_t left, uint32_t right);
void ApplyBalance(int32_t balance, uint32_t loudest, uint32_t* left, uint32_t* right);
