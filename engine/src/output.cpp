#include "output.h"
#include <initguid.h>
#include <audioclient.h>
#include <mmdeviceapi.h>
#include <functiondiscoverykeys_devpkey.h>
#include <math.h>
#include <atomic>
#include <thread>
#include "bass.h"
#include "mixer.h"
#include "channel.h"

namespace {

// KSDATAFORMAT_SUBTYPE_IEEE_FLOAT
const GUID kFloatSubtype = {0x00000003, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

template <typename T>
struct ComPtr {
    T* p = nullptr;
    ~ComPtr() {
        if (p) p->Release();
    }
    T** operator&() { return &p; }
    T* operator->() { return p; }
};

struct ComInit {
    HRESULT hr;
    ComInit() : hr(CoInitializeEx(nullptr, COINIT_MULTITHREADED)) {}
    ~ComInit() {
        if (SUCCEEDED(hr)) CoUninitialize();
    }
};

std::string ToAnsi(const wchar_t* w) {
    int n = WideCharToMultiByte(CP_ACP, 0, w, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return {};
    std::string s((size_t)n, '\0');
    WideCharToMultiByte(CP_ACP, 0, w, -1, s.data(), n, nullptr, nullptr);
    s.resize((size_t)n - 1);
    return s;
}

// Runs on a thread of its own, so the caller's COM apartment does not matter.
std::vector<DeviceEntry> Enumerate(std::vector<std::wstring>* ids) {
    std::vector<DeviceEntry> list;
    ComInit com;
    ComPtr<IMMDeviceEnumerator> en;
    if (FAILED(CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL, __uuidof(IMMDeviceEnumerator),
                                (void**)&en)))
        return list;
    std::wstring defaultId;
    {
        ComPtr<IMMDevice> def;
        LPWSTR id = nullptr;
        if (SUCCEEDED(en->GetDefaultAudioEndpoint(eRender, eConsole, &def)) && SUCCEEDED(def->GetId(&id))) {
            defaultId = id;
            CoTaskMemFree(id);
        }
    }
    ComPtr<IMMDeviceCollection> all;
    if (FAILED(en->EnumAudioEndpoints(eRender, DEVICE_STATE_ACTIVE, &all))) return list;
    UINT count = 0;
    all->GetCount(&count);
    for (UINT i = 0; i < count; i++) {
        ComPtr<IMMDevice> dev;
        if (FAILED(all->Item(i, &dev))) continue;
        LPWSTR id = nullptr;
        if (FAILED(dev->GetId(&id))) continue;
        DeviceEntry e;
        e.driver = ToAnsi(id);
        e.isDefault = defaultId == id;
        if (ids) ids->push_back(id);
        CoTaskMemFree(id);
        ComPtr<IPropertyStore> props;
        if (SUCCEEDED(dev->OpenPropertyStore(STGM_READ, &props))) {
            PROPVARIANT v;
            PropVariantInit(&v);
            if (SUCCEEDED(props->GetValue(PKEY_Device_FriendlyName, &v)) && v.vt == VT_LPWSTR) e.name = ToAnsi(v.pwszVal);
            PropVariantClear(&v);
        }
        if (e.name.empty()) e.name = "Audio output";
        list.push_back(e);
    }
    return list;
}

// ---- The mixer thread ----

// Never destroyed: a process that ends without BASS_Free must not abort in a destructor.
std::thread& gThread = *new std::thread;
std::atomic<bool> gStop{false};
std::atomic<bool> gRunning{false};
HANDLE gEvent = nullptr;
OutputFormat gFormat;
// Timing of the last write, for the heard position.
std::atomic<int64_t> gWriteUs{0};
std::atomic<int64_t> gBufferedFrames{0};
std::atomic<float> gCpu{0};

struct StartResult {
    HANDLE done;
    int error = 0;
};

void NoteCpu(int64_t busyUs, int64_t periodUs) {
    if (periodUs <= 0) return;
    float share = 100.0f * (float)busyUs / (float)periodUs;
    gCpu = gCpu * 0.9f + share * 0.1f;
}

void RunSilent(StartResult* start) {
    SetEvent(start->done);  // start is gone after this
    const int rate = (int)gFormat.rate, chans = (int)gFormat.chans;
    std::vector<float> block;
    int64_t startUs = NowUs();
    int64_t framesDone = 0;
    while (!gStop) {
        Sleep(5);
        int64_t now = NowUs();
        int64_t due = (now - startUs) * rate / 1000000 - framesDone;
        if (due <= 0) continue;
        if (due > rate) due = rate;  // after a long stall, do not race to catch up
        block.resize((size_t)due * chans);
        MixBlock(block.data(), (int)due, chans, rate, now);
        framesDone += due;
        if ((now - startUs) * rate / 1000000 - framesDone > rate) framesDone = (now - startUs) * rate / 1000000;
        gWriteUs = now;
        gBufferedFrames = 0;
        int64_t busy = NowUs() - now;
        NoteCpu(busy, due * 1000000 / rate);
    }
}

void RunWasapi(std::wstring id, DWORD wantRate, StartResult* start) {
    ComInit com;
    ComPtr<IMMDeviceEnumerator> en;
    ComPtr<IMMDevice> dev;
    ComPtr<IAudioClient> client;
    ComPtr<IAudioRenderClient> render;
    WAVEFORMATEX* mix = nullptr;
    auto fail = [&](int error) {
        if (mix) CoTaskMemFree(mix);
        start->error = error;
        SetEvent(start->done);
    };
    if (FAILED(CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL, __uuidof(IMMDeviceEnumerator),
                                (void**)&en)) ||
        FAILED(en->GetDevice(id.c_str(), &dev)) ||
        FAILED(dev->Activate(__uuidof(IAudioClient), CLSCTX_ALL, nullptr, (void**)&client)))
        return fail(BASS_ERROR_DEVICE);
    if (FAILED(client->GetMixFormat(&mix))) return fail(BASS_ERROR_DRIVER);
    // Shared mode runs at the engine's rate; our resampler converts to it.
    bool isFloat = mix->wFormatTag == WAVE_FORMAT_IEEE_FLOAT ||
                   (mix->wFormatTag == WAVE_FORMAT_EXTENSIBLE &&
                    ((WAVEFORMATEXTENSIBLE*)mix)->SubFormat == kFloatSubtype);
    int bits = mix->wBitsPerSample;
    if (!isFloat && bits != 16 && bits != 32) return fail(BASS_ERROR_FORMAT);
    if (isFloat && bits != 32) return fail(BASS_ERROR_FORMAT);
    const REFERENCE_TIME kBuffer = 400000;  // 40 ms
    if (FAILED(client->Initialize(AUDCLNT_SHAREMODE_SHARED, AUDCLNT_STREAMFLAGS_EVENTCALLBACK, kBuffer, 0, mix, nullptr)))
        return fail(BASS_ERROR_DRIVER);
    UINT32 bufferFrames = 0;
    REFERENCE_TIME period = 0;
    client->GetBufferSize(&bufferFrames);
    client->GetDevicePeriod(&period, nullptr);
    if (FAILED(client->SetEventHandle(gEvent)) ||
        FAILED(client->GetService(__uuidof(IAudioRenderClient), (void**)&render)))
        return fail(BASS_ERROR_DRIVER);
    const int rate = (int)mix->nSamplesPerSec, chans = mix->nChannels;
    gFormat.rate = (DWORD)rate;
    gFormat.chans = (DWORD)chans;
    gFormat.bufferMs = (DWORD)(bufferFrames * 1000ull / rate);
    gFormat.periodMs = (DWORD)(period / 10000);
    CoTaskMemFree(mix);
    mix = nullptr;
    if (FAILED(client->Start())) return fail(BASS_ERROR_DRIVER);
    SetEvent(start->done);

    std::vector<float> block;
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
    while (!gStop) {
        WaitForSingleObject(gEvent, 200);
        if (gStop) break;
        UINT32 padding = 0;
        if (FAILED(client->GetCurrentPadding(&padding))) break;
        int frames = (int)(bufferFrames - padding);
        if (frames <= 0) continue;
        int64_t now = NowUs();
        block.resize((size_t)frames * chans);
        // The block starts to be heard once what the device holds has played.
        MixBlock(block.data(), frames, chans, rate, now + (int64_t)padding * 1000000 / rate);
        BYTE* data = nullptr;
        if (FAILED(render->GetBuffer((UINT32)frames, &data))) continue;
        size_t n = (size_t)frames * chans;
        if (isFloat) {
            memcpy(data, block.data(), n * sizeof(float));
        } else if (bits == 16) {
            int16_t* o = (int16_t*)data;
            for (size_t i = 0; i < n; i++) o[i] = (int16_t)lrintf(fmaxf(-1.0f, fminf(block[i], 32767.0f / 32768)) * 32768);
        } else {
            int32_t* o = (int32_t*)data;
            for (size_t i = 0; i < n; i++) o[i] = (int32_t)lrint(fmax(-1.0, fmin(block[i], 0.9999999)) * 2147483648.0);
        }
        render->ReleaseBuffer((UINT32)frames, 0);
        gWriteUs = NowUs();
        gBufferedFrames = padding + frames;
        NoteCpu(gWriteUs - now, (int64_t)frames * 1000000 / rate);
    }
    client->Stop();
}

}  // namespace

