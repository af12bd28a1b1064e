#include "system/system_volume.h"

// The mixer and Core Audio side comes with its own module; until then the
// system volume cannot be read and nothing is changed.
void InitSystemVolume() {}
int GetSystemVolume(SystemVolumeTarget) { return -1; }
void SetSystemVolume(SystemVolumeTarget, int) {}
bool IsMuted(SystemVolumeTarget) { return false; }
void ToggleMute(SystemVolumeTarget) {}
void ShiftBalance(bool) {}
