// The few Win32 calls the player's parsers make, for the native Linux build
// (tests/native/): text conversion in the code pages they use and the ASCII
// comparisons. wchar_t is 32 bits here; the conversions still deal in UTF-16
// units, one a wchar_t, so every length and every character comes out as on
// Windows. Found before any system header by its place on the include path.
#pragma once
#include <stddef.h>
#include <stdint.h>
#include <string.h>
#include <strings.h>
#include <wchar.h>

typedef unsigned int UINT;
typedef uint32_t DWORD;
typedef int BOOL;

#define CP_ACP 0      // taken as Windows-1252, the code page the Windows tests run in
#define CP_UTF8 65001

// As on Windows with no flags: the count of wide characters (or bytes) needed
// when the output size is 0, else written; 0 for an unknown code page, a count
// below 1 or an output too small. Bad UTF-8 and lone surrogates become U+FFFD.
int MultiByteToWideChar(UINT codePage, DWORD flags, const char* bytes, int count, wchar_t* out, int outSize);
int WideCharToMultiByte(UINT codePage, DWORD flags, const wchar_t* text, int count, char* out, int outSize,
                        const char* defaultChar, BOOL* usedDefault);

inline int lstrcmpiA(const char* a, const char* b) { return strcasecmp(a, b); }
inline int _strnicmp(const char* a, const char* b, size_t n) { return strncasecmp(a, b, n); }
inline int _stricmp(const char* a, const char* b) { return strcasecmp(a, b); }
