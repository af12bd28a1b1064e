// Loaded add-ons (BASS_PluginLoad) and streams decoded by them.
#pragma once
#include "bass.h"
#include "decoder.h"

HPLUGIN LoadAddon(const wchar_t* path, int* error);
bool FreeAddon(HPLUGIN handle);  // 0: all
const BASS_PLUGININFO* AddonInfo(HPLUGIN handle);
// Offers the source to each add-on in load order.
std::unique_ptr<Decoder> OpenWithAddons(std::unique_ptr<ByteSource>& src, DWORD flags, HPLUGIN* which, int* error);
