#pragma once

// The whole program: single-instance test, the Qt application, the clock
// window, the event loop.  Returns the process's exit code.
int RunTessuri(int argc, char** argv);
