#include "voice/Voice.h"

#include "voice/ClipCatalogue.h"

using platform::ClipError;
using platform::PlayMode;

Voice::Voice(platform::Sound& sound, platform::SystemClock& clock, std::string wavFolder)
    : sound_(sound), clock_(clock), wavFolder_(std::move(wavFolder)) {}

std::string Voice::ClipPath(int number) const { return platform::InFolder(wavFolder_, clips::FileName(number)); }

void Voice::PlayClip(int number, PlayMode mode) { sound_.PlaySound(ClipPath(number), mode); }

void Voice::PlayStageClip(int number, PlayMode mode) {
    if (!muted_) PlayClip(number, mode);
}

bool Voice::OpenAndPlay(int number) {
    if (sound_.OpenClip(ClipPath(number)) != ClipError::kNone) {
        sound_.CloseClip();
        return false;
    }
    sound_.PlayClip();
    return true;
}

std::optional<bool> Voice::IsPlaying() {
    const platform::ClipQuery query = sound_.IsClipPlaying();
    if (query.error != ClipError::kNone) {
        sound_.CloseClip();
        return std::nullopt;
    }
    if (query.playing) return true;
    sound_.CloseClip();
    return false;
}

void Voice::SpeakTime(Character c) {
    if (muted_) return;
    // The clock is read afresh for each part, as the words are chosen.
    Say(clock_.Now().hour < 12 ? clips::Am(c) : clips::Pm(c));
    const int m = clock_.Now().minute;
    const int hour = clock_.Now().hour;
    Say(clips::Hour(c, (hour == 0 || hour == 12) ? 12 : hour % 12));
    if (m == 0) {
        Say(clips::OClock(c));
        return;
    }
    const int tens = m / 10;
    const int unit = m % 10;
    if (unit == 0) {
        Say(clips::RoundMinutes(c, tens));
        return;
    }
    if (tens > 0) Say(clips::TensBeforeUnit(c, tens));
    Say(clips::UnitMinutes(c, unit));
}
