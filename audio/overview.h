// The overview scan of the current track (waveform and trailing silence).
#pragma once
#include <stdint.h>

void StartOverviewScan();
// Cancels a running scan and waits for its thread to end (10 ms sleeps).
void CancelOverviewScan();
