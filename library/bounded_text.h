// Reading numbers and NUL-terminated fields out of a file held in memory,
// never past its end: shared by the readers of PlayList.dcp and Scrobbler.dcp.
#pragma once
#include <stdint.h>
#include <string.h>

// The NUL at or after `at`, or null when the data ends first.
inline const char* NulFrom(const char* at, const char* end) {
    if (at >= end) return nullptr;
    return (const char*)memchr(at, 0, (size_t)(end - at));
}

// A decimal number at `at` (blanks skipped, an optional minus sign), never past `end`.
inline int32_t DecimalAt(const char* at, const char* end) {
    while (at < end && (*at == ' ' || *at == '\t')) at++;
    bool negative = at < end && *at == '-';
    if (negative) at++;
    uint32_t v = 0;
    while (at < end && *at >= '0' && *at <= '9') v = v * 10 + (uint32_t)(*at++ - '0');
    return (int32_t)(negative ? 0u - v : v);
}
