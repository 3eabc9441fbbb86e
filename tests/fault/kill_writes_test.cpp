// The settings file under SIGKILL: a writer rewriting it in rounds is killed
// at random instants.  After every kill the file must be whole and every key
// must hold the value of the round being written or of the one before; the
// next write must then remove any temporary file the killed writer left
// (but for the few whose names look like a user's copy of the file).  A
// second test kills a process rewriting a bigger file from within, without a
// separate writer program.
//
// TESSURI_KILLS sets the number of kills (500 by default),
// TESSURI_KILL_SEED repeats the instants of an earlier run.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/IniFile.h"
#include "writer_keys.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

const char* const kFileName = "Tessuri.ini";
const char* const kSeed = "; kept by every write\n[Setting]\nForeign = keep me\n";

long EnvNumber(const char* name, long fallback) {
    const char* text = std::getenv(name);
    if (!text || !*text) return fallback;
    char* end = nullptr;
    const long n = std::strtol(text, &end, 10);
    return *end == '\0' && n >= 0 ? n : fallback;
}

class Folder {
public:
    Folder() {
        std::string templ = (fs::temp_directory_path() / "tessuri-kill.XXXXXX").string();
        if (!::mkdtemp(templ.data())) throw std::runtime_error("mkdtemp failed");
        path_ = templ;
    }
    ~Folder() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// ---------------------------------------------------------------- the writer

struct Writer {
    pid_t pid = -1;
    int out = -1;  // its standard output
};

Writer StartWriter(const fs::path& ini, long first, long rounds) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    const std::string path = ini.string(), from = std::to_string(first), count = std::to_string(rounds);
    const pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        ::dup2(fds[1], STDOUT_FILENO);
        ::execl(TESSURI_INI_WRITER, TESSURI_INI_WRITER, path.c_str(), from.c_str(), count.c_str(),
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(fds[1]);
    return Writer{pid, fds[0]};
}

// Waits for the writer's "ready" line; false when it ended or took too long.
bool WaitReady(const Writer& w) {
    std::string got;
    while (got.find('\n') == std::string::npos) {
        pollfd p{w.out, POLLIN, 0};
        if (::poll(&p, 1, 10000) <= 0) return false;
        char buf[16];
        const ssize_t n = ::read(w.out, buf, sizeof buf);
        if (n <= 0) return false;
        got.append(buf, static_cast<std::size_t>(n));
    }
    return got == "ready\n";
}

int Reap(Writer& w) {
    int status = 0;
    while (::waitpid(w.pid, &status, 0) < 0 && errno == EINTR) {}
    ::close(w.out);
    w = Writer{};
    return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
}

int RunWriter(const fs::path& ini, long first, long rounds) {
    Writer w = StartWriter(ini, first, rounds);
    return Reap(w);
}

// ---------------------------------------------------------------- the file

// What the file on disk says about the writer's keys.
struct State {
    std::vector<long> rounds = std::vector<long>(writer_keys::kKeyCount, -1);  // per key; -1: not there
    std::string fault;  // why the file is not acceptable; empty when it is

