// Acting on a HandOffRecord: the program's own command line, or one that a
// second instance sent over WM_COPYDATA.
#pragma once
#include <windows.h>
#include <string>
#include "app/command_line.h"

struct HandOffPlan {
    uint8_t mode;          // after the 100 ms rule
    bool isFolder;
    bool isCue;
    std::wstring path;     // expanded to its long form
};

// Milliseconds of the day from a SYSTEMTIME's hour, minute, second and millisecond.
int MillisecondsOfDay(const SYSTEMTIME& t);
// A plain open less than 100 ms after the previous one adds instead of replacing,
// so that a shell starting one process per selected file opens the first and adds the rest.
uint8_t EffectiveMode(uint8_t mode, const SYSTEMTIME* lastPlainOpen, const SYSTEMTIME& now);

void HandleHandOff(const HandOffRecord& record);
// The plan HandleHandOff acted on last (empty path before the first).
const HandOffPlan& LastHandOff();
