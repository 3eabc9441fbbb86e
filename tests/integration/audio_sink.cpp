#include "audio_sink.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <complex>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <numbers>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace audio {
namespace fs = std::filesystem;
using Steady = std::chrono::steady_clock;

namespace {

constexpr double kAmplitude = 0.5;  // of the test tones, of full scale

// ---------------------------------------------------------------- processes

// Starts argv[0] (looked up in PATH) with stdin from `stdin_path` and stdout
// into `stdout_fd` (or /dev/null when -1); stderr goes to /dev/null. The
// child dies with this process.
pid_t Spawn(const std::vector<std::string>& argv, const char* stdin_path, int stdout_fd) {
    std::vector<std::string> args = argv;
    std::vector<char*> cargs;
    for (auto& a : args) cargs.push_back(a.data());
    cargs.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        const int in = ::open(stdin_path, O_RDONLY);
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(in, STDIN_FILENO);
        ::dup2(stdout_fd >= 0 ? stdout_fd : null, STDOUT_FILENO);
        ::dup2(null, STDERR_FILENO);
        ::execvp(cargs[0], cargs.data());
        ::_exit(127);
    }
    return pid;
}

void EndChild(pid_t pid) {
    if (pid <= 0) return;
    ::kill(pid, SIGTERM);
    for (int i = 0; i < 100; ++i) {
        if (::waitpid(pid, nullptr, WNOHANG) == pid) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
}

// ---------------------------------------------------------------- analysis

void Fft(std::vector<std::complex<double>>& a) {
    const size_t n = a.size();
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) std::swap(a[i], a[j]);
    }
    for (size_t len = 2; len <= n; len <<= 1) {
        const double angle = -2 * std::numbers::pi / static_cast<double>(len);
        const std::complex<double> step(std::cos(angle), std::sin(angle));
        for (size_t i = 0; i < n; i += len) {
            std::complex<double> w(1);
            for (size_t k = 0; k < len / 2; ++k) {
                const auto u = a[i + k];
                const auto v = a[i + k + len / 2] * w;
                a[i + k] = u + v;
                a[i + k + len / 2] = u - v;
                w *= step;
            }
        }
    }
}

// The strongest frequency (Hz) among `samples[from, to)`: a 4096-point FFT
// of at most 4096 samples from the middle, Hann windowed, with the peak
// refined between bins.
double DominantFrequency(const std::vector<int16_t>& samples, size_t from, size_t to) {
    constexpr size_t kPoints = 4096;
    const size_t n = std::min(kPoints, to - from);
    const size_t first = from + (to - from - n) / 2;
    std::vector<std::complex<double>> a(kPoints);
    for (size_t i = 0; i < n; ++i) {
        const double hann =
            0.5 - 0.5 * std::cos(2 * std::numbers::pi * static_cast<double>(i) / static_cast<double>(n));
        a[i] = hann * samples[first + i];
    }
    Fft(a);
    const double bin_hz = static_cast<double>(kRate) / kPoints;
    const auto lo = static_cast<size_t>(ToneFrequency(kFirstClip) * 0.9 / bin_hz);
    const auto hi = std::min(kPoints / 2 - 2, static_cast<size_t>(ToneFrequency(kLastClip) * 1.05 / bin_hz));
    size_t peak = lo;
    for (size_t k = lo; k <= hi; ++k)
        if (std::abs(a[k]) > std::abs(a[peak])) peak = k;
    const double l = std::log(std::abs(a[peak - 1]) + 1e-9);
    const double c = std::log(std::abs(a[peak]) + 1e-9);
    const double r = std::log(std::abs(a[peak + 1]) + 1e-9);
    const double denom = l - 2 * c + r;
    const double shift = denom != 0 ? 0.5 * (l - r) / denom : 0;
    return (static_cast<double>(peak) + std::clamp(shift, -0.5, 0.5)) * bin_hz;
}

