#include "SysUtils.h"

#include <sys/stat.h>

#include <filesystem>
#include <system_error>

#include "TextFile.h"

namespace {

constexpr char16_t kEscapedByteBase = 0xDC00;

// An escaped byte at name[i]: U+DC80 to U+DCFF that is not the second half
// of a surrogate pair.
bool IsEscapedByte(std::u16string_view name, std::size_t i) {
    const char16_t c = name[i];
    if (c < kEscapedByteBase + 0x80 || c > kEscapedByteBase + 0xFF) return false;
    return i == 0 || name[i - 1] < 0xD800 || name[i - 1] > 0xDBFF;
}

}  // namespace

String FileNameFromBytes(std::string_view bytes) {
    String name;
    std::size_t at = 0;
    while (at < bytes.size()) {
        const std::size_t n = StrictUtf8SequenceLength(bytes.data() + at, bytes.size() - at);
        if (n == 0) {
            name.push_back(static_cast<char16_t>(kEscapedByteBase + static_cast<unsigned char>(bytes[at])));
            ++at;
        } else {
            name += Utf8ToString(bytes.substr(at, n));
            at += n;
        }
    }
    return name;
}

std::string FileNameToBytes(std::u16string_view fileName) {
    std::string bytes;
    std::size_t from = 0;
    for (std::size_t i = 0; i < fileName.size(); ++i) {
        if (!IsEscapedByte(fileName, i)) continue;
        bytes += StringToUtf8(fileName.substr(from, i - from));
        bytes.push_back(static_cast<char>(fileName[i] - kEscapedByteBase));
        from = i + 1;
    }
    bytes += StringToUtf8(fileName.substr(from));
    return bytes;
}

String DisplayFileName(std::u16string_view fileName) {
    String shown(fileName);
    for (std::size_t i = 0; i < shown.size(); ++i)
        if (IsEscapedByte(fileName, i)) shown[i] = 0xFFFD;
    return shown;
}

bool IsLoadableFileMode(unsigned mode) { return S_ISREG(mode) || S_ISFIFO(mode); }

bool FileExists(const String& fileName) {
    if (fileName.empty()) return false;
    struct stat st {};
    return ::stat(FileNameToBytes(fileName).c_str(), &st) == 0 && IsLoadableFileMode(st.st_mode);
}

String ExpandFileName(const String& fileName) {
    std::error_code ec;
    const std::filesystem::path path(FileNameToBytes(fileName));
    std::filesystem::path full = std::filesystem::absolute(path, ec);
    if (ec) full = path;
    return FileNameFromBytes(full.lexically_normal().string());
}

String ExtractFileName(const String& fileName) {
    const auto slash = fileName.find_last_of(u"/\\");
    return slash == String::npos ? fileName : fileName.substr(slash + 1);
}

String ExtractFileDir(const String& fileName) {
    const auto slash = fileName.find_last_of(u'/');
    if (slash == String::npos) return String();
    return fileName.substr(0, slash == 0 ? 1 : slash);
}
