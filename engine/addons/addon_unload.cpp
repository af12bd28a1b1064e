// Linked into every add-on. The C++ runtime linked statically into an add-on
// sets aside its emergency exception pool (some 70 KB) when the add-on loads
// and never gives it back when the add-on is unloaded: every reload of the
// add-ons would keep one more. The pool goes when the add-on is unloaded
// while the process goes on (not at the process's end, when nothing matters).
#include <windows.h>

namespace __gnu_cxx {
void __freeres() noexcept;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_DETACH && reserved == nullptr) __gnu_cxx::__freeres();
    return TRUE;
}
