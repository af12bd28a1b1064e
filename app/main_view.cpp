#include "app/main_view.h"

// The views arrive with the main window's layout; until then there is nothing to draw.
void RepaintSeekPanel() {}
void UpdateTitleAndTime() {}
void UpdatePositionDisplay() {}
void ShowPlayButtonState(bool) {}
void RepaintSpectrum() {}