    long Newest() const { return rounds.front(); }  // the first key is written first
};

std::string Trim(const std::string& s) {
    const auto b = s.find_first_not_of(" \t");
    if (b == std::string::npos) return "";
    return s.substr(b, s.find_last_not_of(" \t") - b + 1);
}

State Inspect(const std::string& text) {
    State st;
    if (!text.empty() && text.back() != '\n') st.fault = "the last line has no line end";
    std::map<std::pair<std::string, std::string>, std::string> values;
    std::istringstream in(text);
    std::string line, section;
    for (int n = 1; st.fault.empty() && std::getline(in, line); ++n) {
        const std::string t = Trim(line);
        if (t.empty() || t[0] == ';' || t[0] == '#') continue;
        if (t.front() == '[' && t.back() == ']') {
            section = Trim(t.substr(1, t.size() - 2));
        } else if (const auto eq = t.find('='); eq != std::string::npos && eq > 0 && !section.empty()) {
            values.emplace(std::pair(section, Trim(t.substr(0, eq))), Trim(t.substr(eq + 1)));
        } else {
            st.fault = "line " + std::to_string(n) + " is no header, key, comment or blank: \"" + line + "\"";
        }
    }
    if (st.fault.empty() && text.rfind("; kept by every write\n", 0) != 0) st.fault = "the first comment is gone";
    if (st.fault.empty() && values[{"Setting", "Foreign"}] != "keep me") st.fault = "the foreign key is gone";
    for (int i = 0; st.fault.empty() && i < writer_keys::kKeyCount; ++i) {
        const writer_keys::Key& k = writer_keys::kKeys[i];
        const auto it = values.find({k.section, k.key});
        if (it == values.end()) continue;
        const long round = std::strtol(it->second.c_str(), nullptr, 10);
        if (round < 0 || it->second != writer_keys::Value(round, k))
            st.fault = std::string(k.section) + "." + k.key + " holds \"" + it->second + "\"";
        st.rounds[i] = round;
    }
    return st;
}

// Whether `now` can follow `before`: no key went back, and the keys hold the
// values of one round and, past some key, of the round before.
std::string Follows(const State& before, const State& now) {
    for (int i = 0; i < writer_keys::kKeyCount; ++i) {
        const std::string name = std::string(writer_keys::kKeys[i].section) + "." + writer_keys::kKeys[i].key;
        if (now.rounds[i] < before.rounds[i])
            return name + " went back from round " + std::to_string(before.rounds[i]) + " to " +
                   std::to_string(now.rounds[i]);
        if (now.rounds[i] != now.Newest() && now.rounds[i] != now.Newest() - 1)
            return name + " holds round " + std::to_string(now.rounds[i]) + " beside round " +
                   std::to_string(now.Newest());
        if (i > 0 && now.rounds[i] > now.rounds[i - 1]) return name + " is newer than a key written before it";
    }
    return "";
}

// The program's temporary files for the settings file: its name, a dot and
// six letters or digits.
std::vector<fs::path> TemporaryFiles(const fs::path& folder) {
    std::vector<fs::path> found;
    const std::string prefix = std::string(kFileName) + ".";
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.size() != prefix.size() + 6 || name.rfind(prefix, 0) != 0) continue;
        bool alnum = true;
        for (char c : name.substr(prefix.size())) alnum = alnum && std::isalnum(static_cast<unsigned char>(c));
        if (alnum) found.push_back(entry.path());
    }
    return found;
}

// Whether a temporary file's suffix is of one kind of character only; the
// program leaves such files alone, as they may be copies the user made.
bool LooksLikeAUsersCopy(const fs::path& file) {
    const std::string suffix = file.filename().string().substr(std::string(kFileName).size() + 1);
    bool lower = false, upper = false, digit = false;
    for (char c : suffix) {
        lower = lower || (c >= 'a' && c <= 'z');
        upper = upper || (c >= 'A' && c <= 'Z');
        digit = digit || (c >= '0' && c <= '9');
    }
    return int{lower} + int{upper} + int{digit} == 1;
}

// Dates a file back by `seconds`.
void AgeBy(const fs::path& file, long seconds) {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    const timespec times[2] = {{now.tv_sec - seconds, 0}, {now.tv_sec - seconds, 0}};
    ::utimensat(AT_FDCWD, file.c_str(), times, AT_SYMLINK_NOFOLLOW);
}

// ---------------------------------------------------------------- the test

