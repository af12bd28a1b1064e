#include "library/adding.h"
#include <atomic>

static std::atomic<bool> g_adding{false};

bool IsAdding() { return g_adding.load(); }

void CancelAdding() { g_adding = false; }
