// Input plug-ins from the Plugins folder, and the audio extensions they and
// the audio library's own decoders bring.
#pragma once
#include <stdint.h>
#include <string>
#include <vector>

// One decoder: the library's two built-in rows, then one per loaded plug-in.
struct InputPluginRecord {
    std::string name;
    std::wstring file;    // "bass.dll" for the built-in rows, else the plug-in's full path
    std::wstring filter;  // "*.mp3;*.mp2"
    uint32_t handle = 0;  // 0 for the built-in rows
};

// Rebuilds the three audio kind groups and the records: the built-in formats,
// then every "bass*.dll" of the Plugins folder beside the executable.
void LoadPlugins();
// As LoadPlugins, from another folder (tests, benchmarks).
void LoadPluginsFrom(const std::wstring& folder);
// Splits a filter ("*.ape;*.mac") and adds each extension to its kind group.
void AddFilterExtensions(const std::wstring& filter);
// The path's extension is in the lossless, lossy or music group.
bool IsSupportedAudio(const wchar_t* path);
// The block the help text ends with.
std::wstring SupportedFormatsText();
