// Registry-shaped access to a section of Settings.ini (pseudo root keys 500
// and 501) or to a real registry key. One object serves one key or section.
#pragma once
#include <windows.h>
#include <stdint.h>
#include <vector>
#include "base/disk_file.h"
#include "base/settings_file.h"
#include "base/string_buffer.h"

#define SettingsKeyAppend ((HKEY)(ULONG_PTR)500)
#define SettingsKeyRewrite ((HKEY)(ULONG_PTR)501)

struct SettingsStore {
    DiskFile file;                       // the temporary file of a section being written
    std::vector<SettingsEntry> entries;  // in file order, or in the order written
    HKEY key = nullptr;

    SettingsStore() = default;
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;
    ~SettingsStore() { Close(); }

    bool Open(HKEY rootKey, const wchar_t* subKeyPath, REGSAM access);
    // Closes the registry key, or writes the buffered section and puts the file in place.
    void Close();

    void WriteDword(const wchar_t* name, uint32_t value);
    void WriteInt(const wchar_t* name, int32_t value);
    void WriteQword(const wchar_t* name, uint64_t value);
    void WriteString(const wchar_t* name, const wchar_t* value);

    bool ReadDword(const wchar_t* name, uint32_t* value);
    bool ReadDword(const wchar_t* name, int32_t* value) { return ReadDword(name, (uint32_t*)value); }
    bool ReadDword(const wchar_t* name, uint8_t* flag);  // a flag: 1 when the number is not 0
    bool ReadQword(const wchar_t* name, uint64_t* value);
    bool ReadString(const wchar_t* name, StringBuffer* value);
    bool ReadStringFixed(const wchar_t* name, wchar_t (&value)[MAX_PATH]);

    // Internal state of a file section opened for writing.
    bool writing = false;
    bool batched = false;     // part of a BeginSettingsSave batch
    std::wstring targetPath;  // Settings.ini itself
    std::string pending;      // the bytes of the whole file, as they will be

private:
    void AddEntry(const wchar_t* name, const wchar_t* value);
    const SettingsEntry* Find(const wchar_t* name) const;
    bool OpenFileForWriting(HKEY rootKey, const std::wstring& path, const std::wstring& section);
    bool OpenFileForReading(const std::wstring& path, const std::wstring& section);
};

bool DeleteKeyTree(HKEY rootKey, const wchar_t* path);
bool DeleteKeyTree(const wchar_t* path);  // under HKEY_CLASSES_ROOT

// A save of several sections of one file lands as one replacement of the file:
// between BeginSettingsSave and EndSettingsSave, sections written with 500 and
// 501 build up in memory, and EndSettingsSave puts the whole file in place.
void BeginSettingsSave();
bool EndSettingsSave();
