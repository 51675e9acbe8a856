// The line splitter against the reference rules, in one pass and in two
// parts arriving in chunks (as two threads reading two halves of a file
// feed it), split anywhere: a CR LF torn apart, a CR at a chunk's end.
#include <algorithm>
#include <string>

#include "FuzzTarget.h"
#include "ReferenceText.h"
#include "TextFile.h"

namespace {

// Where each line starts, which lines hold a byte of 0x80 or more, and how
// many bytes the breaks take, by the reference rules.
struct TExpectedScan {
    std::vector<std::uint64_t> starts;
    std::vector<std::uint32_t> nonAsciiLines;
    std::uint64_t breakBytes = 0;
};

TExpectedScan ExpectedScan(std::string_view text, std::size_t begin) {
    TExpectedScan scan;
    const std::vector<reference::Line> lines = reference::SplitLines(text, begin);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        scan.starts.push_back(lines[i].start);
        const std::string_view content = text.substr(lines[i].start, lines[i].end - lines[i].start);
        if (std::any_of(content.begin(), content.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; }))
            scan.nonAsciiLines.push_back(static_cast<std::uint32_t>(i));
    }
    scan.breakBytes = static_cast<std::uint64_t>(std::count_if(text.begin() + static_cast<std::ptrdiff_t>(begin), text.end(),
                                                               [](char c) { return c == '\r' || c == '\n'; }));
    return scan;
}

void RequireScan(const TLineScan& scan, const TExpectedScan& expected, const char* what) {
    Require(scan.starts.Size() == expected.starts.size(), what);
    for (std::size_t i = 0; i < expected.starts.size(); ++i) Require(scan.Start(i) == expected.starts[i], what);
    Require(scan.nonAsciiLines == expected.nonAsciiLines, what);
    Require(scan.breakBytes == expected.breakBytes, what);
}

TLineScan ScanInParts(std::string_view text, std::size_t begin, std::size_t split, std::size_t chunk) {
    TSplitScanner scanner(text.data(), begin, split, text.size());
    // The file's reader hands the first part over from offset 0, a mark included.
    for (std::size_t at = 0; at < split; at += chunk) scanner.Scan(0, at, std::min(split, at + chunk));
    for (std::size_t at = split; at < text.size(); at += chunk) scanner.Scan(1, at, std::min(text.size(), at + chunk));
    return scanner.Merge();
}

// A cheap hash, so that where the parts meet and how long the chunks are
// change with the input without taking bytes away from the text.
std::uint64_t Hash(std::string_view text) {
    std::uint64_t h = 14695981039346656037ull;
    for (char c : text) h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    return h;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::uint64_t hash = Hash(text);
    // The text may start after a byte-order mark of up to 3 bytes.
    const std::size_t begin = std::min<std::size_t>(size, hash & 3);
    const TExpectedScan expected = ExpectedScan(text, begin);
    RequireScan(ScanLines(text.data(), begin, size), expected, "ScanLines");

    std::vector<std::size_t> splits = {begin, size / 2, size, static_cast<std::size_t>((hash >> 8) % (size + 1))};
    // Right after a CR, and between a CR and its LF.
    const std::size_t cr = text.find('\r', begin);
    if (cr != std::string_view::npos) splits.insert(splits.end(), {cr, cr + 1});
    const std::size_t chunk = 1 + (hash >> 40) % 67;
    for (std::size_t split : splits) {
        split = std::max(split, begin);
        RequireScan(ScanInParts(text, begin, split, chunk), expected, "two parts");
    }
    return 0;
}
