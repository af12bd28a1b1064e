// libmpg123 stays a DLL of its own beside bass.dll, so that it can be replaced.
// bass.dll does not import it: a program elsewhere that loads bass.dll by its
// full path would have the system look for the decoder along the program's
// search path and fail. Instead the functions that our MPEG reader and
// libopenmpt call are defined here and forward to the DLL found beside
// bass.dll, loaded at the first call. Without it they fail as libmpg123 does
// on bad input, and MPEG files (and MP3 samples in modules) do not open.
#define _FILE_OFFSET_BITS 64
#include <sys/types.h>
#include <windows.h>
#include <mpg123.h>
#include <string>

#define SV_NAME2(f) #f
#define SV_NAME(f) SV_NAME2(f)  // after expansion: the large-file names end in _64

namespace {

// The folder of the module this code is in, with its trailing backslash.
std::wstring OwnFolder() {
    HMODULE self = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       (LPCWSTR)(void*)&OwnFolder, &self);
    std::wstring path(32768, L'\0');
    DWORD n = GetModuleFileNameW(self, path.data(), (DWORD)path.size());
    path.resize(n < path.size() ? n : 0);
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

// Loaded once and kept for the life of the process.
HMODULE Library() {
    static const HMODULE m = [] {
        std::wstring path = OwnFolder() + L"libmpg123-0.dll";
        return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    }();
    return m;
}

template <typename F>
F Entry(const char* name) {
    HMODULE m = Library();
    return m ? (F)(void*)GetProcAddress(m, name) : nullptr;
}

const int kFailed = MPG123_ERR;

}  // namespace

// The function's own entry in the DLL, resolved at its first call.
#define SV_ENTRY(name) static const auto f = Entry<decltype(&name)>(SV_NAME(name))

extern "C" {

int mpg123_init(void) {
    SV_ENTRY(mpg123_init);
    return f ? f() : kFailed;
}
void mpg123_exit(void) {
    SV_ENTRY(mpg123_exit);
    if (f) f();
}
mpg123_handle* mpg123_new(const char* decoder, int* error) {
    SV_ENTRY(mpg123_new);
    if (f) return f(decoder, error);
    if (error) *error = kFailed;
    return nullptr;
}
void mpg123_delete(mpg123_handle* mh) {
    SV_ENTRY(mpg123_delete);
    if (f) f(mh);
}
// The header maps mpg123_param and mpg123_info to these two.
int mpg123_param2(mpg123_handle* mh, int type, long value, double fvalue) {
    SV_ENTRY(mpg123_param2);
    return f ? f(mh, type, value, fvalue) : kFailed;
}
void mpg123_rates(const long** list, size_t* number) {
    SV_ENTRY(mpg123_rates);
    if (f) return f(list, number);
    if (list) *list = nullptr;
    if (number) *number = 0;
}
int mpg123_format_none(mpg123_handle* mh) {
    SV_ENTRY(mpg123_format_none);
    return f ? f(mh) : kFailed;
}
int mpg123_format(mpg123_handle* mh, long rate, int channels, int encodings) {
    SV_ENTRY(mpg123_format);
    return f ? f(mh, rate, channels, encodings) : kFailed;
}
int mpg123_replace_reader_handle(mpg123_handle* mh, mpg123_ssize_t (*r_read)(void*, void*, size_t),
                                 off_t (*r_lseek)(void*, off_t, int), void (*cleanup)(void*)) {
    SV_ENTRY(mpg123_replace_reader_handle);
    return f ? f(mh, r_read, r_lseek, cleanup) : kFailed;
}
int mpg123_open_handle(mpg123_handle* mh, void* iohandle) {
    SV_ENTRY(mpg123_open_handle);
    return f ? f(mh, iohandle) : kFailed;
}
int mpg123_close(mpg123_handle* mh) {
    SV_ENTRY(mpg123_close);
    return f ? f(mh) : kFailed;
}
int mpg123_getformat(mpg123_handle* mh, long* rate, int* channels, int* encoding) {
    SV_ENTRY(mpg123_getformat);
    return f ? f(mh, rate, channels, encoding) : kFailed;
}
int mpg123_info2(mpg123_handle* mh, struct mpg123_frameinfo2* mi) {
    SV_ENTRY(mpg123_info2);
    return f ? f(mh, mi) : kFailed;
}
int mpg123_scan(mpg123_handle* mh) {
    SV_ENTRY(mpg123_scan);
    return f ? f(mh) : kFailed;
}
off_t mpg123_length(mpg123_handle* mh) {
    SV_ENTRY(mpg123_length);
    return f ? f(mh) : kFailed;
}
int mpg123_read(mpg123_handle* mh, void* outmemory, size_t outmemsize, size_t* done) {
    SV_ENTRY(mpg123_read);
    if (f) return f(mh, outmemory, outmemsize, done);
    if (done) *done = 0;
    return kFailed;
}
off_t mpg123_seek(mpg123_handle* mh, off_t sampleoff, int whence) {
    SV_ENTRY(mpg123_seek);
    return f ? f(mh, sampleoff, whence) : kFailed;
}
size_t mpg123_outblock(mpg123_handle* mh) {
    SV_ENTRY(mpg123_outblock);
    return f ? f(mh) : 0;
}
int mpg123_id3(mpg123_handle* mh, mpg123_id3v1** v1, mpg123_id3v2** v2) {
    SV_ENTRY(mpg123_id3);
    return f ? f(mh, v1, v2) : kFailed;
}

}  // extern "C"
