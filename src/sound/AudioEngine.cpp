#include "AudioEngine.h"

#include "ComPtr.h"
#include "DeviceFormat.h"
#include "Mixer.h"
#include "WaveFile.h"

#include <windows.h>
#include <audioclient.h>
#include <mmdeviceapi.h>
#include <mmreg.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace {

using UniqueCoTaskMem = UniqueHandle<void*, CloseWith<&CoTaskMemFree>>;

// A pool work object that, before it closes, waits for the callbacks it started: they may use
// what its owner is about to free.
void EndWork(PTP_WORK work) noexcept {
    WaitForThreadpoolWorkCallbacks(work, FALSE);
    CloseThreadpoolWork(work);
}
using UniqueWork = UniqueHandle<PTP_WORK, CloseWith<&EndWork>>;

constexpr REFERENCE_TIME kUnitsPerMs = 10000; // REFERENCE_TIME counts 100 ns
// A stream is released once the device has played it out; at the latest after this much silence.
constexpr LONGLONG kReleaseAfterMs = 500;
// How much a stream keeps queued while a sound plays.
constexpr REFERENCE_TIME kBufferMs = 100;
// A device that could not be opened is looked for again at most this often (Wine tells of no
// device change: there the next key after the device came back asks for the attempt).
constexpr LONGLONG kRetryAfterMs = 250;
// A key's sound starts on a stream of its own, one of this many made ready while nothing plays:
// a stream restarted under sounds that play on can be heard as a moment of silence in them
// (when the platform's mixer takes its period while the stream stands). Once all play, the
// stream whose newest sound began longest ago takes the new one. Streams are never made while
// sounds play: under Wine that holds up the feeding of the streams that play, and they run dry.
constexpr size_t kMaxStreams = 4;

LONGLONG NowMs() {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return now.QuadPart * 1000 / frequency.QuadPart;
}

bool SameLayout(const DeviceFormat& a, const DeviceFormat& b) {
    return a.SampleRate == b.SampleRate && a.Channels == b.Channels;
}

MixFormatFields FieldsOf(const WAVEFORMATEX& wave) {
    MixFormatFields mix;
    mix.FormatTag = wave.wFormatTag;
    mix.Channels = wave.nChannels;
    mix.SampleRate = wave.nSamplesPerSec;
    mix.BlockAlign = wave.nBlockAlign;
    mix.BitsPerSample = wave.wBitsPerSample;
    mix.ExtraSize = wave.cbSize;
    if (wave.wFormatTag == WAVE_FORMAT_EXTENSIBLE && wave.cbSize >= kExtensibleExtraSize) {
        const auto& extensible = reinterpret_cast<const WAVEFORMATEXTENSIBLE&>(wave);
        mix.ValidBits = extensible.Samples.wValidBitsPerSample;
        mix.SubFormat1 = extensible.SubFormat.Data1;
        mix.SubFormat2 = extensible.SubFormat.Data2;
        mix.SubFormat3 = extensible.SubFormat.Data3;
        for (size_t i = 0; i < mix.SubFormat4.size(); ++i)
            mix.SubFormat4[i] = extensible.SubFormat.Data4[i];
    }
    return mix;
}

} // namespace

// The sounds of a scheme made for one device layout.
struct ConvertedSounds {
    DeviceFormat Format;
    uint64_t Generation = 0; // of the scheme's sounds they were made from
    std::vector<std::shared_ptr<const DeviceSound>> Sounds;
};

// A key's sound, on its way to the output thread: one of the scheme's by number, or its own.
struct PlayRequest {
    int Index = -1;
    std::shared_ptr<const DeviceSound> Sound;
    VoiceGains Gains;
    double Semitones = 0;
};
// Keys that come faster than the output thread takes them wait for it, up to this many; the
// oldest beyond that are dropped (the mixer would fade them out at once anyway).
constexpr size_t kMaxPendingPlays = MaxVoices;

struct AudioShared {
    std::mutex Lock;
    // Under Lock: the keys not yet taken, oldest first.
    std::vector<PlayRequest> Plays;
    bool RetryAsked = false;
    // Under Lock: the scheme's decoded sounds (Generation counts them), the device of the last
    // stream prepared (no rate before the first), and the sounds made for its layout.
    std::shared_ptr<const SchemeWaves> Waves;
    uint64_t Generation = 0;
    DeviceFormat Format;
    std::wstring DeviceId;
    // Under Lock: the device the user chose, or empty for the default device.
    std::wstring PreferredId;
    std::shared_ptr<const ConvertedSounds> Converted;

