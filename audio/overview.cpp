#include "audio/overview.h"
#include "audio/player_events.h"
#include "base/general_settings.h"
#include "audio/engine.h"
#include "ui/slider.h"
#include "ui/theme.h"
#include "ui/ui_window.h"

TrackOverview g_overview;

static struct OverviewLockInit {
    OverviewLockInit() { InitializeCriticalSection(&g_overview.lock); }
} g_lockInit;

struct Locked {
    Locked() { EnterCriticalSection(&g_overview.lock); }
    ~Locked() { LeaveCriticalSection(&g_overview.lock); }
};

int LevelPixels(uint32_t level, int half) { return (int)(((uint64_t)level * half * 2 + 32768) / 65536); }

COLORREF OverviewShade(int k, int half, COLORREF centre, COLORREF edge) {
    int steps = half > 1 ? half - 1 : 1;
    auto mix = [&](int a, int b) { return a + (b - a) * (k - 1) / steps; };
    COLORREF c = RGB(mix(GetRValue(centre), GetRValue(edge)), mix(GetGValue(centre), GetGValue(edge)),
                     mix(GetBValue(centre), GetBValue(edge)));
    return c ? c : RGB(1, 1, 1);  // black is the see-through colour
}

// ---- drawing (under the lock) ---------------------------------------------------------

static int Stride(int width) { return (width + 3) & ~3; }

static void DrawColumn(int x, uint32_t left, uint32_t right) {
    TrackOverview& o = g_overview;
    if (!o.bits || x < 0 || x >= o.width) return;
    int half = o.height / 2, stride = Stride(o.width);
    for (int row = 0; row < o.height; row++) o.bits[(size_t)row * stride + x] = 0;
    int l = LevelPixels(left, half), r = LevelPixels(right, half);
    for (int k = 1; k <= l && half + k < o.height; k++) o.bits[(size_t)(half + k) * stride + x] = (uint8_t)k;
    for (int k = 1; k <= r && half - k >= 0; k++) o.bits[(size_t)(half - k) * stride + x] = (uint8_t)k;
}

static int ColumnOf(uint32_t slice) {
    TrackOverview& o = g_overview;
    return o.columnCount ? (int)((uint64_t)slice * o.width / o.columnCount) : 0;
}

// Draws slice i, which has just been stored (or is being drawn again).
static void DrawSlice(uint32_t i) {
    TrackOverview& o = g_overview;
    if (!o.columnCount || o.width <= 0) return;
    uint32_t l = o.levels[i][0], r = o.levels[i][1];
    int x = ColumnOf(i);
    if (o.width <= (int)o.columnCount) {
        // Several slices on one pixel column: averaged pairwise, drawn when the column changes.
        if (i == 0 || x != o.pendingColumn) {
            if (i > 0) DrawColumn(o.pendingColumn, o.pending[0], o.pending[1]);
            o.pendingColumn = x;
            o.pending[0] = l;
            o.pending[1] = r;
        } else {
            o.pending[0] = (o.pending[0] + l) / 2;
            o.pending[1] = (o.pending[1] + r) / 2;
        }
        DrawColumn(x, o.pending[0], o.pending[1]);
        return;
    }
    // Wider than the slices: the columns between two slices are interpolated.
    if (i == 0) {
        DrawColumn(x, l, r);
        return;
    }
    int x0 = ColumnOf(i - 1);
    uint32_t l0 = o.levels[i - 1][0], r0 = o.levels[i - 1][1];
    int span = x - x0 > 0 ? x - x0 : 1;
    for (int c = x0 + 1; c <= x; c++) {
        int t = c - x0;
        DrawColumn(c, l0 + (int64_t)((int)l - (int)l0) * t / span, r0 + (int64_t)((int)r - (int)r0) * t / span);
    }
}

static void BuildPalette() {
    TrackOverview& o = g_overview;
    int half = o.height / 2;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, o.bitmap);
    RGBQUAD colors[256] = {};
    // Lighter near the centre, fading towards the panel's edge colour.
    COLORREF centre = g_theme.slider[0], edge = g_theme.slider[3];
    for (int k = 1; k <= half && k < 256; k++) {
        COLORREF c = OverviewShade(k, half, centre, edge);
        colors[k] = RGBQUAD{GetBValue(c), GetGValue(c), GetRValue(c), 0};
    }
    SetDIBColorTable(dc, 0, half + 1 < 256 ? half + 1 : 256, colors);
    SelectObject(dc, old);
    DeleteDC(dc);
}

