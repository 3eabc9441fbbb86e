// Checks the voice clips the build put into the program's wav/ folder:
// every clip the clock plays is there, is a PCM WAV the player opens
// (22050 Hz, 16-bit, mono) with an honest data chunk, and is audible;
// and the five characters sound different from each other.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#ifndef TESSURI_WAV_DIR
#error "TESSURI_WAV_DIR must name the folder of the built voice clips"
#endif

namespace {

constexpr int kRate = 22050;
constexpr const char* kNames[5] = {"Rumika", "Shiore", "Yatsuha", "Pelulu", "Mazeri"};

struct Clip {
    int number;
    int character;  // -1 for the shared timer sound
    std::string meaning;
};

// Every clip the program plays.  Within a time-signal block (38 per
// character) k = 3, 16, 37 and 38 are never played and are not listed.
std::vector<Clip> playedClips() {
    std::vector<Clip> clips;
    for (int c = 0; c < 5; ++c) {
        const int b = 38 * c;
        clips.push_back({b + 1, c, "AM"});
        clips.push_back({b + 2, c, "PM"});
        for (int h = 1; h <= 12; ++h) clips.push_back({b + 3 + h, c, "hour " + std::to_string(h)});
        clips.push_back({b + 17, c, "full hour"});
        for (int t = 1; t <= 5; ++t) clips.push_back({b + 17 + t, c, std::to_string(10 * t) + " minutes"});
        for (int t = 1; t <= 5; ++t) clips.push_back({b + 22 + t, c, "tens " + std::to_string(10 * t)});
        for (int u = 1; u <= 9; ++u) clips.push_back({b + 27 + u, c, "units " + std::to_string(u)});
    }
    for (int c = 0; c < 5; ++c) clips.push_back({191 + c, c, "alarm line"});
    for (int c = 0; c < 5; ++c) clips.push_back({196 + c, c, "countdown line"});
    clips.push_back({201, -1, "timer call-out sound"});
    static const char* kStage[5] = {"arriving", "soaking 1", "soaking 2", "too hot", "leaving"};
    for (int c = 0; c < 5; ++c)
        for (int p = 0; p < 5; ++p) clips.push_back({202 + 5 * c + p, c, std::string("stage ") + kStage[p]});
    return clips;
}

bool isTimeWord(const Clip& clip) { return clip.number <= 190; }

std::string fileName(int number) {
    char name[16];
    std::snprintf(name, sizeof name, "%04d.wav", number);
    return name;
}

std::string describe(const Clip& clip) {
    return fileName(clip.number) + " (" + (clip.character < 0 ? "all" : kNames[clip.character]) + ", " + clip.meaning +
           ")";
}

uint32_t le32(const unsigned char* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }
uint16_t le16(const unsigned char* p) { return uint16_t(p[0] | p[1] << 8); }

struct Wav {
    std::vector<float> samples;  // -1..1
};

// Parses a WAV file and accepts only what the clips must be: PCM,
// 22050 Hz, 16-bit, mono, a RIFF size that matches the file and a data
// chunk that lies inside it and holds whole samples.  Returns the reason
// on failure.
std::optional<Wav> readWav(const std::string& path, std::string& why) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        why = "missing or unreadable";
        return std::nullopt;
    }
    const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(in), {}};
    const size_t size = bytes.size();
    const unsigned char* d = bytes.data();
    if (size < 12 || std::string(d, d + 4) != "RIFF" || std::string(d + 8, d + 12) != "WAVE") {
        why = "not a RIFF/WAVE file";
        return std::nullopt;
    }
    if (le32(d + 4) + 8ull != size) {
        why = "RIFF size " + std::to_string(le32(d + 4)) + " does not match file size " + std::to_string(size);
        return std::nullopt;
    }
    bool haveFormat = false;
    size_t pos = 12;
    while (pos + 8 <= size) {
        const std::string id(d + pos, d + pos + 4);
        const uint64_t len = le32(d + pos + 4);
        const size_t body = pos + 8;
        if (body + len > size) {
            why = "chunk '" + id + "' of " + std::to_string(len) + " bytes runs past the end of the file";
            return std::nullopt;
        }
        if (id == "fmt ") {
            if (len < 16) {
                why = "fmt chunk too short";
                return std::nullopt;
            }
            const uint16_t tag = le16(d + body), channels = le16(d + body + 2);
            const uint32_t rate = le32(d + body + 4), byteRate = le32(d + body + 8);
            const uint16_t align = le16(d + body + 12), bits = le16(d + body + 14);
            if (tag != 1 || channels != 1 || rate != kRate || bits != 16 || align != 2 || byteRate != 2 * kRate) {
                why = "format tag " + std::to_string(tag) + ", " + std::to_string(channels) + " channel(s), " +
                      std::to_string(rate) + " Hz, " + std::to_string(bits) + " bit; want PCM 22050 Hz 16-bit mono";
                return std::nullopt;
            }
            haveFormat = true;
        } else if (id == "data") {
            if (!haveFormat) {
                why = "data chunk before fmt chunk";
                return std::nullopt;
            }
            if (len == 0 || len % 2 != 0) {
                why = "data chunk of " + std::to_string(len) + " bytes does not hold whole 16-bit samples";
                return std::nullopt;
            }
            Wav wav;
            wav.samples.reserve(len / 2);
            for (size_t i = 0; i < len; i += 2) wav.samples.push_back(int16_t(le16(d + body + i)) / 32768.0f);
            return wav;
        }
        pos = body + len + (len & 1);
    }
    why = haveFormat ? "no data chunk" : "no fmt chunk";
    return std::nullopt;
}

