// Started where no display can be reached, the program says so on its
// error output, exits with a failure, and writes nothing: no settings file,
// no lock.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "desktop.h"

namespace desktop {
namespace {

TEST(NoDisplay, SaysSoExitsWithAFailureAndWritesNothing) {
    struct Case {
        const char* name;
        std::vector<std::string> display;  // how DISPLAY is given
        const char* message;
    };
    const Case cases[] = {
        {"unset", {"-u", "DISPLAY"}, "no display"},
        {"unreachable", {"DISPLAY=:97"}, "cannot open display :97"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ProgramFolder folder;
        std::vector<std::string> argv{"env", "-u", "WAYLAND_DISPLAY", "-u", "QT_QPA_PLATFORM"};
        argv.insert(argv.end(), c.display.begin(), c.display.end());
        argv.push_back("XDG_RUNTIME_DIR=" + folder.runtime().string());
        // The error output joins the standard output, which Run collects.
        argv.insert(argv.end(), {"bash", "-c", "exec \"$0\" 2>&1", folder.exe().string()});
        const RunResult r = desktop::Run(argv, 10s);
        EXPECT_EQ(r.exit_code, 1) << r.out;
        EXPECT_NE(r.out.find(c.message), std::string::npos) << r.out;
        EXPECT_FALSE(std::filesystem::exists(folder.ini()));
        EXPECT_TRUE(std::filesystem::is_empty(folder.runtime())) << "a lock was left";
    }
}

}  // namespace
}  // namespace desktop
