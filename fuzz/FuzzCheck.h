// Shared by the fuzz targets: a check that stops the run with a message, so
// libFuzzer saves the input as a crash, and sanitizer defaults that make
// every undefined-behaviour report fatal.
#pragma once

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(cond, ...)                                                  \
    do {                                                                       \
        if (!(cond)) {                                                         \
            std::fprintf(stderr, "%s:%d: check failed: %s\n  ", __FILE__, __LINE__, #cond); \
            std::fprintf(stderr, __VA_ARGS__);                                 \
            std::fprintf(stderr, "\n");                                        \
            std::abort();                                                      \
        }                                                                      \
    } while (0)

// With TESSURI_FUZZ_SKIP_KNOWN=1 in the environment, a target passes over
// inputs of the faults already recorded in fuzz/findings, so that a run
// looks past them.
inline bool SkipKnownFaults() {
    static const bool skip = [] {
        const char* v = std::getenv("TESSURI_FUZZ_SKIP_KNOWN");
        return v && v[0] == '1';
    }();
    return skip;
}

extern "C" inline const char* __ubsan_default_options() { return "halt_on_error=1:print_stacktrace=1"; }