double rms(const std::vector<float>& s) {
    double sum = 0;
    for (float v : s) sum += double(v) * v;
    return s.empty() ? 0 : std::sqrt(sum / s.size());
}

double median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// Fundamental frequency of a clip: normalised autocorrelation per frame,
// over loud frames that are clearly periodic; the median of those frames.
// Returns 0 when fewer than three frames are voiced.
double fundamental(const std::vector<float>& s) {
    constexpr int kWindow = 512, kHop = 256;
    constexpr int kMinLag = kRate / 800, kMaxLag = kRate / 70;
    std::vector<double> frameRms;
    for (size_t at = 0; at + kWindow + kMaxLag + 2 <= s.size(); at += kHop) {
        double e = 0;
        for (int i = 0; i < kWindow; ++i) e += double(s[at + i]) * s[at + i];
        frameRms.push_back(std::sqrt(e / kWindow));
    }
    if (frameRms.empty()) return 0;
    const double loud = 0.25 * *std::max_element(frameRms.begin(), frameRms.end());

    std::vector<double> f0s;
    std::array<double, kMaxLag + 2> r{};
    for (size_t f = 0; f < frameRms.size(); ++f) {
        if (frameRms[f] < loud) continue;
        const float* x = s.data() + f * kHop;
        double e0 = 0;
        for (int i = 0; i < kWindow; ++i) e0 += double(x[i]) * x[i];
        double best = 0;
        for (int lag = kMinLag; lag <= kMaxLag + 1; ++lag) {
            double xy = 0, e1 = 0;
            for (int i = 0; i < kWindow; ++i) {
                xy += double(x[i]) * x[i + lag];
                e1 += double(x[i + lag]) * x[i + lag];
            }
            r[lag] = xy / std::sqrt(e0 * e1 + 1e-12);
            if (lag <= kMaxLag) best = std::max(best, r[lag]);
        }
        if (best < 0.6) continue;  // not voiced
        // The first peak close to the best one: the period, not a multiple of it.
        for (int lag = kMinLag + 1; lag <= kMaxLag; ++lag) {
            if (r[lag] >= 0.9 * best && r[lag] >= r[lag - 1] && r[lag] >= r[lag + 1]) {
                const double a = r[lag - 1], b = r[lag], c = r[lag + 1];
                const double den = a - 2 * b + c;
                const double shift = den != 0 ? 0.5 * (a - c) / den : 0;
                f0s.push_back(kRate / (lag + shift));
                break;
            }
        }
    }
    return f0s.size() >= 3 ? median(f0s) : 0;
}

TEST(VoicePack, EveryPlayedClipIsAudiblePcm22050Mono16) {
    for (const Clip& clip : playedClips()) {
        std::string why;
        const auto wav = readWav(std::string(TESSURI_WAV_DIR) + "/" + fileName(clip.number), why);
        if (!wav) {
            ADD_FAILURE() << describe(clip) << ": " << why;
            continue;
        }
        EXPECT_GE(rms(wav->samples), 0.01) << describe(clip) << " is silent";
    }
}

TEST(VoicePack, FiveVoicesDifferInMedianPitchByAtLeast8Percent) {
    std::array<std::vector<double>, 5> perClip;
    for (const Clip& clip : playedClips()) {
        if (!isTimeWord(clip)) continue;
        std::string why;
        const auto wav = readWav(std::string(TESSURI_WAV_DIR) + "/" + fileName(clip.number), why);
        ASSERT_TRUE(wav) << describe(clip) << ": " << why;
        const double f0 = fundamental(wav->samples);
        if (f0 > 0) perClip[clip.character].push_back(f0);
    }
    std::array<double, 5> pitch{};
    for (int c = 0; c < 5; ++c) {
        ASSERT_GE(perClip[c].size(), 20u) << kNames[c] << ": too few time words with a measurable pitch";
        pitch[c] = median(perClip[c]);
        RecordProperty(std::string("median_pitch_hz_") + kNames[c], std::to_string(std::lround(pitch[c])));
        std::printf("%-8s median pitch %.0f Hz over %zu time words\n", kNames[c], pitch[c], perClip[c].size());
    }
    for (int a = 0; a < 5; ++a)
        for (int b = a + 1; b < 5; ++b) {
            const double ratio = std::max(pitch[a], pitch[b]) / std::min(pitch[a], pitch[b]);
            EXPECT_GE(ratio, 1.08) << kNames[a] << " (" << pitch[a] << " Hz) and " << kNames[b] << " (" << pitch[b]
                                   << " Hz) sound too alike";
        }
}

}  // namespace
