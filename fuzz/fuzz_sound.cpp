// The sound layer's calls over a silent output.  The input is a list of
// lines, one call each, named by the line's first byte; the rest of the
// line, NULs and quotes included, is the path where the call takes one:
//   oPATH  OpenClip        p  PlayClip        q  IsClipPlaying
//   c      CloseClip       wPATH  PlaySound, waiting    nPATH  PlaySound, not waiting
// Any other line is skipped.  "@/" in a path stands for a folder holding a
// playable clip a.wav, a file b.wav that is no WAV, a folder d and a FIFO f.
// Checked against a model of the one media clip: never two clips open (an
// open while one is open fails and leaves it as it was), a failed open plays
// nothing, the clip plays only after PlayClip and as long as the output
// plays it, a close always leaves none open, one-shot clips never touch the
// media clip, and the output is handed only sound it can play.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "platform/SoundSystem.h"

namespace {

using platform::Channel;
using platform::ClipError;

// What a channel of the output was asked to do.
struct ChannelLog {
    int starts = 0;
    int stops = 0;
    int waits = 0;
    int pollsLeft = 0;  // how many more Playing() queries answer true
    bool operator==(const ChannelLog&) const = default;
};

class SilentOutput final : public platform::AudioOutput {
public:
    ChannelLog oneShot, media;
    void Start(Channel ch, const platform::AudioClip& clip) override {
        FUZZ_CHECK(!clip.samples.empty() && clip.rate > 0 && clip.channels > 0, "an unplayable clip was started");
        ++Of(ch).starts;
        Of(ch).pollsLeft = 3;
    }
    bool Playing(Channel ch) override {
        if (Of(ch).pollsLeft == 0) return false;
        --Of(ch).pollsLeft;
        return true;
    }
    void Stop(Channel ch) override {
        ++Of(ch).stops;
        Of(ch).pollsLeft = 0;
    }
    void Wait(Channel ch) override {
        ++Of(ch).waits;
        Of(ch).pollsLeft = 0;
    }

private:
    ChannelLog& Of(Channel ch) { return ch == Channel::kOneShot ? oneShot : media; }
};

// The media clip as the calls so far leave it.
struct Model {
    bool open = false;
    bool started = false;
};

std::string g_dir;

void Put(std::string& s, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) s += static_cast<char>(v >> (8 * i));
}

// 10 ms of silence, 8 kHz mono 16-bit.
std::string TinyWav() {
    const std::string samples(160, '\0');
    std::string b = "WAVEfmt ";
    Put(b, 16, 4), Put(b, 1, 2), Put(b, 1, 2), Put(b, 8000, 4), Put(b, 16000, 4), Put(b, 2, 2), Put(b, 16, 2);
    b += "data";
    Put(b, static_cast<uint32_t>(samples.size()), 4);
    b += samples;
    std::string file = "RIFF";
    Put(file, static_cast<uint32_t>(b.size()), 4);
    return file + b;
}

// The path with every "@/" replaced by the folder of sample files.
std::string WithFolder(std::string_view path) {
    std::string out;
    for (std::size_t at = 0;;) {
        const std::size_t mark = path.find("@/", at);
        out.append(path.substr(at, mark - at));
        if (mark == std::string_view::npos) return out;
        out += g_dir + "/";
        at = mark + 2;
    }
}

bool Known(ClipError e) { return static_cast<int>(e) <= static_cast<int>(ClipError::kNotOpen); }

// The result a fresh open must give for the sample paths, when it is certain.
bool Expected(const std::string& path, ClipError* e) {
    if (path.empty() || path.find('\0') != std::string::npos)
        *e = ClipError::kFileNotFound;
    else if (path == g_dir + "/a.wav")
        *e = ClipError::kNone;
    else if (path == g_dir + "/b.wav" || path == g_dir + "/d" || path == g_dir + "/f")
        *e = ClipError::kUnreadableFile;
    else
        return false;
    return true;
}

void Open(platform::SoundSystem& sound, const SilentOutput& out, Model& m, const std::string& path) {
    const SilentOutput before = out;
    const ClipError e = sound.OpenClip(path);
    FUZZ_CHECK(Known(e), "open gave %d", static_cast<int>(e));
    FUZZ_CHECK(out.media == before.media && out.oneShot == before.oneShot, "opening touched the output");
    if (m.open) {
        FUZZ_CHECK(e == ClipError::kAlreadyOpen, "a second clip opened (%d)", static_cast<int>(e));
        return;
    }
    FUZZ_CHECK(e != ClipError::kAlreadyOpen && e != ClipError::kNotOpen, "open with none open gave %d",
               static_cast<int>(e));
    ClipError expected{};
    if (Expected(path, &expected))
        FUZZ_CHECK(e == expected, "open of a sample path gave %d, not %d", static_cast<int>(e),
                   static_cast<int>(expected));
    m.open = e == ClipError::kNone;
    m.started = false;
}

