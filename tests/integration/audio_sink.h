// Hearing what the program played: test clips of pure tones (one frequency
// per clip number), a recorder of the session's null sink, and a recogniser
// that turns a recording back into the clip numbers with their times.
//
// The session must run a PulseAudio server with the null sink `test_sink`
// (tests/harness/session.sh start DIR --pulse); PULSE_SERVER names it.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace audio {

using SteadyTime = std::chrono::steady_clock::time_point;

constexpr int kRate = 22050;   // of the test clips and of recordings
constexpr int kFirstClip = 1;  // clip numbers of the voice pack
constexpr int kLastClip = 226;
constexpr double kClipSeconds = 0.3;    // length of every test clip
constexpr double kFadeSeconds = 0.005;  // raised-cosine fade at each end

// The tone of a clip number: 1000 Hz + 35 Hz per number.
double ToneFrequency(int clip);
// The samples of a test clip (mono, kRate).
std::vector<int16_t> ToneClip(int clip);
// A 16-bit mono PCM WAV file.
void WriteWav(const std::filesystem::path& path, const std::vector<int16_t>& samples, int rate = kRate);
// Replaces `program_dir`/wav (a link to the real voice pack, or nothing) by
// a folder holding the test clip of every number, NNNN.wav.
void InstallToneClips(const std::filesystem::path& program_dir);

// What was recorded, and when. The recorder notes when each piece of data
// arrived: a sample was at the sink shortly before the piece holding it
// arrived, and about 1 / kRate before the sample after it.
struct Recording {
    struct Arrival {
        SteadyTime time;
        std::size_t samples;  // recorded by then
    };
    std::vector<int16_t> samples;
    std::vector<Arrival> arrivals;

    [[nodiscard]] double Seconds() const { return static_cast<double>(samples.size()) / kRate; }
    // When the recording's point `at` (seconds into it) was at the sink,
    // judged from the pieces that arrived within a quarter second after it.
    // The sink renders ahead of time by its latency (about 8 ms here), so
    // this may come that much early; the monitor's timeline also gains a
    // few milliseconds whenever a new stream makes the sink rewind, which is
    // why only nearby pieces are used.
    [[nodiscard]] SteadyTime TimeOf(double at) const;
    // Seconds from `t` to the recording's point `at`.
    [[nodiscard]] double SecondsAfter(SteadyTime t, double at) const;
    // How far into the recording the moment `t` lies, in seconds.
    [[nodiscard]] double At(SteadyTime t) const;
};

// Records the monitor of the session's null sink while it lives. A silent,
// low-latency stream plays into the sink meanwhile: it keeps the sink's
// latency short and its timeline continuous (the session keeps one running
// too). Call WaitReady() before causing the sound to be heard.
class SinkRecorder {
public:
    SinkRecorder();
    ~SinkRecorder();
    SinkRecorder(const SinkRecorder&) = delete;
    SinkRecorder& operator=(const SinkRecorder&) = delete;

    // Waits until `lead` of the recording has arrived (the recorder then
    // runs steadily); false when nothing comes. The first recorder after
    // the sound server started takes about 2 s (session.sh start waits for
    // that one), later ones some 50 ms.
    bool WaitReady(std::chrono::duration<double> lead = std::chrono::milliseconds(300));
    // The recording so far, without stopping.
    Recording Snapshot();
    // Waits `tail`, stops, and returns everything recorded.
    Recording Stop(std::chrono::duration<double> tail = std::chrono::milliseconds(300));

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// One stretch of sound in a recording.
struct Heard {
    int clip;      // the test clip it is, -1 for a sound that is none of them
    double start;  // seconds into the recording of its first and last sample
    double end;
    int pieces = 1;  // after JoinPieces: how many stretches it was heard in
    [[nodiscard]] double Seconds() const { return end - start; }
};

// The test clips heard in `samples`, in order. A stretch of sound is one
// clip when its tone matches that clip's frequency; start and end are
// corrected for the fades, so a clip played whole lasts kClipSeconds and
// back-to-back clips leave a gap of about 0.
std::vector<Heard> Recognise(const std::vector<int16_t>& samples);

// Joins stretches of the same clip that follow each other within
// `max_pause`: a clip whose playback broke up (an underrun of the player's
// stream) is then one clip heard in several pieces, and lasts longer than
// it should by the silence that came in between.
std::vector<Heard> JoinPieces(const std::vector<Heard>& heard, double max_pause = 0.1);

// Clip numbers of `heard`, in order.
std::vector<int> Clips(const std::vector<Heard>& heard);
// Gaps (seconds) between the end of each clip and the start of the next.
std::vector<double> Gaps(const std::vector<Heard>& heard);
// The p-th percentile (0..100) of `values`, nearest rank; 0 when empty.
double Percentile(std::vector<double> values, double p);
// "1 (0.012-0.312), 10 (...)" for messages; a clip heard in pieces shows
// them as "[3 pieces]".
std::string Describe(const std::vector<Heard>& heard);

}  // namespace audio
