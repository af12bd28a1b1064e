// The hot keys manager: global hot keys that start command lines. Its
// entries use the hot-key ids from kManagerFirstId upward.
#pragma once

const int kManagerFirstId = 0xFFFF;

int ManagerEntryCount();
// Starts entry index's command line.
void RunManagerEntry(int index);
