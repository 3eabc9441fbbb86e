// The program keeps to its own folder: run with a home, configuration,
// data, cache, runtime and temporary folder of its own, through a start, the
// spoken time, the settings dialog opened and cancelled, and an end by
// SIGTERM, it creates nothing in any of them but its per-user lock.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <string>
#include <thread>

#include "clock_fixture.h"

namespace desktop {
namespace fs = std::filesystem;
namespace {

constexpr int kLeft = 100;
constexpr int kTop = 100;
const QPoint kSignCentre(25, 23);  // window coordinates of the sign that opens the settings
constexpr int kDialogWidth = 343;
constexpr int kDialogHeight = 285;

// Every entry under `root`, by path relative to it, with the bytes of each
// regular file ("" for anything else).
std::map<std::string, std::string> Contents(const fs::path& root) {
    std::map<std::string, std::string> found;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        std::string bytes;
        if (entry.is_regular_file() && !entry.is_symlink()) {
            std::ifstream in(entry.path(), std::ios::binary);
            bytes.assign(std::istreambuf_iterator<char>(in), {});
        }
        found[fs::relative(entry.path(), root).string()] = bytes;
    }
    return found;
}

bool DialogShown(pid_t pid) {
    for (unsigned long w : FindWindows(pid, "tessuri")) {
        const auto g = GetGeometry(w);
        if (g && g->width == kDialogWidth && g->height == kDialogHeight) return true;
    }
    return false;
}

TEST(WritesOutside, NothingButTheLockOutsideTheProgramFolder) {
    ProgramFolder folder("tessuri-it", true);
    folder.WriteIni("[Setting]\nLeft=" + std::to_string(kLeft) + "\nTop=" + std::to_string(kTop) +
                    "\nZOrder=False\nEvent=7\nChar0=True\n");
    TempDir user("tessuri-user");
    const fs::path home = user.path() / "home", runtime = user.path() / "runtime", tmp = user.path() / "tmp";
    const fs::path config = home / ".config", data = home / ".local/share", cache = home / ".cache";
    for (const fs::path& p : {config, data, cache, runtime, tmp}) fs::create_directories(p);
    fs::permissions(runtime, fs::perms::owner_all, fs::perm_options::replace);
    // Every desktop user has a sound server cookie; where there is none,
    // libpulse makes one as the program connects, which is the library's
    // doing and no writing of the program's.  The test gives the user one,
    // so that anything new at all is the program's.
    fs::create_directories(config / "pulse");
    {
        std::mt19937 random(1);
        std::string cookie(256, '\0');
        for (char& c : cookie) c = static_cast<char>(random());
        std::ofstream(config / "pulse/cookie", std::ios::binary) << cookie;
    }
    const auto before = Contents(user.path());
    std::set<std::string> programFiles;
    for (const auto& entry : fs::directory_iterator(folder.program()))
        programFiles.insert(entry.path().filename().string());

    ClockOptions options;
    options.env = {{"HOME", home.string()},
                   {"XDG_CONFIG_HOME", config.string()},
                   {"XDG_DATA_HOME", data.string()},
                   {"XDG_CACHE_HOME", cache.string()},
                   {"XDG_RUNTIME_DIR", runtime.string()},
                   {"TMPDIR", tmp.string()}};
    auto clock = StartClock(folder, options);
    ASSERT_TRUE(clock);
    const Geometry g = WaitForPlace(*clock, kLeft, kTop);
    ASSERT_EQ(g.x, kLeft) << "the stored place was not read";

    // The spoken time, from a click on the stage.
    PressMoveRelease(1, g.x + 115, g.y + 109, g.x + 115, g.y + 109);
    std::this_thread::sleep_for(3s);
    // The settings dialog, opened from the sign and cancelled with Esc.
    const pid_t pid = clock->process().pid();
    PressMoveRelease(1, g.x + kSignCentre.x(), g.y + kSignCentre.y(), g.x + kSignCentre.x(), g.y + kSignCentre.y());
    EXPECT_TRUE(PollUntil([&] { return DialogShown(pid); }, 10s)) << "the settings dialog did not open";
    std::this_thread::sleep_for(500ms);
    desktop::Run({"xdotool", "key", "Escape"});
    EXPECT_TRUE(PollUntil([&] { return !DialogShown(pid); }, 5s)) << "Esc did not close the settings dialog";

    clock->process().Signal(SIGTERM);
    ASSERT_EQ(clock->process().WaitExit(10s), 0) << folder.Log();

    // The lock may stay behind: the program ends without tidying it, and the
    // next start takes it over.
    std::set<std::string> created, changed;
    for (const auto& [path, bytes] : Contents(user.path())) {
        const auto was = before.find(path);
        if (was == before.end()) {
            if (path != "runtime/tessuri.lock") created.insert(path);
        } else if (was->second != bytes) {
            changed.insert(path);
        }
    }
    EXPECT_EQ(created, std::set<std::string>{}) << folder.Log();
    EXPECT_EQ(changed, std::set<std::string>{});

    // The program folder: the program, its clips and its settings, no more.
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder.program())) names.insert(entry.path().filename().string());
    EXPECT_EQ(names, programFiles);
}

}  // namespace
}  // namespace desktop
