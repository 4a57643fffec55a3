#pragma once

#include <cstdio>
#include <cstdlib>

// A broken promise found by a fuzz target: printed and turned into a crash, so libFuzzer
// keeps the input that showed it.
#define FUZZ_CHECK(condition)                                                                  \
    do {                                                                                       \
        if (!(condition)) {                                                                    \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                      \
        }                                                                                      \
    } while (0)
