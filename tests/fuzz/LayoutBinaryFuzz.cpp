// The reader of the binary form of stored layouts (turning it into the text
// form, value by value). Whatever the bytes, it either reads or refuses
// with its own error (EReadError): nothing else may escape, and it must not
// crash or hang. Where the text it gives reads back, the binary form of
// that text gives the same text again.
#include <exception>
#include <string>

#include "FuzzTarget.h"
#include "Streaming.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::uint8_t> binary(data, data + size);
    std::string text;
    try {
        text = ObjectBinaryToText(binary);
    } catch (const EReadError&) {
        return 0;
    } catch (const std::exception& e) {
        FuzzFailure(std::string("the binary reader let out another error: ") + e.what());
    }
    std::vector<std::uint8_t> again;
    try {
        again = ObjectTextToBinary(text);
    } catch (const EReadError&) {
        // The binary form can hold names that the text form cannot spell
        // (blanks, punctuation); the text reader refuses those.
        return 0;
    } catch (const std::exception& e) {
        FuzzFailure(std::string("the text reader let out another error: ") + e.what());
    }
    try {
        if (ObjectBinaryToText(again) != text) FuzzFailure("the text read back does not write the same text:\n" + text);
    } catch (const std::exception& e) {
        FuzzFailure(std::string("the text reader's own result could not be read: ") + e.what());
    }
    return 0;
}
