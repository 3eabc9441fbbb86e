// Reading and writing settings through the module, and how stored text is
// taken as numbers and truth values.
#include <gtest/gtest.h>

#include "settings/mdlSetting.h"
#include "support/VirtualPlatform.h"

namespace {

using testing_support::VirtualPlatform;

TEST(ReadSetting, EmptyStoredValueAndMissingKeyBothGiveThisReadsDefault) {
    VirtualPlatform vp;
    mdlSetting setting(vp.view);
    vp.folder.Write("Tessuri.ini", "[Setting]\nEvent=\n");
    EXPECT_EQ(setting.ReadSetting("Setting", "Event", "3"), "3");
    EXPECT_EQ(setting.ReadSetting("Alerm", "Hour", "12"), "12");
    EXPECT_EQ(setting.ReadSetting("Alerm", "Hour", "01"), "01");
}

TEST(WriteSetting, EmptyValueRemovesTheKey) {
    VirtualPlatform vp;
    mdlSetting setting(vp.view);
    setting.WriteSetting("Alerm", "Minute", "07");
    EXPECT_EQ(setting.ReadSetting("Alerm", "Minute", "0"), "07");
    setting.WriteSetting("Alerm", "Minute", "");
    EXPECT_EQ(setting.ReadSetting("Alerm", "Minute", "00"), "00");
    EXPECT_EQ(vp.folder.Read("Tessuri.ini"), "[Alerm]\n");
}

TEST(WriteSetting, FileLivesInTheProgramFolderWhateverTheWorkingDirectory) {
    VirtualPlatform vp;
    testing_support::TempFolder elsewhere;
    const auto before = std::filesystem::current_path();
    std::filesystem::current_path(elsewhere.Path());
    mdlSetting(vp.view).WriteSetting("Setting", "Left", "5");
    std::filesystem::current_path(before);
    EXPECT_TRUE(vp.folder.Exists("Tessuri.ini"));
    EXPECT_FALSE(elsewhere.Exists("Tessuri.ini"));
}

struct BoolCase {
    const char* text;
    bool fallback;
    bool expected;
};

TEST(SettingsText, ToBoolean) {
    const BoolCase cases[] = {
        {"True", false, true}, {"False", true, false}, {"true", false, true}, {" FALSE ", true, false},
        {"-1", false, true},   {"0", true, false},     {"yes", false, false}, {"yes", true, true},
        {"", true, true},
    };
    for (const BoolCase& c : cases)
        EXPECT_EQ(settings_text::ToBoolean(c.text, c.fallback), c.expected) << '"' << c.text << '"';
}

TEST(SettingsText, Numbers) {
    EXPECT_EQ(settings_text::ToInt16("2", 3), 2);
    EXPECT_EQ(settings_text::ToInt16(" 7 ", 3), 7);
    EXPECT_EQ(settings_text::ToInt16("abc", 3), 3);
    EXPECT_EQ(settings_text::ToInt16("40000", 3), 3);
    EXPECT_EQ(settings_text::ToInt32("-2147483648"), INT32_MIN);
    EXPECT_EQ(settings_text::ToInt32("+300"), 300);
    EXPECT_EQ(settings_text::ToInt32("2147483648"), std::nullopt);
    EXPECT_EQ(settings_text::ToInt32("12.5"), std::nullopt);
    EXPECT_EQ(settings_text::ToInt32("1e3"), std::nullopt);
    EXPECT_EQ(settings_text::ToInt32(""), std::nullopt);
}

}  // namespace
