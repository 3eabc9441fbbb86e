// The settings file: the store that reads and writes it one key at a time,
// how its text is taken as numbers and truth values, and the schema's keys
// with the defaults of the places that read them.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "settings/Settings.h"
#include "settings/SettingsStore.h"
#include "settings/SettingsText.h"
#include "support/VirtualPlatform.h"

namespace {

using testing_support::VirtualPlatform;

struct StoreRig {
    VirtualPlatform vp;
    SettingsStore store{vp.profile, vp.folder.Path()};
    Settings settings{store};
};

TEST(ReadSetting, EmptyStoredValueAndMissingKeyBothGiveThisReadsDefault) {
    StoreRig r;
    r.vp.folder.Write("Tessuri.ini", "[Setting]\nEvent=\n");
    EXPECT_EQ(r.store.ReadSetting("Setting", "Event", "3"), "3");
    EXPECT_EQ(r.store.ReadSetting("Alerm", "Hour", "12"), "12");
    EXPECT_EQ(r.store.ReadSetting("Alerm", "Hour", "01"), "01");
}

TEST(WriteSetting, EmptyValueRemovesTheKey) {
    StoreRig r;
    r.store.WriteSetting("Alerm", "Minute", "07");
    EXPECT_EQ(r.store.ReadSetting("Alerm", "Minute", "0"), "07");
    r.store.WriteSetting("Alerm", "Minute", "");
    EXPECT_EQ(r.store.ReadSetting("Alerm", "Minute", "00"), "00");
    EXPECT_EQ(r.vp.folder.Read("Tessuri.ini"), "[Alerm]\n");
}

TEST(WriteSetting, FileLivesInTheProgramFolderWhateverTheWorkingDirectory) {
    StoreRig r;
    testing_support::TempFolder elsewhere;
    const auto before = std::filesystem::current_path();
    std::filesystem::current_path(elsewhere.Path());
    r.store.WriteSetting("Setting", "Left", "5");
    std::filesystem::current_path(before);
    EXPECT_TRUE(r.vp.folder.Exists("Tessuri.ini"));
    EXPECT_FALSE(elsewhere.Exists("Tessuri.ini"));
}

TEST(SettingsText, Boolean) {
    const std::pair<const char*, std::optional<bool>> cases[] = {
        {"True", true}, {"False", false}, {"true", true},        {" FALSE ", false}, {"-1", true},
        {"0", false},   {"2", true},      {"yes", std::nullopt}, {"", std::nullopt}, {"Truth", std::nullopt},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(settings_text::ParseBoolean(text), expected) << '"' << text << '"';
}

TEST(SettingsText, Numbers) {
    EXPECT_EQ(settings_text::ParseInt16("2"), 2);
    EXPECT_EQ(settings_text::ParseInt16(" 7 "), 7);
    EXPECT_EQ(settings_text::ParseInt16("-32768"), INT16_MIN);
    EXPECT_EQ(settings_text::ParseInt16("abc"), std::nullopt);
    EXPECT_EQ(settings_text::ParseInt16("40000"), std::nullopt);
    EXPECT_EQ(settings_text::ParseInt32("-2147483648"), INT32_MIN);
    EXPECT_EQ(settings_text::ParseInt32("+300"), 300);
    EXPECT_EQ(settings_text::ParseInt32("2147483648"), std::nullopt);
    EXPECT_EQ(settings_text::ParseInt32("12.5"), std::nullopt);
    EXPECT_EQ(settings_text::ParseInt32("1e3"), std::nullopt);
    EXPECT_EQ(settings_text::ParseInt32("+"), std::nullopt);
    EXPECT_EQ(settings_text::ParseInt32(""), std::nullopt);
}

TEST(SettingsText, TwoDigits) {
    EXPECT_EQ(settings_text::TwoDigits(0), "00");
    EXPECT_EQ(settings_text::TwoDigits(7), "07");
    EXPECT_EQ(settings_text::TwoDigits(30), "30");
    EXPECT_EQ(settings_text::TwoDigits(120), "120");
}

// The alarm compares its minute as the clock shows it: a minute the clock
// never reads can match no minute.
TEST(SettingsText, TwoDigitMinute) {
    const std::pair<const char*, std::optional<int>> cases[] = {
        {"00", 0},
        {"05", 5},
        {"59", 59},
        {"60", std::nullopt},
        {"5", std::nullopt},
        {" 5", std::nullopt},
        {"+5", std::nullopt},
        {"005", std::nullopt},
        {"", std::nullopt},
        {"0x", std::nullopt},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(settings_text::TwoDigitMinute(text), expected) << '"' << text << '"';
}

// The dialog's boxes take the half-width digits 0 to 9 and nothing else.
TEST(SettingsText, DigitsOnlyAndTheirNumber) {
    const std::pair<const char*, bool> digitsOnly[] = {
        {"", true},    {"0123", true}, {"7", true},   {"a", false},   {"1a", false}, {" 1", false},
        {"1 ", false}, {"-1", false},  {"+1", false}, {"1.5", false}, {"１", false}, {"1２", false},
    };
    for (const auto& [text, passes] : digitsOnly) EXPECT_EQ(settings_text::DigitsOnly(text), passes) << text;
    const std::pair<const char*, int> numbers[] = {
        {"", -1},
        {"0", 0},
        {"007", 7},
        {"999", 999},
        {"32767", 32767},
        {"32768", 99999},
        {"99999999999999999999", 99999},
    };
    for (const auto& [text, n] : numbers) EXPECT_EQ(settings_text::NumberInDigits(text), n) << text;
}

// --- The schema -------------------------------------------------------------

TEST(SettingsSchema, OnlyTheExactTextOneArmsTheAlarm) {
    const std::pair<const char*, bool> cases[] = {
        {"Enabled=1\n", true},
        {"Enabled=01\n", false},
        {"Enabled=1.0\n", false},
        {"Enabled=True\n", false},
        {"Enabled=2\n", false},
        {"Enabled=\n", false},
        {"", false},
    };
    for (const auto& [line, armed] : cases) {
        StoreRig r;
        r.vp.folder.Write("Tessuri.ini", std::string("[Alerm]\n") + line);
        EXPECT_EQ(r.settings.AlarmArmed(), armed) << line;
    }
}

TEST(SettingsSchema, OnlyTheExactTextTrueIsAm) {
    const std::pair<const char*, bool> cases[] = {
        {"AMPM=True\n", true},
        {"AMPM=true\n", false},
        {"AMPM=TRUE\n", false},
        {"AMPM=-1\n", false},
        {"AMPM=False\n", false},
        {"AMPM=\n", true},
        {"", true},  // an empty value or none: the default, AM
    };
    for (const auto& [line, am] : cases) {
        StoreRig r;
        r.vp.folder.Write("Tessuri.ini", std::string("[Alerm]\n") + line);
        EXPECT_EQ(r.settings.AlarmIsAm(), am) << line;
    }
}

// The start-up and the dialog read the alarm's hour and minute with defaults
// of their own; an empty value reads as the default, as a missing one does.
TEST(SettingsSchema, TheAlarmTimeAsTheStartUpAndTheDialogReadIt) {
    struct Case {
        const char* lines;
        std::optional<int16_t> hourAtStart, hourInDialog;
        std::optional<int> minuteAtStart;
        std::optional<int16_t> minuteInDialog;
    };
    const Case cases[] = {
        {"Hour=07\nMinute=30\n", 7, 7, 30, 30},
        {"", 12, 1, std::nullopt, 0},
        {"Hour=\nMinute=\n", 12, 1, std::nullopt, 0},
        {"Hour=7\nMinute=5\n", 7, 7, std::nullopt, 5},  // one digit: no minute of the clock
        {"Hour=x\nMinute=75\n", std::nullopt, std::nullopt, std::nullopt, 75},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lines);
        StoreRig r;
        r.vp.folder.Write("Tessuri.ini", std::string("[Alerm]\n") + c.lines);
        EXPECT_EQ(r.settings.AlarmHourAtStart(), c.hourAtStart);
        EXPECT_EQ(r.settings.AlarmHourInDialog(), c.hourInDialog);
        EXPECT_EQ(r.settings.AlarmMinuteAtStart(), c.minuteAtStart);
        EXPECT_EQ(r.settings.AlarmMinuteInDialog(), c.minuteInDialog);
    }
}

TEST(SettingsSchema, AFileWithoutTheKeysReadsAsTheDefaults) {
    StoreRig r;
    EXPECT_EQ(r.settings.StageCycle(), 3);
    for (Character c : kAllCharacters) EXPECT_EQ(r.settings.OnStage(c), false) << NameOf(c);
    EXPECT_EQ(r.settings.StaysOnTop(), false);
    EXPECT_FALSE(r.settings.Muted());
    EXPECT_EQ(r.settings.WindowLeft(), 0);
    EXPECT_EQ(r.settings.WindowTop(), 0);
    EXPECT_EQ(r.settings.AlarmEveryDay(), false);
    EXPECT_FALSE(r.vp.folder.Exists("Tessuri.ini"));  // reading creates nothing
}

// Every key written lands in its section under the file's own spelling, in
// the order written, and reads back as written.
TEST(SettingsSchema, WritesKeepTheFilesSpellingAndReadBack) {
    StoreRig r;
    Settings& s = r.settings;
    s.WriteStageCycle(1);
    s.WriteOnStage(Character::kRumika, true);
    s.WriteOnStage(Character::kMazeri, false);
    s.WriteStaysOnTop(true);
    s.WriteMuted(true);
    s.WriteWindowPlace(-40, 2000);
    s.WriteAlarmHour(7);
    s.WriteAlarmArmed(true);
    s.WriteAlarmIsAm(false);
    s.WriteAlarmMinute(5);
    s.WriteAlarmEveryDay(true);
    EXPECT_EQ(r.vp.folder.Read("Tessuri.ini"),
              "[Setting]\nEvent=1\nChar0=True\nChar4=False\nZOrder=True\nMute=True\nLeft=-40\nTop=2000\n"
              "[Alerm]\nHour=07\nEnabled=1\nAMPM=False\nMinute=05\nEve=True\n");
    EXPECT_EQ(s.StageCycle(), 1);
    EXPECT_EQ(s.OnStage(Character::kRumika), true);
    EXPECT_EQ(s.OnStage(Character::kMazeri), false);
    EXPECT_EQ(s.StaysOnTop(), true);
    EXPECT_TRUE(s.Muted());
    EXPECT_EQ(s.WindowLeft(), -40);
    EXPECT_EQ(s.WindowTop(), 2000);
    EXPECT_EQ(s.AlarmHourAtStart(), 7);
    EXPECT_TRUE(s.AlarmArmed());
    EXPECT_FALSE(s.AlarmIsAm());
    EXPECT_EQ(s.AlarmMinuteAtStart(), 5);
    EXPECT_EQ(s.AlarmEveryDay(), true);
    s.WriteAlarmArmed(false);
    EXPECT_FALSE(s.AlarmArmed());
    EXPECT_NE(r.vp.folder.Read("Tessuri.ini").find("Enabled=0\n"), std::string::npos);
}

}  // namespace
