// Small toolkit for driving the real program on a headless X display:
// child processes, a throw-away program folder, the running clock, and the
// X command line tools (xdotool, xprop, xwininfo, import).
#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <QImage>

namespace desktop {

using namespace std::chrono_literals;
using Seconds = std::chrono::duration<double>;

// Joins the headless session for this test process: reads the KEY=VALUE file
// named by TESSURI_SESSION_ENV (written by tests/harness/session.sh) into the
// environment, or, when that variable is unset, starts a private session
// (with its sound server) and stops it again at exit.
void JoinSession();

// Calls `done` every `step` until it returns true or `timeout` passes.
bool PollUntil(const std::function<bool()>& done, Seconds timeout, Seconds step = 50ms);

struct RunResult {
    int exit_code = -1;  // 128 + signal when killed, -1 when it had to be stopped
    std::string out;     // standard output
};

// Runs a command to its end (at most `timeout`) and returns its output.
RunResult Run(const std::vector<std::string>& argv, Seconds timeout = 10s);

// Holds children back until Release(), so that several start at the same instant.
class StartGate {
public:
    StartGate();
    ~StartGate();
    StartGate(const StartGate&) = delete;
    StartGate& operator=(const StartGate&) = delete;
    int read_fd() const { return fds_[0]; }
    int write_fd() const { return fds_[1]; }
    void Release();

private:
    int fds_[2] = {-1, -1};
};

// A child process started with extra environment variables. The destructor
// ends it (SIGTERM, then SIGKILL) if it still runs.
class Process {
public:
    Process() = default;
    Process(const std::vector<std::string>& argv, const std::map<std::string, std::string>& extra_env,
            const std::filesystem::path& log_file, const StartGate* gate = nullptr);
    Process(Process&& other) noexcept;
    Process& operator=(Process&& other) noexcept;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    ~Process();

    pid_t pid() const { return pid_; }
    bool Running();
    // Exit code (128 + signal for a signal), or nothing if still running after `timeout`.
    std::optional<int> WaitExit(Seconds timeout);
    void Signal(int sig);
    void Stop();

private:
    pid_t pid_ = -1;
    std::optional<int> status_;
};

// A new empty folder in the temporary folder, named prefix.XXXXXX.
std::filesystem::path NewTempDir(const std::string& prefix);

// A temporary folder, removed with everything in it on destruction.
class TempDir {
public:
    explicit TempDir(const std::string& prefix);
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// A fresh temporary folder holding a copy of the built program and a link
// to its voice folder; the program keeps its settings file beside itself.
class ProgramFolder {
public:
    // prefix: the start of the folder's name (a random ending follows).
    // apart: the program, its clips and its settings in a folder of their
    // own inside dir(), which a test may then make read-only or small while
    // the log and the runtime folder stay writable.
    explicit ProgramFolder(const std::string& prefix = "tessuri-it", bool apart = false);

    const std::filesystem::path& dir() const { return dir_.path(); }
    // Where the program, its wav/ folder and its settings file are.
    const std::filesystem::path& program() const { return program_; }
    std::filesystem::path exe() const { return program() / "tessuri"; }
    std::filesystem::path ini() const { return program() / "Tessuri.ini"; }
    std::filesystem::path log() const { return dir() / "tessuri.log"; }
    // A private runtime folder, so the single-instance lock of a program
    // started from here is not shared with other tests.
    std::filesystem::path runtime() const { return dir() / "runtime"; }

    void WriteIni(const std::string& text) const;
    std::optional<std::string> ReadIni() const;  // the file's bytes
    std::string Log() const;                     // what the program printed

private:
    TempDir dir_;
    std::filesystem::path program_;
};

// Sections of an INI text, each with its key/value lines in file order.
using IniSections = std::map<std::string, std::vector<std::pair<std::string, std::string>>>;
IniSections ParseIni(const std::string& text);

struct Geometry {
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const Geometry&) const = default;
};

struct ClockOptions {
    // Local time at start, "YYYY-MM-DD hh:mm:ss" (UTC), run through libfaketime.
    std::string fake_start;
    double fake_rate = 1.0;  // fake seconds per real second
    std::map<std::string, std::string> env;
    const StartGate* gate = nullptr;
};

// The real program, started from a ProgramFolder. Ends it on destruction.
class Clock {
public:
    explicit Clock(const ProgramFolder& folder, const ClockOptions& options = {});

    Process& process() { return process_; }
    // Waits for the program's visible top-level window; 0 when none came up.
    unsigned long WaitWindow(Seconds timeout = 10s);
    unsigned long window() const { return window_; }
    Geometry WindowGeometry() const;

private:
    Process process_;
    unsigned long window_ = 0;
};

// Visible top-level windows of a process with the given WM_CLASS.
std::vector<unsigned long> FindWindows(pid_t pid, const std::string& wm_class);
std::optional<Geometry> GetGeometry(unsigned long window);
std::string WindowProperty(unsigned long window, const std::string& name);
bool IsViewable(unsigned long window);

// Pointer actions in screen coordinates; each waits until the server has
// handled it.
void MouseMove(int x, int y);
void MouseDown(int button);
void MouseUp(int button);
// Press at `from`, move in small steps to `to`, release there.
void PressMoveRelease(int button, int from_x, int from_y, int to_x, int to_y);

// The whole screen as an image.
QImage GrabScreen();
// A rectangle of the screen, read straight from the X server: a few
// milliseconds, fast enough to follow an animation.
QImage GrabRegion(int x, int y, int width, int height);
// Whether two images show the same colours, pixel for pixel (alpha ignored).
bool SamePixels(const QImage& a, const QImage& b);
// Saves `image` under the test output folder and returns the path.
std::filesystem::path SaveForInspection(const QImage& image, const std::string& name);

// A plain X window (no window manager involved) placed at the bottom of the
// stack; it reports button presses it receives.
class ClickTarget {
public:
    ClickTarget(int x, int y, int width, int height);
    struct Press {
        int button, x, y;  // position relative to the target
    };
    // Presses received so far.
    std::vector<Press> Presses();

private:
    TempDir dir_;
    Process process_;
};

}  // namespace desktop
