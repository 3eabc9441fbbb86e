#include "desktop.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace desktop {
namespace fs = std::filesystem;
using Clock_ = std::chrono::steady_clock;

namespace {

std::string Trim(const std::string& s) {
    const auto b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) return {};
    const auto e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void LoadEnvFile(const fs::path& path) {
    std::ifstream in(path);
    if (!in) throw std::runtime_error("cannot read session file " + path.string());
    std::string line;
    while (std::getline(in, line)) {
        const auto eq = line.find('=');
        if (eq == std::string::npos) continue;
        ::setenv(line.substr(0, eq).c_str(), line.substr(eq + 1).c_str(), 1);
    }
}

// Environment block of this process with `extra` laid over it.
std::vector<std::string> MergedEnv(const std::map<std::string, std::string>& extra) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        const auto name = entry.substr(0, entry.find('='));
        if (!extra.contains(name)) env.push_back(entry);
    }
    for (const auto& [k, v] : extra) env.push_back(k + "=" + v);
    return env;
}

std::vector<char*> CStrings(std::vector<std::string>& strings) {
    std::vector<char*> out;
    for (auto& s : strings) out.push_back(s.data());
    out.push_back(nullptr);
    return out;
}

int DecodeStatus(int status) {
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return -1;
}

struct PrivateSession {
    fs::path dir;
    ~PrivateSession() {
        if (dir.empty()) return;
        Run({"bash", TESSURI_SESSION_SCRIPT, "stop", dir.string()});
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
};

}  // namespace

fs::path NewTempDir(const std::string& prefix) {
    const char* tmp = std::getenv("TMPDIR");
    std::string templ = std::string(tmp && *tmp ? tmp : "/tmp") + "/" + prefix + ".XXXXXX";
    if (!::mkdtemp(templ.data())) throw std::runtime_error("mkdtemp failed");
    return templ;
}

void JoinSession() {
    static PrivateSession private_session;
    if (const char* env_file = std::getenv("TESSURI_SESSION_ENV"); env_file && *env_file) {
        LoadEnvFile(env_file);
        return;
    }
    // The session removes its folder itself when it stops, at exit.
    const fs::path dir = NewTempDir("tessuri-it-session");
    // The watchdog ends the session should this process die without cleaning up.
    const auto started = Run(
        {"bash", TESSURI_SESSION_SCRIPT, "start", dir.string(), "--pulse", "--owner", std::to_string(::getpid())}, 30s);
    if (started.exit_code != 0) throw std::runtime_error("could not start a headless session");
    private_session.dir = dir;
    LoadEnvFile(dir / "env");
}

bool PollUntil(const std::function<bool()>& done, Seconds timeout, Seconds step) {
    const auto deadline = Clock_::now() + timeout;
    for (;;) {
        if (done()) return true;
        if (Clock_::now() >= deadline) return false;
        std::this_thread::sleep_for(step);
    }
}

RunResult Run(const std::vector<std::string>& argv, Seconds timeout) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    std::vector<std::string> args = argv;
    auto cargs = CStrings(args);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(fds[1], STDOUT_FILENO);
        const int devnull = ::open("/dev/null", O_RDWR);
        ::dup2(devnull, STDIN_FILENO);
        ::execvp(cargs[0], cargs.data());
        ::_exit(127);
    }
    ::close(fds[1]);
    RunResult result;
    const auto deadline = Clock_::now() + timeout;
    char buf[65536];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock_::now());
        if (left.count() <= 0) break;
        pollfd p{fds[0], POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
        const ssize_t n = ::read(fds[0], buf, sizeof buf);
        if (n <= 0) break;
        result.out.append(buf, static_cast<size_t>(n));
    }
    ::close(fds[0]);
    int status = 0;
    if (Clock_::now() >= deadline && ::waitpid(pid, &status, WNOHANG) == 0) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
        result.exit_code = -1;
        return result;
    }
    ::waitpid(pid, &status, 0);
    result.exit_code = DecodeStatus(status);
    return result;
}

