#include "library/adding.h"
#include "library/cue_lists.h"
#include "media/file_groups.h"
#include "library/playlist.h"
#include "library/probe_pool.h"
#include "audio/track_display.h"
#include "media/cue_files.h"
#include "ui/list_view.h"
#include "ui/ui_window.h"
#include <atomic>
#include <deque>
#include <memory>
#include <string>
#include <vector>

// The scan (folder walks, the Esc test) runs on the adding thread; the files
// are opened for their lengths and tags a little ahead of it by a small pool
// of probing threads, and taken back in the scan's order. Everything that
// touches a list control or PlayListState runs on the window's thread: the
// adding thread hands it over with RunOnWindowThread and waits. The window's
// thread never waits for the adding thread without taking those calls
// (FinishAdding).

ProbeFunction g_addingProbe = ProbeTags;

struct AddItem {
    std::wstring folder;  // ends with a backslash
    std::wstring name;
    bool isFolder;
};

// An entry found by the scan, waiting for the next batch to the playlist.
struct PendingEntry {
    std::wstring folder, name, extension;
    int32_t length;
};

// A file met by the scan, in its order: from a folder's listing, or a
// selected row.
struct ScanFile {
    std::wstring folder, name, extension;
    bool addable;  // a playable kind or a sheet
    bool listed;   // from a folder's listing: a plain file, counted for progress, stopped by Esc
};

// How many files the probes may run ahead of the scan.
static const size_t kProbeAhead = 256;

struct AddJob {
    HWND window;  // owns the lists; null: there is none and everything runs here
    bool windowGone;
    ListView* source;
    std::vector<AddItem> items;  // the selected rows, in list order
    std::vector<std::wstring> audioExtensions;  // groups 11 to 13 as the add began
    int fileCounter;             // files met since the last progress report
    // The audio files named by the sheets added so far, and the sheets' folder.
    std::vector<std::wstring> seenAudio;
    std::wstring seenFolder;
    CueTrackLengths trackLengths;  // a sheet's tracks added one by one
    // Entries go to the window's thread in batches: one hand-over each, not
    // one a file. Flushed before anything else reaches the playlist, so the
    // order stays the scan's.
    std::vector<PendingEntry> pending;
    DWORD pendingSince;
    std::unique_ptr<ProbePool> probes;
};

static std::atomic<bool> g_busy{false};      // an add runs (IsAdding)
static std::atomic<bool> g_scanning{false};  // the folder scans go on; Esc clears it
static HANDLE g_thread;                      // the last adding thread; the window's thread only

bool IsAdding() { return g_busy.load(); }

void CancelAdding() { g_scanning = false; }

// Runs step() on the window's thread and waits for it. A window that is gone
// ends the scan: nothing may touch its lists any more.
template <class F> static void OnWindowThread(AddJob* job, F step) {
    if (job->windowGone) return;
    if (!job->window) {
        step();
        return;
    }
    auto run = [](void* p) { (*(F*)p)(); };
    if (!RunOnWindowThread(job->window, run, &step)) {
        job->windowGone = true;
        g_scanning = false;
    }
}

// Window's thread: a repaint request to the control's window, as workers make them.
static void PostRepaint(Control* c) {
    if (c && c->index >= 0 && c->surface.hwnd) PostMessageW(c->surface.hwnd, kMsgRepaintControl, (WPARAM)c->index, 0);
}

// Appends the waiting entries; with more work for the window's thread, that
// work follows in the same hand-over.
template <class F> static void FlushThen(AddJob* job, F more) {
    if (job->pending.empty()) {
        OnWindowThread(job, more);
        return;
    }
    std::vector<PendingEntry> batch;
    batch.swap(job->pending);
    OnWindowThread(job, [&] {
        BeginAppendBatch();
        for (const PendingEntry& e : batch) AppendEntry(e.folder.c_str(), e.name.c_str(), e.extension.c_str(), e.length);
        EndAppendBatch();
        PostRepaint(g_statusLine);
        more();
    });
}

static void Flush(AddJob* job) {
    FlushThen(job, [] {});
}

// Esc down while the main window is in front, without Windows, Ctrl, Shift or Alt.
static bool CancelKeysDown(HWND window) {
    auto down = [](int vk) { return GetAsyncKeyState(vk) < 0; };
    return down(VK_ESCAPE) && window && GetForegroundWindow() == window && !down(VK_LWIN) && !down(VK_RWIN) &&
           !down(VK_CONTROL) && !down(VK_SHIFT) && !down(VK_MENU);
}

