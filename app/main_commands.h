// The main window's commands: the context menu, the keyboard table, the
// volume keys and the player commands that buttons and tray clicks send.
#pragma once
#include <windows.h>
#include <stdint.h>

enum MenuCommand {
    CmdExit = 40014,
    CmdShuffle = 40035,
    CmdLoopTrack = 40036,
    CmdSettings = 40037,
    CmdRestartPlayList = 40038,
    CmdShowCurrent = 40039,
    CmdLoopPlayList = 40040,
    CmdShutdownAfterPlayList = 40041,
};

// Player command numbers, which are also the hot-key ids (system/hot_keys.h
// holds their names and keys). Several commands have two keys: a multimedia
// key and a Win combination.
enum PlayerCommand {
    PlayerPreviousMedia = 0, PlayerPrevious = 1, PlayerPreviousOpposite = 2,
    PlayerPlayPauseMedia = 3, PlayerPlayPause = 4,
    PlayerStopMedia = 5, PlayerStop = 6,
    PlayerNextMedia = 7, PlayerNext = 8, PlayerNextOpposite = 9,
    PlayerSeekBack5 = 10, PlayerSeekBack20 = 11, PlayerSeekForward5 = 12, PlayerSeekForward20 = 13,
    PlayerMainVolumeUpMedia = 14, PlayerMainVolumeUp = 15, PlayerMainVolumeDownMedia = 16, PlayerMainVolumeDown = 17,
    PlayerBalanceLeft = 18, PlayerBalanceRight = 19, PlayerMainMute = 20,
    PlayerWaveVolumeUp = 21, PlayerWaveVolumeDown = 22, PlayerWaveMute = 23,
    PlayerVolumeUp = 24, PlayerVolumeDown = 25,
    PlayerShowHide = 26, PlayerBarMode = 27, PlayerOsdNumpad = 28, PlayerOsd = 29, PlayerClose = 30,
    SystemKillNumpad = 31, SystemKill = 32, SystemKillMedia = 33, SystemCloseApp = 34,
    SystemEnableWindow = 35, SystemShowHandles = 36, SystemOnTop = 37, SystemPointerLock = 38,
    SystemSuspend = 39, PlayerRestart = 40, SystemRestartAero = 41,
};

// One volume step per unit of steps (negative: down), by the percentage bands.
int VolumeStep(int value, int maximum, int steps);
// Moves the volume slider by steps and applies it as pVolumeControls says.
void ChangeVolume(int steps);
// Applies a volume slider value: the player volume with pVolumeControls 2.
void ApplyVolume(int value);

// WM_COMMAND: output devices 1..count, then the menu's own ids.
void RunCommand(int id);
// WM_HOTKEY, the buttons and the keys: player command id (0-41), or a hot
// keys manager entry from its first id on; other numbers do nothing.
void RunPlayerCommand(int id);
// Opens the context menu at a screen point.
void ShowContextMenu(int screenX, int screenY);
// The output devices inserted at the top of the menu the last time it opened.
int DeviceItemCount();
// Releases the loaded menu.
void ReleaseContextMenu();

// Keys kept from the focused control: Ctrl+Shift+numpad +/-, Ctrl+arrows (small mode: plain arrows).
bool IsMainWindowKey(UINT msg, WPARAM vk);
// The keyboard table; true when the key was the main window's.
bool HandleMainKey(UINT msg, WPARAM vk);

