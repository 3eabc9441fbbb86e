// Cost of one mdlAnime::DrawStageFrame call on the real clock window: a
// walking step (4 columns wiped behind the sprite) and a pose (no trail),
// through every frame and across the stage, edges included. Last, the walk
// again with the window hidden: the composition alone, as a hidden widget
// paints nothing.
//
// Runs on whatever Qt platform QT_QPA_PLATFORM names (xcb inside a session,
// which includes handing the strip to the X server; offscreen otherwise).
// Google Benchmark options pass through, e.g. --benchmark_repetitions=20.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <QApplication>
#include <QWidget>

#include "app/Application.h"
#include "platform/QtApp.h"
#include "platform/QtServices.h"

namespace {

void DrawSteps(benchmark::State& state, Application& app, int32_t trail) {
    int32_t x = -60;
    int16_t frame = 0;
    for (auto _ : state) {
        app.anime.DrawStageFrame(x, frame, trail);
        x += 4;
        if (x > 232) {
            x = -60;
            frame = static_cast<int16_t>((frame + 1) % 6);
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int qt_argc = 1;
    platform::Gui gui(qt_argc, argv);

    // The program folder (and its settings file) is a scratch folder.
    std::string folder = (std::filesystem::temp_directory_path() / "tessuri-bench.XXXXXX").string();
    if (!mkdtemp(folder.data())) return 1;
    // Cycle code 7 has no phases: no tick walks or poses between the runs.
    std::FILE* ini = std::fopen((folder + "/Tessuri.ini").c_str(), "w");
    if (!ini) return 1;
    std::fputs("[Setting]\nEvent=7\n", ini);
    std::fclose(ini);
    platform::RealPlatform machine;
    platform::Platform view = machine.View(folder);
    Application app(view);
    app.clock.Main();
    for (int i = 0; i < 20; ++i) {  // let the window come up
        QCoreApplication::processEvents();
        machine.pump.Sleep(10);
    }

    const std::string platform_name = QGuiApplication::platformName().toStdString();
    benchmark::RegisterBenchmark(("DrawStageFrame/walk/" + platform_name).c_str(),
                                 [&app](benchmark::State& s) { DrawSteps(s, app, 4); })
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(("DrawStageFrame/pose/" + platform_name).c_str(),
                                 [&app](benchmark::State& s) { DrawSteps(s, app, 0); })
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(("DrawStageFrame/hidden/" + platform_name).c_str(),
                                 [&app](benchmark::State& s) {
                                     for (QWidget* w : QApplication::topLevelWidgets()) w->hide();
                                     DrawSteps(s, app, 4);
                                 })
        ->Unit(benchmark::kMicrosecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
    std::fflush(stdout);
    machine.process.End();
}
