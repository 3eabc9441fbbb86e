// The settings file format: what reads return and what writes leave on disk.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <csignal>

#include <chrono>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>

#include "platform/IniFile.h"
#include "support/VirtualPlatform.h"

namespace {

using testing_support::TempFolder;

struct ReadCase {
    const char* name;
    std::optional<std::string> file;  // nullopt: no file at all
    const char* section;
    const char* key;
    const char* def;
    std::string expected;
};

void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.name; }

class IniRead : public ::testing::TestWithParam<ReadCase> {};

TEST_P(IniRead, ReturnsStoredValueOrDefault) {
    const ReadCase& c = GetParam();
    TempFolder dir;
    if (c.file) dir.Write("Tessuri.ini", *c.file);
    platform::IniFile ini;
    EXPECT_EQ(ini.GetString(c.section, c.key, c.def, dir.File("Tessuri.ini")), c.expected);
}

const std::string k200(200, 'x');

INSTANTIATE_TEST_SUITE_P(
    Cases, IniRead,
    ::testing::Values(ReadCase{"NoFile", std::nullopt, "Setting", "Left", "0", "0"},
                      ReadCase{"MissingSection", "[Other]\nLeft=5\n", "Setting", "Left", "0", "0"},
                      ReadCase{"MissingKey", "[Setting]\nTop=5\n", "Setting", "Left", "7", "7"},
                      ReadCase{"Present", "[Setting]\nLeft=300\n", "Setting", "Left", "0", "300"},
                      ReadCase{"EmptyValueCopiesNothing", "[Setting]\nLeft=\n", "Setting", "Left", "0", ""},
                      ReadCase{"CaseOfNamesIgnored", "[setting]\nLEFT=12\n", "Setting", "Left", "0", "12"},
                      ReadCase{"CaseOfValueKept", "[Alerm]\nAMPM=true\n", "Alerm", "AMPM", "True", "true"},
                      ReadCase{"BlanksTrimmed", "  [ Setting ]  \n  Left  =  42  \n", "Setting", "Left", "0", "42"},
                      ReadCase{"Crlf", "[Setting]\r\nLeft=1\r\nTop=2\r\n", "Setting", "Top", "0", "2"},
                      ReadCase{"NoFinalLineEnd", "[Setting]\nTop=9", "Setting", "Top", "0", "9"},
                      ReadCase{"KeyOfOtherSectionNotTaken", "[Alerm]\nHour=07\n[Setting]\n", "Setting", "Hour", "x",
                               "x"},
                      ReadCase{"CommentNotAKey", "[Setting]\n;Left=5\n#Left=6\n", "Setting", "Left", "0", "0"},
                      ReadCase{"FirstKeyWins", "[Setting]\nLeft=1\nLeft=2\n", "Setting", "Left", "0", "1"},
                      ReadCase{"AlarmIsNotAlerm", "[Alarm]\nHour=07\n", "Alerm", "Hour", "12", "12"},
                      ReadCase{"LongValueCut", "[S]\nK=" + k200 + "\n", "S", "K", "", std::string(155, 'x')},
                      ReadCase{"LongDefaultCut", std::nullopt, "S", "K", k200.c_str(), std::string(155, 'x')},
                      ReadCase{"ValueWithEquals", "[S]\nK=a=b\n", "S", "K", "", "a=b"}),
    [](const auto& info) { return std::string(info.param.name); });

struct WriteCase {
    const char* name;
    std::optional<std::string> before;
    const char* section;
    const char* key;
    std::optional<std::string> value;  // nullopt removes the key
    std::optional<std::string> after;  // nullopt: still no file
};

void PrintTo(const WriteCase& c, std::ostream* os) { *os << c.name; }

class IniWrite : public ::testing::TestWithParam<WriteCase> {};

TEST_P(IniWrite, LeavesExactlyTheseBytes) {
    const WriteCase& c = GetParam();
    TempFolder dir;
    if (c.before) dir.Write("Tessuri.ini", *c.before);
    platform::IniFile ini;
    EXPECT_TRUE(ini.PutString(c.section, c.key, c.value, dir.File("Tessuri.ini")));
    if (c.after) {
        EXPECT_EQ(dir.Read("Tessuri.ini"), *c.after);
    } else {
        EXPECT_FALSE(dir.Exists("Tessuri.ini"));
    }
}

