// The computer's main (speakers) and wave volumes, their mute switches and
// the speakers' balance. Volumes run from 0 to 65535.
#pragma once

// The same numbers as pVolumeControls 0 and 1.
enum SystemVolumeTarget { SystemVolumeMain = 0, SystemVolumeWave = 1 };

void InitSystemVolume();
// 0..65535, or -1 when it cannot be read.
int GetSystemVolume(SystemVolumeTarget target);
void SetSystemVolume(SystemVolumeTarget target, int value);
bool IsMuted(SystemVolumeTarget target);
void ToggleMute(SystemVolumeTarget target);
// One sixteenth of the balance toward the left or the right (classic mixer only).
void ShiftBalance(bool towardLeft);
