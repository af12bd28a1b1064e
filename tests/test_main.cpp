#include <gtest/gtest.h>
#include "tests/test_support.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    // Every test program works in a scratch folder of its own; the player's
    // files (Settings.ini, PlayList.dcp) land there, never beside the build.
    ScratchFolder::InitForProcess();
    return RUN_ALL_TESTS();
}