const char* kForeign = "; my notes\r\n[Alarm]\r\nHour = 07\r\n\r\n[Setting]\r\nLeft=1\r\n  Extra = keep me  \r\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, IniWrite,
    ::testing::Values(
        WriteCase{"CreatesFileAndSection", std::nullopt, "Setting", "Char0", "True", "[Setting]\nChar0=True\n"},
        WriteCase{"AddsSectionAtEnd", "[Setting]\nLeft=1\n", "Alerm", "Hour", "07",
                  "[Setting]\nLeft=1\n[Alerm]\nHour=07\n"},
        WriteCase{"AddsKeyAfterLastKeyOfSection", "[Setting]\nLeft=1\n\n[Alerm]\nHour=07\n", "Setting", "Top", "2",
                  "[Setting]\nLeft=1\nTop=2\n\n[Alerm]\nHour=07\n"},
        WriteCase{"ReplacesInPlaceKeepingCrlf", "[Setting]\r\nLeft=1\r\nTop=2\r\n", "Setting", "Left", "-40",
                  "[Setting]\r\nLeft=-40\r\nTop=2\r\n"},
        WriteCase{"NewLinesFollowCrlf", "[Setting]\r\nLeft=1\r\n", "Setting", "Top", "5",
                  "[Setting]\r\nLeft=1\r\nTop=5\r\n"},
        WriteCase{"MatchesCaseButWritesOwnSpelling", "[setting]\nleft=1\n", "Setting", "Left", "2",
                  "[setting]\nLeft=2\n"},
        WriteCase{"NoFinalLineEnd", "[Setting]\nLeft=1", "Setting", "Top", "2", "[Setting]\nLeft=1\nTop=2\n"},
        // A bare CR at the very end is half a line end: the new line must not
        // be glued to the last one.
        WriteCase{"FinalBareCrNewKey", "[Alerm]\r\nMinute=30\r", "Alerm", "Second", "7",
                  "[Alerm]\r\nMinute=30\r\nSecond=7\r\n"},
        WriteCase{"FinalBareCrNewSection", "[Setting]\r\nLeft=1\r", "Alerm", "Hour", "07",
                  "[Setting]\r\nLeft=1\r\n[Alerm]\r\nHour=07\r\n"},
        WriteCase{"ForeignLinesSurvive", kForeign, "Setting", "Left", "300",
                  "; my notes\r\n[Alarm]\r\nHour = 07\r\n\r\n[Setting]\r\nLeft=300\r\n  Extra = keep me  \r\n"},
        WriteCase{"RemovesKey", "[Setting]\nLeft=1\nTop=2\n", "Setting", "Left", std::nullopt, "[Setting]\nTop=2\n"},
        WriteCase{"RemovesEveryCopyOfKey", "[Setting]\nLeft=1\nTop=2\nleft=3\n", "Setting", "Left", std::nullopt,
                  "[Setting]\nTop=2\n"},
        WriteCase{"RemovingMissingKeyChangesNothing", "[Setting]\nTop=2\n", "Setting", "Left", std::nullopt,
                  "[Setting]\nTop=2\n"},
        WriteCase{"RemovingFromNoFileMakesNoFile", std::nullopt, "Setting", "Left", std::nullopt, std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IniFile, EachReadSeesTheFileAsItIsNow) {
    TempFolder dir;
    platform::IniFile ini;
    const std::string path = dir.File("Tessuri.ini");
    ASSERT_TRUE(ini.PutString("Setting", "Left", std::string("1"), path));
    // Replaced behind the program's back (an editor saves a new file).
    dir.Write("Tessuri.ini.new", "[Setting]\nLeft=2\n");
    std::filesystem::rename(dir.File("Tessuri.ini.new"), path);
    EXPECT_EQ(ini.GetString("Setting", "Left", "0", path), "2");
    ASSERT_TRUE(ini.PutString("Setting", "Top", std::string("3"), path));
    EXPECT_EQ(dir.Read("Tessuri.ini"), "[Setting]\nLeft=2\nTop=3\n");
}

// Sets the file's modification time back, as for a file saved long ago.
void Age(const std::string& path) {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    const timespec times[2] = {now, {now.tv_sec - 60, now.tv_nsec}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

// Reads are served from the copy kept of the file; whatever happens to the
// file afterwards, the next read must see it.
TEST(IniFile, ReadAfterAnyChangeSeesTheChange) {
    struct Case {
        const char* name;
        bool old;  // the file was last modified long before the first read
        void (*change)(const TempFolder&, platform::IniFile&);
        const char* expected;
    };
    const Case cases[] = {
        // Within one tick of the file system's clock: the time stays as it was.
        {"rewritten in place at once, same size", false,
         [](const TempFolder& d, platform::IniFile&) {
             struct stat before {};
             ASSERT_EQ(stat(d.File("Tessuri.ini").c_str(), &before), 0);
             d.Write("Tessuri.ini", "[Setting]\nLeft=2\n");
             const timespec times[2] = {before.st_atim, before.st_mtim};
             ASSERT_EQ(utimensat(AT_FDCWD, d.File("Tessuri.ini").c_str(), times, 0), 0);
         },
         "2"},
        {"rewritten in place, same size", true,
         [](const TempFolder& d, platform::IniFile&) { d.Write("Tessuri.ini", "[Setting]\nLeft=2\n"); }, "2"},
        {"rewritten in place, longer", true,
         [](const TempFolder& d, platform::IniFile&) { d.Write("Tessuri.ini", "[Setting]\nLeft=22\n"); }, "22"},
        {"replaced by another file", true,
         [](const TempFolder& d, platform::IniFile&) {
             d.Write("other", "[Setting]\nLeft=3\n");
             std::filesystem::rename(d.File("other"), d.File("Tessuri.ini"));
         },
         "3"},
        {"removed", true,
         [](const TempFolder& d, platform::IniFile&) { std::filesystem::remove(d.File("Tessuri.ini")); }, "0"},
        {"written by the store itself", true,
         [](const TempFolder& d, platform::IniFile& ini) {
             ini.PutString("Setting", "Left", std::string("4"), d.File("Tessuri.ini"));
         },
         "4"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder dir;
        const std::string path = dir.File("Tessuri.ini");
        dir.Write("Tessuri.ini", "[Setting]\nLeft=1\n");
        if (c.old) Age(path);
        platform::IniFile ini;
        ASSERT_EQ(ini.GetString("Setting", "Left", "0", path), "1");
        ASSERT_EQ(ini.GetString("setting", "LEFT", "0", path), "1");
        c.change(dir, ini);
        EXPECT_EQ(ini.GetString("Setting", "Left", "0", path), c.expected);
    }
}

// The program reads some thirty values as it starts.  Reading a big file
// again for each of them made the start take seconds; an unchanged file is
// read once.
TEST(IniFile, UnchangedBigFileIsReadOnce) {
    TempFolder dir;
    const std::string path = dir.File("Tessuri.ini");
    std::string text = "[Setting]\nLeft=7\n[Other]\n";
    for (int i = 0; text.size() < (16u << 20); ++i) text += "key" + std::to_string(i) + "=some value\n";
    dir.Write("Tessuri.ini", text);
    Age(path);
    platform::IniFile ini;
    using Clock = std::chrono::steady_clock;
    // A key of a section at the start, and one of a section the file lacks.
    const auto start = Clock::now();
    ASSERT_EQ(ini.GetString("Setting", "Left", "0", path), "7");
    ASSERT_EQ(ini.GetString("Alerm", "Hour", "x", path), "x");
    const auto first = Clock::now() - start;
    for (int i = 0; i < 50; ++i) {
        EXPECT_EQ(ini.GetString("Alerm", "Hour" + std::to_string(i), "x", path), "x");
        EXPECT_EQ(ini.GetString("Setting", "Key" + std::to_string(i), "x", path), "x");
    }
    const auto rest = Clock::now() - start - first;
    EXPECT_LT(rest, first) << "100 more reads took " << std::chrono::duration<double>(rest).count()
                           << " s, the first two " << std::chrono::duration<double>(first).count() << " s";
}

// Runs one write in a child process whose limits make it fail: the child
// reports whether the write said it succeeded.
bool PutInChild(const std::string& path, const std::string& value, void (*limit)()) {
    pid_t child = fork();
    if (child == 0) {
        limit();
        platform::IniFile ini;
        _exit(ini.PutString("Setting", "Left", value, path) ? 1 : 0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 1;
}

// Root ignores folder permissions, so the child drops to "nobody".
void AsOrdinaryUser() {
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(2);
}

// The disk fills up after 64 bytes.
void DiskFullAfter64Bytes() {
    signal(SIGXFSZ, SIG_IGN);
    rlimit limit{64, 64};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(2);
}

struct FailedWriteCase {
    const char* name;
    void (*limit)();
    mode_t folderMode;
};

TEST(IniFile, FailedWriteLeavesOldFileAndNoLitter) {
    const FailedWriteCase cases[] = {
        {"read-only folder", AsOrdinaryUser, 0555},
        {"disk full", DiskFullAfter64Bytes, 0755},
    };
    for (const FailedWriteCase& c : cases) {
        TempFolder dir;
        dir.Write("Tessuri.ini", "[Setting]\nLeft=1\n");
        chmod(dir.Path().c_str(), c.folderMode);
        EXPECT_FALSE(PutInChild(dir.File("Tessuri.ini"), std::string(100, '7'), c.limit)) << c.name;
        chmod(dir.Path().c_str(), 0755);
        EXPECT_EQ(dir.Read("Tessuri.ini"), "[Setting]\nLeft=1\n") << c.name;
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1) << c.name;
    }
}

TEST(IniFile, UnreadableFileIsNeverOverwritten) {
    // A file the program cannot read must not be replaced by one holding
    // only the new key.  Made unreadable by being a folder, so this holds
    // for root too.
    TempFolder dir;
    std::filesystem::create_directory(dir.File("Tessuri.ini"));
    platform::IniFile ini;
    EXPECT_FALSE(ini.PutString("Setting", "Left", std::string("2"), dir.File("Tessuri.ini")));
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("Tessuri.ini")));
}

TEST(IniFile, RefusesTextThatWouldChangeOtherLines) {
    TempFolder dir;
    dir.Write("Tessuri.ini", "[Setting]\nLeft=1\n");
    platform::IniFile ini;
    const std::string path = dir.File("Tessuri.ini");
    EXPECT_FALSE(ini.PutString("Setting", "Left", std::string("1\n[Alerm]\nEnabled=1"), path));
    EXPECT_FALSE(ini.PutString("Setting", "Le=ft", std::string("1"), path));
    EXPECT_FALSE(ini.PutString("Set]ting", "Left", std::string("1"), path));
    EXPECT_EQ(dir.Read("Tessuri.ini"), "[Setting]\nLeft=1\n");
}

TEST(IniFile, KeepsPermissionBitsOfTheOldFile) {
    TempFolder dir;
    dir.Write("Tessuri.ini", "[Setting]\n");
    chmod(dir.File("Tessuri.ini").c_str(), 0600);
    platform::IniFile ini;
    ASSERT_TRUE(ini.PutString("Setting", "Left", std::string("1"), dir.File("Tessuri.ini")));
    struct stat st {};
    stat(dir.File("Tessuri.ini").c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

}  // namespace

namespace {

// ---------------------------------------------------------------- leftovers

enum class Made { kFile, kSymlink, kFolder, kOtherOwnersFile };

struct LeftoverCase {
    const char* name;
    const char* file;  // in the settings file's folder
    Made made;
    long ageSeconds;
    bool removed;
};

// Dates a folder entry back, the entry itself and not what a link points at.
void AgeBy(const std::string& path, long seconds) {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    const timespec times[2] = {{now.tv_sec - seconds, 0}, {now.tv_sec - seconds, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0) << path;
}

TEST(IniFile, WriteRemovesOnlyOldTemporaryFilesOfItsOwn) {
    const long old = platform::IniFile::kLeftoverAge + 5;
    const LeftoverCase cases[] = {
        {"left by a killed writer", "Tessuri.ini.a1B2c3", Made::kFile, old, true},
        {"another writer's, in progress", "Tessuri.ini.a1B2c3", Made::kFile, 0, false},
        {"dated in the future", "Tessuri.ini.a1B2c3", Made::kFile, -3600, false},
        {"suffix too short", "Tessuri.ini.a1B2c", Made::kFile, old, false},
        {"suffix too long", "Tessuri.ini.a1B2c3d", Made::kFile, old, false},
        {"suffix not letters and digits", "Tessuri.ini.a1-2c3", Made::kFile, old, false},
        {"another file's", "Tessurx.ini.a1B2c3", Made::kFile, old, false},
        {"suffix of capitals and digits", "Tessuri.ini.A1B2C3", Made::kFile, old, true},
        {"suffix of small letters and digits", "Tessuri.ini.a1b2c3", Made::kFile, old, true},
        {"user's copy, small letters", "Tessuri.ini.backup", Made::kFile, old, false},
        {"user's copy, capitals", "Tessuri.ini.BACKUP", Made::kFile, old, false},
        {"user's copy, dated", "Tessuri.ini.241210", Made::kFile, old, false},
        {"symbolic link", "Tessuri.ini.a1B2c3", Made::kSymlink, old, false},
        {"folder", "Tessuri.ini.a1B2c3", Made::kFolder, old, false},
        {"another user's", "Tessuri.ini.a1B2c3", Made::kOtherOwnersFile, old, false},
    };
    for (const LeftoverCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder dir;
        TempFolder elsewhere;
        dir.Write("Tessuri.ini", "[Setting]\nLeft=1\n");
        const std::string leftover = dir.File(c.file);
        switch (c.made) {
            case Made::kFile: dir.Write(c.file, "[Setting]\nLeft="); break;
            case Made::kSymlink:
                elsewhere.Write("target", "keep");
                AgeBy(elsewhere.File("target"), c.ageSeconds);
                std::filesystem::create_symlink(elsewhere.File("target"), leftover);
                break;
            case Made::kFolder: std::filesystem::create_directory(leftover); break;
            case Made::kOtherOwnersFile:
                if (geteuid() != 0) {
                    std::cout << "[ INFO ] case \"" << c.name << "\" needs root to give a file away; skipped\n";
                    continue;
                }
                dir.Write(c.file, "[Setting]\nLeft=");
                ASSERT_EQ(lchown(leftover.c_str(), 65534, 65534), 0);
                break;
        }
        AgeBy(leftover, c.ageSeconds);

        platform::IniFile ini;
        ASSERT_TRUE(ini.PutString("Setting", "Left", std::string("2"), dir.File("Tessuri.ini")));
        EXPECT_EQ(dir.Read("Tessuri.ini"), "[Setting]\nLeft=2\n");
        struct stat st {};
        EXPECT_EQ(lstat(leftover.c_str(), &st) != 0, c.removed);
        if (c.made == Made::kSymlink) {
            EXPECT_EQ(elsewhere.Read("target"), "keep");
        }
    }
}

TEST(IniFile, WriteThatChangesNothingStillRemovesLeftovers) {
    TempFolder dir;
    dir.Write("Tessuri.ini", "[Setting]\nLeft=1\n");
    dir.Write("Tessuri.ini.Zz9Yy8", "[Sett");
    AgeBy(dir.File("Tessuri.ini.Zz9Yy8"), platform::IniFile::kLeftoverAge + 5);
    platform::IniFile ini;
    ASSERT_TRUE(ini.PutString("Setting", "Left", std::string("1"), dir.File("Tessuri.ini")));
    EXPECT_FALSE(dir.Exists("Tessuri.ini.Zz9Yy8"));
    EXPECT_EQ(dir.Read("Tessuri.ini"), "[Setting]\nLeft=1\n");
}

}  // namespace
