// The settings file: arbitrary file contents, then a few reads, writes and
// removals with names and values from the input.  Checked after each step:
// a refused write leaves the file as it was; every line the write does not
// own is still there, byte for byte and in order; a written value reads
// back (blanks around it dropped, cut to the buffer); a removed key reads as
// the default; no temporary file is left beside the settings file.
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <cstring>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzCheck.h"
#include "platform/IniFile.h"

namespace {

std::string g_dir;
std::string g_path;

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::string> DirEntries() {
    std::vector<std::string> names;
    if (DIR* d = opendir(g_dir.c_str())) {
        while (dirent* e = readdir(d))
            if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0) names.emplace_back(e->d_name);
        closedir(d);
    }
    return names;
}

bool Blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && Blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && Blank(s.back())) s.remove_suffix(1);
    return s;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto low = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (low(a[i]) != low(b[i])) return false;
    }
    return true;
}

// The file's lines, each with its line end.
std::vector<std::string> RawLines(const std::string& data) {
    std::vector<std::string> lines;
    std::size_t pos = 0;
    while (pos < data.size()) {
        std::size_t nl = data.find('\n', pos);
        std::size_t next = nl == std::string::npos ? data.size() : nl + 1;
        lines.push_back(data.substr(pos, next - pos));
        pos = next;
    }
    return lines;
}

// A line a write of `key` may replace or remove: any line whose text before
// its first '=' is that key.  Deliberately loose: it does not look at
// sections, so it never calls a line foreign that the write may own.
bool MayOwn(const std::string& line, std::string_view key) {
    std::string_view t = Trim(std::string_view(line).substr(0, line.find('\n')));
    std::size_t eq = t.find('=');
    return eq != std::string_view::npos && SameName(Trim(t.substr(0, eq)), key);
}

// Every foreign line of `before` appears in `after`, in order and byte for
// byte; a last line without a line end may have gained one.
void CheckForeignLinesKept(const std::string& before, const std::string& after, std::string_view key) {
    const std::vector<std::string> old = RawLines(before), now = RawLines(after);
    std::size_t j = 0;
    for (std::size_t i = 0; i < old.size(); ++i) {
        if (MayOwn(old[i], key)) continue;
        const std::string& line = old[i];
        const bool unended = line.empty() || line.back() != '\n';
        auto matches = [&](const std::string& candidate) {
            if (candidate == line) return true;
            return unended && candidate.compare(0, line.size(), line) == 0 &&
                   (candidate.substr(line.size()) == "\n" || candidate.substr(line.size()) == "\r\n");
        };
        while (j < now.size() && !matches(now[j])) ++j;
        FUZZ_CHECK(j < now.size(), "line %zu of the old file is gone: \"%s\"", i, line.c_str());
        ++j;
    }
}

// Names the file can hold as they are: no blanks around them (names are
// read trimmed), and a key that cannot read as a comment or a section.
bool Plain(std::string_view name, bool isKey) {
    if (name.empty() || Blank(name.front()) || Blank(name.back())) return false;
    if (isKey && (name.front() == ';' || name.front() == '#' || name.front() == '[')) return false;
    for (char c : name)
        if (c == '\n' || c == '\0') return false;
    return true;
}

constexpr std::size_t kMaxValue = platform::ProfileStore::kBufferSize - 1;
constexpr const char* kDefault = "\x01<default>";

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const char* base = getenv("TMPDIR") ? getenv("TMPDIR") : "/tmp";
    std::string tmpl = std::string(base) + "/tessuri_fuzz_ini.XXXXXX";
    FUZZ_CHECK(mkdtemp(tmpl.data()) != nullptr, "no temporary folder under %s", base);
    g_dir = tmpl;
    std::atexit([] { std::error_code ec; std::filesystem::remove_all(g_dir, ec); });
    g_path = g_dir + "/Tessuri.ini";
    return 0;
}

// The input: up to eight steps, one a line, "w|SECTION|KEY|VALUE" to write,
// "d|SECTION|KEY" to remove, "r|SECTION|KEY" (or any other letter) to read;
// then a line "--" and the file's bytes.  Without that line the whole input
// is the file, and one write, read and removal are made on it.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    struct Step {
        int kind;  // 0 read, 1 write, 2 remove
        std::string section, key, value;
    };
    std::vector<Step> plan;
    std::string initial;
    const std::size_t split = input.substr(0, 2) == "--" ? 0 : input.find("\n--");
    if (split == std::string_view::npos) {
        initial = std::string(input);
        plan = {{1, "Setting", "Left", "120"}, {0, "Setting", "Top", ""}, {2, "Alerm", "Hour", ""}};
    } else {
        std::string_view steps = input.substr(0, split);
        const std::size_t fileStart = input.find('\n', split + 1);
        initial = fileStart == std::string_view::npos ? std::string() : std::string(input.substr(fileStart + 1));
        while (!steps.empty() && plan.size() < 8) {
            const std::size_t nl = steps.find('\n');
            std::string_view line = steps.substr(0, nl);
            steps = nl == std::string_view::npos ? std::string_view() : steps.substr(nl + 1);
            std::vector<std::string> fields;
            for (;;) {
                const std::size_t bar = line.find('|');
                fields.emplace_back(line.substr(0, bar));
                if (bar == std::string_view::npos || fields.size() == 4) break;
                line = line.substr(bar + 1);
            }
            fields.resize(4);
            const int kind = fields[0] == "w" ? 1 : fields[0] == "d" ? 2 : 0;
            plan.push_back({kind, fields[1], fields[2], fields[3]});
        }
    }

    platform::IniFile ini;
    unlink(g_path.c_str());
    if (!initial.empty()) WriteFile(g_path, initial);

    for (const Step& s : plan) {
        const bool existed = access(g_path.c_str(), F_OK) == 0;
        const std::string before = existed ? ReadFile(g_path) : std::string();
        if (s.kind == 0) {
            const std::string got = ini.GetString(s.section, s.key, kDefault, g_path);
            FUZZ_CHECK(got.size() <= kMaxValue, "read %zu bytes", got.size());
            FUZZ_CHECK(got.find('\0') == std::string::npos, "read a NUL byte");
            FUZZ_CHECK(ReadFile(g_path) == before, "a read changed the file");
            continue;
        }
        std::optional<std::string> value;
        if (s.kind == 1) value = s.value;
        const bool ok = ini.PutString(s.section, s.key, value, g_path);
        const bool exists = access(g_path.c_str(), F_OK) == 0;
        const std::string after = exists ? ReadFile(g_path) : std::string();
        const std::vector<std::string> entries = DirEntries();
        FUZZ_CHECK(entries.size() <= 1, "%zu files beside the settings file", entries.size() - 1);
        if (!ok) {
            FUZZ_CHECK(exists == existed && after == before, "a refused write changed the file");
            continue;
        }
        FUZZ_CHECK(exists || (!existed && !value), "the file went missing");
        CheckForeignLinesKept(before, after, s.key);
        if (!Plain(s.section, false) || !Plain(s.key, true)) continue;
        const std::string got = ini.GetString(s.section, s.key, kDefault, g_path);
        if (value) {
            const std::string expected(Trim(*value).substr(0, kMaxValue));
            FUZZ_CHECK(got == expected, "wrote [%s] %s=\"%s\", read back \"%s\"", s.section.c_str(), s.key.c_str(),
                       value->c_str(), got.c_str());
        } else {
            FUZZ_CHECK(got == kDefault, "removed [%s] %s, still reads \"%s\"", s.section.c_str(), s.key.c_str(),
                       got.c_str());
        }
    }
    return 0;
}
