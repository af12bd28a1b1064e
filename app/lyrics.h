// The lyrics search from the info panel: the query text, its encoding and the address.
#pragma once
#include <string>

// "artist - title" cut at its last "." (which the title cell carries before the
// track number) when that dot lies in the title part, then " lyrics".
std::wstring LyricsQueryText(const std::wstring& artist, const std::wstring& title, bool titleGiven);
// UTF-8, every byte "%XX" (upper case) except a space, which becomes "+".
std::string EncodeQuery(const std::wstring& text);
std::wstring LyricsAddress(const std::wstring& artist, const std::wstring& title, bool titleGiven);
// Opens the address of the info panel's track with the shell (a double click on the panel).
void SearchLyrics();
// How an address is opened: the shell's handler (tests put a recorder here).
extern void (*g_openAddress)(const wchar_t* address);
