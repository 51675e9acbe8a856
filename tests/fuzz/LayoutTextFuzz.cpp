// The reader of the text form of stored layouts. Whatever the text, it
// either reads or refuses with its own error (EReadError): nothing else may
// escape, and it must not crash or hang. What it reads, written back as
// text and read again, gives the same binary form.
#include "LayoutRoundTrip.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> binary;
    try {
        binary = ObjectTextToBinary(std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const EReadError&) {
        return 0;
    } catch (const std::exception& e) {
        FuzzFailure(std::string("the text reader let out another error: ") + e.what());
    }
    RequireStableRoundTrip(binary);
    return 0;
}
