// Callbacks of syncs without MIXTIME run here, one library thread, when the
// audio that triggered them is being heard.
#pragma once
#include "bass.h"
#include <stdint.h>

void StartSyncThread();
void StopSyncThread();
// Runs proc after delayUs on the sync thread (at once on the caller's thread
// when the sync thread is not running).
void QueueSync(HSYNC id, DWORD channel, DWORD data, SYNCPROC* proc, void* user, int64_t delayUs);
