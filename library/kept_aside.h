// PlayList.dcp and Scrobbler.dcp hold what the user built over a long time. A
// file that did not read whole (a damaged header, a cut, too little memory)
// would lose the rest at the next save: it is copied aside once first.
#pragma once
#include <string>

struct KeptAside {
    bool pending = false;  // the file on disk did not read whole and has no copy yet
};

// Called when the reading found the file not whole (so the user hears of it
// at start-up), and again before a save replaces `path`. When pending, copies
// the file to path + ".bad" (".bad2" to ".bad9" when that name is taken; the
// last one is replaced when all are) and tells the user, once. False when the
// copy could not be made: a save must then leave the file as it is.
bool KeepAside(KeptAside* k, const std::wstring& path);
