#pragma once
// What a fuzz target demands of the code it drives beyond not crashing: a
// broken expectation stops the run like a crash, so that libFuzzer keeps the
// input.
#include <cstdio>
#include <cstdlib>

inline void FuzzExpect(bool holds, const char* what)
{
    if (!holds) {
        std::fprintf(stderr, "fuzz: expectation broken: %s\n", what);
        std::abort();
    }
}
