#include "app/command_line.h"
#include <shlwapi.h>
#include <string.h>
#include <wchar.h>


const char kHelpText[] =
    "Sonvale is lightweight and powerful audio player.\r\n"
    "\r\n"
    "Command line syntax (example):\r\n"
    "\tSonvale.exe \"C:\\Test\\1.mp3\"\r\n"
    "\tSonvale.exe \"S:\\Music\\\"\r\n"
    "Modifiers:\r\n"
    "\tno modifier - opens specified file in player or folder in PlayList\r\n"
    "\t/add - add specified file/folder to PlayList\r\n"
    "\t/f - makes FileList follow opening file to the folder it is located in\r\n"
    "\t/a - does /f and makes Sonvale add all nearby files to PlayList\r\n"
    "\t/fs - force start (use to run more than one instance at a time)";

std::vector<wchar_t*> SplitCommandLine(wchar_t* text) {
    std::vector<wchar_t*> words;
    wchar_t* src = text;
    while (*src == L' ') src++;
    while (*src) {
        wchar_t* word = src;
        wchar_t* dst = src;
        bool quoted = false;
        while (*src && (quoted || *src != L' ')) {
            if (*src == L'"') quoted = !quoted;
            else *dst++ = *src;
            src++;
        }
        bool atEnd = *src == 0;
        *dst = 0;
        words.push_back(word);
        if (atEnd) break;
        src++;
        while (*src == L' ') src++;
    }
    return words;
}

static bool Is(const wchar_t* word, const wchar_t* a, const wchar_t* b) {
    return lstrcmpiW(word, a) == 0 || lstrcmpiW(word, b) == 0;
}

void ParseCommandLine(const wchar_t* commandLine, const std::wstring& currentDir, CommandLine* out) {
    *out = CommandLine{};
    std::wstring copy = commandLine ? commandLine : L"";
    std::vector<wchar_t*> words = SplitCommandLine(copy.data());
    std::wstring path;
    bool havePath = false;
    for (size_t i = 1; i < words.size(); i++) {
        const wchar_t* w = words[i];
        if (!havePath && *w) {
            if (PathFileExistsW(w) && !PathIsRelativeW(w)) {
                path = w;
                havePath = true;
            } else {
                std::wstring full = currentDir + w;
                if (PathFileExistsW(full.c_str())) {
                    path = full;
                    havePath = true;
                }
            }
        }
        if (Is(w, L"/fs", L"-fs")) out->forceStart = true;
        else if (Is(w, L"/s", L"-s")) out->record.flag = 1;
        else if (Is(w, L"/a", L"-a")) out->record.mode = ModeAddNearby;
        else if (Is(w, L"/ns", L"-ns")) out->noSound = true;
        else if (Is(w, L"/f", L"-f")) out->record.mode = ModeFollow;
        else if (Is(w, L"/add", L"-add")) out->record.mode = ModeAdd;
        else if (Is(w, L"/afo", L"-afo")) out->fileOperations = true;
        else if (Is(w, L"/unregister", L"-unregister")) out->unregister = true;
        else if (Is(w, L"/h", L"-h") || Is(w, L"/help", L"-help") || Is(w, L"/?", L"-?")) out->showHelp = true;
    }
    if (!havePath) return;
    // The record holds 259 characters; a longer path is refused, never cut.
    if (path.size() >= MAX_PATH) {
        out->tooLongPath = path;
        return;
    }
    wcscpy(out->record.path, path.c_str());
    out->hasPath = true;
}

std::wstring BuildInstanceTitle(const wchar_t* modulePath) {
    std::wstring p = modulePath;
    size_t dot = p.find_last_of(L'.');
    if (dot != std::wstring::npos) p.resize(dot);
    p += L" 1.0.5";
    size_t slash = p.find_last_of(L'\\');
    if (slash != std::wstring::npos) p.erase(0, slash + 1);
    return p;
}

const std::wstring& InstanceTitle() {
    static std::wstring title;
    if (title.empty()) {
        wchar_t path[MAX_PATH * 4] = {};
        GetModuleFileNameW(nullptr, path, MAX_PATH * 4);
        title = BuildInstanceTitle(path);
    }
    return title;
}
