#include "audio/player_events.h"

static HWND NoWindow() { return nullptr; }
static UiWindow* NoUi() { return nullptr; }
static ListView* NoList() { return nullptr; }
static Slider* NoSlider() { return nullptr; }
static void Nothing() {}
static void NothingFor(bool) {}
static void NothingForTags(const TagRecord&) {}
static void NothingForPath(const wchar_t*) {}
static bool No() { return false; }

PlayerEvents SilentPlayerEvents() {
    return PlayerEvents{
        NoWindow, NoUi, NoList, NoSlider, NoList, NoList,
        Nothing, Nothing, Nothing, NothingFor, Nothing, Nothing, Nothing, Nothing,
        Nothing, Nothing, Nothing, NothingForTags,
        No, Nothing, Nothing, Nothing, NothingForPath,
    };
}

PlayerEvents g_playerEvents = SilentPlayerEvents();
