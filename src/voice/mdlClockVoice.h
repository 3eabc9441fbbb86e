// The voice clips: their numbering, the tables that name them, the spoken
// time, and the two ways of playing a clip.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

class Application;

class mdlClockVoice {
public:
    static constexpr int kCharacters = 5;
    // Flags of PlaySoundFile.
    static constexpr int16_t kWait = 0;      // returns when the clip has ended
    static constexpr int16_t kNoWait = 1;    // returns at once; the clip plays on
    // The alias under which MciOpenAndPlay opens its clip.
    static constexpr const char* kAlias = "wavefiles";

    explicit mdlClockVoice(Application& app) : app_(app) {}

    // "0001.wav" for 1, "0201.wav" for 201.
    static std::string ClipName(int number);
    // Sets WavPath and fills every clip table.
    void BuildVoiceTables();

    // Plays a clip once; see kWait and kNoWait.  A clip that cannot be played
    // sounds the default chime instead.
    void PlaySoundFile(const std::string& path, int16_t flags);
    // Opens the clip under the alias and starts it; on failure closes the
    // alias, plays nothing and returns false.
    bool MciOpenAndPlay(const std::string& path, const void* owner);
    // Whether the aliased clip still plays: true, false once it has ended
    // (the alias is then closed), or nothing when the query failed (closed
    // too).  Callers treat nothing like false.
    std::optional<bool> MciIsPlaying(const void* owner);
    // One of the stage's clips (a name from the tables), unless muted.
    void PlayStageClip(const std::string& clip, int16_t flags);
    // Speaks the present time in the voice of the stage character: AM or PM,
    // the hour, the minutes.  Returns when the last word has been said, or
    // at once when muted.
    void SpeakTime();

    // The stage and the spoken time stay silent.  The alarm and the
    // countdown still sound: a missed alarm is worse than noise.
    bool Mute = false;

    // The program's folder followed by "/wav/".
    std::string WavPath;

    std::array<std::string, kCharacters> AmClip, PmClip, OClockClip;
    std::array<std::array<std::string, kCharacters>, 13> HourClip;         // h 1..12 (0 unused)
    std::array<std::array<std::string, kCharacters>, 6> RoundMinuteClip;   // t 0..5
    std::array<std::array<std::string, kCharacters>, 6> TensPrefixClip;    // t 1..5 (0 unused)
    std::array<std::array<std::string, kCharacters>, 10> UnitMinuteClip;   // u 1..9 (0 unused)

private:
    // Sends one media command with a fresh reply buffer; the reply up to
    // its first NUL.
    uint32_t Send(const std::string& command, const void* owner, std::string* reply = nullptr);
    // Fetches (and drops) an error's text, then closes the alias.
    void FailAndClose(uint32_t error, const void* owner);
    void Say(const std::string& clip);

    Application& app_;
};
