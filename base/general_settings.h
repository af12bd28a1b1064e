// The player's own settings, section General of Settings.ini: the record,
// its global and the start-up defaults.
#pragma once
#include <windows.h>
#include <stdint.h>
#include "base/string_buffer.h"

struct GeneralSettings {
    uint8_t isVisible, isSmall, isMaximized;
    int32_t xPos, yPos, Width, Height;
    int32_t pSeekHeight, pSeekHeightMaximized;
    uint8_t isSwapPanels;
    int32_t marginBig, marginSmall;
    int32_t LCR;
    StringBuffer RegisteredAssociations, MusicFolder;
    uint32_t globalCP;
    uint8_t isShuffle, isLoop, isLoopPlayList, isSeekGraphical;
    uint32_t PlayerVolume, Theme;
    uint8_t isShowIcons, isEnlargeFont;
    uint32_t OSDView, pVolumeControls;
    uint8_t isSIOpenFolder, isSIAddFolder, isSIWithAudioFiles;
    uint8_t isShowLanguage, isShowCPU, isStartDate, isTrayUpdateLow;
    uint8_t isSpectrum, isCPUUsage, isMergeCue, isUseAlbums, isOnTop;
    uint8_t isSmoothPause, isRememberPosInTrack, isSupressStandby, isVolumeAutoCenter, isSkipSilence;
    int32_t FilesTop;
    uint32_t FilesSelected;
    StringBuffer Path;
    int32_t PlayListTop;
    uint32_t PlayListSelected, NowPlaying, SpectrumType;
    int32_t Focus;
    int32_t lastPlayedPos;  // as read; a save writes the engine's position, track and file
    uint8_t lastPlayedFromPL;
    uint8_t isScrobblerEnabled;
    // Loudness levelling: 0 off, 1 track gain, 2 album gain (else track); the
    // preamp for tagged files and the gain of untagged ones in whole dB.
    uint32_t ReplayGainMode;
    int32_t ReplayGainPreamp, ReplayGainUntagged;
};

extern GeneralSettings g_general;

// Start-up defaults, set before anything is read.
void SetGeneralDefaults();
