// The settings file's text model, without a disk: arbitrary text, then a few
// reads, writes and removals with names and values from the input, each
// write's text parsed again for the next step.  Checked on every text: its
// lines cover it in order, each line end is one the rules allow, names and
// values lie trimmed inside their line; a lookup finds what the table of
// lines says.  After every write: it is refused exactly when Accepts says
// so; every line the write does not own is still there, byte for byte and in
// order; then, for names the file can hold as they are, a written value reads
// back (blanks around it dropped), a removed key reads as missing, no other
// key reads differently, and the same write again changes nothing.
//
// IniFile adds to this only the disk (the file's replacement, leftovers,
// the read cache), whose rules do not depend on the text: the unit and fault
// tests cover them, and a disk here would only slow the search down.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "FuzzCheck.h"
#include "platform/AsciiText.h"
#include "platform/IniText.h"

namespace {

using platform::EqualsIgnoringCase;
using platform::IniText;

std::string_view Trim(std::string_view s) { return platform::TrimBlanks(s, platform::kIniBlanks); }

std::string Shown(std::optional<std::string_view> v) { return v ? "\"" + std::string(*v) + "\"" : "(missing)"; }

// Where part, a view into text, begins in it.
std::size_t At(const IniText& text, std::string_view part) {
    return static_cast<std::size_t>(part.data() - text.Text().data());
}

// Whether part, a view into text, lies within [begin, end) of it.
bool Within(const IniText& text, std::string_view part, std::size_t begin, std::size_t end) {
    return begin <= At(text, part) && At(text, part) + part.size() <= end;
}

void CheckLines(const IniText& text) {
    const std::vector<IniText::Line>& lines = text.Lines();
    std::size_t pos = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const IniText::Line& l = lines[i];
        FUZZ_CHECK(l.begin == pos && l.begin <= l.end && l.end <= l.next && l.next > l.begin,
                   "line %zu is [%zu %zu %zu) after %zu", i, l.begin, l.end, l.next, pos);
        const std::string_view content = text.Content(l), end = text.LineEnd(l);
        const bool last = i + 1 == lines.size();
        FUZZ_CHECK(content.find('\n') == std::string_view::npos, "line %zu holds an LF", i);
        FUZZ_CHECK(end == "\n" || end == "\r\n" || (last && (end.empty() || end == "\r")),
                   "line %zu ends in %zu odd bytes", i, end.size());
        FUZZ_CHECK(end != "\n" || content.empty() || content.back() != '\r', "line %zu kept its CR", i);
        const std::string_view name = text.Name(l), value = text.Value(l);
        if (l.kind == IniText::Kind::kOther) {
            FUZZ_CHECK(name.empty() && value.empty(), "line %zu belongs to no one but has a name", i);
        } else {
            FUZZ_CHECK(Within(text, name, l.begin, l.end) && Trim(name) == name, "line %zu: name", i);
        }
        if (l.kind == IniText::Kind::kSection) {
            FUZZ_CHECK(Trim(content).front() == '[', "line %zu is a header without '['", i);
        }
        if (l.kind == IniText::Kind::kKey) {
            const std::size_t nameEnd = At(text, name) + name.size();
            FUZZ_CHECK(Within(text, value, nameEnd, l.end) && Trim(value) == value, "line %zu: value", i);
            const std::size_t eq = content.find('=') + l.begin;
            FUZZ_CHECK(nameEnd <= eq && eq < At(text, value), "line %zu: the key holds an '='", i);
        }
        pos = l.next;
    }
    FUZZ_CHECK(pos == text.Text().size(), "the lines end at %zu of %zu bytes", pos, text.Text().size());
}

// The lookup by the table of lines alone: the first header of that name, then
// the first key line of that name before the next header.
std::optional<std::string_view> LookUp(const IniText& text, std::string_view section, std::string_view key) {
    using Kind = IniText::Kind;
    const std::vector<IniText::Line>& lines = text.Lines();
    auto named = [&](std::size_t i, Kind kind, std::string_view name) {
        return lines[i].kind == kind && EqualsIgnoringCase(text.Name(lines[i]), name);
    };
    std::size_t i = 0;
    while (i < lines.size() && !named(i, Kind::kSection, section)) ++i;
    if (i == lines.size()) return std::nullopt;
    for (++i; i < lines.size() && lines[i].kind != Kind::kSection; ++i)
        if (named(i, Kind::kKey, key)) return text.Value(lines[i]);
    return std::nullopt;
}

using Query = std::pair<std::string, std::string>;  // section, key

// The keys the text holds under a header, and the names of the steps.
std::vector<Query> Queries(const IniText& text, const std::vector<Query>& more) {
    std::vector<Query> queries = more;
    std::optional<std::string_view> section;
    for (const IniText::Line& l : text.Lines()) {
        if (queries.size() >= more.size() + 64) break;
        if (l.kind == IniText::Kind::kSection) section = text.Name(l);
        if (l.kind == IniText::Kind::kKey && section) queries.emplace_back(*section, text.Name(l));
    }
    return queries;
}

void CheckLookups(const IniText& text, const std::vector<Query>& queries) {
    for (const auto& [section, key] : queries) {
        const auto found = text.Find(section, key), expected = LookUp(text, section, key);
        FUZZ_CHECK(found == expected, "[%s] %s reads %s, the lines say %s", section.c_str(), key.c_str(),
                   Shown(found).c_str(), Shown(expected).c_str());
    }
}

