#include "AudioEngine.h"

#include "ComPtr.h"
#include "DeviceFormat.h"
#include "Mixer.h"

#include <windows.h>
#include <audioclient.h>
#include <mmdeviceapi.h>
#include <mmreg.h>

#include <vector>

namespace {

using UniqueCoTaskMem = UniqueHandle<void*, CloseWith<&CoTaskMemFree>>;
using UniqueWork = UniqueHandle<PTP_WORK, CloseWith<&CloseThreadpoolWork>>;

constexpr REFERENCE_TIME kUnitsPerMs = 10000; // REFERENCE_TIME counts 100 ns
// A stream is released once the device has played it out; at the latest after this much silence.
constexpr LONGLONG kReleaseAfterMs = 500;
// A device that could not be opened is looked for again at most this often (Wine tells of no
// device change: there the next key after the device came back asks for the attempt).
constexpr LONGLONG kRetryAfterMs = 250;

LONGLONG NowMs() {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return now.QuadPart * 1000 / frequency.QuadPart;
}

// The mix format as the mixer writes it; false for a layout it does not write.
bool ToDeviceFormat(const WAVEFORMATEX& wave, DeviceFormat& format) {
    format.SampleRate = wave.nSamplesPerSec;
    format.Channels = wave.nChannels;
    WORD tag = wave.wFormatTag;
    if (tag == WAVE_FORMAT_EXTENSIBLE && wave.cbSize >= 22) {
        // The sub-formats of the plain tags are {tag-0000-0010-8000-00AA00389B71}.
        const GUID& sub = reinterpret_cast<const WAVEFORMATEXTENSIBLE&>(wave).SubFormat;
        if (sub.Data2 != 0 || sub.Data3 != 0x0010 || sub.Data1 > 0xFFFF)
            return false;
        tag = static_cast<WORD>(sub.Data1);
    }
    if (tag == WAVE_FORMAT_IEEE_FLOAT && wave.wBitsPerSample == 32)
        format.Kind = SampleKind::Float32;
    else if (tag == WAVE_FORMAT_PCM && wave.wBitsPerSample == 16)
        format.Kind = SampleKind::Int16;
    else if (tag == WAVE_FORMAT_PCM && wave.wBitsPerSample == 24)
        format.Kind = SampleKind::Int24;
    else if (tag == WAVE_FORMAT_PCM && wave.wBitsPerSample == 32)
        format.Kind = SampleKind::Int32;
    else
        return false;
    return format.Channels > 0 && format.SampleRate > 0 &&
           wave.nBlockAlign == format.BytesPerFrame();
}

// Tells the output thread that the default output device changed, or a device came or went.
class DeviceWatch final : public IMMNotificationClient {
public:
    explicit DeviceWatch(std::shared_ptr<TAudioEngine::Shared> shared)
        : FShared(std::move(shared)) {}

