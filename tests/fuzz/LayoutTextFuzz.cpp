// The reader of the text form of stored layouts. Whatever the text, it
// either reads or refuses with its own error (EReadError): nothing else may
// escape, and it must not crash or hang. What it reads, written back as
// text and read again, gives the same binary form: both forms carry the
// same data.
#include <exception>
#include <string>

#include "FuzzTarget.h"
#include "Streaming.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<std::uint8_t> binary;
    try {
        binary = ObjectTextToBinary(text);
    } catch (const EReadError&) {
        return 0;
    } catch (const std::exception& e) {
        FuzzFailure(std::string("the text reader let out another error: ") + e.what());
    }
    try {
        const std::string written = ObjectBinaryToText(binary);
        if (ObjectTextToBinary(written) != binary) FuzzFailure("what was read, written and read again differs:\n" + written);
    } catch (const std::exception& e) {
        FuzzFailure(std::string("a layout the text reader made could not be written and read again: ") + e.what());
    }
    return 0;
}
