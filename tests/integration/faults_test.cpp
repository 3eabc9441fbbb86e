// Faults around the program's folder that must leave the clock running,
// silently, with nothing already saved lost: a read-only or full folder, a
// folder where the settings file should be, settings files of garbage,
// and voice clips missing or broken.
#include <sys/mount.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <thread>

#include "audio_sink.h"
#include "clock_fixture.h"

namespace desktop {
namespace fs = std::filesystem;
namespace {

constexpr int kLeft = 40;
constexpr int kTop = 50;
const std::string kPlace = "[Setting]\nLeft=40\nTop=50\nZOrder=False\nEvent=7\nChar0=True\n";

std::string Garbage(std::size_t bytes, unsigned seed) {
    std::mt19937 random(seed);
    std::string out(bytes, '\0');
    for (char& c : out) c = static_cast<char>(random());
    return out;
}

void WriteFile(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// A mount of the test's own over a folder, undone at the end. Mounting needs
// root; elsewhere the test is skipped with the reason.
class Mount {
public:
    explicit Mount(fs::path where) : where_(std::move(where)) {}
    ~Mount() {
        if (mounted_) ::umount2(where_.c_str(), MNT_DETACH);
    }
    bool Tmpfs(const std::string& options) {
        return Done(::mount("tmpfs", where_.c_str(), "tmpfs", 0, options.c_str()));
    }
    bool ReadOnly() {
        if (!Done(::mount(where_.c_str(), where_.c_str(), nullptr, MS_BIND, nullptr))) return false;
        return ::mount(nullptr, where_.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0;
    }
    std::string Why() const { return std::string("mounting is not allowed here: ") + std::strerror(error_); }

private:
    bool Done(int result) {
        mounted_ = mounted_ || result == 0;
        error_ = result == 0 ? 0 : errno;
        return result == 0;
    }
    fs::path where_;
    bool mounted_ = false;
    int error_ = 0;
};

// Starts the clock, lets it run for a few seconds with a click on the stage
// (the spoken time), and closes it through its CLOSE corner. Returns the
// exit code; the window's place is checked against the stored one.
int RunAWhileAndClose(const ProgramFolder& folder, bool placeStored = true) {
    auto clock = StartClock(folder);
    if (!clock) return -1;
    const Geometry g = placeStored ? WaitForPlace(*clock, kLeft, kTop) : SettledGeometry(*clock);
    if (placeStored) {
        EXPECT_EQ(g.x, kLeft) << "the stored place was not read";
    }
    PressMoveRelease(1, g.x + 115, g.y + 109, g.x + 115, g.y + 109);
    std::this_thread::sleep_for(2500ms);
    EXPECT_TRUE(clock->process().Running()) << folder.Log();
    return CloseByButton(*clock, SettledGeometry(*clock)).value_or(-1);
}

// No temporary file of the program's is left beside the settings.
void ExpectNoLeftovers(const ProgramFolder& folder) {
    for (const auto& entry : fs::directory_iterator(folder.program()))
        EXPECT_FALSE(entry.path().filename().string().starts_with("Tessuri.ini.")) << "left behind: " << entry.path();
}

TEST(Faults, AReadOnlyProgramFolderKeepsTheSettingsAsTheyWere) {
    ProgramFolder folder("tessuri-it", true);
    const std::string original = "; the user's own note\n" + kPlace + "[Other]\nkept=yes\n";
    folder.WriteIni(original);
    Mount mount(folder.program());
    if (!mount.ReadOnly()) GTEST_SKIP() << mount.Why();
    EXPECT_EQ(RunAWhileAndClose(folder), 0) << folder.Log();
    EXPECT_EQ(folder.ReadIni(), original);
}

TEST(Faults, AFullDiskKeepsTheSettingsAsTheyWere) {
    ProgramFolder folder("tessuri-it", true);
    Mount mount(folder.program());
    // Room for the program and a little more, which a filler then takes.
    if (!mount.Tmpfs("size=" + std::to_string(fs::file_size(fs::path(TESSURI_DIST_DIR) / "tessuri") + (1 << 20))))
        GTEST_SKIP() << mount.Why();
    fs::copy_file(fs::path(TESSURI_DIST_DIR) / "tessuri", folder.exe());
    fs::create_directory_symlink(fs::path(TESSURI_DIST_DIR) / "wav", folder.program() / "wav");
    const std::string original = kPlace + "[Other]\nkept=yes\n";
    folder.WriteIni(original);
    {
        std::ofstream filler(folder.program() / "filler", std::ios::binary);
        const std::string block(4096, 'f');
        while (filler.write(block.data(), static_cast<std::streamsize>(block.size())) && filler.flush()) {}
    }
    EXPECT_EQ(RunAWhileAndClose(folder), 0) << folder.Log();
    EXPECT_EQ(folder.ReadIni(), original);
    ExpectNoLeftovers(folder);
}

TEST(Faults, AFolderWhereTheSettingsFileShouldBeIsLeftAlone) {
    ProgramFolder folder;
    fs::create_directory(folder.ini());
    WriteFile(folder.ini() / "inside", "untouched");
    EXPECT_EQ(RunAWhileAndClose(folder, false), 0) << folder.Log();
    EXPECT_TRUE(fs::is_directory(folder.ini()));
    EXPECT_EQ(fs::file_size(folder.ini() / "inside"), 9u);
}

// Settings files the program never wrote: it reads what it can, and its own
// writes keep every byte it does not own.
TEST(Faults, GarbageInTheSettingsFileIsKeptAndTheClockRuns) {
    static const char kWithNuls[] = "[Other]\nwith\0nul=1\n\0\0\0\n";
    struct Case {
        const char* name;
        std::string tail;  // after the clock's own lines
    };
    const Case cases[] = {
        {"50 MB of garbage", "\n" + Garbage(50u << 20, 1)},
        {"binary garbage", "\n" + Garbage(64u << 10, 2)},
        {"NUL bytes", std::string(kWithNuls, sizeof kWithNuls - 1)},
        {"a line of 100,000 characters", "[Other]\n" + std::string(100000, 'x') + "\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ProgramFolder folder;
        folder.WriteIni(kPlace + c.tail);
        EXPECT_EQ(RunAWhileAndClose(folder), 0) << folder.Log();
        const std::string after = folder.ReadIni().value_or("");
        EXPECT_NE(after.find(c.tail), std::string::npos) << "the bytes the clock does not own were not kept";
        ExpectNoLeftovers(folder);
    }
}

TEST(Faults, MissingOrBrokenClipsLeaveTheClockRunning) {
    struct Case {
        const char* name;
        std::function<void(const ProgramFolder&)> spoil;
    };
    const Case cases[] = {
        {"no wav folder", [](const ProgramFolder& f) { fs::remove(f.program() / "wav"); }},
        {"every clip garbage",
         [](const ProgramFolder& f) {
             audio::InstallToneClips(f.program());
             unsigned seed = 7;
             for (const auto& entry : fs::directory_iterator(f.program() / "wav"))
                 WriteFile(entry.path(), Garbage(3000, seed++));
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ProgramFolder folder;
        c.spoil(folder);
        folder.WriteIni(kPlace);
        EXPECT_EQ(RunAWhileAndClose(folder), 0) << folder.Log();
    }
}

}  // namespace
}  // namespace desktop
