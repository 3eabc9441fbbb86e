// The settings dialog's number boxes.  Over a running clock on the test
// machine, the dialog is opened in alarm or countdown mode with some
// characters ticked; text from the input goes into the hour, minute and
// countdown boxes, then OK is pressed.  Checked: only the dialog's own
// messages are shown, OK writes only its own keys with values in their
// ranges, and what it leaves running on the clock is in range too.
// Overflows and other undefined behaviour stop the run through the
// sanitizers.
#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QPushButton>

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzCheck.h"
#include "dialog/SettingsDialog.h"
#include "support/ClockRig.h"
#include "support/VirtualPlatform.h"

namespace {

using platform::MessageIcon;
using Message = testing_support::RecordingMessages::Message;

const std::vector<Message> kKnownMessages = {
    {"登場キャラクターを設定してください。", MessageIcon::kExclamation, "Marolin"},
    {"時間を設定してください。", MessageIcon::kInformation, "Tessuri"},
    {"分を設定してください。", MessageIcon::kInformation, "Tessuri"},
    {"入力できる値は 1 ～ 12 までです。", MessageIcon::kInformation, "Tessuri"},
    {"入力できる値は 0 ～ 59 までです。", MessageIcon::kInformation, "Tessuri"},
    {"入力できる値は 1 ～ 999 までです。", MessageIcon::kInformation, "Tessuri"},
    {"入力できる値は 0 ～ 9 までの半角文字だけです。", MessageIcon::kExclamation, "Tessuri"},
};

bool IsNumber(const std::string& s, int digits, int low, int high) {
    if (static_cast<int>(s.size()) != digits) return false;
    long n = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
        n = n * 10 + (c - '0');
        if (n > high) return false;
    }
    return n >= low;
}

bool IsBoolean(const std::string& s) { return s == "True" || s == "False"; }

// A write OK may make, with a value it may store.
bool Allowed(const testing_support::RecordingProfile::Call& c) {
    if (c.section == "Setting") {
        if (c.key == "Event") return IsNumber(c.value, 1, 0, 3);
        if (c.key == "ZOrder") return IsBoolean(c.value);
        if (c.key.size() == 5 && c.key.compare(0, 4, "Char") == 0 && c.key[4] >= '0' && c.key[4] <= '4')
            return IsBoolean(c.value);
        return false;
    }
    if (c.section == "Alerm") {
        if (c.key == "Hour") return IsNumber(c.value, 2, 1, 12);
        if (c.key == "Minute") return IsNumber(c.value, 2, 0, 59);
        if (c.key == "Enabled") return c.value == "0" || c.value == "1";
        if (c.key == "AMPM" || c.key == "Eve") return IsBoolean(c.value);
    }
    return false;
}

// One running clock for the whole run: starting it costs far more than an
// input.  Each input opens a fresh dialog over it, with the settings file
// written anew, and what the dialog reads comes from that file.
testing_support::ClockRig* g_rig = nullptr;

}  // namespace

// Fontconfig keeps some of its first allocations for the life of the
// process without a pointer the leak checker can see.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication qapp(*argc, *argv);
    static testing_support::ClockRig rig;
    rig.Start(10, 0, 0);
    g_rig = &rig;
    return 0;
}

// The input: the first byte 'a' opens the dialog in alarm mode, anything
// else in countdown mode; the bits of the second byte tick the characters
// (bit 0 the first); then one entry a line, its first byte 'h' for the hour
// box, 'm' for the minute box, anything else for the countdown box, the rest
// of the line the text put into it.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    const bool alarm = !input.empty() && input[0] == 'a';
    const uint8_t characters = input.size() > 1 ? static_cast<uint8_t>(input[1]) : 0;
    input = input.substr(std::min<std::size_t>(2, input.size()));
    if (!input.empty() && input.front() == '\n') input.remove_prefix(1);
    struct Entry {
        int box;  // 0 hour, 1 minute, 2 countdown
        std::string text;
    };
    std::vector<Entry> entries;
    while (!input.empty() && entries.size() < 16) {
        const std::size_t nl = input.find('\n');
        const std::string_view line = input.substr(0, nl);
        input = nl == std::string_view::npos ? std::string_view() : input.substr(nl + 1);
        if (line.empty()) continue;
        entries.push_back({line[0] == 'h' ? 0 : line[0] == 'm' ? 1 : 2, std::string(line.substr(1))});
    }

    testing_support::ClockRig& r = *g_rig;
    Program& p = r.program;
    std::string ini = "[Setting]\n";
    for (int i = 0; i < 5; ++i)
        ini += "Char" + std::to_string(i) + "=" + ((characters >> i) & 1 ? "True" : "False") + "\n";
    ini += std::string("[Alerm]\nHour=05\nMinute=30\nEnabled=") + (alarm ? "1" : "0") + "\n";
    r.vp.folder.Write("Tessuri.ini", ini);
    r.vp.profile.calls.clear();
    r.vp.messages.shown.clear();
    r.vp.log.clear();
    {
        SettingsDialog d({p.SettingsFile(), p.StageSchedule(), p.AlarmClock(), p.CountdownTimer(), p.WindowStacking(),
                          p.NextCallOut(), r.vp.messages});
        bool closed = false;
        d.Window().onCloseRequest = [&closed] { closed = true; };
        d.Load();
        for (const Entry& e : entries) {
            platform::TextBox& box = e.box == 0 ? d.HourBox() : e.box == 1 ? d.MinuteBox() : d.CountdownBox();
            box.SetText(e.text);
        }
        const std::size_t callsBefore = r.vp.profile.calls.size();
        const auto tick = static_cast<int64_t>(r.vp.clock.TickCount());
        static_cast<QPushButton*>(d.OkButton().Widget())->click();

        for (const Message& m : r.vp.messages.shown) {
            bool known = false;
            for (const Message& k : kKnownMessages) known = known || m == k;
            FUZZ_CHECK(known, "message \"%s\" titled \"%s\"", m.text.c_str(), m.title.c_str());
        }
        for (std::size_t i = callsBefore; i < r.vp.profile.calls.size(); ++i) {
            const auto& c = r.vp.profile.calls[i];
            if (!c.write) continue;
            FUZZ_CHECK(Allowed(c), "OK wrote [%s] %s=\"%s\"", c.section.c_str(), c.key.c_str(), c.value.c_str());
        }
        // What OK left running: a countdown of 1 to 999 minutes from now (the
        // virtual clock stands still), an alarm at a time of the clock.
        if (const auto deadline = p.CountdownTimer().Deadline()) {
            const int64_t ms = *deadline - tick;
            FUZZ_CHECK(ms >= 60'000 && ms <= 999 * 60'000 && ms % 60'000 == 0, "countdown of %lld ms",
                       static_cast<long long>(ms));
        }
        const Alarm& alarm = p.AlarmClock();
        if (closed && alarm.Armed()) {
            FUZZ_CHECK(alarm.Minute() && *alarm.Minute() >= 0 && *alarm.Minute() <= 59, "alarm minute %d",
                       alarm.Minute().value_or(-1));
            FUZZ_CHECK(alarm.Hour() && *alarm.Hour() >= 1 && *alarm.Hour() <= 12, "alarm hour %d",
                       static_cast<int>(alarm.Hour().value_or(-1)));
        }
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return 0;
}