// Root mean square over a 2 ms window centred on each sample, in full-scale units.
std::vector<double> Envelope(const std::vector<int16_t>& samples) {
    constexpr size_t kHalf = kRate / 1000;  // 1 ms each side
    std::vector<double> prefix(samples.size() + 1, 0.0);
    for (size_t i = 0; i < samples.size(); ++i) {
        const double v = samples[i] / 32768.0;
        prefix[i + 1] = prefix[i] + v * v;
    }
    std::vector<double> env(samples.size());
    for (size_t i = 0; i < samples.size(); ++i) {
        const size_t a = i >= kHalf ? i - kHalf : 0;
        const size_t b = std::min(samples.size(), i + kHalf + 1);
        env[i] = std::sqrt((prefix[b] - prefix[a]) / static_cast<double>(b - a));
    }
    return env;
}

// A stretch counts as sound while its envelope is above this share of the
// loudest envelope; fades cross it a fixed time into the clip.
constexpr double kLevelShare = 0.3;
constexpr double kSilenceFloor = 0.01;  // below this a recording holds no sound

// How far into a clip its envelope rises above the threshold, and how long
// before its end it falls below it (in samples), measured on a test clip.
struct FadeOffsets {
    double start, end;
};
const FadeOffsets& Offsets() {
    static const FadeOffsets offsets = [] {
        // Silence around the clip, as in a recording.
        constexpr size_t kPad = 200;
        const std::vector<int16_t> clip = ToneClip(kFirstClip);
        std::vector<int16_t> padded(kPad, 0);
        padded.insert(padded.end(), clip.begin(), clip.end());
        padded.resize(padded.size() + kPad, 0);
        const auto env = Envelope(padded);
        const double threshold = kLevelShare * *std::max_element(env.begin(), env.end());
        size_t first = 0, last = env.size() - 1;
        while (first < env.size() && env[first] <= threshold) ++first;
        while (last > 0 && env[last] <= threshold) --last;
        return FadeOffsets{static_cast<double>(first - kPad), static_cast<double>(env.size() - 1 - kPad - last)};
    }();
    return offsets;
}

}  // namespace

// ---------------------------------------------------------------- clips

double ToneFrequency(int clip) { return 1000.0 + 35.0 * clip; }

std::vector<int16_t> ToneClip(int clip) {
    const auto n = static_cast<size_t>(kClipSeconds * kRate);
    const auto fade = static_cast<size_t>(kFadeSeconds * kRate);
    const double f = ToneFrequency(clip);
    std::vector<int16_t> out(n);
    for (size_t i = 0; i < n; ++i) {
        double gain = 1.0;
        const size_t edge = std::min(i, n - 1 - i);
        if (edge < fade) {
            const double s = std::sin(std::numbers::pi / 2 * static_cast<double>(edge) / fade);
            gain = s * s;
        }
        const double v = kAmplitude * gain * std::sin(2 * std::numbers::pi * f * static_cast<double>(i) / kRate);
        out[i] = static_cast<int16_t>(std::lround(v * 32767));
    }
    return out;
}

void WriteWav(const fs::path& path, const std::vector<int16_t>& samples, int rate) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) throw std::runtime_error("cannot write " + path.string());
    auto u32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i) out.put(static_cast<char>((v >> (8 * i)) & 0xFF));
    };
    auto u16 = [&](uint16_t v) {
        out.put(static_cast<char>(v & 0xFF));
        out.put(static_cast<char>(v >> 8));
    };
    const auto data_bytes = static_cast<uint32_t>(samples.size() * 2);
    out.write("RIFF", 4);
    u32(36 + data_bytes);
    out.write("WAVEfmt ", 8);
    u32(16);
    u16(1);  // PCM
    u16(1);  // mono
    u32(static_cast<uint32_t>(rate));
    u32(static_cast<uint32_t>(rate) * 2);
    u16(2);
    u16(16);
    out.write("data", 4);
    u32(data_bytes);
    for (int16_t s : samples) u16(static_cast<uint16_t>(s));
}

