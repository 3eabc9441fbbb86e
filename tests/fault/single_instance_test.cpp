// One clock per user: a crowd of starts at the same instant, a holder of the
// lock killed at any instant, and two users side by side.
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "clock_fixture.h"

namespace desktop {
namespace {

namespace fs = std::filesystem;
using Steady = std::chrono::steady_clock;

int CountRunning(std::vector<std::unique_ptr<Clock>>& clocks) {
    int running = 0;
    for (auto& c : clocks) running += c->process().Running() ? 1 : 0;
    return running;
}

TEST(SingleInstance, HundredStartsAtOnceLeaveOneRunning) {
    constexpr int kStarts = 100;
    ProgramFolder folder;
    StartGate gate;
    ClockOptions options;
    options.gate = &gate;
    std::vector<std::unique_ptr<Clock>> clocks;
    for (int i = 0; i < kStarts; ++i) clocks.push_back(std::make_unique<Clock>(folder, options));

    const auto released = Steady::now();
    gate.Release();
    const bool settled = PollUntil([&] { return CountRunning(clocks) <= 1; }, 20s);
    const double seconds = std::chrono::duration<double>(Steady::now() - released).count();
    ASSERT_TRUE(settled) << CountRunning(clocks) << " still running after 20 s\n" << folder.Log();
    ASSERT_EQ(CountRunning(clocks), 1) << "none kept running\n" << folder.Log();

    Clock* winner = nullptr;
    for (auto& c : clocks) {
        if (c->process().Running()) {
            winner = c.get();
        } else {
            EXPECT_EQ(c->process().WaitExit(0s), 0) << folder.Log();
        }
    }
    EXPECT_NE(winner->WaitWindow(15s), 0u) << folder.Log();
    EXPECT_EQ(CountRunning(clocks), 1);
    std::cout << "[  FIGURES ] " << kStarts << " starts at once: " << kStarts - 1 << " ended within " << seconds
              << " s, one kept running with its window\n";
}

// The lock file as the holder left it; empty when there is none.
std::string LockFileOf(const ProgramFolder& folder) {
    std::ifstream in(folder.runtime() / "tessuri.lock", std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

TEST(SingleInstance, HolderKilledAtAnyInstantNeverBlocksTheNextStart) {
    // Kills fall anywhere from before the lock is taken to well after the
    // window is up.
    constexpr int kRounds = 12;
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> delayMs(0, 600);

    ProgramFolder folder;
    auto holder = std::make_unique<Clock>(folder);
    const auto start = Steady::now();
    for (int round = 0; round < kRounds; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs(random)));
        holder->process().Signal(SIGKILL);
        ASSERT_EQ(holder->process().WaitExit(5s), 128 + SIGKILL) << folder.Log();

        auto next = std::make_unique<Clock>(folder);
        ASSERT_NE(next->WaitWindow(15s), 0u) << "the next start did not come up\n" << folder.Log();
        holder = std::move(next);
    }
    std::cout << "[  FIGURES ] " << kRounds << " holders killed in "
              << std::chrono::duration<double>(Steady::now() - start).count() << " s; every next start came up\n";
}

// A lock left by a killed holder, altered the way time or the kill may
// have left it.
struct LeftLock {
    const char* name;
    std::string (*alter)(const std::string& left);
};

std::string NumberOfALiveOtherProgram(const std::string& left) {
    // The holder's number now belongs to another program (this test).
    return std::to_string(::getpid()) + left.substr(left.find('\n'));
}

TEST(SingleInstance, LockOfAKilledHolderNeverBlocksTheNextStart) {
    const LeftLock cases[] = {
        {"as it was left", [](const std::string& left) { return left; }},
        {"its number reused by another program", NumberOfALiveOtherProgram},
    };
    for (const LeftLock& c : cases) {
        SCOPED_TRACE(c.name);
        ProgramFolder folder;
        {
            auto holder = StartClock(folder);
            ASSERT_TRUE(holder);
            holder->process().Signal(SIGKILL);
            ASSERT_EQ(holder->process().WaitExit(5s), 128 + SIGKILL);
        }
        const std::string left = LockFileOf(folder);
        ASSERT_NE(left.find('\n'), std::string::npos) << "no lock file left: \"" << left << "\"";
        std::ofstream(folder.runtime() / "tessuri.lock", std::ios::binary | std::ios::trunc) << c.alter(left);

        auto next = StartClock(folder);
        ASSERT_TRUE(next);
        EXPECT_TRUE(next->process().Running());
    }
}

// A holder killed between creating its lock file and writing into it leaves
// an empty file, which must not keep every later start away for good.
TEST(SingleInstance, EmptyLockFileNeverBlocksTheNextStart) {
    ProgramFolder folder;
    const fs::path lock = folder.runtime() / "tessuri.lock";
    std::ofstream(lock, std::ios::binary).close();
    fs::last_write_time(lock, fs::file_time_type::clock::now() - 10s);  // left by an earlier start
    auto next = StartClock(folder);
    ASSERT_TRUE(next);
    EXPECT_TRUE(next->process().Running());
}

// ---------------------------------------------------------------- two users

// A user id no one here has, to start the program as another user.
constexpr uid_t kOtherUser = 54321;

// Whether this process may start programs as kOtherUser.
bool CanActAsOtherUser() {
    if (::geteuid() != 0) return false;
    return Run({"setpriv", "--reuid=" + std::to_string(kOtherUser), "--regid=" + std::to_string(kOtherUser),
                "--clear-groups", "--", "true"})
               .exit_code == 0;
}

void GiveAway(const fs::path& folder) {
    ASSERT_EQ(::lchown(folder.c_str(), kOtherUser, kOtherUser), 0);
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        ASSERT_EQ(::lchown(entry.path().c_str(), kOtherUser, kOtherUser), 0) << entry.path();
}

// The program of `folder` started as kOtherUser with `env` laid over this
// process's environment.
Process StartAsOtherUser(const ProgramFolder& folder, const std::map<std::string, std::string>& env) {
    return Process({"/usr/bin/setpriv", "--reuid=" + std::to_string(kOtherUser),
                    "--regid=" + std::to_string(kOtherUser), "--clear-groups", "--", folder.exe().string()},
                   env, folder.log());
}

bool ShowsWindow(Process& p) {
    bool shown = false;
    PollUntil(
        [&] {
            if (!p.Running()) return true;
            shown = !FindWindows(p.pid(), "tessuri").empty();
            return shown;
        },
        15s);
    return shown;
}

TEST(SingleInstance, RuntimeFolderIsThePerUserKey) {
    // Two sessions of one user, each with its own runtime folder.
    ProgramFolder first, second;
    auto a = StartClock(first);
    auto b = StartClock(second);
    ASSERT_TRUE(a && b);
    EXPECT_TRUE(a->process().Running());
    EXPECT_TRUE(b->process().Running());
}

TEST(SingleInstance, TwoUsersDoNotBlockEachOther) {
    if (!CanActAsOtherUser()) GTEST_SKIP() << "cannot start programs as user " << kOtherUser << " here";
    ProgramFolder mine;
    auto own = StartClock(mine);
    ASSERT_TRUE(own);

    struct Case {
        const char* name;
        bool ownRuntimeFolder;  // false: the other user kept this user's XDG_RUNTIME_DIR (su without -l)
    };
    for (const Case c : {Case{"own runtime folder", true}, Case{"runtime folder not theirs", false}}) {
        SCOPED_TRACE(c.name);
        ProgramFolder theirs;
        GiveAway(theirs.dir());
        const std::string runtime = c.ownRuntimeFolder ? theirs.runtime().string() : mine.runtime().string();
        Process other = StartAsOtherUser(theirs, {{"TZ", "UTC"}, {"XDG_RUNTIME_DIR", runtime}});
        EXPECT_TRUE(ShowsWindow(other)) << theirs.Log();
        EXPECT_TRUE(own->process().Running());

        // And the other user is still held to one instance.
        Process again = StartAsOtherUser(theirs, {{"TZ", "UTC"}, {"XDG_RUNTIME_DIR", runtime}});
        EXPECT_EQ(again.WaitExit(10s), 0) << theirs.Log();
        EXPECT_TRUE(other.Running());
        other.Stop();
        // Without a runtime folder of its own the lock lies in /tmp.
        std::error_code ec;
        fs::remove("/tmp/tessuri-" + std::to_string(kOtherUser) + ".lock", ec);
    }
}

}  // namespace
}  // namespace desktop