static bool IsCue(const wchar_t* extension) { return lstrcmpiW(extension, L"cue") == 0; }

// A playable kind (its own copy of the groups: they are the window thread's) or a sheet.
static bool Addable(const AddJob* job, const wchar_t* extension) {
    if (!*extension) return false;
    for (const std::wstring& e : job->audioExtensions)
        if (lstrcmpiW(e.c_str(), extension) == 0) return true;
    return IsCue(extension);
}

static bool SamePath(const std::wstring& a, const std::wstring& b) { return lstrcmpiW(a.c_str(), b.c_str()) == 0; }

// ---- the window's thread --------------------------------------------------

static const wchar_t* RowText(const ListView* l, int row, int column) {
    if (column < 0 || column >= l->columnCount) return L"";
    const wchar_t* t = l->rows[row].cells[column].text;
    return t ? t : L"";
}

// ".." alone adds everything shown; ".." among other rows is left out; with
// nothing selected the focused row is added.
static void NormaliseSelection(ListView* l) {
    if (l->rowCount == 0) return;
    int nameColumn = g_fileGroups.nameColumn;
    int selected = 0;
    for (int r = 0; r < l->rowCount; r++) selected += l->rows[r].selected;
    bool parent = wcscmp(RowText(l, 0, nameColumn), L"..") == 0;
    if (parent && l->rows[0].selected && selected > 1) {
        l->rows[0].selected = false;
        selected--;
    }
    if (selected == 0) {
        l->rows[l->currentRow].selected = true;
        selected = 1;
    }
    if (l->currentRow == 0 && parent && l->rows[0].selected && selected == 1)
        for (int r = 0; r < l->rowCount; r++) l->rows[r].selected = r != 0;
}

static AddJob* BeginJob(ListView* source, const wchar_t* fileListPath) {
    if (!source || !g_playListView || g_busy.exchange(true)) return nullptr;
    g_scanning = true;
    AddJob* job = new AddJob{};
    job->window = g_playListView->surface.hwnd;
    job->source = source;
    BuildFileGroups();
    for (int g = GroupLossless; g <= GroupMusic; g++)
        for (const std::wstring& e : g_fileGroups.groups[g].patterns) job->audioExtensions.push_back(e);
    NormaliseSelection(source);
    int nameColumn = g_fileGroups.nameColumn;
    for (int r = fileListPath ? 1 : 0; r < source->rowCount; r++) {
        if (!source->rows[r].selected || nameColumn >= source->columnCount) continue;
        AddItem item{fileListPath ? fileListPath : RowText(source, r, 0), RowText(source, r, nameColumn),
                     source->rows[r].cells[nameColumn].value != 0};
        if (!item.folder.empty() && item.folder.back() != L'\\') item.folder += L'\\';
        job->items.push_back(item);
    }
    BeginInsertAfterFocus();
    return job;
}

static void ShowProgress() {
    if (!g_playListView) return;
    SetCurrent(g_playListView, LastInsertedEntry());
    PostRepaint(g_playListView);
}

static void EndJob(AddJob* job) {
    int last = LastInsertedEntry();
    EndInsertAfterFocus();
    if (g_playListView && last >= 0) SetCurrent(g_playListView, last);
    PostRepaint(g_playListView);
    ListView* s = job->source;
    for (int r = 0; r < s->rowCount; r++) s->rows[r].selected = false;
    PostRepaint(s);
    g_scanning = false;
    g_busy = false;
}

// A sheet's audio file may have been added just before the sheet: its tracks
// replace it. Only the rows of the sheet's folder, from the last one back.
static void RemoveSheetAudio(const std::wstring& folder, const std::wstring& audioName) {
    for (int r = LastInsertedEntry(); r >= 0; r--) {
        std::wstring path = EntryFullPath(r);
        size_t name = path.rfind(L'\\') + 1;  // 0 without a backslash
        std::wstring rowFolder = path.substr(0, name);
        if (!rowFolder.empty() && !folder.empty() && !SamePath(rowFolder, folder)) return;
        if (SamePath(path.substr(name), audioName)) {
            RemoveEntry(r);
            return;
        }
    }
}

// ---- the scan -------------------------------------------------------------

