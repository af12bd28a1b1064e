// The calls the lower layers make to the window: start-up puts the main
// window's, the lists' and the statistics' functions into g_playerEvents and
// the system actions' settings-window question. The tests, which drive the
// player in-process, do the same before they run.
#pragma once

void InstallNotifications();
