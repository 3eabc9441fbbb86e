// Shared by the fuzz targets: a check that stops the run with a message, so
// libFuzzer saves the input as a crash, and sanitizer defaults that make
// every undefined-behaviour report fatal.
#pragma once

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(cond, ...)                                                               \
    do {                                                                                    \
        if (!(cond)) {                                                                      \
            std::fprintf(stderr, "%s:%d: check failed: %s\n  ", __FILE__, __LINE__, #cond); \
            std::fprintf(stderr, __VA_ARGS__);                                              \
            std::fprintf(stderr, "\n");                                                     \
            std::abort();                                                                   \
        }                                                                                   \
    } while (0)

extern "C" inline const char* __ubsan_default_options() { return "halt_on_error=1:print_stacktrace=1"; }
