#include "app/general_settings.h"
#include "app/main_frame.h"
#include "app/main_window.h"
#include "ui/custom_control.h"
#include "base/settings_store.h"
#include "app/shell_integration.h"
#include "audio/engine.h"
#include "library/file_browser.h"
#include "library/playlist.h"
#include "system/hot_keys.h"
#include "app/osd.h"
#include <wchar.h>

static const wchar_t kGeneral[] = L"Settings.ini\\General";

// The levelling's own gains stay within what the settings window offers.
static int32_t ClampGainDb(int32_t db) { return db < -15 ? -15 : db > 15 ? 15 : db; }

void SaveAllSettings() {
    GeneralSettings& g = g_general;
    StoreListPositions();
    BeginSettingsSave();
    SettingsStore s;
    if (!s.Open(SettingsKeyRewrite, kGeneral, KEY_WRITE)) {
        EndSettingsSave();
        return;
    }
    RECT r{};
    HWND wnd = g_mainWindow;
    if (wnd) GetWindowRect(wnd, &r);
    bool maximized = wnd && IsZoomed(wnd);
    // The control that has the keyboard focus now comes back focused next time.
    if (wnd && g_mainFrame.window && g_mainFrame.window->focusIndex >= 0) g.Focus = g_mainFrame.window->focusIndex;
    if (maximized) g.isMaximized = 1;
    else if (wnd && !IsIconic(wnd)) g.isMaximized = 0;

    s.WriteDword(L"isVisible", g.isVisible);
    s.WriteDword(L"isSmall", g.isSmall);
    s.WriteDword(L"isMaximized", g.isMaximized);
    // The normal window's rectangle is kept while maximised, small or minimised.
    bool normalPlace = wnd && !IsIconic(wnd) && !g.isMaximized;
    bool normalSize = normalPlace && !g.isSmall;
    s.WriteInt(L"xPos", normalPlace ? r.left : g.xPos);
    s.WriteInt(L"yPos", normalPlace ? r.top : g.yPos);
    s.WriteInt(L"Width", normalSize ? r.right - r.left : g.Width);
    s.WriteInt(L"Height", normalSize ? r.bottom - r.top : g.Height);
    s.WriteInt(L"pSeekHeight", g.pSeekHeight);
    s.WriteInt(L"pSeekHeightMaximized", g.pSeekHeightMaximized);
    s.WriteDword(L"isSwapPanels", g.isSwapPanels);
    s.WriteInt(L"marginBig", g.marginBig);
    s.WriteInt(L"marginSmall", g.marginSmall);
    s.WriteInt(L"LCR", g.LCR);
    s.WriteString(L"RegisteredAssociations", g.RegisteredAssociations.c_str());
    s.WriteString(L"MusicFolder", g.MusicFolder.c_str());
    s.WriteDword(L"globalCP", g.globalCP);
    s.WriteDword(L"isShuffle", g.isShuffle);
    s.WriteDword(L"isLoop", g.isLoop);
    s.WriteDword(L"isLoopPlayList", g.isLoopPlayList);
    s.WriteDword(L"isSeekGraphical", g.isSeekGraphical);
    s.WriteDword(L"PlayerVolume", g.PlayerVolume);
    s.WriteDword(L"Theme", g.Theme);
    s.WriteDword(L"isShowIcons", g.isShowIcons);
    s.WriteDword(L"isEnlargeFont", g.isEnlargeFont);
    s.WriteDword(L"OSDView", g.OSDView);
    s.WriteDword(L"pVolumeControls", g.pVolumeControls);
    s.WriteDword(L"isSIOpenFolder", g.isSIOpenFolder);
    s.WriteDword(L"isSIAddFolder", g.isSIAddFolder);
    s.WriteDword(L"isSIWithAudioFiles", g.isSIWithAudioFiles);
    s.WriteDword(L"isShowLanguage", g.isShowLanguage);
    s.WriteDword(L"isShowCPU", g.isShowCPU);
    s.WriteDword(L"isStartDate", g.isStartDate);
    s.WriteDword(L"isTrayUpdateLow", g.isTrayUpdateLow);
    s.WriteDword(L"isSpectrum", g.isSpectrum);
    s.WriteDword(L"isCPUUsage", g.isCPUUsage);
    s.WriteDword(L"isMergeCue", g.isMergeCue);
    s.WriteDword(L"isUseAlbums", g.isUseAlbums);
    s.WriteDword(L"isOnTop", g.isOnTop);
    s.WriteDword(L"isSmoothPause", g.isSmoothPause);
    s.WriteDword(L"isRememberPosInTrack", g.isRememberPosInTrack);
    s.WriteDword(L"isSupressStandby", g.isSupressStandby);
    s.WriteDword(L"isVolumeAutoCenter", g.isVolumeAutoCenter);
    s.WriteDword(L"isSkipSilence", g.isSkipSilence);
    s.WriteInt(L"FilesTop", g.FilesTop);
    s.WriteDword(L"FilesSelected", g.FilesSelected);
    s.WriteString(L"Path", g.Path.c_str());
    s.WriteString(L"pathReal", realPath);
    s.WriteInt(L"PlayListTop", g.PlayListTop);
    s.WriteDword(L"PlayListSelected", g.PlayListSelected);
    s.WriteDword(L"NowPlaying", g.NowPlaying);
    s.WriteDword(L"SpectrumType", g.SpectrumType ? 1 : 0);
    s.WriteInt(L"Focus", g.Focus);
    s.WriteString(L"lastPlayedFile", currentPath.c_str());
    s.WriteInt(L"lastPlayedPos", PositionToRemember());
    s.WriteDword(L"lastPlayedFromPL", g.lastPlayedFromPL);
    s.WriteDword(L"isScrobblerEnabled", g.isScrobblerEnabled);
    s.WriteDword(L"ReplayGainMode", g.ReplayGainMode);
    s.WriteInt(L"ReplayGainPreamp", g.ReplayGainPreamp);
    s.WriteInt(L"ReplayGainUntagged", g.ReplayGainUntagged);

    SavePlayList();
    s.Close();
    SaveHotKeySections();
    EndSettingsSave();
}

