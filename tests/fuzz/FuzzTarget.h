// What the fuzz targets share: the entry point that libFuzzer calls (and
// that the replay of a seed corpus calls in the plain test run), and the
// check that stops the run when the code breaks a promise.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

// Aborts, so that libFuzzer keeps the input as a finding and the replay fails.
[[noreturn]] inline void FuzzFailure(std::string_view what) {
    std::fprintf(stderr, "fuzz check failed: %.*s\n", static_cast<int>(what.size()), what.data());
    std::fflush(stderr);
    std::abort();
}

inline void Require(bool holds, std::string_view what) {
    if (!holds) FuzzFailure(what);
}