// ---------------------------------------------------------------- Process

StartGate::StartGate() {
    if (::pipe2(fds_, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
}

StartGate::~StartGate() {
    Release();
    if (fds_[0] >= 0) ::close(fds_[0]);
}

void StartGate::Release() {
    if (fds_[1] >= 0) ::close(fds_[1]);
    fds_[1] = -1;
}

Process::Process(const std::vector<std::string>& argv, const std::map<std::string, std::string>& extra_env,
                 const fs::path& log_file, const StartGate* gate) {
    std::vector<std::string> args = argv;
    auto env = MergedEnv(extra_env);
    auto cargs = CStrings(args);
    auto cenv = CStrings(env);
    const std::string log = log_file.string();
    const int gate_fd = gate ? gate->read_fd() : -1;
    const int gate_write_fd = gate ? gate->write_fd() : -1;
    pid_ = ::fork();
    if (pid_ < 0) throw std::runtime_error("fork failed");
    if (pid_ == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);  // never outlive a test that died
        if (gate_fd >= 0) {
            // Wait for end-of-file on the gate: it comes once the parent has
            // closed the write end, and this copy of it is closed first.
            if (gate_write_fd >= 0) ::close(gate_write_fd);
            char c;
            while (::read(gate_fd, &c, 1) < 0 && errno == EINTR) {}
        }
        const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        const int devnull = ::open("/dev/null", O_RDONLY);
        ::dup2(devnull, STDIN_FILENO);
        ::dup2(out, STDOUT_FILENO);
        ::dup2(out, STDERR_FILENO);
        ::execve(cargs[0], cargs.data(), cenv.data());
        ::_exit(127);
    }
}

Process::Process(Process&& other) noexcept
    : pid_(std::exchange(other.pid_, -1)), status_(std::exchange(other.status_, std::nullopt)) {}

Process& Process::operator=(Process&& other) noexcept {
    if (this != &other) {
        Stop();
        pid_ = std::exchange(other.pid_, -1);
        status_ = std::exchange(other.status_, std::nullopt);
    }
    return *this;
}

Process::~Process() { Stop(); }

bool Process::Running() {
    if (pid_ <= 0 || status_) return false;
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == pid_) {
        status_ = DecodeStatus(status);
        return false;
    }
    return true;
}

std::optional<int> Process::WaitExit(Seconds timeout) {
    PollUntil([this] { return !Running(); }, timeout, 10ms);
    return status_;
}

void Process::Signal(int sig) {
    if (Running()) ::kill(pid_, sig);
}

void Process::Stop() {
    if (!Running()) return;
    ::kill(pid_, SIGTERM);
    if (!WaitExit(3s)) {
        ::kill(pid_, SIGKILL);
        WaitExit(3s);
    }
}

// ---------------------------------------------------------------- folders

TempDir::TempDir(const std::string& prefix) : path_(NewTempDir(prefix)) {}

TempDir::~TempDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
}

ProgramFolder::ProgramFolder(const std::string& prefix, bool apart)
    : dir_(prefix), program_(apart ? dir_.path() / "program" : dir_.path()) {
    const fs::path dist = TESSURI_DIST_DIR;
    fs::create_directories(program());
    fs::copy_file(dist / "tessuri", exe());
    fs::permissions(exe(), fs::perms::owner_all, fs::perm_options::add);
    if (fs::exists(dist / "wav")) fs::create_directory_symlink(dist / "wav", program() / "wav");
    fs::create_directory(runtime());
    fs::permissions(runtime(), fs::perms::owner_all, fs::perm_options::replace);
}

void ProgramFolder::WriteIni(const std::string& text) const {
    std::ofstream out(ini(), std::ios::binary | std::ios::trunc);
    out << text;
}

std::optional<std::string> ProgramFolder::ReadIni() const {
    if (!fs::exists(ini())) return std::nullopt;
    return ReadFile(ini());
}