std::vector<DeviceEntry> ListDevices() {
    std::vector<DeviceEntry> list;
    std::thread t([&] { list = Enumerate(nullptr); });
    t.join();
    return list;
}

int StartOutput(int device, DWORD freq, OutputFormat* format) {
    StopOutput();
    gStop = false;
    gCpu = 0;
    gBufferedFrames = 0;
    StartResult start;
    start.done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!gEvent) gEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (device == 0) {
        gFormat = OutputFormat{};
        gFormat.rate = freq < 8000 ? 44100 : freq > 48000 ? 48000 : freq;
        gFormat.chans = 2;
        gFormat.periodMs = 5;
        gThread = std::thread(RunSilent, &start);
    } else {
        std::vector<std::wstring> ids;
        std::thread t([&] { Enumerate(&ids); });
        t.join();
        if (device < 1 || device > (int)ids.size()) {
            CloseHandle(start.done);
            return BASS_ERROR_DEVICE;
        }
        gFormat = OutputFormat{};
        gThread = std::thread(RunWasapi, ids[(size_t)device - 1], freq, &start);
    }
    WaitForSingleObject(start.done, INFINITE);
    CloseHandle(start.done);
    if (start.error) {
        gThread.join();
        return start.error;
    }
    gRunning = true;
    *format = gFormat;
    return 0;
}

void StopOutput() {
    if (!gThread.joinable()) return;
    gStop = true;
    if (gEvent) SetEvent(gEvent);
    gThread.join();
    gRunning = false;
}

bool OutputRunning() { return gRunning; }

double OutputBufferedSeconds() {
    if (!gRunning || gFormat.rate == 0) return 0;
    double since = (double)(NowUs() - gWriteUs) / 1e6;
    double left = (double)gBufferedFrames / gFormat.rate - since;
    return left > 0 ? left : 0;
}

int64_t OutputLatencyUs() { return (int64_t)(OutputBufferedSeconds() * 1e6); }

float OutputCpuPercent() { return gRunning ? gCpu.load() : 0.0f; }
