// Saving and loading the settings: the whole-file save and the start-up load
// of section General (the record itself is base/general_settings.h).
#pragma once
#include "base/general_settings.h"

// Writes the whole settings file: General, the playlist, the hot-key sections.
void SaveAllSettings();
// Reads General at start-up and applies it; also loads the other sections and the playlist.
void LoadGeneralSettings(bool restoreLastTrack, bool forceStart);
// Reads the key Theme alone (start-up needs the theme before anything is drawn).
void LoadThemeSetting();
