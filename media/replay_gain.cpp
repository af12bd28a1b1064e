#include "media/replay_gain.h"
#include <math.h>
#include <string.h>
#include <windows.h>

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// A decimal number with a point or a comma, skipping spaces before it; `rest` is what follows.
bool ParseNumber(const char* t, size_t n, double* value, size_t* rest) {
    size_t i = 0;
    while (i < n && IsSpace(t[i])) i++;
    bool negative = false;
    if (i < n && (t[i] == '+' || t[i] == '-')) negative = t[i++] == '-';
    double v = 0;
    int digits = 0;
    while (i < n && t[i] >= '0' && t[i] <= '9' && digits < 12) v = v * 10 + (t[i++] - '0'), digits++;
    if (i < n && (t[i] == '.' || t[i] == ',')) {
        i++;
        double place = 0.1;
        while (i < n && t[i] >= '0' && t[i] <= '9') {
            if (digits < 18) v += (t[i] - '0') * place;
            place /= 10;
            i++;
            digits++;
        }
    }
    if (digits == 0) return false;
    *value = negative ? -v : v;
    *rest = i;
    return true;
}

// After the number: nothing but spaces, with "dB" allowed where a gain is read.
bool EndsCleanly(const char* t, size_t n, size_t i, bool unit) {
    while (i < n && IsSpace(t[i])) i++;
    if (unit && i + 1 < n && (t[i] == 'd' || t[i] == 'D') && (t[i + 1] == 'b' || t[i + 1] == 'B')) i += 2;
    while (i < n && IsSpace(t[i])) i++;
    return i >= n || t[i] == 0;
}

}  // namespace

bool ParseGainText(const char* text, size_t n, float* db) {
    double v;
    size_t rest;
    if (!text || !ParseNumber(text, n, &v, &rest) || !EndsCleanly(text, n, rest, true)) return false;
    if (!(v >= -60.0 && v <= 60.0)) return false;  // beyond any real levelling
    *db = (float)v;
    return true;
}

bool ParsePeakText(const char* text, size_t n, float* peak) {
    double v;
    size_t rest;
    if (!text || !ParseNumber(text, n, &v, &rest) || !EndsCleanly(text, n, rest, false)) return false;
    if (!(v > 0.0 && v <= 100.0)) return false;
    *peak = (float)v;
    return true;
}

bool NoteReplayGainField(ReplayGainTags* g, const char* name, const char* value, size_t n) {
    if (!name || (_strnicmp(name, "REPLAYGAIN_", 11) && _strnicmp(name, "R128_", 5))) return false;
    float v;
    if (!lstrcmpiA(name, "REPLAYGAIN_TRACK_GAIN")) {
        if (ParseGainText(value, n, &v)) g->trackGain = v, g->hasTrackGain = true;
    } else if (!lstrcmpiA(name, "REPLAYGAIN_ALBUM_GAIN")) {
        if (ParseGainText(value, n, &v)) g->albumGain = v, g->hasAlbumGain = true;
    } else if (!lstrcmpiA(name, "REPLAYGAIN_TRACK_PEAK")) {
        if (ParsePeakText(value, n, &v)) g->trackPeak = v, g->hasTrackPeak = true;
    } else if (!lstrcmpiA(name, "REPLAYGAIN_ALBUM_PEAK")) {
        if (ParsePeakText(value, n, &v)) g->albumPeak = v, g->hasAlbumPeak = true;
    } else if (!lstrcmpiA(name, "R128_TRACK_GAIN") || !lstrcmpiA(name, "R128_ALBUM_GAIN")) {
        // A whole number in 1/256 dB towards -23 LUFS; our reference sits 5 dB louder.
        double q;
        size_t rest;
        if (!ParseNumber(value, n, &q, &rest) || !EndsCleanly(value, n, rest, false)) return true;
        if (q != floor(q) || q < -32768 || q > 32767) return true;
        float db = (float)(q / 256.0 + 5.0);
        if (name[5] == 'T' || name[5] == 't') g->trackGain = db, g->hasTrackGain = true;
        else g->albumGain = db, g->hasAlbumGain = true;
    } else {
        return false;
    }
    return true;
}

static int32_t ClampDb(int32_t db) { return db < -30 ? -30 : db > 30 ? 30 : db; }

float ReplayGainScale(const ReplayGainTags& g, uint32_t mode, int32_t preampDb, int32_t untaggedDb) {
    if (mode != ReplayGainTrack && mode != ReplayGainAlbum) return 1.0f;
    float gain, peak = 0;
    if (mode == ReplayGainAlbum && g.hasAlbumGain) {
        gain = g.albumGain;
        peak = g.hasAlbumPeak ? g.albumPeak : g.hasTrackPeak ? g.trackPeak : 0;
    } else if (g.hasTrackGain) {
        gain = g.trackGain;
        peak = g.hasTrackPeak ? g.trackPeak : 0;
    } else if (g.hasAlbumGain) {
        gain = g.albumGain;
        peak = g.hasAlbumPeak ? g.albumPeak : 0;
    } else {
        return powf(10.0f, (float)ClampDb(untaggedDb) / 20.0f);
    }
    float scale = powf(10.0f, (gain + (float)ClampDb(preampDb)) / 20.0f);
    if (peak > 0 && scale * peak > 1.0f) scale = 1.0f / peak;
    return scale;
}
