// Output devices: switching at run time without losing the track, the
// context menu's device entries, the device list and its capabilities, and
// the CPU-load text.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

class ListView;

const int kKeepDevice = -100000;

// Switches to a device (numbered from 1), or re-initialises the one in use
// with kKeepDevice; the current track comes back at its position and state.
void ReinitAudio(int device);
// Inserts one entry per device at the menu's top; returns how many.
int FillDeviceMenu(HMENU menu);
// The "Audio" page's two lists: the devices, and the capabilities of the one in use.
void FillDeviceInfo(ListView* devices, ListView* info);
// Label and value rows of the device in use.
std::vector<std::pair<std::wstring, std::wstring>> DeviceCapabilityRows();
// The library's CPU load as "5.43%" (one more decimal below 10; -1 decimals drops the dot).
std::wstring CpuLoadText(float load, int decimals);
