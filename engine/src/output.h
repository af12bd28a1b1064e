// The output device: one mixer thread that renders every playing channel into
// the device. Devices 1.. are the system's WASAPI render endpoints (shared
// mode, event driven, the device's own float format); device 0 is silent, a
// clock that consumes audio at real time so positions and syncs still run.
#pragma once
#include <windows.h>
#include <stdint.h>
#include <string>
#include <vector>

struct DeviceEntry {
    std::string name;    // system code page
    std::string driver;  // endpoint id
    bool isDefault = false;
};

// Endpoints as found now (device n is entry n - 1).
std::vector<DeviceEntry> ListDevices();

struct OutputFormat {
    DWORD rate = 0;
    DWORD chans = 0;
    DWORD bufferMs = 0;
    DWORD periodMs = 0;
};

// device: 0 silent, 1.. endpoint. Returns a BASS error number, 0 on success.
int StartOutput(int device, DWORD freq, OutputFormat* format);
void StopOutput();
bool OutputRunning();

// How much audio the device holds that has not been heard yet.
double OutputBufferedSeconds();
int64_t OutputLatencyUs();
// Share of real time the mixer spent, in percent.
float OutputCpuPercent();
