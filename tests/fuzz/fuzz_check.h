#pragma once

#include <cstdio>
#include <cstdlib>

/// A property a fuzz target checks: when it does not hold, the input is a finding. libFuzzer
/// saves the input that aborted.
#define FUZZ_CHECK(condition)                                                                     \
    do {                                                                                          \
        if (!(condition)) {                                                                       \
            std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                         \
        }                                                                                         \
    } while (false)
