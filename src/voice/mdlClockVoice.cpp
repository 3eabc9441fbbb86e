#include "voice/mdlClockVoice.h"

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
