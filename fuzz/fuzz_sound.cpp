// The media command language over a silent output.  The input is a list of
// lines: each is a command for SendString, or, after a leading '!', a path
// for PlaySound.  The first byte picks the reply buffer's length (0 to 255
// bytes, allocated to the byte so an overrun shows).  "@/" in a line stands
// for a folder holding a playable clip a.wav, a file b.wav that is no WAV
// and a folder d.
// Checked: results are 0 or a documented error code, each with its text;
// the reply is terminated inside the buffer and is "playing", "stopped" or
// empty (cut to the buffer); the output is handed only sound it can play.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "platform/SoundSystem.h"

namespace {

class SilentOutput final : public platform::AudioOutput {
public:
    void Start(platform::Channel, const platform::AudioClip& clip) override {
        FUZZ_CHECK(!clip.samples.empty() && clip.rate > 0 && clip.channels > 0, "an unplayable clip was started");
        playingPolls_ = 3;
    }
    bool Playing(platform::Channel) override { return playingPolls_-- > 0; }
    void Stop(platform::Channel) override { playingPolls_ = 0; }
    void Wait(platform::Channel) override { playingPolls_ = 0; }

private:
    int playingPolls_ = 0;
};

void Put(std::string& s, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) s += static_cast<char>(v >> (8 * i));
}

// 10 ms of silence, 8 kHz mono 16-bit.
std::string g_dir;

// The line with every "@/" replaced by the folder of sample files.
std::string WithFolder(std::string_view line) {
    std::string out;
    for (std::size_t at = 0;;) {
        const std::size_t mark = line.find("@/", at);
        out.append(line.substr(at, mark - at));
        if (mark == std::string_view::npos) return out;
        out += g_dir + "/";
        at = mark + 2;
    }
}

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

bool Prefix(std::string_view reply, std::string_view word, uint32_t length) {
    return reply == word.substr(0, length - 1);
}

void Send(platform::SoundSystem& sound, std::string_view command, uint32_t length) {
    std::unique_ptr<char[]> reply(length ? new char[length] : nullptr);
    if (length) std::memset(reply.get(), '#', length);
    const uint32_t result = sound.SendString(command, reply.get(), length, nullptr);
    FUZZ_CHECK(result <= platform::kMediaDeviceBusy, "result %u", result);
    if (length == 0) return;
    const void* end = std::memchr(reply.get(), '\0', length);
    FUZZ_CHECK(end != nullptr, "the reply is not terminated inside %u bytes", length);
    const std::string_view text(reply.get());
    FUZZ_CHECK(text.empty() || Prefix(text, "playing", length) || Prefix(text, "stopped", length),
               "reply \"%.*s\"", static_cast<int>(text.size()), text.data());
    FUZZ_CHECK(text.empty() || (result == 0 && command.substr(0, 7) == "status "), "reply \"%s\" to result %u",
               std::string(text).c_str(), result);

    char message[64];
    const bool known = sound.GetErrorString(result, message, sizeof message);
    FUZZ_CHECK(known == (result != 0), "GetErrorString(%u) says %d", result, known);
    FUZZ_CHECK(std::memchr(message, '\0', sizeof message) != nullptr, "error text not terminated");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const char* base = getenv("TMPDIR") ? getenv("TMPDIR") : "/tmp";
    std::string dir = std::string(base) + "/tessuri_fuzz_sound.XXXXXX";
    FUZZ_CHECK(mkdtemp(dir.data()) != nullptr, "no temporary folder under %s", base);
    g_dir = dir;
    std::atexit([] { std::error_code ec; std::filesystem::remove_all(g_dir, ec); });
    std::ofstream(g_dir + "/a.wav", std::ios::binary) << TinyWav();
    std::ofstream(g_dir + "/b.wav", std::ios::binary) << std::string("RIFF\x04\0\0\0WAVE", 12);
    mkdir((g_dir + "/d").c_str(), 0700);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const uint32_t length = data[0];
    std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    SilentOutput output;
    platform::SoundSystem sound(output);
    int commands = 0;
    while (!rest.empty() && commands++ < 64) {
        const std::size_t nl = rest.find('\n');
        const std::string line = WithFolder(rest.substr(0, nl));
        rest = nl == std::string_view::npos ? std::string_view() : rest.substr(nl + 1);
        if (!line.empty() && line.front() == '!') {
            sound.PlaySound(line.substr(1), static_cast<uint16_t>(commands & 1));
        } else {
            Send(sound, line, length);
        }
    }
    return 0;
}
