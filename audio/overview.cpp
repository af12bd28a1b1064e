#include "audio/overview.h"
#include "audio/engine.h"

void StartOverviewScan() {}

void CancelOverviewScan() {
    if (!g_engine.scanThread.load()) return;
    g_engine.scanComplete = false;
    g_engine.scanCancel = true;
    while (g_engine.scanThread.load()) Sleep(10);
    g_engine.scanCancel = false;
}