// The file's lines, each with its line end.
std::vector<std::string_view> RawLines(std::string_view data) {
    std::vector<std::string_view> lines;
    for (std::size_t pos = 0; pos < data.size();) {
        const std::size_t nl = data.find('\n', pos);
        const std::size_t next = nl == std::string_view::npos ? data.size() : nl + 1;
        lines.push_back(data.substr(pos, next - pos));
        pos = next;
    }
    return lines;
}

// A line a write of `key` may replace or remove: any line whose text before
// its first '=' is that key.  Deliberately loose: it does not look at
// sections, so it never calls a line foreign that the write may own.
bool MayOwn(std::string_view line, std::string_view key) {
    const std::string_view t = Trim(line.substr(0, line.find('\n')));
    const std::size_t eq = t.find('=');
    return eq != std::string_view::npos && EqualsIgnoringCase(Trim(t.substr(0, eq)), key);
}

// Every foreign line of `before` appears in `after`, in order and byte for
// byte; a last line without a line end may have gained one, and one ending
// in a bare CR only the LF that completes it.
void CheckForeignLinesKept(std::string_view before, std::string_view after, std::string_view key) {
    const std::vector<std::string_view> old = RawLines(before), now = RawLines(after);
    std::size_t j = 0;
    for (std::size_t i = 0; i < old.size(); ++i) {
        const std::string_view line = old[i];
        if (MayOwn(line, key)) continue;
        const bool unended = line.back() != '\n';
        auto matches = [&](std::string_view candidate) {
            if (candidate == line) return true;
            if (!unended || candidate.substr(0, line.size()) != line) return false;
            const std::string_view added = candidate.substr(line.size());
            return added == "\n" || (added == "\r\n" && line.back() != '\r');
        };
        while (j < now.size() && !matches(now[j])) ++j;
        FUZZ_CHECK(j < now.size(), "line %zu of the old text is gone: \"%s\"", i, std::string(line).c_str());
        ++j;
    }
}

// Names the file can hold as they are: no blanks around them (names are
// read trimmed), and a key that cannot read as a comment or a section.
bool Plain(std::string_view name, bool isKey) {
    if (name.empty() || Trim(name) != name) return false;
    if (isKey && (name.front() == ';' || name.front() == '#' || name.front() == '[')) return false;
    return name.find_first_of(std::string_view("\n\0", 2)) == std::string_view::npos;
}

struct Step {
    int kind = 0;  // 0 read, 1 write, 2 remove
    std::string section, key, value;
};

// One write or removal on text; the text it leaves.
IniText CheckPut(const IniText& text, const Step& s, const std::vector<Query>& queries) {
    std::optional<std::string_view> value;
    if (s.kind == 1) value = s.value;
    const std::optional<std::string> out = text.Put(s.section, s.key, value);
    FUZZ_CHECK(out.has_value() == IniText::Accepts(s.section, s.key, value), "Put and Accepts disagree");
    if (!out) return text;
    CheckForeignLinesKept(text.Text(), *out, s.key);
    IniText after(*out);
    CheckLines(after);
    if (!Plain(s.section, false) || !Plain(s.key, true)) return after;

    const auto got = after.Find(s.section, s.key);
    const auto expected = value ? std::optional(Trim(*value)) : std::nullopt;
    FUZZ_CHECK(got == expected, "%s [%s] %s=\"%s\", reads back %s", value ? "wrote" : "removed", s.section.c_str(),
               s.key.c_str(), s.value.c_str(), Shown(got).c_str());
    for (const auto& [section, key] : queries) {
        if (EqualsIgnoringCase(section, s.section) && EqualsIgnoringCase(key, s.key)) continue;
        FUZZ_CHECK(text.Find(section, key) == after.Find(section, key), "writing [%s] %s changed [%s] %s",
                   s.section.c_str(), s.key.c_str(), section.c_str(), key.c_str());
    }
    FUZZ_CHECK(after.Put(s.section, s.key, value) == *out, "the same write again changed the text");
    return after;
}

// The input: up to eight steps, one a line, "w|SECTION|KEY|VALUE" to write,
// "d|SECTION|KEY" to remove, "r|SECTION|KEY" (or any other letter) to read;
// then a line "--" and the text.  Without that line the whole input is the
// text, and one write, read and removal are made on it.
std::pair<std::vector<Step>, std::string> Plan(std::string_view input) {
    const std::size_t split = input.substr(0, 2) == "--" ? 0 : input.find("\n--");
    if (split == std::string_view::npos)
        return {{{1, "Setting", "Left", "120"}, {0, "Setting", "Top", ""}, {2, "Alerm", "Hour", ""}},
                std::string(input)};
    std::vector<Step> plan;
    std::string_view steps = input.substr(0, split);
    const std::size_t textStart = input.find('\n', split + 1);
    std::string text = textStart == std::string_view::npos ? std::string() : std::string(input.substr(textStart + 1));
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
    return {std::move(plan), std::move(text)};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto [plan, initial] = Plan(std::string_view(reinterpret_cast<const char*>(data), size));
    std::vector<Query> names;
    for (const Step& s : plan) names.emplace_back(s.section, s.key);

    IniText text(std::move(initial));
    CheckLines(text);
    for (const Step& s : plan) {
        const std::vector<Query> queries = Queries(text, names);
        CheckLookups(text, queries);
        if (s.kind != 0) text = CheckPut(text, s, queries);
    }
    CheckLookups(text, Queries(text, names));
    return 0;
}
