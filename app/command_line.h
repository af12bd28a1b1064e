// The command line: splitting, switches, the path, and the record a second
// instance hands to the running one.
#pragma once
#include <windows.h>
#include <stdint.h>
#include <string>
#include <vector>

enum HandOffMode : uint8_t { ModeOpen = 0, ModeAddNearby = 1, ModeFollow = 2, ModeAdd = 3 };

#pragma pack(push, 1)
struct HandOffRecord {
    uint8_t mode;
    uint8_t flag;             // 1 with /s; the receiver does not read it
    wchar_t path[MAX_PATH];   // zero-terminated, up to 259 characters
};
#pragma pack(pop)
static_assert(sizeof(HandOffRecord) == 522, "the hand-off record is 522 bytes on the wire");

struct CommandLine {
    HandOffRecord record;
    bool forceStart;
    bool noSound;
    bool showHelp;
    bool fileOperations;      // /afo seen
    bool unregister;          // /unregister: undo the shell integration and leave
    bool hasPath;
    std::wstring tooLongPath; // a path that does not fit the record (refused)
};


// Splits the text in place into zero-terminated words (quotes toggle quoting and are dropped).
std::vector<wchar_t*> SplitCommandLine(wchar_t* text);
// Parses a whole command line (the first word is the program); currentDir ends with a backslash.
void ParseCommandLine(const wchar_t* commandLine, const std::wstring& currentDir, CommandLine* out);

// The executable's base name followed by " 1.0.5": the main window's class and title.
std::wstring BuildInstanceTitle(const wchar_t* modulePath);
const std::wstring& InstanceTitle();

extern const char kHelpText[];