void InstallToneClips(const fs::path& program_dir) {
    const fs::path wav = program_dir / "wav";
    // remove() on a link removes the link, never the voice pack it points to.
    if (fs::is_symlink(wav)) fs::remove(wav);
    fs::create_directories(wav);
    for (int clip = kFirstClip; clip <= kLastClip; ++clip) {
        char name[16];
        std::snprintf(name, sizeof name, "%04d.wav", clip);
        WriteWav(wav / name, ToneClip(clip));
    }
}

// ---------------------------------------------------------------- recording

namespace {
Steady::duration SampleTime(double samples) {
    return std::chrono::duration_cast<Steady::duration>(std::chrono::duration<double>(samples / kRate));
}
}  // namespace

SteadyTime Recording::TimeOf(double at) const {
    const double index = at * kRate;
    // Every piece that arrived after the sample puts an upper bound on its
    // time; the tightest of the nearby ones is the estimate.
    constexpr double kWindow = 0.25 * kRate;
    std::optional<SteadyTime> best;
    for (const Arrival& a : arrivals) {
        const double after = static_cast<double>(a.samples) - index;
        if (after < 0) continue;
        if (after > kWindow && best) break;
        const SteadyTime bound = a.time - SampleTime(after);
        if (!best || bound < *best) best = bound;
    }
    if (best) return *best;
    // Past the last piece: count on from it.
    if (arrivals.empty()) return Steady::time_point{};
    return arrivals.back().time + SampleTime(index - static_cast<double>(arrivals.back().samples));
}

double Recording::SecondsAfter(SteadyTime t, double at) const {
    return std::chrono::duration<double>(TimeOf(at) - t).count();
}

double Recording::At(SteadyTime t) const {
    // The first piece that arrived at or after `t`, counted back from.
    for (const Arrival& a : arrivals)
        if (a.time >= t)
            return std::max(0.0,
                            static_cast<double>(a.samples) / kRate - std::chrono::duration<double>(a.time - t).count());
    return Seconds();
}

struct SinkRecorder::Impl {
    pid_t recorder = -1;
    pid_t keep_awake = -1;
    int fd = -1;
    std::thread reader;
    std::mutex mutex;
    std::vector<int16_t> samples;
    std::vector<Recording::Arrival> arrivals;
    bool odd_byte = false;
    uint8_t pending = 0;

    void Read() {
        uint8_t buf[8192];
        for (;;) {
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return;
            const auto now = Steady::now();
            std::lock_guard lock(mutex);
            ssize_t i = 0;
            if (odd_byte) {
                samples.push_back(static_cast<int16_t>(pending | (buf[0] << 8)));
                odd_byte = false;
                i = 1;
            }
            for (; i + 1 < n; i += 2) samples.push_back(static_cast<int16_t>(buf[i] | (buf[i + 1] << 8)));
            if (i < n) {
                pending = buf[i];
                odd_byte = true;
            }
            arrivals.push_back({now, samples.size()});
        }
    }

    Recording Take() {
        std::lock_guard lock(mutex);
        return Recording{samples, arrivals};
    }
};

SinkRecorder::SinkRecorder() : impl_(std::make_unique<Impl>()) {
    const char* server = std::getenv("PULSE_SERVER");
    if (!server || !*server) throw std::runtime_error("no sound server in this session (PULSE_SERVER is unset)");
    impl_->keep_awake = Spawn({"pacat", "--playback", "--latency-msec=30", "--format=s16le", "--channels=1",
                               "--rate=" + std::to_string(kRate), "--device=test_sink"},
                              "/dev/zero", -1);
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    impl_->recorder = Spawn({"parec", "--device=test_sink.monitor", "--format=s16le", "--channels=1",
                             "--rate=" + std::to_string(kRate), "--latency-msec=20"},
                            "/dev/null", fds[1]);
    ::close(fds[1]);
    impl_->fd = fds[0];
    impl_->reader = std::thread([impl = impl_.get()] { impl->Read(); });
}

