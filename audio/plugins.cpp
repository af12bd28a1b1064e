#include "audio/plugins.h"

void LoadPlugins() {}
