// The sound server going away in the middle of the spoken time and coming
// back: the clock keeps running, and the next time it speaks it is heard
// again. The test runs a sound server of its own, so that killing it
// touches no other test.
#include <signal.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "audio_sink.h"
#include "clock_fixture.h"

namespace desktop {
namespace fs = std::filesystem;
namespace {

constexpr int kLeft = 140;
constexpr int kTop = 160;

// A PulseAudio server with a null sink, on a socket in a folder of its own.
class PrivateServer {
public:
    explicit PrivateServer(const fs::path& home) : home_(home) {
        fs::create_directories(home_ / "run");
        fs::permissions(home_ / "run", fs::perms::owner_all, fs::perm_options::replace);
    }
    bool Start() {
        server_ = Process({"/usr/bin/pulseaudio", "--daemonize=no", "--exit-idle-time=-1", "-n",
                           "--load=module-null-sink sink_name=private_sink", "--load=module-native-protocol-unix"},
                          Env(), home_ / "pulse.log");
        return PollUntil(
            [&] {
                return Run({"/usr/bin/env", "PULSE_SERVER=" + Address(), "pactl", "info"}).exit_code == 0;
            },
            10s, 100ms);
    }
    void Kill() {
        server_.Signal(SIGKILL);
        server_.WaitExit(5s);
    }
    // Records the sink's monitor into `file` (mono, audio::kRate, raw).
    Process Record(const fs::path& file) {
        return Process(
            {"/usr/bin/parec", "--device=private_sink.monitor", "--format=s16le", "--channels=1",
             "--rate=" + std::to_string(audio::kRate), "--latency-msec=30", "--file-format=raw", file.string()},
            Env(), home_ / "parec.log");
    }
    std::string Address() const { return "unix:" + Runtime() + "/pulse/native"; }

private:
    std::string Runtime() const { return (home_ / "run").string(); }
    // The session's own server is named in this process's environment too.
    std::map<std::string, std::string> Env() const {
        return {{"XDG_RUNTIME_DIR", Runtime()}, {"HOME", home_}, {"PULSE_SERVER", Address()}};
    }
    fs::path home_;
    Process server_;
};

std::vector<int16_t> Samples(const fs::path& raw) {
    std::ifstream in(raw, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<int16_t> samples(bytes.size() / 2);
    if (!samples.empty()) std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
}

TEST(SoundServer, KilledInTheMiddleOfAClipAndBackTheNextClipIsHeard) {
    ProgramFolder folder;
    PrivateServer server(folder.dir() / "pulse");
    ASSERT_TRUE(server.Start()) << "no private sound server";
    audio::InstallToneClips(folder.dir());
    std::ostringstream ini;
    ini << "[Setting]\nLeft=" << kLeft << "\nTop=" << kTop << "\nEvent=7\nChar0=True\n";
    folder.WriteIni(ini.str());

    ClockOptions options;
    options.fake_start = "2026-12-10 15:45:01";
    options.env["PULSE_SERVER"] = server.Address();
    auto clock = StartClock(folder, options);
    ASSERT_TRUE(clock);
    const Geometry g = WaitForPlace(*clock, kLeft, kTop);
    auto speak = [&] { PressMoveRelease(1, g.x + 115, g.y + 109, g.x + 115, g.y + 109); };

    // The server dies half-way through the second word of 3:45 PM.
    speak();
    std::this_thread::sleep_for(450ms);
    server.Kill();
    std::this_thread::sleep_for(1s);
    ASSERT_TRUE(clock->process().Running()) << folder.Log();

    ASSERT_TRUE(server.Start()) << "the sound server did not come back";
    const fs::path raw = folder.dir() / "after.raw";
    Process recorder = server.Record(raw);
    std::this_thread::sleep_for(500ms);
    speak();
    const std::vector<int> expected{2, 6, 26, 32};  // PM, three, forty, five
    std::vector<audio::Heard> heard;
    PollUntil(
        [&] {
            heard = audio::JoinPieces(audio::Recognise(Samples(raw)), 0.15);
            return audio::Clips(heard).size() >= expected.size();
        },
        10s, 200ms);
    std::this_thread::sleep_for(300ms);
    recorder.Signal(SIGINT);  // parec writes out what it holds as it ends
    recorder.WaitExit(5s);
    heard = audio::JoinPieces(audio::Recognise(Samples(raw)), 0.15);
    EXPECT_EQ(audio::Clips(heard), expected)
        << audio::Describe(heard) << "; " << fs::file_size(raw) << " bytes recorded\n"
        << folder.Log();
    EXPECT_TRUE(clock->process().Running()) << folder.Log();
}

}  // namespace
}  // namespace desktop