SinkRecorder::~SinkRecorder() {
    EndChild(impl_->recorder);
    EndChild(impl_->keep_awake);
    if (impl_->reader.joinable()) impl_->reader.join();
    if (impl_->fd >= 0) ::close(impl_->fd);
}

bool SinkRecorder::WaitReady(std::chrono::duration<double> lead) {
    const auto deadline = Steady::now() + lead + std::chrono::seconds(5);
    const auto wanted = static_cast<size_t>(lead.count() * kRate);
    for (;;) {
        {
            std::lock_guard lock(impl_->mutex);
            if (impl_->samples.size() >= wanted) return true;
        }
        if (Steady::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

Recording SinkRecorder::Snapshot() { return impl_->Take(); }

Recording SinkRecorder::Stop(std::chrono::duration<double> tail) {
    std::this_thread::sleep_for(tail);
    EndChild(impl_->recorder);
    impl_->recorder = -1;
    if (impl_->reader.joinable()) impl_->reader.join();
    EndChild(impl_->keep_awake);
    impl_->keep_awake = -1;
    return impl_->Take();
}

// ---------------------------------------------------------------- recognition

std::vector<Heard> Recognise(const std::vector<int16_t>& samples) {
    std::vector<Heard> heard;
    if (samples.empty()) return heard;
    const auto env = Envelope(samples);
    const double loudest = *std::max_element(env.begin(), env.end());
    if (loudest < kSilenceFloor) return heard;
    const double threshold = kLevelShare * loudest;
    const auto min_run = static_cast<size_t>(0.010 * kRate);  // shorter blips are no clip
    const FadeOffsets& fade = Offsets();

    size_t i = 0;
    while (i < env.size()) {
        if (env[i] <= threshold) {
            ++i;
            continue;
        }
        const size_t from = i;
        while (i < env.size() && env[i] > threshold) ++i;
        const size_t to = i;  // one past the last sample above the threshold
        if (to - from < min_run) continue;
        const double f = DominantFrequency(samples, from, to);
        const int clip = static_cast<int>(std::lround((f - ToneFrequency(0)) / (ToneFrequency(1) - ToneFrequency(0))));
        const bool known = clip >= kFirstClip && clip <= kLastClip && std::abs(f - ToneFrequency(clip)) < 10.0;
        heard.push_back(Heard{known ? clip : -1, (static_cast<double>(from) - fade.start) / kRate,
                              (static_cast<double>(to - 1) + fade.end + 1) / kRate});
    }
    return heard;
}

std::vector<Heard> JoinPieces(const std::vector<Heard>& heard, double max_pause) {
    std::vector<Heard> joined;
    for (const Heard& h : heard) {
        if (!joined.empty() && joined.back().clip == h.clip && h.start - joined.back().end < max_pause) {
            joined.back().end = h.end;
            joined.back().pieces += h.pieces;
        } else {
            joined.push_back(h);
        }
    }
    return joined;
}

std::vector<int> Clips(const std::vector<Heard>& heard) {
    std::vector<int> clips;
    for (const Heard& h : heard) clips.push_back(h.clip);
    return clips;
}

std::vector<double> Gaps(const std::vector<Heard>& heard) {
    std::vector<double> gaps;
    for (size_t i = 1; i < heard.size(); ++i) gaps.push_back(heard[i].start - heard[i - 1].end);
    return gaps;
}

double Percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const auto rank = static_cast<size_t>(std::ceil(p / 100.0 * static_cast<double>(values.size())));
    return values[std::clamp<size_t>(rank, 1, values.size()) - 1];
}

std::string Describe(const std::vector<Heard>& heard) {
    std::ostringstream out;
    out.precision(3);
    out << std::fixed;
    for (size_t i = 0; i < heard.size(); ++i) {
        out << (i ? ", " : "") << heard[i].clip << " (" << heard[i].start << "-" << heard[i].end << ")";
        if (heard[i].pieces > 1) out << " [" << heard[i].pieces << " pieces]";
    }
    return heard.empty() ? "nothing" : out.str();
}

}  // namespace audio
