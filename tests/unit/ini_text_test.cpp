// The settings file's text model on its own: how lines read, which section
// and key a lookup finds, and the exact text a write leaves, for the corners
// the file tests in ini_test.cpp do not reach.  Without a disk each case shows
// the lines as parsed, so a fault shows as the line that reads wrongly.
#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>

#include "platform/AsciiText.h"
#include "platform/IniText.h"

namespace {

using platform::IniText;

// The lines as the parse sees them: "[name]" for a header, "<key>=<value>"
// for a key line, "~" for any other, each followed by "/" and its line end
// (LF, CRLF, CR or nothing).  CRs inside names and values show as "\r".
std::string Describe(const IniText& text) {
    auto shown = [](std::string_view s) {
        std::string out;
        for (char c : s) out += c == '\r' ? std::string("\\r") : std::string(1, c);
        return out;
    };
    std::string out;
    for (const IniText::Line& l : text.Lines()) {
        if (!out.empty()) out += ' ';
        switch (l.kind) {
            case IniText::Kind::kSection: out += "[" + shown(text.Name(l)) + "]"; break;
            case IniText::Kind::kKey: out += "<" + shown(text.Name(l)) + ">=<" + shown(text.Value(l)) + ">"; break;
            case IniText::Kind::kOther: out += "~"; break;
        }
        const std::string_view end = text.LineEnd(l);
        out += end == "\r\n" ? "/CRLF" : end == "\n" ? "/LF" : end == "\r" ? "/CR" : "/";
    }
    return out;
}

struct ParseCase {
    const char* name;
    std::string text;
    const char* lines;
};

void PrintTo(const ParseCase& c, std::ostream* os) { *os << c.name; }

class IniTextParse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(IniTextParse, ReadsTheseLines) {
    const ParseCase& c = GetParam();
    const IniText text(c.text);
    EXPECT_EQ(Describe(text), c.lines);
    // The lines cover the text, in order and without gaps.
    std::string joined;
    for (const IniText::Line& l : text.Lines()) {
        joined += text.Content(l);
        joined += text.LineEnd(l);
    }
    EXPECT_EQ(joined, c.text);
}

INSTANTIATE_TEST_SUITE_P(Cases, IniTextParse,
                         ::testing::Values(ParseCase{"NoText", "", ""},
                                           ParseCase{"EmptyLines", "\n\r\n", "~/LF ~/CRLF"},
                                           ParseCase{"HeaderWinsOverKey", "[a]=b\n", "[a]/LF"},
                                           ParseCase{"TextAfterTheFirstCloseIgnored", "[a] ; x]\n", "[a]/LF"},
                                           ParseCase{"EmptyHeaderIsAHeader", "[]\n[ \t]\n", "[]/LF []/LF"},
                                           ParseCase{"UnclosedBracketIsAKey", "[a=b\n", "<[a>=<b>/LF"},
                                           ParseCase{"LoneBracketBelongsToNoOne", "[\n", "~/LF"},
                                           ParseCase{"CommentsAfterBlanks", "  ;a=b\n\t#c=d\n", "~/LF ~/LF"},
                                           ParseCase{"EmptyKeyIsAKeyLine", "=v\n", "<>=<v>/LF"},
                                           ParseCase{"ValueRunsToTheLineEnd", "k = a=b ;c]\n", "<k>=<a=b ;c]>/LF"},
                                           ParseCase{"AllAsciiBlanksDropped", "\v k\f=\t v \v\r\n", "<k>=<v>/CRLF"},
                                           ParseCase{"CrInsideALineIsContent", "k=a\rb\n", "<k>=<a\\rb>/LF"},
                                           ParseCase{"OnlyTheCrBeforeTheLfIsLineEnd", "k=v\r\r\n", "<k>=<v>/CRLF"},
                                           ParseCase{"BareCrEndsOnlyTheLastLine", "a=1\rb=2\r", "<a>=<1\\rb=2>/CR"},
                                           ParseCase{"LastLineUnended", "[S]\nk=v", "[S]/LF <k>=<v>/"}),
                         [](const auto& info) { return std::string(info.param.name); });

struct FindCase {
    const char* name;
    std::string text;
    const char* section;
    const char* key;
    std::optional<std::string> expected;
};

void PrintTo(const FindCase& c, std::ostream* os) { *os << c.name; }

class IniTextFind : public ::testing::TestWithParam<FindCase> {};

TEST_P(IniTextFind, FindsThisValue) {
    const FindCase& c = GetParam();
    const IniText text(c.text);  // the view found points into it
    const std::optional<std::string_view> found = text.Find(c.section, c.key);
    EXPECT_EQ(found ? std::optional<std::string>(*found) : std::nullopt, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IniTextFind,
    ::testing::Values(
        FindCase{"OnlyTheFirstSectionOfANameCounts", "[S]\nA=1\n[s]\nB=2\n", "S", "B", std::nullopt},
        FindCase{"EmptyHeaderEndsTheSection", "[S]\n[]\nA=1\n", "S", "A", std::nullopt},
        FindCase{"KeyBeforeAnyHeaderIsInNoSection", "A=1\n[S]\n", "S", "A", std::nullopt},
        FindCase{"HeaderWithTextAfterIt", "[S] old\nA=1\n", "S", "A", "1"},
        FindCase{"EmptyKeyNotConfusedWithOthers", "[S]\n=0\nA=1\n", "S", "A", "1"},
        FindCase{"NamesLookedUpAsGiven", "[S]\nA=1\n", " S", "A", std::nullopt},
        FindCase{"CaseIgnoredForAsciiOnly", "[\xC3\x89t\xC3\xA9]\nA=1\n", "\xC3\xA9T\xC3\xA9", "a", std::nullopt},
        FindCase{"CaseIgnoredForAsciiLetters", "[\xC3\x89t\xC3\xA9]\nA=1\n", "\xC3\x89T\xC3\xA9", "a", "1"}),
    [](const auto& info) { return std::string(info.param.name); });

struct PutCase {
    const char* name;
    std::string before;
    const char* section;
    const char* key;
    std::optional<std::string> value;  // nullopt removes the key
    std::string after;
};

void PrintTo(const PutCase& c, std::ostream* os) { *os << c.name; }

class IniTextPut : public ::testing::TestWithParam<PutCase> {};

TEST_P(IniTextPut, LeavesExactlyThisText) {
    const PutCase& c = GetParam();
    const std::optional<std::string_view> value = c.value ? std::optional<std::string_view>(*c.value) : std::nullopt;
    const std::optional<std::string> out = IniText(c.before).Put(c.section, c.key, value);
    ASSERT_TRUE(out.has_value());
    EXPECT_EQ(*out, c.after);
    // What was written reads back; what was removed reads as missing.
    const IniText after(*out);
    const std::optional<std::string_view> found = after.Find(c.section, c.key);
    if (c.value) {
        EXPECT_EQ(found, platform::TrimBlanks(*c.value, platform::kIniBlanks));
    } else {
        EXPECT_EQ(found, std::nullopt);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IniTextPut,
    ::testing::Values(
        PutCase{"NewKeyGoesBeforeTrailingComments", "[S]\nA=1\n; end of S\n\n[T]\n", "S", "B", "2",
                "[S]\nA=1\nB=2\n; end of S\n\n[T]\n"},
        PutCase{"NewKeyInAKeylessSectionFollowsItsHeader", "[S]\n; c\n", "S", "A", "1", "[S]\nA=1\n; c\n"},
        PutCase{"EmptyKeyCountsAsTheLastKeyLine", "[S]\n=x\n; c\n", "S", "A", "1", "[S]\n=x\nA=1\n; c\n"},
        PutCase{"WritesIntoTheFirstOfTwoSections", "[S]\nA=1\n[S]\nB=2\n", "S", "B", "3", "[S]\nA=1\nB=3\n[S]\nB=2\n"},
        PutCase{"KeyOfAnotherSectionLeftAlone", "[T]\nA=1\n[S]\n", "S", "A", "2", "[T]\nA=1\n[S]\nA=2\n"},
        PutCase{"ReplacedLastLineKeepsItsBareCr", "[S]\nA=1\r", "S", "A", "2", "[S]\nA=2\r"},
        PutCase{"ReplacedLineLosesTheCrOfItsContent", "[S]\r\nA=1\r\r\n", "S", "A", "2", "[S]\r\nA=2\r\n"},
        PutCase{"FirstLineEndDecides", "[S]\nA=1\r\n", "S", "B", "2", "[S]\nA=1\r\nB=2\n"},
        PutCase{"BareCrAloneCountsAsNoLineEnd", "[S]\r", "S", "A", "1", "[S]\r\nA=1\n"},
        PutCase{"NewSectionAfterAnUnendedComment", "; c", "T", "A", "1", "; c\n[T]\nA=1\n"},
        PutCase{"ValueWrittenAsGivenReadTrimmed", "", "S", "A", " v ", "[S]\nA= v \n"},
        PutCase{"RemovesFromTheFirstSectionOnly", "[S]\nA=1\n[S]\nA=2\n", "S", "A", std::nullopt, "[S]\n[S]\nA=2\n"},
        PutCase{"RemovesAnUnendedLastLine", "[S]\nA=1", "S", "A", std::nullopt, "[S]\n"},
        PutCase{"RemovalKeepsCommentsAndBlankLines", "[S]\n; c\n A = 1 \n\n", "S", "A", std::nullopt, "[S]\n; c\n\n"},
        PutCase{"RemovalFromAMissingSectionChangesNothing", "[T]\nA=1\n", "S", "A", std::nullopt, "[T]\nA=1\n"}),
    [](const auto& info) { return std::string(info.param.name); });

struct AcceptCase {
    const char* name;
    std::string section, key;
    std::optional<std::string> value;
    bool accepted;
};

void PrintTo(const AcceptCase& c, std::ostream* os) { *os << c.name; }

class IniTextAccepts : public ::testing::TestWithParam<AcceptCase> {};

TEST_P(IniTextAccepts, RefusesWhatWouldChangeOtherLines) {
    const AcceptCase& c = GetParam();
    const std::optional<std::string_view> value = c.value ? std::optional<std::string_view>(*c.value) : std::nullopt;
    EXPECT_EQ(IniText::Accepts(c.section, c.key, value), c.accepted);
    EXPECT_EQ(IniText("[S]\nA=1\n").Put(c.section, c.key, value).has_value(), c.accepted);
}

using namespace std::string_literals;

INSTANTIATE_TEST_SUITE_P(
    Cases, IniTextAccepts,
    ::testing::Values(
        AcceptCase{"LfInSection", "S\nT", "A", "1", false}, AcceptCase{"CrInKey", "S", "A\r", "1", false},
        AcceptCase{"NulInValue", "S", "A", "1\0"s, false}, AcceptCase{"NulInKey", "S", "A\0"s, "1", false},
        AcceptCase{"EqualsInKey", "S", "A=B", "1", false}, AcceptCase{"CloseInSection", "S]", "A", "1", false},
        AcceptCase{"EmptyKey", "S", "", "1", false}, AcceptCase{"BlankKey", "S", " \t", "1", false},
        AcceptCase{"VerticalTabSection", "\v", "A", "1", false}, AcceptCase{"FormFeedKey", "S", "\f", "1", false},
        AcceptCase{"RemovalWithEqualsInKey", "S", "A=B", std::nullopt, false},
        AcceptCase{"RemovalOfABlankSection", " ", "A", std::nullopt, false},
        AcceptCase{"EmptyValue", "S", "A", "", true}, AcceptCase{"ValueOfSigns", "S", "A", "=;[]#", true},
        AcceptCase{"OpenInSection", "S[", "A", "1", true}, AcceptCase{"CloseInKey", "S", "A]", "1", true},
        AcceptCase{"Removal", "S", "A", std::nullopt, true}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
