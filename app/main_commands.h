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

// Player command numbers (also the hot-key ids) that the main window itself sends.
enum PlayerCommand { PlayerPrevious = 1, PlayerPlayPause = 4, PlayerNext = 8,
                     PlayerSeekBack5 = 10, PlayerSeekBack20 = 11, PlayerSeekForward5 = 12, PlayerSeekForward20 = 13 };

// One volume step per unit of steps (negative: down), by the percentage bands.
int VolumeStep(int value, int maximum, int steps);
// Moves the volume slider by steps and applies it as pVolumeControls says.
void ChangeVolume(int steps);
// Applies a volume slider value: the player volume with pVolumeControls 2.
void ApplyVolume(int value);

// WM_COMMAND: output devices 1..count, then the menu's own ids.
void RunCommand(int id);
// WM_HOTKEY and the buttons: the player commands the main window knows.
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

