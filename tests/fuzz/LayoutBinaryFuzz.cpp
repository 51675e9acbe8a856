// The reader of the binary form of stored layouts (turning it into the text
// form, value by value). Whatever the bytes, it either reads or refuses
// with its own error (EReadError): nothing else may escape, and it must not
// crash or hang. The binary form can hold names that the text form cannot
// spell (empty, with blanks or punctuation), so the text it gives may read
// back as something else or not at all; but once read back, that layout
// writes and reads the same from then on.
#include "LayoutRoundTrip.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> readBack;
    try {
        readBack = ObjectTextToBinary(ObjectBinaryToText(std::vector<std::uint8_t>(data, data + size)));
    } catch (const EReadError&) {
        return 0;
    } catch (const std::exception& e) {
        FuzzFailure(std::string("a layout reader let out another error: ") + e.what());
    }
    RequireStableRoundTrip(readBack);
    return 0;
}
