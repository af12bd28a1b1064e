// Input plug-ins from the Plugins folder.
#pragma once

void LoadPlugins();
