#pragma once
// An invariant of the code under test that a fuzz target checks; a broken one is a finding, so
// the run aborts with a message the fuzzer keeps beside the input. Plain C++, no Qt.

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition)                                                              \
    do {                                                                                   \
        if (!(condition)) {                                                                \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                  \
        }                                                                                  \
    } while (0)
