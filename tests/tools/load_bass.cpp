// Loads bass.dll by its full path from a program in another folder, as a
// program that ships the library elsewhere does, and decodes one MPEG file
// through it. Exit code: 0 decoded, 1 bass.dll did not load, 2 no stream,
// 3 no samples. Used by the audio library's tests.
#include <windows.h>
#include "bass.h"

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 9;
    HMODULE bass = LoadLibraryW(argv[1]);
    if (!bass) return 1;
    auto create = (decltype(&BASS_StreamCreateFile))(void*)GetProcAddress(bass, "BASS_StreamCreateFile");
    auto getData = (decltype(&BASS_ChannelGetData))(void*)GetProcAddress(bass, "BASS_ChannelGetData");
    if (!create || !getData) return 1;
    HSTREAM h = create(FALSE, argv[2], 0, 0, BASS_UNICODE | BASS_STREAM_DECODE | BASS_SAMPLE_FLOAT);
    if (!h) return 2;
    float samples[1024];
    return getData(h, samples, sizeof(samples)) > 0 ? 0 : 3;
}