// A sheet naming exactly one existing audio file becomes that file's tracks.
static void AddSheet(AddJob* job, const std::wstring& path, const std::wstring& folder) {
    CueSheet sheet;
    std::wstring audio;
    if (!ReadCueSheet(path.c_str(), &sheet) || !SingleAudioFile(sheet, &audio)) return;
    int32_t length = ProbeLength(audio.c_str());
    if (length < 0) length = 0;
    job->seenAudio.push_back(audio);
    job->seenFolder = folder;
    std::wstring audioName = audio.substr(audio.rfind(L'\\') + 1);
    FlushThen(job, [&] {
        RemoveSheetAudio(folder, audioName);
        AppendCueTracks(sheet, length);
        RefreshStatusLine();
        PostRepaint(g_statusLine);
    });
}

static bool NeedsProbe(const ScanFile& f) { return f.addable && !IsCue(f.extension.c_str()); }

// At most one entry, or the tracks of a sheet. folder ends with a backslash.
// `probed`: what the pool found for a file it was given.
static void AddFile(AddJob* job, const std::wstring& folder, const std::wstring& name, const std::wstring& extension,
                    const ProbedFile* probed) {
    std::wstring path = folder + name + L"." + extension;
    int32_t length = 0;
    bool track = false;
    if (!probed || probed->notAFile) {
        DWORD attributes = probed ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(path.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            // A track of a sheet: the sheet's path serves as its folder.
            DWORD sheet = GetFileAttributesW(path.substr(0, path.rfind(L'\\')).c_str());
            track = sheet != INVALID_FILE_ATTRIBUTES && !(sheet & FILE_ATTRIBUTE_DIRECTORY);
            if (track) job->trackLengths.Length(path.c_str(), &length);
        }
    }
    if (!track) {
        if (IsCue(extension.c_str())) {
            AddSheet(job, path, folder);
            return;
        }
        // A file that cannot be opened still becomes an entry, of length 0.
        ProbedFile found;
        if (probed) {
            found = *probed;
        } else {
            TagRecord tags;
            found.opened = g_addingProbe(path.c_str(), &tags);
            found.lengthMs = tags.lengthMs;
            found.hasCue = tags.hasCue;
        }
        if (found.opened) length = found.lengthMs;
        CueSheet embedded;
        if (found.hasCue && ReadEmbeddedCueSheet(path.c_str(), &embedded)) {
            FlushThen(job, [&] {
                AppendCueTracks(embedded, length);
                RefreshStatusLine();
                PostRepaint(g_statusLine);
            });
            return;
        }
    }
    if (length < 0) length = 0;
    // The audio file of a sheet added before it in the same folder is left out.
    if (!job->seenAudio.empty()) {
        if (_wcsnicmp(path.c_str(), job->seenFolder.c_str(), job->seenFolder.size()) == 0) {
            for (const std::wstring& a : job->seenAudio)
                if (SamePath(a, path)) return;
        } else {
            job->seenAudio.clear();
        }
    }
    if (job->pending.empty()) job->pendingSince = GetTickCount();
    job->pending.push_back(PendingEntry{folder, name, extension, length});
    // Slow files (a network share) still show up as they come.
    if (GetTickCount() - job->pendingSince >= 100) Flush(job);
}

// Files one after another, as next() hands them out; the pool probes up to
// kProbeAhead of them ahead while the entries go in one by one in order.
template <class Next> static void AddFiles(AddJob* job, Next next) {
    if (!job->probes) job->probes = std::make_unique<ProbePool>(g_addingProbe, ProbeThreadCount());
    ProbePool& pool = *job->probes;
    std::deque<ScanFile> ahead;
    bool more = true;
    for (;;) {
        while (more && ahead.size() < kProbeAhead) {
            ScanFile f;
            if (!next(&f)) {
                more = false;
                break;
            }
            if (NeedsProbe(f)) pool.Queue(f.folder + f.name + L"." + f.extension, !f.listed);
            ahead.push_back(std::move(f));
        }
        if (ahead.empty() || job->windowGone || (ahead.front().listed && !g_scanning)) break;
        ScanFile f = std::move(ahead.front());
        ahead.pop_front();
        if (f.addable) {
            if (NeedsProbe(f)) {
                ProbedFile probed = pool.TakeNext();
                AddFile(job, f.folder, f.name, f.extension, &probed);
            } else {
                AddFile(job, f.folder, f.name, f.extension, nullptr);
            }
        }
        if (f.listed && ++job->fileCounter > 50) {
            job->fileCounter = 0;
            FlushThen(job, [] { ShowProgress(); });
        }
    }
    pool.Drop();
}

