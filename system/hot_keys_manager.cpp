#include "system/hot_keys_manager.h"

// The entries and their section come with the manager's module.
int ManagerEntryCount() { return 0; }
void RunManagerEntry(int) {}
