#include "voice/ClipCatalogue.h"

#include <cstdio>

namespace clips {
namespace {

int Block(Character c) { return 38 * IndexOf(c); }

}  // namespace

int Am(Character c) { return Block(c) + 1; }
int Pm(Character c) { return Block(c) + 2; }
int Hour(Character c, int hour) { return Block(c) + 3 + hour; }
int OClock(Character c) { return Block(c) + 17; }
int RoundMinutes(Character c, int tens) { return Block(c) + 17 + tens; }
int TensBeforeUnit(Character c, int tens) { return Block(c) + 22 + tens; }
int UnitMinutes(Character c, int unit) { return Block(c) + 27 + unit; }
int AlarmLine(Character c) { return 191 + IndexOf(c); }
int CountdownLine(Character c) { return 196 + IndexOf(c); }
int Stage(Character c, StageLine line) { return 202 + 5 * IndexOf(c) + static_cast<int>(line); }

std::string FileName(int number) {
    char name[16];
    std::snprintf(name, sizeof name, "%04d.wav", number);
    return name;
}

}  // namespace clips
