#include "settings/Settings.h"

#include <string>

#include "settings/SettingsText.h"

namespace {

constexpr std::string_view kSetting = "Setting";
// The file's own spelling, kept so that files written before still read.
constexpr std::string_view kAlarm = "Alerm";

std::string CharacterKey(Character c) { return "Char" + std::to_string(IndexOf(c)); }

}  // namespace

using settings_text::FromBoolean;
using settings_text::ParseBoolean;
using settings_text::ParseInt16;
using settings_text::ParseInt32;
using settings_text::TwoDigits;

std::optional<int16_t> Settings::StageCycle() { return ParseInt16(store_.ReadSetting(kSetting, "Event", "3")); }

void Settings::WriteStageCycle(int16_t code) { store_.WriteSetting(kSetting, "Event", std::to_string(code)); }

std::optional<bool> Settings::OnStage(Character c) {
    return ParseBoolean(store_.ReadSetting(kSetting, CharacterKey(c), "False"));
}

void Settings::WriteOnStage(Character c, bool onStage) {
    store_.WriteSetting(kSetting, CharacterKey(c), FromBoolean(onStage));
}

std::optional<bool> Settings::StaysOnTop() { return ParseBoolean(store_.ReadSetting(kSetting, "ZOrder", "False")); }

void Settings::WriteStaysOnTop(bool onTop) { store_.WriteSetting(kSetting, "ZOrder", FromBoolean(onTop)); }

bool Settings::Muted() { return ParseBoolean(store_.ReadSetting(kSetting, "Mute", "False")).value_or(false); }

void Settings::WriteMuted(bool muted) { store_.WriteSetting(kSetting, "Mute", FromBoolean(muted)); }

std::optional<int32_t> Settings::WindowLeft() { return ParseInt32(store_.ReadSetting(kSetting, "Left", "0")); }

std::optional<int32_t> Settings::WindowTop() { return ParseInt32(store_.ReadSetting(kSetting, "Top", "0")); }

void Settings::WriteWindowPlace(int32_t left, int32_t top) {
    store_.WriteSetting(kSetting, "Left", std::to_string(left));
    store_.WriteSetting(kSetting, "Top", std::to_string(top));
}

bool Settings::AlarmIsAm() { return store_.ReadSetting(kAlarm, "AMPM", "True") == "True"; }

void Settings::WriteAlarmIsAm(bool am) { store_.WriteSetting(kAlarm, "AMPM", FromBoolean(am)); }

std::optional<int16_t> Settings::AlarmHour(std::string_view defaultHour) {
    return ParseInt16(store_.ReadSetting(kAlarm, "Hour", defaultHour));
}

void Settings::WriteAlarmHour(int hour) { store_.WriteSetting(kAlarm, "Hour", TwoDigits(hour)); }

std::optional<int> Settings::AlarmMinuteAtStart() {
    return settings_text::TwoDigitMinute(store_.ReadSetting(kAlarm, "Minute", kAlarmMinuteAtStart));
}

std::optional<int16_t> Settings::AlarmMinuteInDialog() {
    return ParseInt16(store_.ReadSetting(kAlarm, "Minute", kAlarmMinuteInDialog));
}

void Settings::WriteAlarmMinute(int minute) { store_.WriteSetting(kAlarm, "Minute", TwoDigits(minute)); }

bool Settings::AlarmArmed() { return store_.ReadSetting(kAlarm, "Enabled", "0") == "1"; }

void Settings::WriteAlarmArmed(bool armed) { store_.WriteSetting(kAlarm, "Enabled", armed ? "1" : "0"); }

std::optional<bool> Settings::AlarmEveryDay() { return ParseBoolean(store_.ReadSetting(kAlarm, "Eve", "False")); }

void Settings::WriteAlarmEveryDay(bool everyDay) { store_.WriteSetting(kAlarm, "Eve", FromBoolean(everyDay)); }
