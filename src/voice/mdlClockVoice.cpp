#include "voice/mdlClockVoice.h"

#include <array>
#include <cstdio>

#include "app/Application.h"

std::string mdlClockVoice::ClipName(int number) {
    char name[16];
    std::snprintf(name, sizeof name, "%04d.wav", number);
    return name;
}

void mdlClockVoice::BuildVoiceTables() {
    WavPath = platform::InFolder(app_.platform.programFolder, "wav") + platform::kPathSeparator;

    app_.anime.BuildAnimeVoiceTables();

    // Each character speaks the time from a block of 38 clips.
    for (int c = 0; c < kCharacters; ++c) {
        const int block = 38 * c;
        AmClip[c] = ClipName(block + 1);
        PmClip[c] = ClipName(block + 2);
        OClockClip[c] = ClipName(block + 17);
        for (int h = 1; h <= 12; ++h) HourClip[h][c] = ClipName(block + 3 + h);
        for (int t = 0; t <= 5; ++t) RoundMinuteClip[t][c] = ClipName(block + 17 + t);
        for (int t = 1; t <= 5; ++t) TensPrefixClip[t][c] = ClipName(block + 22 + t);
        for (int u = 1; u <= 9; ++u) UnitMinuteClip[u][c] = ClipName(block + 27 + u);
    }
}

void mdlClockVoice::PlaySoundFile(const std::string& path, int16_t flags) {
    app_.platform.sound.PlaySound(path, static_cast<uint16_t>(flags));
}

uint32_t mdlClockVoice::Send(const std::string& command, const void* owner, std::string* reply) {
    std::array<char, platform::Sound::kReplyLength> buffer{};
    platform::Sound& sound = app_.platform.sound;
    const uint32_t result = sound.SendString(command, buffer.data(), platform::Sound::kReplyLength, owner);
    buffer.back() = '\0';  // whatever the layer wrote, the reply ends inside the buffer
    if (reply) *reply = buffer.data();
    return result;
}

void mdlClockVoice::FailAndClose(uint32_t error, const void* owner) {
    std::array<char, platform::Sound::kReplyLength> text{};
    app_.platform.sound.GetErrorString(error, text.data(), platform::Sound::kReplyLength);
    Send(std::string("close ") + kAlias, owner);
}

bool mdlClockVoice::MciOpenAndPlay(const std::string& path, const void* owner) {
    const uint32_t result = Send("open \"" + path + "\" type waveaudio alias " + kAlias, owner);
    if (result != 0) {
        FailAndClose(result, owner);
        return false;
    }
    Send(std::string("play ") + kAlias, owner);
    return true;
}

std::optional<bool> mdlClockVoice::MciIsPlaying(const void* owner) {
    std::string mode;
    const uint32_t result = Send(std::string("status ") + kAlias + " mode", owner, &mode);
    if (result != 0) {
        FailAndClose(result, owner);
        return std::nullopt;
    }
    if (mode != "stopped") return true;
    Send(std::string("stop ") + kAlias, owner);
    Send(std::string("close ") + kAlias, owner);
    return false;
}

void mdlClockVoice::Say(const std::string& clip) { PlaySoundFile(WavPath + clip, kWait); }

void mdlClockVoice::PlayStageClip(const std::string& clip, int16_t flags) {
    if (!Mute) PlaySoundFile(WavPath + clip, flags);
}

void mdlClockVoice::SpeakTime() {
    if (Mute) return;
    const int c = app_.anime.StageChar;
    platform::SystemClock& clock = app_.platform.clock;
    // The clock is read afresh for each part, as the words are chosen.
    Say(clock.Now().hour < 12 ? AmClip[c] : PmClip[c]);
    const int m = clock.Now().minute;
    const int hour = clock.Now().hour;
    const int h = (hour == 0 || hour == 12) ? 12 : hour % 12;
    Say(HourClip[h][c]);
    if (m == 0) {
        Say(OClockClip[c]);
        return;
    }
    const int t = m / 10;
    const int u = m % 10;
    if (u == 0) {
        Say(RoundMinuteClip[t][c]);
        return;
    }
    if (t > 0) Say(TensPrefixClip[t][c]);
    Say(UnitMinuteClip[u][c]);
}
