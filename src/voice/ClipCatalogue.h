// The numbering of the voice clips in wav/: "0001.wav" to "0226.wav".
//
// Each character c (0..4) speaks the time from a block of 38 clips starting
// after 38c: 1 AM, 2 PM, 3 + h the hour h (1..12), 17 the full hour,
// 17 + t the round minutes 10 t (t 1..5), 22 + t the tens 10 t before a
// unit, 27 + u the units u (1..9).  Then one alarm line and one countdown
// line per character, the timer call-out's sound, and five stage clips per
// character.
#pragma once

#include <string>

#include "characters/Character.h"

namespace clips {

// What a character says on the stage, in the order of its visit.
enum class StageLine { kArriving, kSoaking, kSoakingOn, kGettingHot, kLeaving };

constexpr int kTimerCallOutSound = 201;

int Am(Character c);
int Pm(Character c);
// hour 1..12.
int Hour(Character c, int hour);
int OClock(Character c);
// tens 1..5: "ten minutes" ... "fifty minutes".
int RoundMinutes(Character c, int tens);
// tens 1..5: "ten" ... "fifty" before a unit.
int TensBeforeUnit(Character c, int tens);
// unit 1..9: "one minute" ... "nine minutes".
int UnitMinutes(Character c, int unit);
int AlarmLine(Character c);
int CountdownLine(Character c);
int Stage(Character c, StageLine line);

// The clip's file name: "0001.wav" for 1, "0201.wav" for 201.
std::string FileName(int number);

}  // namespace clips
