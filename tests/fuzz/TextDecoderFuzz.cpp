// The text decoder against the reference rules: byte-order marks, the two
// UTF-8 checks, the UTF-16 length, transcoding from each encoding, and what
// the loader that both the string list and the view share makes of a file.
#include <sys/mman.h>
#include <unistd.h>

#include <string>

#include "FuzzTarget.h"
#include "LineStore.h"
#include "ReferenceText.h"
#include "TextFile.h"

namespace {

void CheckByteOrderMark(std::string_view bytes) {
    std::size_t length = 99;
    const TTextEncoding encoding = DetectByteOrderMark(bytes.data(), bytes.size(), length);
    std::size_t expectedLength;
    const reference::Mark expected = reference::MarkOf(bytes, expectedLength);
    const TTextEncoding expectedEncoding = expected == reference::Mark::Utf8      ? TTextEncoding::Utf8
                                           : expected == reference::Mark::Utf16LE ? TTextEncoding::Utf16LE
                                           : expected == reference::Mark::Utf16BE ? TTextEncoding::Utf16BE
                                                                                  : TTextEncoding::Unmarked;
    Require(encoding == expectedEncoding && length == expectedLength, "byte-order mark");
}

void CheckUtf8Checks(std::string_view bytes) {
    const bool generalised = reference::IsUtf8(bytes, true);
    Require(IsStrictUtf8(bytes.data(), bytes.size()) == reference::IsUtf8(bytes, false), "IsStrictUtf8");
    Require(IsGeneralisedUtf8(bytes.data(), bytes.size()) == generalised, "IsGeneralisedUtf8");
    if (generalised)
        Require(Utf16Length(bytes.data(), bytes.size()) == reference::ToUtf16(reference::FromUtf8(bytes)).size(),
                "Utf16Length");
}

// Transcodes in place from `begin` on, as the loaders do after a mark.
void CheckTranscoding(std::string_view bytes, std::size_t begin) {
    const struct {
        TTextEncoding encoding;
        std::u32string expected;
    } cases[] = {
        {TTextEncoding::Unmarked, reference::FromWindows1252(bytes.substr(begin))},
        {TTextEncoding::Utf8, reference::FromUtf8(bytes.substr(begin))},
        {TTextEncoding::Utf16LE, reference::FromUtf16(bytes.substr(begin), true)},
        {TTextEncoding::Utf16BE, reference::FromUtf16(bytes.substr(begin), false)},
    };
    for (const auto& c : cases) {
        TPodArray<char> buffer;
        buffer.Append(bytes.data(), bytes.size());
        TranscodeToUtf8(buffer, begin, bytes.size(), c.encoding);
        Require(std::string_view(buffer.Data(), buffer.Size()) == reference::ToUtf8(c.expected), "TranscodeToUtf8");
    }
}

// The bytes as a file: an anonymous one in memory, reached through its
// descriptor's name, so that nothing is written to a disk or a shared folder.
class TMemoryFile {
public:
    TMemoryFile() : fd_(::memfd_create("lumivar-fuzz", MFD_CLOEXEC)) { Require(fd_ >= 0, "memfd_create"); }
    ~TMemoryFile() { ::close(fd_); }
    TMemoryFile(const TMemoryFile&) = delete;
    TMemoryFile& operator=(const TMemoryFile&) = delete;

    String Holding(std::string_view bytes) const {
        Require(::ftruncate(fd_, 0) == 0, "ftruncate");
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t wrote = ::pwrite(fd_, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
            Require(wrote > 0, "pwrite");
            done += static_cast<std::size_t>(wrote);
        }
        return Utf8ToString("/proc/self/fd/" + std::to_string(fd_));
    }

private:
    int fd_;
};

void CheckLoader(std::string_view bytes) {
    static const TMemoryFile file;
    TLineStore store;
    store.LoadFromFile(file.Holding(bytes));
    const std::u32string text = reference::DecodeFile(bytes);
    const std::vector<reference::Line> lines = reference::SplitLines(text, 0);
    Require(store.Count() == static_cast<int>(lines.size()), "loader: line count");
    std::uint64_t units = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::u32string_view line = std::u32string_view(text).substr(lines[i].start, lines[i].end - lines[i].start);
        const std::u16string expected = reference::ToUtf16(line);
        const int index = static_cast<int>(i);
        std::string buffer;
        Require(store.LineUtf8(index, buffer).Bytes == reference::ToUtf8(line), "loader: line bytes");
        Require(store.Get(index) == expected, "loader: line");
        Require(store.Length(index) == static_cast<int>(expected.size()), "loader: line length");
        units += expected.size();
    }
    Require(store.TotalUnits() == units, "loader: total length");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    CheckByteOrderMark(bytes);
    CheckUtf8Checks(bytes);
    // Where the text starts varies with the input, as a mark of 0 to 3 bytes would.
    CheckTranscoding(bytes, size == 0 ? 0 : std::min<std::size_t>(size, data[0] & 3));
    CheckLoader(bytes);
    return 0;
}
