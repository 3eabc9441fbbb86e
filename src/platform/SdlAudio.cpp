#include "platform/SdlAudio.h"
#include "platform/SdlLibrary.h"

#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <array>
#include <chrono>
#include <thread>

namespace platform {
namespace {

// Only called once LoadSdl has succeeded: every path to SDL starts at a
// Start that found the library, or at a device such a Start opened.
const SdlApi& Sdl() { return *LoadSdl(); }

using SteadyClock = std::chrono::steady_clock;
using Ms = std::chrono::milliseconds;

// A machine without sound is not asked again for every clip.
constexpr Ms kRetryAfterFailure{2000};
// How long a channel keeps its device after its clip ended: a sequence of
// clips stays on one open device, and the sound server gets to play the tail.
constexpr Ms kIdleBeforeClose{1000};
// Wait returns this long after the clip should have ended, whatever the
// device does.
constexpr Ms kWaitSlack{2000};

SDL_AudioFormat ToSdl(SampleFormat format) {
    switch (format) {
        case SampleFormat::kU8: return AUDIO_U8;
        case SampleFormat::kS16: return AUDIO_S16LSB;
        case SampleFormat::kS32: return AUDIO_S32LSB;
        case SampleFormat::kF32: return AUDIO_F32LSB;
    }
    return AUDIO_S16LSB;
}

// The power of two nearest a fortieth of the rate: about 25 ms a device
// buffer.  The buffer is all the sound server holds of the stream: with
// 10 ms a busy machine let it run dry in the middle of words, with 50 ms the
// first word came out late after the stream had started.  Words follow each
// other without a gap: the next clip is queued while the last buffer of the
// one before is playing.
Uint16 BufferFrames(int rate) {
    const int target = std::clamp(rate / 40, 16, 8192);
    int low = 16;
    while (low * 2 <= target) low *= 2;
    return static_cast<Uint16>(target - low <= low * 2 - target ? low : low * 2);
}

// Whether SDL can convert the clip for some device at all; such a clip
// failing to open says nothing about the machine's sound.
bool Playable(const AudioClip& clip) {
    SDL_AudioCVT cvt;
    return clip.rate > 0 && clip.channels > 0 && clip.channels <= 255 &&
           Sdl().SDL_BuildAudioCVT(&cvt, ToSdl(clip.format), static_cast<Uint8>(clip.channels), clip.rate, AUDIO_S16SYS,
                                   2, 48000) >= 0;
}

SDL_AudioDeviceID OpenDevice(const AudioClip& clip, SDL_AudioSpec& have) {
    SDL_AudioSpec want{};
    want.freq = clip.rate;
    want.format = ToSdl(clip.format);
    want.channels = static_cast<Uint8>(clip.channels);
    want.samples = BufferFrames(clip.rate);
    // No changes allowed: the device takes the clip as it is and SDL converts
    // for the hardware, so the queue is measured in the clip's own bytes.
    return Sdl().SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
}

bool Queue(SDL_AudioDeviceID device, const std::vector<uint8_t>& samples) {
    const uint8_t* data = samples.data();
    std::size_t left = samples.size();
    while (left > 0) {
        const auto piece = static_cast<Uint32>(std::min<std::size_t>(left, std::size_t{1} << 30));
        if (Sdl().SDL_QueueAudio(device, data, piece) != 0) return false;
        data += piece;
        left -= piece;
    }
    return true;
}

}  // namespace

struct SdlAudio::Impl {
    struct Voice {
        SDL_AudioDeviceID device = 0;
        AudioClip format;  // of the open device; no samples
        double bytesPerMs = 0;
        Uint32 bufferBytes = 0;  // what the device takes at each pull
        // The clip has ended once fewer bytes than this are queued: the rest
        // is its last piece, which the device takes whole at its next pull.
        Uint32 endingBytes = 1;
        SteadyClock::time_point endsAt;    // when the queue should run dry
        SteadyClock::time_point giveUpAt;  // the clip counts as ended by then
        QTimer idleTimer;
    };

    Impl();
    ~Impl();
    Voice& operator[](Channel c) { return voices[static_cast<std::size_t>(c)]; }

    bool EnsureUp(SteadyClock::time_point now);
    bool Open(Voice& v, const AudioClip& clip, SteadyClock::time_point now);
    void Close(Voice& v);
    bool Busy(Voice& v);
    void CloseIfIdle(Voice& v);
    void CloseLongIdle(SteadyClock::time_point now);
    void ArmIdleClose(Voice& v, Ms after);

