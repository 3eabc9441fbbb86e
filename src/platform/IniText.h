// The text of an INI file as a model of lines, without any disk: parsed once,
// then looked up and rewritten.  The one parser of the settings file: reads
// and writes see the same lines, so a rule changes for both or for neither.
//
// The rules.  A line ends at LF; a CR before the LF, or a CR ending the
// text's last line, is part of the line end.  A line is, after dropping the
// blanks (kIniBlanks) around it:
//   - a section header: "[" name "]" and anything after the first "]";
//   - a key line: not starting with ';' or '#', holding an '=': the key
//     before the first '=', the value after it;
//   - anything else (comments, blank lines, stray text) belongs to no one.
// Names and values have their blanks dropped; names match without regard to
// the case of ASCII letters.  A section is the lines after its header up to
// the next header; the first section of a name counts, and in it the first
// key of a name.
//
// Where the rules to come belong: line ends other than LF go into splitting
// the text (SplitLine in IniText.cpp), quotes around values into reading a
// line (ReadLine) and writing a key line (KeyLineText), a byte-order mark into
// the start of the parse (Parse), each for reads and writes at once.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The blanks dropped around lines, names and values.
inline constexpr std::string_view kIniBlanks = " \t\r\v\f";

class IniText {
public:
    enum class Kind { kSection, kKey, kOther };

    // A line's kind and where it lies in the text.  Its name and value are
    // read from its content when asked for (Name, Value), by the same rules
    // that gave it its kind: a file of 16 MB has 800,000 lines, and keeping
    // both with each line doubled its size and made the first read of such a
    // file take 1.7 times as long.
    struct Line {
        Kind kind = Kind::kOther;
        std::size_t begin = 0;  // first byte
        std::size_t end = 0;    // one past the content; the line end follows
        std::size_t next = 0;   // first byte of the next line (the text's size after the last)
    };

    // A section as found: the index of its header line and one past the
    // index of the last line of its body (the next header, or the line count).
    struct Section {
        std::size_t header = 0, end = 0;
        bool operator==(const Section&) const = default;
    };

    IniText() = default;
    explicit IniText(std::string text);

    [[nodiscard]] const std::string& Text() const { return text_; }
    [[nodiscard]] const std::vector<Line>& Lines() const { return lines_; }
    // Parts of a line, as views into Text().
    [[nodiscard]] std::string_view Content(const Line& l) const;
    [[nodiscard]] std::string_view LineEnd(const Line& l) const;
    // A header's section name or a key line's key, blanks dropped; empty for other lines.
    [[nodiscard]] std::string_view Name(const Line& l) const;
    // A key line's value, blanks dropped; empty for other lines.
    [[nodiscard]] std::string_view Value(const Line& l) const;

    // The first section of that name.
    [[nodiscard]] std::optional<Section> FindSection(std::string_view name) const;
    // The index of the first key line of that name in the section.
    [[nodiscard]] std::optional<std::size_t> FindKey(const Section& section, std::string_view key) const;
    // The value of the key in the section; nullopt when either is missing.
    [[nodiscard]] std::optional<std::string_view> Find(const Section& section, std::string_view key) const;
    [[nodiscard]] std::optional<std::string_view> Find(std::string_view section, std::string_view key) const;

    // Whether Put accepts these.  A name or value that would change other
    // lines of the file is refused: a line break or a NUL byte anywhere, an
    // '=' in the key, a ']' in the section, a key or section of blanks only.
    [[nodiscard]] static bool Accepts(std::string_view section, std::string_view key,
                                      std::optional<std::string_view> value);

    // The text after storing value under section/key (no value: removing the
    // key), or nullopt when Accepts refuses them.  Every line the write does
    // not own is kept byte for byte.  A replaced key keeps its place and its
    // line end; a new key goes after the last key line of its section (after
    // the header when it has none); a new section at the end of the text.  A
    // removal removes every key line of that name in the section, with its
    // line end.  New lines end as the first line that has a line end does
    // (LF when none has); a line end is first added to an unended last line,
    // where a bare CR only gains its LF.
    [[nodiscard]] std::optional<std::string> Put(std::string_view section, std::string_view key,
                                                 std::optional<std::string_view> value) const;

private:
    void Parse();
    [[nodiscard]] std::string_view NewLineEnd() const;
    [[nodiscard]] std::string Removed(const Section& section, std::string_view key) const;
    [[nodiscard]] std::string Inserted(std::size_t after, const std::string& keyLine) const;
    [[nodiscard]] std::string Appended(std::string_view section, const std::string& keyLine) const;

    std::string text_;
    std::vector<Line> lines_;
    std::vector<std::size_t> headers_;  // indices of the header lines, in order
};

}  // namespace platform