TEST(KillDuringWrites, FileStaysWholeAndTheNextWriteRemovesLeftovers) {
    const long kills = EnvNumber("TESSURI_KILLS", 500);
    const unsigned seed = static_cast<unsigned>(EnvNumber("TESSURI_KILL_SEED", std::random_device{}()));
    std::mt19937 random(seed);
    SCOPED_TRACE("TESSURI_KILL_SEED=" + std::to_string(seed));

    // How long one round takes here, measured on a file of its own, so that
    // the kills fall anywhere in the first two rounds of each run.
    Folder dir;
    const fs::path ini = dir.path() / kFileName;
    const int kCalibrationRounds = 20;
    const auto calibrationStart = Clock::now();
    ASSERT_EQ(RunWriter(dir.path() / "calibration.ini", 0, kCalibrationRounds), 0);
    const auto round = (Clock::now() - calibrationStart) / kCalibrationRounds;
    std::uniform_int_distribution<long> delayUs(
        0, 2 * std::chrono::duration_cast<std::chrono::microseconds>(round).count());
    fs::remove(dir.path() / "calibration.ini");

    std::ofstream(ini, std::ios::binary) << kSeed;
    State before = Inspect(kSeed);
    long killsLeavingFiles = 0, filesLeft = 0, filesKept = 0;
    const auto start = Clock::now();
    for (long kill = 0; kill < kills; ++kill) {
        SCOPED_TRACE("kill " + std::to_string(kill));
        const long first = std::max(before.Newest(), 0L);
        Writer w = StartWriter(ini, first, 0);
        ASSERT_TRUE(WaitReady(w));
        const long delay = delayUs(random);
        if (delay > 0) ::usleep(static_cast<useconds_t>(delay));
        ::kill(w.pid, SIGKILL);
        ASSERT_EQ(Reap(w), 128 + SIGKILL) << "the writer ended by itself (a write failed?)";

        const std::string text = ReadFile(ini);
        const State now = Inspect(text);
        ASSERT_EQ(now.fault, "") << text;
        ASSERT_EQ(Follows(before, now), "") << text;

        // The next write comes later than a concurrent write could last:
        // dated back, whatever the killed writer left is old enough to go.
        const auto left = TemporaryFiles(dir.path());
        killsLeavingFiles += left.empty() ? 0 : 1;
        filesLeft += static_cast<long>(left.size());
        for (const fs::path& file : left) AgeBy(file, platform::IniFile::kLeftoverAge + 5);

        // One more round, to its end: every key then holds that round.
        ASSERT_EQ(RunWriter(ini, now.Newest() < 0 ? 0 : now.Newest(), 1), 0);
        const std::string after = ReadFile(ini);
        const State done = Inspect(after);
        ASSERT_EQ(done.fault, "") << after;
        ASSERT_EQ(Follows(now, done), "") << after;
        ASSERT_EQ(done.rounds, std::vector<long>(writer_keys::kKeyCount, std::max(now.Newest(), 0L))) << after;
        for (const fs::path& file : TemporaryFiles(dir.path())) {
            ASSERT_TRUE(LooksLikeAUsersCopy(file)) << file << " survived the next write";
            ++filesKept;
            fs::remove(file);
        }
        before = done;
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::cout << "[  FIGURES ] " << kills << " kills in " << seconds << " s (a round takes "
              << std::chrono::duration<double, std::milli>(round).count() << " ms); " << killsLeavingFiles
              << " kills left " << filesLeft << " temporary files; the next write removed all but " << filesKept
              << " that look like a user's copies; last round " << before.Newest() << "\n";
    RecordProperty("kills", static_cast<int>(kills));
    RecordProperty("temporary_files_left", static_cast<int>(filesLeft));
    RecordProperty("temporary_files_kept", static_cast<int>(filesKept));
    EXPECT_GT(before.Newest(), 0) << "the writer never got through a round";
}

// The writer above writes short values, so each of its files is a few dozen
// bytes.  Here a file of two 4 KB versions is rewritten as fast as one
// process can, and killed at some instant of a write: what is on disk then
// must be one of the two, whole.
TEST(KillDuringWrites, BigFileIsOneWholeVersion) {
    Folder dir;
    const std::string path = (dir.path() / kFileName).string();
    const std::string versionA = "[Setting]\nLeft=" + std::string(4000, 'x') + "\n";
    const std::string versionB = "[Setting]\nLeft=" + std::string(4000, 'y') + "\n";
    std::ofstream(path, std::ios::binary) << versionA;
    for (int round = 0; round < 20; ++round) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0) << "fork failed";
        if (child == 0) {
            platform::IniFile ini;
            for (int i = 0;; ++i) ini.PutString("Setting", "Left", std::string(4000, i % 2 ? 'x' : 'y'), path);
        }
        ::usleep(static_cast<useconds_t>(500 + round * 250));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        const std::string now = ReadFile(path);
        EXPECT_TRUE(now == versionA || now == versionB) << "round " << round << ": " << now.size() << " bytes";
    }
}

}  // namespace
