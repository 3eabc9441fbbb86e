// The schema of "Tessuri.ini": every section and key the program uses, the
// form of its value, and the default of each place that reads it.  All
// reads and writes of the file go through here, one key at a time, in the
// order the callers make them.
//
//   [Setting]  Event     the stage cycle: 0, 1, 2, 3 for 5, 10, 20, 60 minutes
//              Char0..4  True where the character may come on the stage
//              ZOrder    True while the clock stays above other windows
//              Mute      True while the stage and the spoken time are silent
//              Left, Top the clock window's place on the screen
//   [Alerm]    Hour      01..12, two digits
//              Minute    00..59, two digits
//              AMPM      True for AM
//              Enabled   1 while the alarm is armed, 0 otherwise
//              Eve       True for every day, False for once only
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "characters/Character.h"
#include "settings/SettingsStore.h"

class Settings {
public:
    // The two places that read the alarm's hour and minute take different
    // defaults for a file without them: the start-up reads an hour no alarm
    // can match until the dialog stores one, the dialog shows 01:00.
    static constexpr std::string_view kAlarmHourAtStart = "12";
    static constexpr std::string_view kAlarmHourInDialog = "01";
    static constexpr std::string_view kAlarmMinuteAtStart = "0";
    static constexpr std::string_view kAlarmMinuteInDialog = "00";

    explicit Settings(SettingsStore& store) : store_(store) {}

    // "Event"; nothing when the value is not a 16-bit number.
    std::optional<int16_t> StageCycle();
    void WriteStageCycle(int16_t code);
    // "Char0".."Char4"; nothing when the value is not a Boolean.
    std::optional<bool> OnStage(Character c);
    void WriteOnStage(Character c, bool onStage);
    // "ZOrder"; nothing when the value is not a Boolean.
    std::optional<bool> StaysOnTop();
    void WriteStaysOnTop(bool onTop);
    // "Mute"; a file that never had it plays sound.
    bool Muted();
    void WriteMuted(bool muted);
    // "Left" and "Top"; nothing when the value is not a 32-bit number.
    std::optional<int32_t> WindowLeft();
    std::optional<int32_t> WindowTop();
    void WriteWindowPlace(int32_t left, int32_t top);

    // "AMPM": only the exact text "True" is AM; a file without it is AM.
    bool AlarmIsAm();
    void WriteAlarmIsAm(bool am);
    // "Hour" as a number, with the default of the place that reads it.
    std::optional<int16_t> AlarmHourAtStart() { return AlarmHour(kAlarmHourAtStart); }
    std::optional<int16_t> AlarmHourInDialog() { return AlarmHour(kAlarmHourInDialog); }
    void WriteAlarmHour(int hour);
    // "Minute" as the alarm compares it: two digits or no minute at all.
    std::optional<int> AlarmMinuteAtStart();
    // "Minute" as a number, for the dialog to show.
    std::optional<int16_t> AlarmMinuteInDialog();
    void WriteAlarmMinute(int minute);
    // "Enabled": only the exact text "1" arms the alarm.
    bool AlarmArmed();
    void WriteAlarmArmed(bool armed);
    // "Eve"; nothing when the value is not a Boolean.
    std::optional<bool> AlarmEveryDay();
    void WriteAlarmEveryDay(bool everyDay);

private:
    std::optional<int16_t> AlarmHour(std::string_view defaultHour);

    SettingsStore& store_;
};
