// The voice clips: their numbering and the tables that name them.
#pragma once

#include <array>
#include <string>

class Application;

class mdlClockVoice {
public:
    static constexpr int kCharacters = 5;

    explicit mdlClockVoice(Application& app) : app_(app) {}

    // "0001.wav" for 1, "0201.wav" for 201.
    static std::string ClipName(int number);
    // Sets WavPath and fills every clip table.
    void BuildVoiceTables();

    // The program's folder followed by "/wav/".
    std::string WavPath;

    std::array<std::string, kCharacters> AmClip, PmClip, OClockClip;
    std::array<std::array<std::string, kCharacters>, 13> HourClip;         // h 1..12 (0 unused)
    std::array<std::array<std::string, kCharacters>, 6> RoundMinuteClip;   // t 0..5
    std::array<std::array<std::string, kCharacters>, 6> TensPrefixClip;    // t 1..5 (0 unused)
    std::array<std::array<std::string, kCharacters>, 10> UnitMinuteClip;   // u 1..9 (0 unused)

private:
    Application& app_;
};
