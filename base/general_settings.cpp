#include "base/general_settings.h"

GeneralSettings g_general;

void SetGeneralDefaults() {
    GeneralSettings& g = g_general;
    g.isVisible = 1;
    g.isSmall = 0;
    g.isMaximized = 0;
    g.xPos = g.yPos = g.Width = g.Height = 0;
    g.pSeekHeight = 45;
    g.pSeekHeightMaximized = 103;
    g.isSwapPanels = 0;
    g.marginBig = 7;
    g.marginSmall = 4;
    g.LCR = 0;
    g.RegisteredAssociations.Set(L"");
    g.MusicFolder.Set(L"");
    g.globalCP = 0;
    g.isShuffle = 1;
    g.isLoop = 0;
    g.isLoopPlayList = 0;
    g.isSeekGraphical = 1;
    g.PlayerVolume = 65535;
    g.Theme = 1099;
    g.isShowIcons = 1;
    g.isEnlargeFont = 0;
    g.OSDView = 1;
    g.pVolumeControls = 2;
    g.isSIOpenFolder = g.isSIAddFolder = g.isSIWithAudioFiles = 0;
    g.isShowLanguage = 0;
    g.isShowCPU = 1;
    g.isStartDate = 0;
    g.isTrayUpdateLow = 0;
    g.isSpectrum = 1;
    g.isCPUUsage = 1;
    g.isMergeCue = 1;
    g.isUseAlbums = 1;
    g.isOnTop = 1;
    g.isSmoothPause = 1;
    g.isRememberPosInTrack = 1;
    g.isSupressStandby = 1;
    g.isVolumeAutoCenter = 0;
    g.isSkipSilence = 0;
    g.FilesTop = 0;
    g.FilesSelected = 0;
    g.Path.Set(L"");
    g.PlayListTop = 0;
    g.PlayListSelected = 0;
    g.NowPlaying = 0;
    g.SpectrumType = 1;
    g.Focus = 0;
    g.lastPlayedPos = -1;
    g.lastPlayedFromPL = 0;
    g.isScrobblerEnabled = 1;
    g.ReplayGainMode = 0;
    g.ReplayGainPreamp = 0;
    g.ReplayGainUntagged = 0;
}