static HANDLE FindFirst(const std::wstring& folder, WIN32_FIND_DATAW* fd) {
    return FindFirstFileExW((folder + L"*").c_str(), FindExInfoBasic, fd, FindExSearchNameMatch, nullptr, 0);
}

// Sub-folders first, depth first, in the order the file system lists them;
// then the folder's own files. Only names with a "." count.
static bool AddFolder(AddJob* job, std::wstring folder) {
    if (CancelKeysDown(job->window)) g_scanning = false;
    if (!g_scanning) return false;
    if (folder.empty() || folder.back() != L'\\') folder += L'\\';
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirst(folder, &fd);
    if (find == INVALID_HANDLE_VALUE) return false;
    do {
        const wchar_t* n = fd.cFileName;
        if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && wcscmp(n, L".") && wcscmp(n, L".."))
            AddFolder(job, folder + n);
    } while (g_scanning && FindNextFileW(find, &fd));
    FindClose(find);

    find = FindFirst(folder, &fd);
    if (find == INVALID_HANDLE_VALUE) return false;
    bool first = true;
    AddFiles(job, [&](ScanFile* f) {
        for (;;) {
            if (!first && !FindNextFileW(find, &fd)) return false;
            first = false;
            const wchar_t* dot = wcsrchr(fd.cFileName, L'.');
            if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !dot) continue;
            *f = ScanFile{folder, std::wstring(fd.cFileName, (size_t)(dot - fd.cFileName)), dot + 1,
                          Addable(job, dot + 1), true};
            return true;
        }
    });
    FindClose(find);
    return true;
}

// A selected file row: an audio file or a sheet; "Album.ape | cue", the file
// list's row of an audio file merged with its sheet, stands for the sheet.
static ScanFile FileRow(AddJob* job, const AddItem& item) {
    ScanFile f{item.folder, L"", L"", false, false};
    size_t dot = item.name.rfind(L'.');
    if (dot == std::wstring::npos) return f;
    f.name = item.name.substr(0, dot);
    f.extension = item.name.substr(dot + 1);
    f.addable = Addable(job, f.extension.c_str());
    size_t n = item.name.size();
    if (!f.addable && n >= 5 && item.name.compare(n - 5, 5, L"| cue") == 0) {
        f.extension = L"cue";
        f.addable = true;
    }
    return f;
}

// The selected rows in list order: a folder is walked where it stands, and
// the file rows between folders go to the probes together.
static void Scan(AddJob* job) {
    size_t i = 0;
    while (i < job->items.size() && !job->windowGone) {
        const AddItem& item = job->items[i];
        if (item.isFolder) {
            job->fileCounter = 0;
            AddFolder(job, item.folder + item.name);
            i++;
            continue;
        }
        AddFiles(job, [&](ScanFile* f) {
            if (i >= job->items.size() || job->items[i].isFolder) return false;
            *f = FileRow(job, job->items[i++]);
            return true;
        });
    }
}

static void RunHere(AddJob* job) {
    Scan(job);
    job->probes.reset();
    FlushThen(job, [job] { EndJob(job); });
    delete job;
}

static DWORD WINAPI AddingThread(void* job) {
    RunHere((AddJob*)job);
    return 0;
}

bool StartAdding(ListView* source, const wchar_t* fileListPath) {
    AddJob* job = BeginJob(source, fileListPath);
    if (!job) return false;
    if (job->window) {
        if (g_thread) CloseHandle(g_thread);  // that add has ended: it cleared the busy flag
        g_thread = CreateThread(nullptr, 0, AddingThread, job, 0, nullptr);
        if (g_thread) return true;
    }
    RunHere(job);  // no thread to be had: here, then
    return true;
}

bool AddNow(ListView* source, const wchar_t* fileListPath) {
    AddJob* job = BeginJob(source, fileListPath);
    if (!job) return false;
    RunHere(job);
    return true;
}

void FinishAdding() {
    g_scanning = false;
    HANDLE t = g_thread;
    g_thread = nullptr;
    if (!t) return;
    // Its last steps come here as sent messages: take them while waiting.
    while (MsgWaitForMultipleObjects(1, &t, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    CloseHandle(t);
}
