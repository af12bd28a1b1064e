// The main window's views as the engine and the lists see them: seek panel,
// time and title display, play button, status line, spectrum.
#pragma once

void RepaintSeekPanel();
void UpdateTitleAndTime();
void UpdatePositionDisplay();
void ShowPlayButtonState(bool playing);
void RepaintSpectrum();
