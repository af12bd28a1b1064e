#include <gtest/gtest.h>
#include "tests/test_support.h"
#include "app/notifications.h"
#include <stdio.h>
#include <windows.h>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    // Every test program works in a scratch folder of its own; the player's
    // files (Settings.ini, PlayList.dcp) land there, never beside the build.
    ScratchFolder::InitForProcess();
    // The player's layers reach the window as start-up connects them.
    InstallNotifications();
    int result = RUN_ALL_TESTS();
    // The verdict is in: end here. Cleaning up through the shell or the
    // libraries' detach handlers can wait forever on worker threads that tests
    // left behind; the scratch folder stays in the prefix's Temp folder.
    fflush(stdout);
    fflush(stderr);
    TerminateProcess(GetCurrentProcess(), (UINT)result);
    return result;
}
