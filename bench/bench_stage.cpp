// Cost of one StageCanvas::DrawStageFrame call on the real clock window: a
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
#include <string>

#include <QApplication>
#include <QWidget>

#include "clock_rig.h"
#include "platform/QtApp.h"

namespace {

void DrawSteps(benchmark::State& state, Program& program, int32_t trail) {
    StageCanvas& canvas = program.Canvas();
    const Character who = program.StageSchedule().OnStage();
    int32_t x = -60;
    int frame = 0;
    for (auto _ : state) {
        canvas.DrawStageFrame(who, x, frame, trail);
        x += 4;
        if (x > 232) {
            x = -60;
            frame = (frame + 1) % 6;
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    OffscreenWithoutDisplay();
    int qt_argc = 1;
    platform::Gui gui(qt_argc, argv);

    // Cycle code 7 has no phases: no tick walks or poses between the runs.
    ClockRig rig("[Setting]\nEvent=7\n");
    Program& program = rig.program;

    const std::string platform_name = QGuiApplication::platformName().toStdString();
    benchmark::RegisterBenchmark(("DrawStageFrame/walk/" + platform_name).c_str(), [&program](benchmark::State& s) {
        DrawSteps(s, program, 4);
    })->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(("DrawStageFrame/pose/" + platform_name).c_str(), [&program](benchmark::State& s) {
        DrawSteps(s, program, 0);
    })->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(("DrawStageFrame/hidden/" + platform_name).c_str(), [&program](benchmark::State& s) {
        for (QWidget* w : QApplication::topLevelWidgets()) w->hide();
        DrawSteps(s, program, 4);
    })->Unit(benchmark::kMicrosecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    rig.End();
}
