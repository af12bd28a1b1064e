// The text of Settings.ini: sections under "[name]" lines, each entry a
// "name = value" line ended by CR LF, UTF-8 with a byte order mark. Pure
// parsing: no file, no window.
#pragma once
#include <stddef.h>
#include <stdint.h>
#include <string>
#include <vector>
#include "base/string_buffer.h"

struct SettingsEntry {
    StringBuffer name;
    StringBuffer value;
};

// Loads the entries of a section from the bytes of a whole settings file;
// false when the section header is not there.
bool ParseSettingsSection(const char* data, size_t size, const std::string& headerUtf8,
                          std::vector<SettingsEntry>* entries);

// Number parsing of the file side.
uint32_t ParseDecimal32(const wchar_t* text);
uint64_t ParseHex64(const wchar_t* text);