std::string ProgramFolder::Log() const { return fs::exists(log()) ? ReadFile(log()) : std::string(); }

IniSections ParseIni(const std::string& text) {
    IniSections sections;
    std::istringstream in(text);
    std::string line, section;
    while (std::getline(in, line)) {
        line = Trim(line);
        if (line.empty() || line[0] == ';' || line[0] == '#') continue;
        if (line.front() == '[' && line.back() == ']') {
            section = line.substr(1, line.size() - 2);
            sections[section];
            continue;
        }
        const auto eq = line.find('=');
        if (eq == std::string::npos) continue;
        sections[section].emplace_back(Trim(line.substr(0, eq)), Trim(line.substr(eq + 1)));
    }
    return sections;
}

// ---------------------------------------------------------------- the clock

Clock::Clock(const ProgramFolder& folder, const ClockOptions& options) {
    std::map<std::string, std::string> env{{"TZ", "UTC"}, {"XDG_RUNTIME_DIR", folder.runtime().string()}};
    for (const auto& [k, v] : options.env) env[k] = v;
    if (!options.fake_start.empty()) {
        std::ostringstream spec;
        spec << "@" << options.fake_start;
        if (options.fake_rate != 1.0) spec << " x" << options.fake_rate;
        env["LD_PRELOAD"] = TESSURI_LIBFAKETIME;
        env["FAKETIME"] = spec.str();
        env["FAKETIME_NO_CACHE"] = "1";
    }
    process_ = Process({folder.exe().string()}, env, folder.log(), options.gate);
}

unsigned long Clock::WaitWindow(Seconds timeout) {
    PollUntil(
        [this] {
            if (!process_.Running()) return true;
            const auto found = FindWindows(process_.pid(), "tessuri");
            if (found.empty()) return false;
            window_ = found.front();
            return true;
        },
        timeout);
    return window_;
}

Geometry Clock::WindowGeometry() const { return GetGeometry(window_).value_or(Geometry{}); }

// ---------------------------------------------------------------- X tools

std::vector<unsigned long> FindWindows(pid_t pid, const std::string& wm_class) {
    const auto r = Run(
        {"xdotool", "search", "--all", "--onlyvisible", "--pid", std::to_string(pid), "--class", "^" + wm_class + "$"});
    std::vector<unsigned long> ids;
    std::istringstream in(r.out);
    for (unsigned long id; in >> id;) ids.push_back(id);
    return ids;
}

std::optional<Geometry> GetGeometry(unsigned long window) {
    const auto r = Run({"xwininfo", "-id", std::to_string(window)});
    if (r.exit_code != 0) return std::nullopt;
    Geometry g;
    int found = 0;
    std::istringstream in(r.out);
    for (std::string line; std::getline(in, line);) {
        line = Trim(line);
        auto take = [&](const char* label, int& field) {
            if (line.rfind(label, 0) == 0) {
                field = std::stoi(line.substr(std::strlen(label)));
                ++found;
            }
        };
        take("Absolute upper-left X:", g.x);
        take("Absolute upper-left Y:", g.y);
        take("Width:", g.width);
        take("Height:", g.height);
    }
    if (found != 4) return std::nullopt;
    return g;
}

std::string WindowProperty(unsigned long window, const std::string& name) {
    return Trim(Run({"xprop", "-id", std::to_string(window), name}).out);
}

bool IsViewable(unsigned long window) {
    return Run({"xwininfo", "-id", std::to_string(window)}).out.find("Map State: IsViewable") != std::string::npos;
}

void MouseMove(int x, int y) { Run({"xdotool", "mousemove", std::to_string(x), std::to_string(y)}); }
void MouseDown(int button) { Run({"xdotool", "mousedown", std::to_string(button)}); }
void MouseUp(int button) { Run({"xdotool", "mouseup", std::to_string(button)}); }

