#pragma once

#include <cstdio>
#include <cstdlib>

// A property of a fuzz target. When it does not hold the run stops at once with what broke,
// and libFuzzer keeps the input that broke it (crash-<sha1> beside the run).
#define FUZZ_CHECK(condition, property)                                                                                \
    do {                                                                                                               \
        if (!(condition)) {                                                                                            \
            std::fprintf(stderr, "property broken: %s (%s:%d)\n", property, __FILE__, __LINE__);                       \
            std::abort();                                                                                              \
        }                                                                                                              \
    } while (0)
