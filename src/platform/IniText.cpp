#include "platform/IniText.h"

#include <algorithm>

#include "platform/AsciiText.h"

namespace platform {
namespace {

std::string_view Trim(std::string_view s) { return TrimBlanks(s, kIniBlanks); }

// The line that starts at pos: where its content ends and the next line
// starts.  The line end is an LF, with the CR before it if there is one; the
// text's last line may have none, or a bare CR.
IniText::Line SplitLine(std::string_view text, std::size_t pos) {
    const std::size_t lf = text.find('\n', pos);
    IniText::Line line;
    line.begin = pos;
    line.end = lf == std::string_view::npos ? text.size() : lf;
    line.next = lf == std::string_view::npos ? text.size() : lf + 1;
    if (line.end > pos && text[line.end - 1] == '\r') --line.end;
    return line;
}

// A line's content as the rules read it: its kind, and its name and value as
// views into the content.
struct Reading {
    IniText::Kind kind = IniText::Kind::kOther;
    std::string_view name, value;
};

bool IsComment(std::string_view t) { return !t.empty() && (t.front() == ';' || t.front() == '#'); }

Reading ReadLine(std::string_view content) {
    const std::string_view t = Trim(content);
    if (t.size() >= 2 && t.front() == '[') {
        // Whatever follows the first ']' is ignored.
        const std::size_t close = t.find(']');
        if (close != std::string_view::npos) return {IniText::Kind::kSection, Trim(t.substr(1, close - 1)), {}};
    }
    if (t.empty() || IsComment(t)) return {};
    const std::size_t eq = t.find('=');
    if (eq == std::string_view::npos) return {};
    return {IniText::Kind::kKey, Trim(t.substr(0, eq)), Trim(t.substr(eq + 1))};
}

// The text of a key line, without its line end.
std::string KeyLineText(std::string_view key, std::string_view value) {
    std::string line(key);
    line += '=';
    line += value;
    return line;
}

// Gives the last line of text, if it has none, a line end before more lines
// are added; a bare CR there is only half of one.
void EndLastLine(std::string& text, std::string_view lineEnd) {
    if (text.empty() || text.back() == '\n') return;
    text += text.back() == '\r' ? std::string_view("\n") : lineEnd;
}

}  // namespace

IniText::IniText(std::string text) : text_(std::move(text)) { Parse(); }

void IniText::Parse() {
    const std::string_view text(text_);
    // Settings files of many megabytes exist; one allocation for their lines.
    lines_.reserve(static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1);
    for (std::size_t pos = 0; pos < text.size(); pos = lines_.back().next) {
        Line line = SplitLine(text, pos);
        line.kind = ReadLine(Content(line)).kind;
        if (line.kind == Kind::kSection) headers_.push_back(lines_.size());
        lines_.push_back(line);
    }
}

std::string_view IniText::Content(const Line& l) const {
    return std::string_view(text_).substr(l.begin, l.end - l.begin);
}

std::string_view IniText::LineEnd(const Line& l) const { return std::string_view(text_).substr(l.end, l.next - l.end); }

std::string_view IniText::Name(const Line& l) const { return ReadLine(Content(l)).name; }

std::string_view IniText::Value(const Line& l) const { return ReadLine(Content(l)).value; }

std::optional<IniText::Section> IniText::FindSection(std::string_view name) const {
    for (std::size_t i = 0; i < headers_.size(); ++i) {
        if (!EqualsIgnoringCase(Name(lines_[headers_[i]]), name)) continue;
        return Section{headers_[i], i + 1 < headers_.size() ? headers_[i + 1] : lines_.size()};
    }
    return std::nullopt;
}

std::optional<std::size_t> IniText::FindKey(const Section& section, std::string_view key) const {
    for (std::size_t i = section.header + 1; i < section.end; ++i) {
        if (lines_[i].kind == Kind::kKey && EqualsIgnoringCase(Name(lines_[i]), key)) return i;
    }
    return std::nullopt;
}

std::optional<std::string_view> IniText::Find(const Section& section, std::string_view key) const {
    if (auto line = FindKey(section, key)) return Value(lines_[*line]);
    return std::nullopt;
}

std::optional<std::string_view> IniText::Find(std::string_view section, std::string_view key) const {
    if (auto found = FindSection(section)) return Find(*found, key);
    return std::nullopt;
}

bool IniText::Accepts(std::string_view section, std::string_view key, std::optional<std::string_view> value) {
    auto breaksLines = [](std::string_view s) {
        return s.find_first_of("\r\n") != std::string_view::npos || s.find('\0') != std::string_view::npos;
    };
    if (breaksLines(section) || breaksLines(key) || (value && breaksLines(*value))) return false;
    // An '=' would end the key early, a ']' the section's name.
    if (key.find('=') != std::string_view::npos || section.find(']') != std::string_view::npos) return false;
    return !Trim(key).empty() && !Trim(section).empty();
}

std::optional<std::string> IniText::Put(std::string_view section, std::string_view key,
                                        std::optional<std::string_view> value) const {
    if (!Accepts(section, key, value)) return std::nullopt;
    const std::optional<Section> found = FindSection(section);
    if (!value) return found ? Removed(*found, key) : text_;
    const std::string keyLine = KeyLineText(key, *value);
    if (!found) return Appended(section, keyLine);
    if (auto at = FindKey(*found, key)) {
        const Line& l = lines_[*at];
        std::string out = text_.substr(0, l.begin);
        out += keyLine;
        out.append(text_, l.end);
        return out;
    }
    std::size_t after = found->header;
    for (std::size_t i = found->header + 1; i < found->end; ++i)
        if (lines_[i].kind == Kind::kKey) after = i;
    return Inserted(after, keyLine);
}

// The line end of new lines: that of the first line that has one.  A bare CR
// (which only the last line can end in) counts as none.
std::string_view IniText::NewLineEnd() const {
    for (const Line& l : lines_)
        if (l.next > l.end) return LineEnd(l) == "\r\n" ? "\r\n" : "\n";
    return "\n";
}

std::string IniText::Removed(const Section& section, std::string_view key) const {
    std::string out;
    std::size_t from = 0;
    for (std::size_t i = section.header + 1; i < section.end; ++i) {
        const Line& l = lines_[i];
        if (l.kind != Kind::kKey || !EqualsIgnoringCase(Name(l), key)) continue;
        out.append(text_, from, l.begin - from);
        from = l.next;
    }
    out.append(text_, from);
    return out;
}

// A line after every line up to and including lines_[after].
std::string IniText::Inserted(std::size_t after, const std::string& keyLine) const {
    const std::size_t at = lines_[after].next;
    const std::string_view eol = NewLineEnd();
    // Short of the text's end, the lines before `at` end in an LF.
    std::string out = text_.substr(0, at);
    EndLastLine(out, eol);
    out += keyLine;
    out += eol;
    out.append(text_, at);
    return out;
}

std::string IniText::Appended(std::string_view section, const std::string& keyLine) const {
    const std::string_view eol = NewLineEnd();
    std::string out = text_;
    EndLastLine(out, eol);
    out += '[';
    out += section;
    out += ']';
    out += eol;
    out += keyLine;
    out += eol;
    return out;
}

}  // namespace platform
