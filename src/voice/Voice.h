// Playing the voice clips from wav/: one-shot clips, the media clip whose
// end can be waited for while something else goes on, and the spoken time.
#pragma once

#include <optional>
#include <string>

#include "characters/Character.h"
#include "platform/Services.h"

class Voice {
public:
    // wavFolder: the folder of the clips, without a trailing separator.
    Voice(platform::Sound& sound, platform::SystemClock& clock, std::string wavFolder);

    // The path of clip number n.
    [[nodiscard]] std::string ClipPath(int number) const;
    // Plays a clip once.  A clip that cannot be played sounds the default
    // chime instead.
    void PlayClip(int number, platform::PlayMode mode);
    // One of the stage's clips, unless muted.
    void PlayStageClip(int number, platform::PlayMode mode);
    // Opens the clip as the media clip and starts it; when it cannot be
    // opened, closes the media clip, plays nothing and returns false.
    bool OpenAndPlay(int number);
    // Whether the media clip still plays: true, false once it has ended
    // (it is then closed), or nothing when the query failed (closed too).
    // Callers treat nothing like false.
    std::optional<bool> IsPlaying();
    // Speaks the present time in the voice of `speaker`: AM or PM, the hour,
    // the minutes.  Returns when the last word has been said, or at once
    // when muted.
    void SpeakTime(Character speaker);

    // The stage and the spoken time stay silent.  The alarm and the
    // countdown still sound: a missed alarm is worse than noise.
    void SetMuted(bool muted) { muted_ = muted; }
    [[nodiscard]] bool Muted() const { return muted_; }

private:
    void Say(int number) { PlayClip(number, platform::PlayMode::kWait); }

    platform::Sound& sound_;
    platform::SystemClock& clock_;
    std::string wavFolder_;
    bool muted_ = false;
};