void LoadThemeSetting() {
    SettingsStore s;
    if (s.Open(SettingsKeyRewrite, kGeneral, KEY_READ)) s.ReadDword(L"Theme", &g_general.Theme);
    s.Close();
}

void LoadGeneralSettings(bool restoreLastTrack, bool forceStart) {
    GeneralSettings& g = g_general;
    SettingsStore s;
    bool found = s.Open(SettingsKeyRewrite, kGeneral, KEY_READ);
    // Locals applied below; a hand-edited file that lacks them still gives a usable window.
    uint8_t isSmall = 0;
    uint32_t spectrumType = g.SpectrumType;
    int32_t lcr = 0, focus = g.Focus, filesTop = 0, playListTop = 0;
    uint32_t filesSelected = 0, playListSelected = 0;
    StringBuffer lastFile;
    int32_t lastPos = -1;
    uint8_t lastFromPL = 0;
    if (found) {
        s.ReadDword(L"isShowCPU", &g.isShowCPU);
        s.ReadDword(L"isShowLanguage", &g.isShowLanguage);
        s.ReadDword(L"isStartDate", &g.isStartDate);
        s.ReadDword(L"isShowIcons", &g.isShowIcons);
        s.ReadDword(L"SpectrumType", &spectrumType);
        s.ReadDword(L"isSmall", &isSmall);
        s.ReadDword(L"isVisible", &g.isVisible);
        s.ReadDword(L"isShuffle", &g.isShuffle);
        s.ReadDword(L"isLoop", &g.isLoop);
        s.ReadDword(L"isLoopPlayList", &g.isLoopPlayList);
        s.ReadDword(L"isSpectrum", &g.isSpectrum);
        s.ReadDword(L"OSDView", &g.OSDView);
        s.ReadDword(L"xPos", &g.xPos);
        s.ReadDword(L"yPos", &g.yPos);
        s.ReadDword(L"Width", &g.Width);
        s.ReadDword(L"Height", &g.Height);
        s.ReadDword(L"FilesTop", &filesTop);
        s.ReadDword(L"FilesSelected", &filesSelected);
        s.ReadString(L"Path", &g.Path);
        s.ReadDword(L"PlayListTop", &playListTop);
        s.ReadDword(L"PlayListSelected", &playListSelected);
        s.ReadDword(L"NowPlaying", &g.NowPlaying);
        s.ReadDword(L"LCR", &lcr);
        s.ReadDword(L"Theme", &g.Theme);
        s.ReadDword(L"isSwapPanels", &g.isSwapPanels);
        s.ReadDword(L"isVolumeAutoCenter", &g.isVolumeAutoCenter);
        s.ReadDword(L"pVolumeControls", &g.pVolumeControls);
        s.ReadDword(L"isSIOpenFolder", &g.isSIOpenFolder);
        s.ReadDword(L"isSIAddFolder", &g.isSIAddFolder);
        s.ReadDword(L"isSIWithAudioFiles", &g.isSIWithAudioFiles);
        s.ReadDword(L"PlayerVolume", &g.PlayerVolume);
        s.ReadDword(L"Focus", &focus);
        s.ReadDword(L"isEnlargeFont", &g.isEnlargeFont);
        s.ReadDword(L"isTrayUpdateLow", &g.isTrayUpdateLow);
        s.ReadDword(L"isSupressStandby", &g.isSupressStandby);
        s.ReadDword(L"isMaximized", &g.isMaximized);
        s.ReadDword(L"isSeekGraphical", &g.isSeekGraphical);
        s.ReadDword(L"isRememberPosInTrack", &g.isRememberPosInTrack);
        if (restoreLastTrack) {
            s.ReadString(L"lastPlayedFile", &lastFile);
            s.ReadDword(L"lastPlayedPos", &lastPos);
            s.ReadDword(L"lastPlayedFromPL", &lastFromPL);
            s.ReadStringFixed(L"pathReal", realPath);
        }
        s.ReadDword(L"pSeekHeight", &g.pSeekHeight);
        s.ReadDword(L"pSeekHeightMaximized", &g.pSeekHeightMaximized);
        s.ReadDword(L"isSmoothPause", &g.isSmoothPause);
        s.ReadDword(L"isSkipSilence", &g.isSkipSilence);
        s.ReadDword(L"isOnTop", &g.isOnTop);
        s.ReadDword(L"marginBig", &g.marginBig);
        s.ReadDword(L"marginSmall", &g.marginSmall);
        s.ReadString(L"RegisteredAssociations", &g.RegisteredAssociations);
        s.ReadDword(L"isMergeCue", &g.isMergeCue);
        s.ReadString(L"MusicFolder", &g.MusicFolder);
        s.ReadDword(L"isUseAlbums", &g.isUseAlbums);
        s.ReadDword(L"isCPUUsage", &g.isCPUUsage);
        s.ReadDword(L"globalCP", &g.globalCP);
        s.ReadDword(L"isScrobblerEnabled", &g.isScrobblerEnabled);
        s.ReadDword(L"ReplayGainMode", &g.ReplayGainMode);
        s.ReadDword(L"ReplayGainPreamp", &g.ReplayGainPreamp);
        s.ReadDword(L"ReplayGainUntagged", &g.ReplayGainUntagged);
        if (g.ReplayGainMode > 2) g.ReplayGainMode = 0;
        g.ReplayGainPreamp = ClampGainDb(g.ReplayGainPreamp);
        g.ReplayGainUntagged = ClampGainDb(g.ReplayGainUntagged);
    }
    s.Close();
    LoadHotKeySections(found);

    // The main window's controls, when it exists (the focus goes back to one of them).
    UiWindow* mainUi = g_mainWindow ? g_mainFrame.window : nullptr;
    if (found) {
        // Before the lists are filled and the window takes its place: every
        // layout from here on has the restored heights.
        ShowSettingsInControls();
        g.SpectrumType = spectrumType ? 1 : 0;
        if (g_mainFrame.spectrum) g_mainFrame.spectrum->state = g.SpectrumType ? 1 : 2;
        g.Focus = focus;
        if (mainUi && focus >= 0 && focus < mainUi->controlCount) SetFocusIndex(mainUi, focus, false);
        g.LCR = lcr;
        if (g.OSDView == 0) ShowOsd(200);
        ShowListIcons(g.isShowIcons != 0);
    }
    // The lists were made before the settings were read: their font follows now.
    ApplyListFont(g.isEnlargeFont != 0);

    NavigateFileList(g.Path.c_str());
    if (found) {
        g.FilesSelected = filesSelected;
        g.FilesTop = filesTop;
    }
    bool playListLoaded = LoadPlayList() && found;
    if (playListLoaded) {
        g.PlayListSelected = playListSelected;
        g.PlayListTop = playListTop;
    } else {
        g.PlayListTop = 0;
        g.NowPlaying = 0;
    }
    RestoreListPositions(playListLoaded);

    // The last track comes back at its position, unless it was a network stream.
    if (found && restoreLastTrack) {
        currentPath.text = lastFile.text;
        g.lastPlayedFromPL = lastFromPL;
        g.lastPlayedPos = lastPos;
        if (g.isRememberPosInTrack && lastPos != -1 && _wcsnicmp(lastFile.c_str(), L"http", 4) != 0) {
            uint32_t osd = g.OSDView;
            g.OSDView = 2;
            ReopenLastTrack(lastFile.c_str(), lastPos, lastFromPL != 0);
            g.OSDView = osd;
        }
    }

    HWND wnd = g_mainWindow;
    if (wnd && !g.isOnTop) SetWindowPos(wnd, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (found && wnd) {
        RECT r{};
        GetWindowRect(wnd, &r);
        int w = g.Width > 0 ? g.Width : r.right - r.left;
        int h = g.Height > 0 ? g.Height : r.bottom - r.top;
        MoveWindow(wnd, g.xPos, g.yPos, w, h, TRUE);
        if (isSmall) g.isSmall = 1;
    }
    // A forced start of the shell's handler renews what the shell knows of us.
    if (g.isSIWithAudioFiles && forceStart) {
        SetAudioFileAssociation(true);
        SetFolderVerb(VerbOpen, g.isSIOpenFolder != 0);
        SetFolderVerb(VerbAdd, g.isSIAddFolder != 0);
    }
}