    bool up = false;
    std::optional<SteadyClock::time_point> lastFailure;
    std::array<Voice, 2> voices;
};

SdlAudio::Impl::Impl() {
    for (Voice& v : voices) {
        v.idleTimer.setSingleShot(true);
        QObject::connect(&v.idleTimer, &QTimer::timeout, [this, &v] { CloseIfIdle(v); });
    }
}

SdlAudio::Impl::~Impl() {
    for (Voice& v : voices) Close(v);
    if (up) Sdl().SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool SdlAudio::Impl::EnsureUp(SteadyClock::time_point now) {
    if (up) return true;
    // Otherwise SDL takes over SIGINT and SIGTERM, and the program no longer
    // ends on them.
    Sdl().SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (Sdl().SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        lastFailure = now;
        return false;
    }
    up = true;
    return true;
}

bool SdlAudio::Impl::Open(Voice& v, const AudioClip& clip, SteadyClock::time_point now) {
    if (lastFailure && now - *lastFailure < kRetryAfterFailure) return false;
    if (!EnsureUp(now)) return false;
    Voice& other = &v == &voices[0] ? voices[1] : voices[0];
    SDL_AudioSpec have{};
    v.device = OpenDevice(clip, have);
    if (v.device == 0 && other.device && !Busy(other)) {
        // Some drivers hold one output device at a time; an idle one gives way.
        Close(other);
        v.device = OpenDevice(clip, have);
    }
    if (v.device == 0) {
        // The other channel still plays, so the machine has sound: only this
        // clip is lost.
        if (other.device) return false;
        lastFailure = now;
        // A sound server that went away leaves SDL unable to open anything
        // until it starts afresh, which it does on the next attempt.
        Sdl().SDL_QuitSubSystem(SDL_INIT_AUDIO);
        up = false;
        return false;
    }
    v.format = AudioClip{clip.rate, clip.channels, clip.format, {}};
    v.bytesPerMs = clip.rate * static_cast<double>(clip.BytesPerFrame()) / 1000.0;
    v.bufferBytes = have.size > 0 ? have.size : Uint32{have.samples} * static_cast<Uint32>(clip.BytesPerFrame());
    return true;
}

void SdlAudio::Impl::Close(Voice& v) {
    v.idleTimer.stop();
    if (v.device == 0) return;
    Sdl().SDL_CloseAudioDevice(v.device);
    v.device = 0;
}

bool SdlAudio::Impl::Busy(Voice& v) {
    if (v.device == 0) return false;
    if (Sdl().SDL_GetAudioDeviceStatus(v.device) == SDL_AUDIO_STOPPED) {
        Close(v);  // lost, e.g. the sound server went away; the next Start opens anew
        return false;
    }
    if (Sdl().SDL_GetQueuedAudioSize(v.device) < v.endingBytes) return false;
    if (SteadyClock::now() >= v.giveUpAt) {
        // The device stopped taking data; silence it rather than let the
        // rest come out at some later moment.
        Sdl().SDL_ClearQueuedAudio(v.device);
        return false;
    }
    return true;
}

void SdlAudio::Impl::CloseIfIdle(Voice& v) {
    if (!Busy(v)) {
        Close(v);
        return;
    }
    const auto left = Ms(static_cast<int64_t>(Sdl().SDL_GetQueuedAudioSize(v.device) / v.bytesPerMs));
    ArmIdleClose(v, left + kIdleBeforeClose);
}

// What the idle timers do when no event loop runs them.
void SdlAudio::Impl::CloseLongIdle(SteadyClock::time_point now) {
    for (Voice& v : voices) {
        if (v.device && !Busy(v) && now >= v.endsAt + kIdleBeforeClose) Close(v);
    }
}

void SdlAudio::Impl::ArmIdleClose(Voice& v, Ms after) {
    if (QCoreApplication::instance()) v.idleTimer.start(static_cast<int>(after.count()));
}

SdlAudio::SdlAudio() : impl_(std::make_unique<Impl>()) {}
SdlAudio::~SdlAudio() = default;

void SdlAudio::Start(Channel channel, const AudioClip& clip) {
    const auto now = SteadyClock::now();
    impl_->CloseLongIdle(now);
    Impl::Voice& v = (*impl_)[channel];
    if (!LoadSdl() || clip.samples.empty() || !Playable(clip)) {
        Stop(channel);
        return;
    }
    // A clip still playing is cut off.  The last piece of one that has ended
    // stays queued, so the new clip follows it without a gap.
    if (impl_->Busy(v)) Sdl().SDL_ClearQueuedAudio(v.device);
    if (v.device && !v.format.SameFormat(clip)) impl_->Close(v);
    if (v.device == 0 && !impl_->Open(v, clip, now)) return;
    if (!Queue(v.device, clip.samples)) {
        Sdl().SDL_ClearQueuedAudio(v.device);
        return;
    }
    Sdl().SDL_PauseAudioDevice(v.device, 0);
    v.endingBytes = static_cast<Uint32>(std::min<std::size_t>(v.bufferBytes, clip.samples.size()));
    const Ms duration(clip.DurationMs());
    v.endsAt = now + duration;
    v.giveUpAt = v.endsAt + kWaitSlack;
    // Without an event loop the device is closed on a later Start instead.
    impl_->ArmIdleClose(v, duration + kIdleBeforeClose);
}

bool SdlAudio::Playing(Channel channel) { return impl_->Busy((*impl_)[channel]); }

void SdlAudio::Stop(Channel channel) {
    Impl::Voice& v = (*impl_)[channel];
    if (v.device == 0) return;
    Sdl().SDL_ClearQueuedAudio(v.device);
    v.endsAt = SteadyClock::now();
    impl_->ArmIdleClose(v, kIdleBeforeClose);
}

void SdlAudio::Wait(Channel channel) {
    Impl::Voice& v = (*impl_)[channel];
    while (impl_->Busy(v)) {
        // Sleep through most of what is queued, then look every millisecond,
        // so the caller's next clip is queued before the device's next pull.
        const double queued = Sdl().SDL_GetQueuedAudioSize(v.device);
        const double leftMs = (queued - v.endingBytes) / v.bytesPerMs;
        const double untilGiveUp = std::chrono::duration<double, std::milli>(v.giveUpAt - SteadyClock::now()).count();
        const double nap = std::clamp(std::min(leftMs - 2.0, untilGiveUp), 1.0, 1e7);
        std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(nap));
    }
}

}  // namespace platform