void PressMoveRelease(int button, int from_x, int from_y, int to_x, int to_y) {
    // Pauses leave the program (and the window manager, for a move it runs)
    // time to take the press before the pointer moves on.
    std::vector<std::string> cmd{"xdotool",
                                 "mousemove",
                                 std::to_string(from_x),
                                 std::to_string(from_y),
                                 "sleep",
                                 "0.1",
                                 "mousedown",
                                 std::to_string(button),
                                 "sleep",
                                 "0.3"};
    constexpr int kSteps = 8;
    for (int i = 1; i <= kSteps; ++i) {
        cmd.insert(cmd.end(), {"mousemove", std::to_string(from_x + (to_x - from_x) * i / kSteps),
                               std::to_string(from_y + (to_y - from_y) * i / kSteps), "sleep", "0.04"});
    }
    cmd.insert(cmd.end(), {"sleep", "0.2", "mouseup", std::to_string(button), "sleep", "0.1"});
    Run(cmd);
}

QImage GrabScreen() {
    const auto r = Run({"import", "-window", "root", "png:-"});
    QImage image;
    image.loadFromData(reinterpret_cast<const uchar*>(r.out.data()), static_cast<int>(r.out.size()), "PNG");
    return image.convertToFormat(QImage::Format_RGB32);
}

fs::path SaveForInspection(const QImage& image, const std::string& name) {
    const fs::path dir = TESSURI_TEST_OUTPUT_DIR;
    fs::create_directories(dir);
    const auto path = dir / (name + ".png");
    image.save(QString::fromStdString(path.string()), "PNG");
    return path;
}

// ---------------------------------------------------------------- click target

ClickTarget::ClickTarget(int x, int y, int width, int height) : dir_("tessuri-it-target") {
    process_ = Process(
        {TESSURI_CLICK_TARGET, std::to_string(x), std::to_string(y), std::to_string(width), std::to_string(height)}, {},
        dir_.path() / "presses.log");
    const bool ready =
        PollUntil([this] { return ReadFile(dir_.path() / "presses.log").find("ready") != std::string::npos; }, 10s);
    if (!ready) throw std::runtime_error("click target did not come up");
}

std::vector<ClickTarget::Press> ClickTarget::Presses() {
    std::vector<Press> presses;
    std::istringstream in(ReadFile(dir_.path() / "presses.log"));
    for (std::string word; in >> word;) {
        Press p{};
        if (word == "press" && in >> p.button >> p.x >> p.y) presses.push_back(p);
    }
    return presses;
}

// ---------------------------------------------------------------- Xlib

}  // namespace desktop

// Xlib's macros (IsViewable, Bool, None ...) would clash with names above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace desktop {

bool SamePixels(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) return false;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if ((a.pixel(x, y) & 0xFFFFFF) != (b.pixel(x, y) & 0xFFFFFF)) return false;
    return true;
}

QImage GrabRegion(int x, int y, int width, int height) {
    // One connection for the whole test process, opened on first use (after
    // JoinSession has named the display).
    static Display* const display = XOpenDisplay(nullptr);
    if (!display) throw std::runtime_error("cannot open the X display");
    XImage* grabbed = XGetImage(display, DefaultRootWindow(display), x, y, static_cast<unsigned>(width),
                                static_cast<unsigned>(height), AllPlanes, ZPixmap);
    if (!grabbed) return {};
    QImage image(width, height, QImage::Format_RGB32);
    for (int row = 0; row < height; ++row) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(row));
        for (int col = 0; col < width; ++col) {
            const unsigned long p = XGetPixel(grabbed, col, row);
            // A 24-bit TrueColor screen: 0xRRGGBB.
            line[col] =
                qRgb(static_cast<int>((p >> 16) & 0xFF), static_cast<int>((p >> 8) & 0xFF), static_cast<int>(p & 0xFF));
        }
    }
    XDestroyImage(grabbed);
    return image;
}

}  // namespace desktop