void Play(platform::SoundSystem& sound, const SilentOutput& out, Model& m) {
    const ChannelLog before = out.media;
    const ClipError e = sound.PlayClip();
    if (!m.open) {
        FUZZ_CHECK(e == ClipError::kNotOpen && out.media == before, "played with no clip open (%d)",
                   static_cast<int>(e));
        return;
    }
    FUZZ_CHECK(e == ClipError::kNone && out.media.starts == before.starts + 1, "the open clip did not start (%d)",
               static_cast<int>(e));
    m.started = true;
}

void Query(platform::SoundSystem& sound, const SilentOutput& out, const Model& m) {
    const bool outputPlays = out.media.pollsLeft > 0;
    const platform::ClipQuery q = sound.IsClipPlaying();
    if (!m.open) {
        FUZZ_CHECK(q.error == ClipError::kNotOpen && !q.playing, "query with no clip open gave %d/%d",
                   static_cast<int>(q.error), q.playing);
        return;
    }
    FUZZ_CHECK(q.error == ClipError::kNone, "query of the open clip gave %d", static_cast<int>(q.error));
    FUZZ_CHECK(q.playing == (m.started && outputPlays), "playing %d, started %d, output plays %d", q.playing, m.started,
               outputPlays);
}

void Close(platform::SoundSystem& sound, const SilentOutput& out, Model& m) {
    const ChannelLog before = out.media;
    const ClipError e = sound.CloseClip();
    if (m.open) {
        FUZZ_CHECK(e == ClipError::kNone && out.media.stops == before.stops + 1, "the open clip was not silenced (%d)",
                   static_cast<int>(e));
    } else {
        FUZZ_CHECK(e == ClipError::kNotOpen && out.media == before, "closed with no clip open (%d)",
                   static_cast<int>(e));
    }
    m = Model{};
    FUZZ_CHECK(sound.IsClipPlaying().error == ClipError::kNotOpen, "a clip is still open after the close");
}

void PlayOnce(platform::SoundSystem& sound, const SilentOutput& out, const std::string& path, platform::PlayMode mode) {
    const SilentOutput before = out;
    sound.PlaySound(path, mode);
    FUZZ_CHECK(out.media == before.media, "a one-shot clip touched the media clip");
    FUZZ_CHECK(out.oneShot.starts == before.oneShot.starts + 1, "a one-shot clip (or the chime) did not start");
    FUZZ_CHECK(out.oneShot.waits == before.oneShot.waits + (mode == platform::PlayMode::kWait ? 1 : 0),
               "waited wrongly");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const char* base = getenv("TMPDIR") ? getenv("TMPDIR") : "/tmp";
    std::string dir = std::string(base) + "/tessuri_fuzz_sound.XXXXXX";
    FUZZ_CHECK(mkdtemp(dir.data()) != nullptr, "no temporary folder under %s", base);
    g_dir = dir;
    std::atexit([] {
        std::error_code ec;
        std::filesystem::remove_all(g_dir, ec);
    });
    std::ofstream(g_dir + "/a.wav", std::ios::binary) << TinyWav();
    std::ofstream(g_dir + "/b.wav", std::ios::binary) << std::string("RIFF\x04\0\0\0WAVE", 12);
    FUZZ_CHECK(mkdir((g_dir + "/d").c_str(), 0700) == 0, "no folder d");
    // Opening it for reading would wait for a writer: a path to it must be refused at once.
    FUZZ_CHECK(mkfifo((g_dir + "/f").c_str(), 0600) == 0, "no FIFO f");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    SilentOutput output;
    platform::SoundSystem sound(output);
    Model model;
    for (int calls = 0; !rest.empty() && calls < 64; ++calls) {
        const std::size_t nl = rest.find('\n');
        const std::string_view line = rest.substr(0, nl);
        rest = nl == std::string_view::npos ? std::string_view() : rest.substr(nl + 1);
        if (line.empty()) continue;
        const std::string path = WithFolder(line.substr(1));
        switch (line.front()) {
            case 'o': Open(sound, output, model, path); break;
            case 'p': Play(sound, output, model); break;
            case 'q': Query(sound, output, model); break;
            case 'c': Close(sound, output, model); break;
            case 'w': PlayOnce(sound, output, path, platform::PlayMode::kWait); break;
            case 'n': PlayOnce(sound, output, path, platform::PlayMode::kNoWait); break;
            default: break;
        }
    }
    // However the calls ended, a close leaves nothing open.
    Close(sound, output, model);
    return 0;
}
