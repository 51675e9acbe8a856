// The promise both layout targets check: both forms carry the same data, so
// a layout that the text reader made, written as text and read again, gives
// the same binary form.
#pragma once

#include <exception>
#include <string>
#include <vector>

#include "FuzzTarget.h"
#include "Streaming.h"

inline void RequireStableRoundTrip(const std::vector<std::uint8_t>& binary) {
    try {
        const std::string written = ObjectBinaryToText(binary);
        if (ObjectTextToBinary(written) != binary) FuzzFailure("what was read, written and read again differs:\n" + written);
    } catch (const std::exception& e) {
        FuzzFailure(std::string("a layout the text reader made could not be written and read again: ") + e.what());
    }
}