    ULONG STDMETHODCALLTYPE AddRef() noexcept override { return ++FRefs; }
    ULONG STDMETHODCALLTYPE Release() noexcept override {
        const ULONG left = --FRefs;
        if (left == 0)
            delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) noexcept override {
        if (!out)
            return E_POINTER;
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IMMNotificationClient)) {
            *out = static_cast<IMMNotificationClient*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE OnDefaultDeviceChanged(EDataFlow flow, ERole role,
                                                     LPCWSTR) noexcept override {
        if (flow == eRender && role == eConsole)
            Changed();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnDeviceAdded(LPCWSTR) noexcept override {
        Changed();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnDeviceRemoved(LPCWSTR) noexcept override {
        Changed();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnDeviceStateChanged(LPCWSTR, DWORD) noexcept override {
        Changed();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnPropertyValueChanged(LPCWSTR, const PROPERTYKEY) noexcept override {
        return S_OK;
    }

private:
    void Changed() noexcept {
        FShared->DeviceChanged = true;
        SetEvent(FShared->Wake.Get());
    }

    std::atomic<ULONG> FRefs{1};
    std::shared_ptr<TAudioEngine::Shared> FShared;
};

// One WASAPI shared-mode stream on the default device, event-driven.
struct Stream {
    TComPtr<IAudioClient> Client;
    TComPtr<IAudioRenderClient> Render;
    DeviceFormat Format;
    UINT32 BufferFrames = 0;
    UINT32 PeriodFrames = 0;
    bool Started = false;

    explicit operator bool() const { return Client != nullptr; }
};

class OutputThread {
public:
    explicit OutputThread(std::shared_ptr<TAudioEngine::Shared> shared)
        : FShared(std::move(shared)), FMixer(96) {}
    void Run();

private:
    HRESULT Prepare();
    void ReleaseRunning();
    void RetireRunning();
    static void CALLBACK ReleaseRetired(PTP_CALLBACK_INSTANCE, void* self, PTP_WORK) noexcept;
    bool TakeRequests();
    void Convert();
    HRESULT Fill(UINT32 target);
    bool PlayedOut();
    HRESULT StartSound(std::shared_ptr<const DeviceSound> sound);
    void Prime();
    void Fail(HRESULT hr);

    std::shared_ptr<TAudioEngine::Shared> FShared;
    TComPtr<IMMDeviceEnumerator> FEnumerator;
    TComPtr<DeviceWatch> FWatch;
    UniqueKernelHandle FBufferEvent;
    Stream FStream;
    Mixer FMixer;
    std::vector<float> FScratch;

    std::shared_ptr<const SchemeWaves> FWaves;
    std::array<std::shared_ptr<const DeviceSound>, 16> FSounds;
    DeviceFormat FSoundsFormat;

    LONGLONG FSilentSince = 0;
    LONGLONG FLastAttempt = -kRetryAfterMs;

    // Streams that played out, released by a pool thread: releasing a started client waits for
    // the platform's timer (about 10 ms under Wine), which a key must not wait behind.
    std::mutex FRetiredLock;
    std::vector<Stream> FRetired;
    UniqueWork FReleaseWork;
};

HRESULT OutputThread::Prepare() {
    FLastAttempt = NowMs();
    Stream stream;
    TComPtr<IMMDevice> device;
    HRESULT hr = FEnumerator->GetDefaultAudioEndpoint(eRender, eConsole, device.GetAddressOf());
    if (FAILED(hr))
        return hr;
    hr = device->Activate(__uuidof(IAudioClient), CLSCTX_ALL, nullptr,
                          reinterpret_cast<void**>(stream.Client.GetAddressOf()));
    if (FAILED(hr))
        return hr;
    UniqueCoTaskMem mix;
    hr = stream.Client->GetMixFormat(reinterpret_cast<WAVEFORMATEX**>(mix.Put()));
    if (FAILED(hr))
        return hr;
    const auto* wave = static_cast<const WAVEFORMATEX*>(mix.Get());
    if (!ToDeviceFormat(*wave, stream.Format))
        return AUDCLNT_E_UNSUPPORTED_FORMAT;
    REFERENCE_TIME period = 0, minimum = 0;
    hr = stream.Client->GetDevicePeriod(&period, &minimum);
    if (FAILED(hr) || period <= 0)
        period = 10 * kUnitsPerMs;
    // The buffer only has to carry the device from one period's wake-up to the next: what is
    // queued ahead is kept to about one period anyway.
    hr = stream.Client->Initialize(
        AUDCLNT_SHAREMODE_SHARED, AUDCLNT_STREAMFLAGS_EVENTCALLBACK | AUDCLNT_STREAMFLAGS_NOPERSIST,
        2 * period, 0, wave, nullptr);
    if (FAILED(hr))
        return hr;
    hr = stream.Client->SetEventHandle(FBufferEvent.Get());
    if (FAILED(hr))
        return hr;
    hr = stream.Client->GetBufferSize(&stream.BufferFrames);
    if (FAILED(hr))
        return hr;
    hr = stream.Client->GetService(__uuidof(IAudioRenderClient),
                                   reinterpret_cast<void**>(stream.Render.GetAddressOf()));
    if (FAILED(hr))
        return hr;
    stream.PeriodFrames = static_cast<UINT32>(static_cast<ULONGLONG>(period) *
                                              stream.Format.SampleRate / (1000 * kUnitsPerMs));
    if (stream.PeriodFrames == 0 || stream.PeriodFrames > stream.BufferFrames)
        stream.PeriodFrames = stream.BufferFrames;
    FScratch.assign(static_cast<size_t>(stream.BufferFrames) * stream.Format.Channels, 0.0f);
    const bool formatChanged = stream.Format.SampleRate != FSoundsFormat.SampleRate ||
                               stream.Format.Channels != FSoundsFormat.Channels;
    FStream = std::move(stream);
    FMixer = Mixer(FStream.Format.SampleRate / 500); // 2 ms
    if (formatChanged)
        Convert();
    FShared->Unavailable = false;
    return S_OK;
}

void OutputThread::ReleaseRunning() {
    if (FStream.Client && FStream.Started)
        FStream.Client->Stop();
    FStream = Stream{};
    FMixer.Clear();
}

void OutputThread::RetireRunning() {
    if (!FReleaseWork)
        return ReleaseRunning();
    {
        std::lock_guard lock(FRetiredLock);
        FRetired.push_back(std::move(FStream));
    }
    FStream = Stream{};
    FMixer.Clear();
    SubmitThreadpoolWork(FReleaseWork.Get());
}

void CALLBACK OutputThread::ReleaseRetired(PTP_CALLBACK_INSTANCE, void* self, PTP_WORK) noexcept {
    auto& thread = *static_cast<OutputThread*>(self);
    std::vector<Stream> retired;
    {
        std::lock_guard lock(thread.FRetiredLock);
        retired.swap(thread.FRetired);
    }
    for (Stream& stream : retired)
        stream.Client->Stop();
}

void OutputThread::Fail(HRESULT) {
    // The device went away, or became unusable: the next attempt takes the default device as it
    // is then; until one opens, the program uses the platform's player.
    ReleaseRunning();
    FShared->Unavailable = true;
}

void OutputThread::Convert() {
    FSoundsFormat = FStream.Format;
    for (auto& sound : FSounds)
        sound.reset();
    if (!FWaves || !FStream)
        return;
    for (size_t i = 0; i < FSounds.size(); ++i) {
        const WaveData* wave = (*FWaves)[i].get();
        if (!wave)
            continue;
        auto sound = std::make_shared<DeviceSound>(
            ConvertForDevice(wave->samples, wave->sampleRate, wave->channels, FStream.Format));
        if (sound->Frames() > 0)
            FSounds[i] = std::move(sound);
    }
}

bool OutputThread::TakeRequests() {
    bool play = false, retry = false;
    int type = -1;
    std::shared_ptr<const WaveData> wave;
    std::shared_ptr<const SchemeWaves> waves;
    {
        // Only the hand-over under the lock: the program's thread never waits for the device.
        std::lock_guard lock(FShared->Lock);
        waves = std::move(FShared->NewSounds);
        FShared->NewSounds.reset();
        play = std::exchange(FShared->PlayPending, false);
        type = FShared->PlayType;
        wave = std::move(FShared->PlayWave);
        FShared->PlayWave.reset();
        retry = std::exchange(FShared->RetryAsked, false);
    }
    if (waves) {
        FWaves = std::move(waves);
        if (FStream)
            Convert();
    }
    if (retry && !FStream && NowMs() - FLastAttempt >= kRetryAfterMs && FAILED(Prepare()))
        FShared->Unavailable = true;
    if (!play)
        return false;
    std::shared_ptr<const DeviceSound> sound;
    if (wave) {
        if (FStream)
            sound = std::make_shared<DeviceSound>(
                ConvertForDevice(wave->samples, wave->sampleRate, wave->channels, FStream.Format));
    } else if (type >= 0 && type < static_cast<int>(FSounds.size())) {
        sound = FSounds[static_cast<size_t>(type)];
    }
    // A silent key type leaves the sound playing alone, as the platform's player does.
    if (!sound)
        return true;
    HRESULT hr = StartSound(sound);
    if (hr == AUDCLNT_E_DEVICE_INVALIDATED) {
        // The device went while the stream waited: once more on the default device as it is now.
        ReleaseRunning();
        hr = Prepare();
        if (SUCCEEDED(hr)) {
            if (wave)
                sound = std::make_shared<DeviceSound>(ConvertForDevice(
                    wave->samples, wave->sampleRate, wave->channels, FStream.Format));
            else
                sound = FSounds[static_cast<size_t>(type)];
            hr = sound ? StartSound(sound) : S_OK;
        }
    }
    if (FAILED(hr))
        Fail(hr);
    return true;
}

HRESULT OutputThread::StartSound(std::shared_ptr<const DeviceSound> sound) {
    if (!FStream) {
        const HRESULT hr = Prepare();
        if (FAILED(hr))
            return hr;
    }
    if (sound->Channels != FStream.Format.Channels)
        return S_OK; // converted for a device that has gone; the next scheme load fixes it
    if (FStream.Started && !FMixer.Playing()) {
        // A stream that has run dry is started again from an empty queue: data written into it
        // as it is would follow a stretch of silence the platform adds after a dry spell.
        UINT32 padding = 0;
        HRESULT hr = FStream.Client->GetCurrentPadding(&padding);
        if (FAILED(hr))
            return hr;
        if (padding == 0) {
            FStream.Client->Stop();
            hr = FStream.Client->Reset();
            if (FAILED(hr))
                return hr;
            FStream.Started = false;
        }
    }
    FMixer.Start(std::move(sound));
    FSilentSince = 0;
    // A stream about to start gets a whole buffer, so that the device need not wait for more
    // before it plays; into a running one the new sound goes at once, behind at most about a
    // period of what is queued.
    HRESULT hr = Fill(FStream.Started ? FStream.PeriodFrames : FStream.BufferFrames);
    if (FAILED(hr))
        return hr;
    if (!FStream.Started) {
        hr = FStream.Client->Start();
        if (FAILED(hr))
            return hr;
        FStream.Started = true;
    }
    return S_OK;
}

HRESULT OutputThread::Fill(UINT32 target) {
    // While nothing plays nothing is written: the device runs dry, so that the next sound starts
    // from an empty queue instead of behind queued silence.
    if (!FMixer.Playing())
        return S_OK;
    UINT32 padding = 0;
    HRESULT hr = FStream.Client->GetCurrentPadding(&padding);
    if (FAILED(hr))
        return hr;
    if (padding >= target)
        return S_OK;
    UINT32 frames = target - padding;
    if (frames > FStream.BufferFrames - padding)
        frames = FStream.BufferFrames - padding;
    if (frames == 0)
        return S_OK;
    BYTE* data = nullptr;
    hr = FStream.Render->GetBuffer(frames, &data);
    if (FAILED(hr))
        return hr;
    std::span<float> mix(FScratch.data(), static_cast<size_t>(frames) * FStream.Format.Channels);
    FMixer.Render(mix, FStream.Format.Channels);
    WriteDeviceSamples(mix, FStream.Format.Kind, data);
    return FStream.Render->ReleaseBuffer(frames, 0);
}

bool OutputThread::PlayedOut() {
    UINT32 padding = 0;
    return SUCCEEDED(FStream.Client->GetCurrentPadding(&padding)) && padding == 0;
}

void OutputThread::Prime() {
    // The first stream a process starts opens the whole audio path, which takes tens of
    // milliseconds: a few milliseconds of silence through it now spare the first key that.
    if (FAILED(Prepare()))
        return;
    auto silence = std::make_shared<DeviceSound>();
    silence->Channels = FStream.Format.Channels;
    silence->Samples.assign(static_cast<size_t>(FStream.PeriodFrames) * silence->Channels, 0.0f);
    if (FAILED(StartSound(silence)))
        return Fail(E_FAIL);
    WaitForSingleObject(FBufferEvent.Get(), 100);
    WaitForSingleObject(FBufferEvent.Get(), 100);
    ReleaseRunning();
    if (FAILED(Prepare()))
        FShared->Unavailable = true;
}

void OutputThread::Run() {
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
    FBufferEvent.Reset(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    if (!FBufferEvent ||
        FAILED(CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_INPROC_SERVER,
                                __uuidof(IMMDeviceEnumerator),
                                reinterpret_cast<void**>(FEnumerator.GetAddressOf())))) {
        FShared->Unavailable = true;
        return;
    }
    FReleaseWork.Reset(CreateThreadpoolWork(&ReleaseRetired, this, nullptr));
    FWatch.Attach(new DeviceWatch(FShared));
    const bool watching =
        SUCCEEDED(FEnumerator->RegisterEndpointNotificationCallback(FWatch.Get()));
    Prime();
    while (!FShared->Quit) {
        HANDLE handles[2] = {FShared->Wake.Get(), FBufferEvent.Get()};
        DWORD timeout = INFINITE;
        if (FStream.Started && !FMixer.Playing()) {
            const LONGLONG silent = NowMs() - FSilentSince;
            timeout = silent >= kReleaseAfterMs ? 0 : static_cast<DWORD>(kReleaseAfterMs - silent);
        }
        const DWORD woke = WaitForMultipleObjects(FStream.Started ? 2 : 1, handles, FALSE, timeout);
        if (FShared->Quit)
            break;
        if (FShared->DeviceChanged.exchange(false)) {
            // The next sound goes to the default device as it is now.
            ReleaseRunning();
            if (FAILED(Prepare()))
                FShared->Unavailable = true;
        }
        if (woke == WAIT_OBJECT_0)
            TakeRequests();
        if (FStream.Started) {
            const HRESULT hr = Fill(FStream.PeriodFrames);
            if (FAILED(hr)) {
                Fail(hr);
                if (SUCCEEDED(Prepare()))
                    continue;
            }
            if (FMixer.Playing()) {
                FSilentSince = 0;
            } else if (FSilentSince == 0) {
                FSilentSince = NowMs();
            }
            // Played out: this stream goes and a fresh one waits, initialised, not started. The
            // next key starts that one faster than a running one stopped, reset and started
            // again (milliseconds under Wine), and an idle program holds no started stream.
            if (FStream.Started && !FMixer.Playing() &&
                (PlayedOut() || NowMs() - FSilentSince >= kReleaseAfterMs)) {
                RetireRunning();
                if (FAILED(Prepare()))
                    FShared->Unavailable = true;
            }
        }
    }
    ReleaseRunning();
    if (FReleaseWork)
        WaitForThreadpoolWorkCallbacks(FReleaseWork.Get(), FALSE);
    if (watching)
        FEnumerator->UnregisterEndpointNotificationCallback(FWatch.Get());
}

DWORD WINAPI OutputMain(void* parameter) noexcept {
    auto shared = std::move(*static_cast<std::shared_ptr<TAudioEngine::Shared>*>(parameter));
    delete static_cast<std::shared_ptr<TAudioEngine::Shared>*>(parameter);
    // Nothing leaves the thread: on any failure the program goes on with the platform's player.
    try {
        if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {
            shared->Unavailable = true;
            return 0;
        }
        {
            OutputThread thread(shared);
            thread.Run();
        }
        CoUninitialize();
    } catch (...) {
        shared->Unavailable = true;
    }
    return 0;
}

} // namespace

TAudioEngine::TAudioEngine() : FShared(std::make_shared<Shared>()) {
    FShared->Wake.Reset(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    if (!FShared->Wake) {
        FShared->Unavailable = true;
        return;
    }
    auto* parameter = new std::shared_ptr<Shared>(FShared);
    FThread.Reset(CreateThread(nullptr, 0, &OutputMain, parameter, 0, nullptr));
    if (!FThread) {
        delete parameter;
        FShared->Unavailable = true;
    }
}

TAudioEngine::~TAudioEngine() {
    FShared->Quit = true;
    if (FThread) {
        SetEvent(FShared->Wake.Get());
        WaitForSingleObject(FThread.Get(), 5000);
    }
}

void TAudioEngine::Poke() {
    if (FShared->Wake)
        SetEvent(FShared->Wake.Get());
}

bool TAudioEngine::Available() {
    if (!FThread)
        return false;
    if (!FShared->Unavailable)
        return true;
    {
        std::lock_guard lock(FShared->Lock);
        FShared->RetryAsked = true;
    }
    Poke();
    return false;
}

void TAudioEngine::SetSounds(std::shared_ptr<const SchemeWaves> sounds) {
    {
        std::lock_guard lock(FShared->Lock);
        FShared->NewSounds = std::move(sounds);
    }
    Poke();
}

void TAudioEngine::Play(int keyType) {
    {
        std::lock_guard lock(FShared->Lock);
        FShared->PlayPending = true;
        FShared->PlayType = keyType;
        FShared->PlayWave.reset();
    }
    Poke();
}

void TAudioEngine::Play(std::shared_ptr<const WaveData> wave) {
    {
        std::lock_guard lock(FShared->Lock);
        FShared->PlayPending = true;
        FShared->PlayType = -1;
        FShared->PlayWave = std::move(wave);
    }
    Poke();
}