static void RequestSeekRepaint() {
    HWND main = g_playerEvents.mainWindow();
    Slider* seek = g_playerEvents.seekPanel();
    if (main && seek && g_general.isSeekGraphical) PostMessageW(main, kMsgRepaintControl, seek->index, 0);
}

void ResizeOverview(int width, int height) {
    if (width < 1) width = 1;
    if (height < 2) height = 2;
    if (height > 510) height = 510;  // the palette holds 256 entries
    {
        Locked lock;
        TrackOverview& o = g_overview;
        if (o.bitmap && o.width == width && o.height == height) return;
        if (o.bitmap) DeleteObject(o.bitmap);
        o.bitmap = nullptr;
        o.bits = nullptr;
        struct { BITMAPINFOHEADER h; RGBQUAD colors[256]; } bi{};
        bi.h.biSize = sizeof(bi.h);
        bi.h.biWidth = width;
        bi.h.biHeight = height;  // bottom-up
        bi.h.biPlanes = 1;
        bi.h.biBitCount = 8;
        bi.h.biClrUsed = (DWORD)(height / 2 + 1);
        void* bits = nullptr;
        o.bitmap = CreateDIBSection(nullptr, (BITMAPINFO*)&bi, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (!o.bitmap) {
            wchar_t text[16];
            swprintf(text, 16, L"%i", height);
            MessageBoxW(nullptr, text, L"Information", MB_OK | MB_ICONINFORMATION);
            return;
        }
        o.bits = (uint8_t*)bits;
        o.width = width;
        o.height = height;
        memset(o.bits, 0, (size_t)Stride(width) * height);
        BuildPalette();
        for (uint32_t i = 0; i < o.done; i++) DrawSlice(i);
    }
    RequestSeekRepaint();
}

void ClearOverview() {
    Locked lock;
    TrackOverview& o = g_overview;
    o.done = 0;
    o.columnCount = 0;
    if (o.bits) memset(o.bits, 0, (size_t)Stride(o.width) * o.height);
}

void ReleaseOverview() {
    CancelOverviewScan();
    Locked lock;
    if (g_overview.bitmap) DeleteObject(g_overview.bitmap);
    g_overview.bitmap = nullptr;
    g_overview.bits = nullptr;
    g_overview.width = g_overview.height = 0;
}

void DrawOverview(HDC dc, int barWidth, int barHeight, uint32_t position, uint32_t length) {
    {
        Locked lock;
        TrackOverview& o = g_overview;
        if (o.bitmap && o.done) {
            HDC mem = CreateCompatibleDC(dc);
            HGDIOBJ old = SelectObject(mem, o.bitmap);
            int w = o.width < barWidth - 2 ? o.width : barWidth - 2;
            int h = o.height < barHeight - 2 ? o.height : barHeight - 2;
            TransparentBlt(dc, 1, 1, w, h, mem, 0, o.height - h, w, h, RGB(0, 0, 0));
            SelectObject(mem, old);
            DeleteDC(mem);
        }
    }
    if (!length) return;
    int x = (int)(((int64_t)(barWidth - 2) * position + length / 2) / length);
    if (x <= 0) return;
    HPEN pen = CreatePen(PS_SOLID, 1, g_general.Theme > 1101 ? RGB(0, 0, 0) : RGB(255, 255, 255));
    HGDIOBJ old = SelectObject(dc, pen);
    MoveToEx(dc, x, 1, nullptr);
    LineTo(dc, x, barHeight - 1);
    SelectObject(dc, old);
    DeleteObject(pen);
}

// ---- the scan ---------------------------------------------------------------------------

// What the scan reads of the track, taken on the window's thread when it starts.
struct ScanJob {
    std::wstring path;
    bool http, cueTrack;
    int32_t cueStartMs;
    uint32_t cueLengthMs;
};

static DWORD WINAPI ScanThread(void* arg) {
    TrackOverview& o = g_overview;
    ScanJob job = *(ScanJob*)arg;
    delete (ScanJob*)arg;
    AudioChannel copy = job.http ? 0 : AudioOpenFile(job.path.c_str(), true, false);
    int64_t silence = -1;
    bool cancelled = false;
    if (copy) {
        int64_t start = 0, length = AudioLengthBytes(copy);
        if (job.cueTrack) {
            start = AudioSecondsToBytes(copy, job.cueStartMs * 0.001);
            length = AudioSecondsToBytes(copy, job.cueLengthMs * 0.001);
            AudioSetPositionBytes(copy, start);
        }
        int64_t slice = AudioSecondsToBytes(copy, 0.02);
        if (length / kOverviewSlices > slice) slice = length / kOverviewSlices;
        {
            Locked lock;
            if (o.bits) memset(o.bits, 0, (size_t)Stride(o.width) * o.height);
            o.done = 0;
            o.startBytes = (uint32_t)start;
            o.sliceBytes = (uint32_t)(slice > 0 ? slice : 1);
            o.columnCount = (uint32_t)(length > 0 ? length / o.sliceBytes : 0);
            if (o.columnCount > kOverviewSlices) o.columnCount = kOverviewSlices;
        }
        uint32_t acc[2] = {0, 0};
        bool fresh = true;
        int64_t current = 0;
        while (!(cancelled = g_engine.scanCancel.load())) {
            Sleep(0);
            uint32_t level = AudioGetLevel(copy);
            if (level == 0xFFFFFFFF || AudioIsActive(copy) == AudioStopped) break;
            int64_t n = (AudioPositionBytes(copy) - start) / o.sliceBytes;
            if (n >= o.columnCount) break;
            uint32_t reading[2] = {level & 0xFFFF, level >> 16};
            if (fresh) {
                acc[0] = reading[0];
                acc[1] = reading[1];
                current = n;
                fresh = false;
                continue;
            }
            if (n == current) {
                acc[0] = (acc[0] + reading[0]) / 2;
                acc[1] = (acc[1] + reading[1]) / 2;
                continue;
            }
            uint16_t stored[2] = {(uint16_t)((acc[0] + reading[0]) / 2), (uint16_t)((acc[1] + reading[1]) / 2)};
            {
                Locked lock;
                if (o.done < kOverviewSlices) {
                    o.levels[o.done][0] = stored[0];
                    o.levels[o.done][1] = stored[1];
                    DrawSlice(o.done);
                    o.done++;
                }
            }
            if (stored[0] < 10 && stored[1] < 10) {
                if (silence < 0) silence = AudioPositionBytes(copy);
            } else {
                silence = -1;
            }
            // The reading that opened the new slice starts its accumulation.
            acc[0] = reading[0];
            acc[1] = reading[1];
            current = n;
        }
        AudioFreeChannel(copy);
        RequestSeekRepaint();
    }
    g_engine.silenceBytes = cancelled ? -1 : silence;
    if (!cancelled && silence >= 0 && g_general.isSkipSilence) SetSkipSilenceAt(silence);
    g_engine.scanComplete = !cancelled;
    g_engine.scanCancel = false;
    HANDLE self = g_engine.scanThread.exchange(nullptr);
    if (self) CloseHandle(self);
    return 0;
}

void StartOverviewScan() {
    if (g_engine.netState.load() != 0) {
        ClearOverview();
        return;
    }
    HWND main = g_playerEvents.mainWindow();
    if (!g_general.isSeekGraphical || !main || !IsWindowVisible(main) || g_general.isSmall) return;
    if (g_engine.scanComplete || g_engine.scanThread.load() || g_engine.scanBusy || !g_overview.bitmap) return;
    if (GetStatus() == StatusStopped) return;
    // Claim the slot before the thread exists, so that its end always finds its own handle.
    HANDLE expected = nullptr;
    if (!g_engine.scanThread.compare_exchange_strong(expected, (HANDLE)INVALID_HANDLE_VALUE)) return;
    ScanJob* job = new ScanJob;
    job->path = currentPath.c_str();
    job->http = _wcsnicmp(job->path.c_str(), L"http", 4) == 0;
    job->cueTrack = !job->http && _wcsicmp(realPath, job->path.c_str()) != 0;
    if (job->cueTrack) job->path = realPath;
    job->cueStartMs = cueOffsetMs.load();
    job->cueLengthMs = seekLength;
    HANDLE t = CreateThread(nullptr, 0, ScanThread, job, CREATE_SUSPENDED, nullptr);
    if (!t) {
        delete job;
        g_engine.scanThread = nullptr;
        return;
    }
    g_engine.scanThread = t;
    SetThreadPriority(t, THREAD_PRIORITY_LOWEST);
    ResumeThread(t);
}

void CancelOverviewScan() {
    if (!g_engine.scanThread.load()) return;
    g_engine.scanComplete = false;
    g_engine.scanCancel = true;
    while (g_engine.scanThread.load()) Sleep(10);
    g_engine.scanCancel = false;
}
