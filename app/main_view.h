// The main window's views as the engine and the lists see them: seek panel,
// time and title display, play button, spectrum; and the owner callbacks of
// the main window's controls.
#pragma once
#include <windows.h>
#include <stdint.h>

void RepaintSeekPanel();
void UpdateTitleAndTime();
void UpdatePositionDisplay();
void ShowPlayButtonState(bool playing);
void RepaintSpectrum();

// Whole seconds of t ms: "%02i:%02i" below one hour or without the long form
// (minutes may pass 59), else "%i:%02i:%02i".
void FormatTime(uint32_t ms, bool longForm, wchar_t* out, int size);

// Owner callbacks of the controls (main_controls.cpp).
LRESULT MainButtonNotify(HWND, UINT msg, WPARAM wp, LPARAM lp);
LRESULT SeekPanelNotify(HWND, UINT msg, WPARAM wp, LPARAM lp);
LRESULT VolumeNotify(HWND, UINT msg, WPARAM wp, LPARAM lp);
// Shows the controlled volume and its mute state on the volume slider.
void RefreshVolumeSlider(bool force);
LRESULT InfoPanelNotify(HWND, UINT msg, WPARAM wp, LPARAM lp);
LRESULT SpectrumNotify(HWND, UINT msg, WPARAM wp, LPARAM lp);
// The seek panel's picture (owner-drawn slider), called from its callback.
void PaintSeekPanel();