    std::atomic<bool> Quit{false};
    std::atomic<bool> DeviceChanged{false};
    std::atomic<bool> Unavailable{false};
    UniqueKernelHandle Wake; // auto-reset: a request, a device change or the end
};

namespace {

// Whether the sounds made so far are the latest scheme's in the latest device layout; under
// the lock.
bool ConvertedUpToDate(const AudioShared& shared) {
    return !shared.Waves || shared.Format.SampleRate == 0 ||
           (shared.Converted && shared.Converted->Generation == shared.Generation &&
            SameLayout(shared.Converted->Format, shared.Format));
}

// Makes the latest scheme's sounds for the latest device layout, unless that is done. Never on
// the output thread: a long sound takes milliseconds to convert, a key must not wait for it.
void ConvertLatest(AudioShared& shared) {
    std::shared_ptr<const SchemeWaves> waves;
    auto converted = std::make_shared<ConvertedSounds>();
    {
        std::lock_guard lock(shared.Lock);
        if (ConvertedUpToDate(shared))
            return;
        waves = shared.Waves;
        converted->Format = shared.Format;
        converted->Generation = shared.Generation;
    }
    converted->Sounds.resize(waves->size());
    for (size_t i = 0; i < waves->size(); ++i) {
        const WaveData* wave = (*waves)[i].get();
        if (!wave)
            continue;
        auto sound = std::make_shared<DeviceSound>(
            ConvertForDevice(wave->samples, wave->sampleRate, wave->channels, converted->Format));
        if (sound->Frames() > 0)
            converted->Sounds[i] = std::move(sound);
    }
    {
        std::lock_guard lock(shared.Lock);
        // Newer sounds or another device came meanwhile: their conversion is under way.
        if (converted->Generation != shared.Generation ||
            !SameLayout(converted->Format, shared.Format))
            return;
        shared.Converted = std::move(converted);
    }
    SetEvent(shared.Wake.Get());
}

void CALLBACK ConvertCallback(PTP_CALLBACK_INSTANCE, void* context) noexcept {
    std::unique_ptr<std::shared_ptr<AudioShared>> shared(
        static_cast<std::shared_ptr<AudioShared>*>(context));
    try {
        ConvertLatest(**shared);
    } catch (...) {
        // Without memory the keys stay silent until the next scheme or device.
    }
}

void ConvertOnPool(const std::shared_ptr<AudioShared>& shared) {
    auto* context = new std::shared_ptr<AudioShared>(shared);
    if (!TrySubmitThreadpoolCallback(&ConvertCallback, context, nullptr))
        delete context;
}

// Tells the output thread that the device it plays on went, or the default output device
// changed, or a device that can play came while there was none. Capture devices (a webcam's
// microphone, a headset's) come and go without a word to it.
class DeviceWatch final : public IMMNotificationClient {
public:
    DeviceWatch(std::shared_ptr<AudioShared> shared, TComPtr<IMMDeviceEnumerator> enumerator)
        : FShared(std::move(shared)), FEnumerator(std::move(enumerator)) {}

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
        if (flow == eRender && role == eConsole && !OnPreferred())
            Changed();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnDeviceAdded(LPCWSTR id) noexcept override {
        if ((FShared->Unavailable && IsRender(id)) || PreferredCameBack(id))
            Changed();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnDeviceRemoved(LPCWSTR id) noexcept override {
        if (IsCurrent(id))
            Changed();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnDeviceStateChanged(LPCWSTR id, DWORD state) noexcept override {
        if (IsCurrent(id) || (state == DEVICE_STATE_ACTIVE &&
                              ((FShared->Unavailable && IsRender(id)) || PreferredCameBack(id))))
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
    bool IsCurrent(LPCWSTR id) noexcept {
        try {
            std::lock_guard lock(FShared->Lock);
            return id && !FShared->DeviceId.empty() && FShared->DeviceId == id;
        } catch (...) {
            return false;
        }
    }
    // The chosen device plays now: the default's changes do not concern it.
    bool OnPreferred() noexcept {
        try {
            std::lock_guard lock(FShared->Lock);
            return !FShared->PreferredId.empty() && FShared->PreferredId == FShared->DeviceId;
        } catch (...) {
            return false;
        }
    }
    // The chosen device is back while another plays in its stead.
    bool PreferredCameBack(LPCWSTR id) noexcept {
        try {
            std::lock_guard lock(FShared->Lock);
            return id && !FShared->PreferredId.empty() && FShared->PreferredId == id &&
                   FShared->DeviceId != id;
        } catch (...) {
            return false;
        }
    }
    bool IsRender(LPCWSTR id) noexcept {
        TComPtr<IMMDevice> device;
        TComPtr<IMMEndpoint> endpoint;
        EDataFlow flow = eCapture;
        return id && SUCCEEDED(FEnumerator->GetDevice(id, device.GetAddressOf())) &&
               SUCCEEDED(device.As(&endpoint)) && SUCCEEDED(endpoint->GetDataFlow(&flow)) &&
               flow == eRender;
    }

    std::atomic<ULONG> FRefs{1};
    std::shared_ptr<AudioShared> FShared;
    TComPtr<IMMDeviceEnumerator> FEnumerator;
};

// The watch's registration, undone on every way out of the output thread.
class WatchRegistration {
public:
    WatchRegistration(IMMDeviceEnumerator* enumerator, IMMNotificationClient* watch)
        : FEnumerator(enumerator), FWatch(watch),
          FRegistered(SUCCEEDED(enumerator->RegisterEndpointNotificationCallback(watch))) {}
    ~WatchRegistration() {
        if (FRegistered)
            FEnumerator->UnregisterEndpointNotificationCallback(FWatch);
    }
    WatchRegistration(const WatchRegistration&) = delete;
    WatchRegistration& operator=(const WatchRegistration&) = delete;

private:
    IMMDeviceEnumerator* FEnumerator;
    IMMNotificationClient* FWatch;
    bool FRegistered;
};

// One WASAPI shared-mode stream on the output device, event-driven, and the sounds it plays.
struct Stream {
    // Set when the stream wants data; closed after the client is released.
    UniqueKernelHandle Event;
    TComPtr<IAudioClient> Client;
    TComPtr<IAudioRenderClient> Render;
    DeviceFormat Format;
    UINT32 BufferFrames = 0;
    // Started before: a stream stopped and reset to take the next key while others play.
    bool Used = false;
    Mixer Voices{96, 0};
    // When its newest sound began, and since when it has had nothing left to play (0: it has).
    LONGLONG LastStart = 0;
    LONGLONG SilentSince = 0;

    explicit operator bool() const { return Client != nullptr; }
};

class OutputThread {
public:
    explicit OutputThread(std::shared_ptr<AudioShared> shared) : FShared(std::move(shared)) {
        FTaken.reserve(kMaxPendingPlays);
        FStarting.reserve(kMaxPendingPlays);
    }
    void Run();

private:
    HRESULT Prepare();
    void ReleaseAll();
    void Retire(Stream stream);
    void PlayedOut(size_t playing);
    static void CALLBACK ReleaseRetired(PTP_CALLBACK_INSTANCE, void* self, PTP_WORK) noexcept;
    void TakeRequests();
    HRESULT PlayNow();
    static HRESULT Restart(Stream& stream);
    HRESULT Fill(Stream& stream);
    void Service();
    bool WantsStream() const;
    void Prime();
    void Fail();

    std::shared_ptr<AudioShared> FShared;
    TComPtr<IMMDeviceEnumerator> FEnumerator;
    // Initialised, not started: the next keys start them.
    std::vector<Stream> FReady;
    // Started, oldest first.
    std::vector<Stream> FPlaying;
    std::vector<float> FScratch;
    // The requests taken from the shared list, and the sounds they stand for.
    std::vector<PlayRequest> FTaken;
    std::vector<PlayRequest> FStarting;

    LONGLONG FLastAttempt = -kRetryAfterMs;
    HRESULT FLastPrepare = S_OK;

    // Streams that played out, released by a pool thread: releasing a started client waits for
    // the platform's timer (about 10 ms under Wine), which a key must not wait behind.
    std::mutex FRetiredLock;
    std::vector<Stream> FRetired;
    // Last, so that it goes first: its callbacks use the two above.
    UniqueWork FReleaseWork;
};

HRESULT OutputThread::Prepare() {
    FLastAttempt = NowMs();
    FLastPrepare = E_FAIL;
    Stream stream;
    TComPtr<IMMDevice> device;
    std::wstring preferred;
    {
        std::lock_guard lock(FShared->Lock);
        preferred = FShared->PreferredId;
    }
    // The chosen device while it is there and active; the default device otherwise.
    DWORD state = 0;
    if (!preferred.empty() &&
        (FAILED(FEnumerator->GetDevice(preferred.c_str(), device.GetAddressOf())) ||
         FAILED(device->GetState(&state)) || state != DEVICE_STATE_ACTIVE))
        device = nullptr;
    HRESULT hr = S_OK;
    if (!device)
        hr = FEnumerator->GetDefaultAudioEndpoint(eRender, eConsole, device.GetAddressOf());
    if (FAILED(hr))
        return hr;
    UniqueCoTaskMem id;
    hr = device->GetId(reinterpret_cast<LPWSTR*>(id.Put()));
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
    const std::optional<DeviceFormat> format = ToDeviceFormat(FieldsOf(*wave));
    if (!format)
        return AUDCLNT_E_UNSUPPORTED_FORMAT;
    stream.Format = *format;
    REFERENCE_TIME period = 0, minimum = 0;
    hr = stream.Client->GetDevicePeriod(&period, &minimum);
    if (FAILED(hr) || period <= 0)
        period = 10 * kUnitsPerMs;
    // A long buffer carries the device over a late wake-up of this thread or of the platform's
    // mixer (a busy machine stalls them for tens of milliseconds, 50 ms seen under Wine): a
    // queue that runs dry is heard as a gap. A new key never waits behind what is queued: the
    // queue is thrown away and written anew (PlayNow).
    hr = stream.Client->Initialize(AUDCLNT_SHAREMODE_SHARED, AUDCLNT_STREAMFLAGS_EVENTCALLBACK,
                                   std::max(2 * period, kBufferMs * kUnitsPerMs), 0, wave, nullptr);
    if (FAILED(hr))
        return hr;
    stream.Event.Reset(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    if (!stream.Event)
        return HRESULT_FROM_WIN32(GetLastError());
    hr = stream.Client->SetEventHandle(stream.Event.Get());
    if (FAILED(hr))
        return hr;
    hr = stream.Client->GetBufferSize(&stream.BufferFrames);
    if (FAILED(hr))
        return hr;
    hr = stream.Client->GetService(__uuidof(IAudioRenderClient),
                                   reinterpret_cast<void**>(stream.Render.GetAddressOf()));
    if (FAILED(hr))
        return hr;
    FScratch.resize(std::max(FScratch.size(),
                             static_cast<size_t>(stream.BufferFrames) * stream.Format.Channels));
    // 2 ms fades; a rewind never goes back further than one buffer.
    stream.Voices = Mixer(stream.Format.SampleRate / 500, stream.BufferFrames);
    FReady.push_back(std::move(stream));
    FLastPrepare = S_OK;
    bool convert = false;
    {
        std::lock_guard lock(FShared->Lock);
        FShared->Format = FReady.back().Format;
        FShared->DeviceId = static_cast<const wchar_t*>(id.Get());
        convert = !ConvertedUpToDate(*FShared);
    }
    if (convert)
        ConvertOnPool(FShared);
    FShared->Unavailable = false;
    return S_OK;
}

void OutputThread::ReleaseAll() {
    for (Stream& stream : FPlaying)
        stream.Client->Stop();
    FPlaying.clear();
    FReady.clear();
}

void OutputThread::Retire(Stream stream) {
    if (!FReleaseWork) {
        stream.Client->Stop();
        return;
    }
    {
        std::lock_guard lock(FRetiredLock);
        FRetired.push_back(std::move(stream));
    }
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

void OutputThread::Fail() {
    // The device went away, or became unusable: the next attempt takes the default device as it
    // is then; until one opens, the program uses the platform's player.
    ReleaseAll();
    FShared->Unavailable = true;
}

void OutputThread::TakeRequests() {
    bool retry = false;
    std::shared_ptr<const ConvertedSounds> converted;
    FTaken.clear();
    {
        // Only the hand-over under the lock: the program's thread never waits for the device.
        std::lock_guard lock(FShared->Lock);
        FTaken.swap(FShared->Plays);
        retry = std::exchange(FShared->RetryAsked, false);
        converted = FShared->Converted;
    }
    if (retry && FReady.empty() && FPlaying.empty() && NowMs() - FLastAttempt >= kRetryAfterMs &&
        FAILED(Prepare()))
        FShared->Unavailable = true;
    if (FTaken.empty())
        return;
    if (FReady.empty() && FPlaying.empty() && FAILED(Prepare()))
        return Fail();
    const DeviceFormat format = FReady.empty() ? FPlaying.back().Format : FReady.back().Format;
    FStarting.clear();
    for (PlayRequest& request : FTaken) {
        if (!request.Sound && converted && request.Index >= 0 &&
            request.Index < static_cast<int>(converted->Sounds.size()) &&
            SameLayout(converted->Format, format))
            request.Sound = converted->Sounds[static_cast<size_t>(request.Index)];
        // Made for a device that has gone: its successor's sounds are on the way.
        if (request.Sound && request.Sound->Channels == format.Channels)
            FStarting.push_back(std::move(request));
    }
    FTaken.clear();
    // A silent key leaves the sounds playing alone, as the platform's player does.
    if (FStarting.empty())
        return;
    HRESULT hr = PlayNow();
    if (hr == AUDCLNT_E_DEVICE_INVALIDATED) {
        // The device went while the stream waited: once more on the default device as it is
        // now, if the sounds were made for its layout.
        ReleaseAll();
        hr = Prepare();
        if (SUCCEEDED(hr)) {
            std::erase_if(FStarting, [this](const PlayRequest& request) {
                return request.Sound->Channels != FReady.back().Format.Channels;
            });
            hr = PlayNow();
        }
    }
    FStarting.clear();
    if (FAILED(hr))
        Fail();
}

HRESULT OutputThread::PlayNow() {
    Stream* stream = nullptr;
    if (!FReady.empty()) {
        FPlaying.push_back(std::move(FReady.back()));
        FReady.pop_back();
        stream = &FPlaying.back();
    } else {
        stream = &*std::min_element(
            FPlaying.begin(), FPlaying.end(),
            [](const Stream& a, const Stream& b) { return a.LastStart < b.LastStart; });
        const HRESULT hr = Restart(*stream);
        if (FAILED(hr))
            return hr;
    }
    for (PlayRequest& request : FStarting)
        if (request.Sound->Channels == stream->Format.Channels)
            stream->Voices.Start(std::move(request.Sound), request.Gains, request.Semitones);
    stream->LastStart = NowMs();
    stream->SilentSince = 0;
    HRESULT hr = Fill(*stream);
    if (FAILED(hr))
        return hr;
    return stream->Client->Start();
}

HRESULT OutputThread::Restart(Stream& stream) {
    // What the device has queued would be heard before the new sound: it is thrown away, and
    // the mix written anew from where the device stands, the new sound in it.
    HRESULT hr = stream.Client->Stop();
    if (FAILED(hr))
        return hr;
    UINT32 queued = 0;
    hr = stream.Client->GetCurrentPadding(&queued);
    if (FAILED(hr))
        return hr;
    hr = stream.Client->Reset();
    if (FAILED(hr))
        return hr;
    stream.Voices.Rewind(queued);
    // The restart may be heard as a moment of silence: what plays on comes back softly.
    stream.Voices.Resume();
    return S_OK;
}

HRESULT OutputThread::Fill(Stream& stream) {
    // While nothing plays nothing is written: the device runs dry, and the stream goes.
    if (!stream.Voices.Playing())
        return S_OK;
    UINT32 padding = 0;
    HRESULT hr = stream.Client->GetCurrentPadding(&padding);
    if (FAILED(hr))
        return hr;
    // The buffer kept full while sound is left, every time: a queue kept shorter runs dry
    // where the platform's mixer takes more than a period at once (Wine's PulseAudio driver
    // does, and then puts a stretch of silence before what comes next). Nothing after the
    // sound's end: the stream plays out with it, and goes.
    const uint64_t space = padding < stream.BufferFrames ? stream.BufferFrames - padding : 0;
    const auto frames = static_cast<UINT32>(std::min(space, stream.Voices.FramesLeft()));
    if (frames == 0)
        return S_OK;
    BYTE* data = nullptr;
    hr = stream.Render->GetBuffer(frames, &data);
    if (FAILED(hr))
        return hr;
    std::span<float> mix(FScratch.data(), static_cast<size_t>(frames) * stream.Format.Channels);
    stream.Voices.Render(mix, stream.Format.Channels);
    WriteDeviceSamples(mix, stream.Format.Kind, data);
    return stream.Render->ReleaseBuffer(frames, 0);
}

void OutputThread::Service() {
    for (size_t i = 0; i < FPlaying.size();) {
        Stream& stream = FPlaying[i];
        if (FAILED(Fill(stream))) {
            // The device went, or failed: its streams go, and a fresh one on the default
            // device as it is now waits for the next key.
            ReleaseAll();
            if (FAILED(Prepare()))
                FShared->Unavailable = true;
            return;
        }
        if (stream.Voices.Playing())
            stream.SilentSince = 0;
        else if (stream.SilentSince == 0)
            stream.SilentSince = NowMs();
        // Played out: the stream goes (an idle program holds no started stream).
        UINT32 padding = 0;
        if (!stream.Voices.Playing() &&
            ((SUCCEEDED(stream.Client->GetCurrentPadding(&padding)) && padding == 0) ||
             NowMs() - stream.SilentSince >= kReleaseAfterMs))
            PlayedOut(i);
        else
            ++i;
    }
    // All quiet: the streams kept for the next keys that were started before go (a stopped
    // stream still wakes the platform's timer), fresh ones take their place.
    if (FPlaying.empty())
        for (size_t i = FReady.size(); i-- > 0;)
            if (FReady[i].Used) {
                Retire(std::move(FReady[i]));
                FReady.erase(FReady.begin() + static_cast<std::ptrdiff_t>(i));
            }
}

void OutputThread::PlayedOut(size_t playing) {
    Stream stream = std::move(FPlaying[playing]);
    FPlaying.erase(FPlaying.begin() + static_cast<std::ptrdiff_t>(playing));
    // While others play no stream can be made: this one, stopped and reset, takes a next key.
    // One such at a time: a stopped stream still costs the platform's timer its wake-ups.
    // A stream that ran dry gets, from Wine's driver, a stretch of silence before whatever is
    // written to it next: a frame of silence written now takes it, and the reset throws both
    // away.
    BYTE* frame = nullptr;
    const bool kept =
        std::any_of(FReady.begin(), FReady.end(), [](const Stream& ready) { return ready.Used; });
    if (!kept && !FPlaying.empty() && FReady.size() < kMaxStreams &&
        SUCCEEDED(stream.Client->Stop()) && SUCCEEDED(stream.Render->GetBuffer(1, &frame)) &&
        SUCCEEDED(stream.Render->ReleaseBuffer(1, AUDCLNT_BUFFERFLAGS_SILENT)) &&
        SUCCEEDED(stream.Client->Reset())) {
        stream.Used = true;
        stream.SilentSince = 0;
        stream.Voices.Clear();
        FReady.insert(FReady.begin(), std::move(stream));
        return;
    }
    Retire(std::move(stream));
}

bool OutputThread::WantsStream() const {
    // Fresh streams wait, initialised, not started: a key starts one faster than a running one
    // stopped, reset and started again (milliseconds under Wine).
    return FPlaying.empty() && FReady.size() < kMaxStreams &&
           (SUCCEEDED(FLastPrepare) || NowMs() - FLastAttempt >= kRetryAfterMs);
}

void OutputThread::Prime() {
    // The first stream a process starts opens the whole audio path, which takes tens of
    // milliseconds: a few milliseconds of silence through it now spare the first key that.
    // Without a stream there is no engine: until one opens, the platform's player plays.
    if (FAILED(Prepare()))
        return Fail();
    auto silence = std::make_shared<DeviceSound>();
    silence->Channels = FReady.back().Format.Channels;
    silence->Samples.assign(static_cast<size_t>(FReady.back().BufferFrames) * silence->Channels,
                            0.0f);
    FStarting.assign(1, PlayRequest{-1, std::move(silence), {}});
    const HRESULT hr = PlayNow();
    FStarting.clear();
    if (FAILED(hr))
        return Fail();
    WaitForSingleObject(FPlaying.back().Event.Get(), 100);
    WaitForSingleObject(FPlaying.back().Event.Get(), 100);
    ReleaseAll();
    if (FAILED(Prepare()))
        Fail();
}

void OutputThread::Run() {
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
    if (FAILED(CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_INPROC_SERVER,
                                __uuidof(IMMDeviceEnumerator),
                                reinterpret_cast<void**>(FEnumerator.GetAddressOf()))))
        return Fail();
    FReleaseWork.Reset(CreateThreadpoolWork(&ReleaseRetired, this, nullptr));
    TComPtr<DeviceWatch> watch;
    watch.Attach(new DeviceWatch(FShared, FEnumerator));
    const WatchRegistration registration(FEnumerator.Get(), watch.Get());
    Prime();
    while (!FShared->Quit) {
        // The streams kept for the next keys wake nobody: only those that play are fed.
        HANDLE handles[1 + kMaxStreams] = {FShared->Wake.Get()};
        DWORD count = 1;
        for (const Stream& stream : FPlaying)
            if (count < std::size(handles))
                handles[count++] = stream.Event.Get();
        DWORD timeout = INFINITE;
        for (const Stream& stream : FPlaying)
            if (stream.SilentSince != 0) {
                const LONGLONG silent = NowMs() - stream.SilentSince;
                timeout = std::min(timeout, silent >= kReleaseAfterMs
                                                ? 0
                                                : static_cast<DWORD>(kReleaseAfterMs - silent));
            }
        if (WantsStream())
            timeout = 0;
        const DWORD woke = WaitForMultipleObjects(count, handles, FALSE, timeout);
        if (FShared->Quit)
            break;
        if (FShared->DeviceChanged.exchange(false)) {
            // The next sound goes to the default device as it is now.
            ReleaseAll();
            if (FAILED(Prepare()))
                FShared->Unavailable = true;
        }
        if (woke == WAIT_OBJECT_0)
            TakeRequests();
        if (!FPlaying.empty())
            Service();
        // One at a time, so that a key that comes meanwhile waits for one at most.
        else if (woke == WAIT_TIMEOUT && WantsStream() && FAILED(Prepare()) && FReady.empty())
            FShared->Unavailable = true;
    }
    ReleaseAll();
}

DWORD WINAPI OutputMain(void* parameter) noexcept {
    std::unique_ptr<std::shared_ptr<AudioShared>> owned(
        static_cast<std::shared_ptr<AudioShared>*>(parameter));
    const std::shared_ptr<AudioShared> shared = std::move(*owned);
    // Nothing leaves the thread: on any failure the program goes on with the platform's player.
    // Every way out of the thread's loop passes the destructors of what it holds: the device
    // watch is unregistered and the pool's releases are waited for.
    try {
        if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {
            shared->Unavailable = true;
            return 0;
        }
        struct ComScope {
            ~ComScope() { CoUninitialize(); }
        } com;
        OutputThread thread(shared);
        thread.Run();
    } catch (...) {
        shared->Unavailable = true;
    }
    return 0;
}

} // namespace

TAudioEngine::TAudioEngine() : FShared(std::make_shared<AudioShared>()) {
    FShared->Plays.reserve(kMaxPendingPlays);
    FShared->Wake.Reset(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    if (!FShared->Wake) {
        FShared->Unavailable = true;
        return;
    }
    auto parameter = std::make_unique<std::shared_ptr<AudioShared>>(FShared);
    FThread.Reset(CreateThread(nullptr, 0, &OutputMain, parameter.get(), 0, nullptr));
    if (FThread)
        parameter.release();
    else
        FShared->Unavailable = true;
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
        FShared->Waves = std::move(sounds);
        ++FShared->Generation;
    }
    // Converted here for the device as it was last seen; a device of another layout has them
    // converted again, on a pool thread.
    ConvertLatest(*FShared);
}

namespace {

void Request(AudioShared& shared, PlayRequest request) {
    std::lock_guard lock(shared.Lock);
    if (shared.Plays.size() >= kMaxPendingPlays)
        shared.Plays.erase(shared.Plays.begin());
    shared.Plays.push_back(std::move(request));
}

} // namespace

void TAudioEngine::Play(int index, VoiceGains gains, double semitones) {
    Request(*FShared, PlayRequest{index, nullptr, gains, semitones});
    Poke();
}

void TAudioEngine::SetDevice(const std::wstring& id) {
    {
        std::lock_guard lock(FShared->Lock);
        if (FShared->PreferredId == id)
            return;
        FShared->PreferredId = id;
    }
    FShared->DeviceChanged = true;
    Poke();
}

void TAudioEngine::Play(const WaveData& wave, VoiceGains gains) {
    DeviceFormat format;
    {
        std::lock_guard lock(FShared->Lock);
        format = FShared->Format;
    }
    auto sound = std::make_shared<const DeviceSound>(
        ConvertForDevice(wave.samples, wave.sampleRate, wave.channels, format));
    if (sound->Frames() == 0)
        return;
    Request(*FShared, PlayRequest{-1, std::move(sound), gains});
    Poke();
}
