// Lines held in memory: the text as UTF-8 bytes in one buffer with an index
// of line starts, decoded to UTF-16 only for the lines and pieces that are
// asked for. The line store keeps edited lines here, and the whole text of a
// file that cannot be read again (a FIFO or a pipe).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "PodArray.h"
#include "Types.h"

class TMemoryLines {
public:
    TMemoryLines() = default;
    TMemoryLines(TMemoryLines&&) noexcept = default;
    TMemoryLines& operator=(TMemoryLines&&) noexcept = default;

    // Replaces the content with the lines of a text file (byte-order mark,
    // else UTF-8 when valid, else Windows-1252; CR LF, CR and LF breaks).
    // Raises EFOpenError when the file cannot be opened (or is not of a
    // kind that loads), ETextReadError when reading fails, EOutOfMemory when
    // it is larger than TextSizeLimit and std::bad_alloc when memory runs
    // out; the content is unchanged then.
    void LoadFromFile(const String& fileName);
    // The same for a file already opened with OpenForReading; fd stays open.
    void LoadFromOpenFile(int fd);
    void Clear();
    void Swap(TMemoryLines& other) noexcept;

    int Count() const { return static_cast<int>(starts_.Size()); }
    // Line i without its break, as UTF-8 (lone surrogates in generalised form).
    std::string_view LineBytes(int i) const;
    bool IsAsciiLine(int i) const { return nonAsciiCount_ == 0 || !(nonAscii_[Word(i)] >> (i & 63) & 1); }
    // Length of line i in UTF-16 code units; constant time for ASCII lines.
    int Length(int i) const;
    String Get(int i) const;
    // Up to count code units of line i from unit start (0-based); short
    // results stay in the string's own small buffer.
    String Mid(int i, int start, int count) const {
        if (start < 0) start = 0;
        if (count <= 0) return String();
        if (!IsAsciiLine(i)) return MidOfNonAsciiLine(i, start, count);
        // Callers walk the lines in order (counting, filtering): fetch the
        // same piece of a line a little ahead.
        if (i + kPrefetchAhead < Count()) __builtin_prefetch(text_.Data() + Start(i + kPrefetchAhead) + start);
        const std::uint64_t begin = Start(i);
        const std::uint64_t end = ContentEnd(i);
        const std::uint64_t from = begin + static_cast<std::uint64_t>(start);
        if (from >= end) return String();
        const std::uint64_t to = end - from < static_cast<std::uint64_t>(count) ? end : from + static_cast<std::uint64_t>(count);
        // Built in the return value itself: moving a short string out of a
        // named local would copy its small buffer once more.
        const auto* bytes = reinterpret_cast<const unsigned char*>(text_.Data());
        return String(bytes + from, bytes + to);
    }

    // Appends one line; the text is stored as it is, breaks included.
    void Add(std::u16string_view line);
    // Appends bytes that are already (generalised) UTF-8, such as
    // another store's LineBytes.
    void AddUtf8(std::string_view line);
    // General edits; they move the text after the line (linear time).
    void Insert(int i, std::u16string_view line);
    void Delete(int i);
    void Put(int i, std::u16string_view line);

    // Code units in all lines together (breaks not counted).
    std::uint64_t TotalUnits() const { return totalUnits_; }
    // Code units in lines 0 .. line-1 (line may be Count()).
    std::uint64_t UnitsBefore(int line) const;
    // The line holding position pos when every line counts its length plus
    // one for its break: the largest i <= Count() whose UnitsBefore(i) + i is
    // at most pos.
    int LineAtPosition(std::uint64_t pos) const;

    // Bytes held for text and index (for the benchmarks).
    std::size_t MemoryUsed() const;

private:
    static std::size_t Word(int i) { return static_cast<std::size_t>(i) >> 6; }
    std::uint64_t Start(int i) const {
        return highMarks_.empty() ? starts_[static_cast<std::size_t>(i)] : StartAbove4GiB(i);
    }
    std::uint64_t StartAbove4GiB(int i) const;
    String MidOfNonAsciiLine(int i, int start, int count) const;
    // End of line i's content: the next line's start (or the end of the
    // text) less the break that lies between. Content never ends in a byte
    // that could be mistaken for a break: an added line ending in CR is
    // followed by CR, not LF (see SeparatorFor).
    std::uint64_t ContentEnd(int i) const {
        if ((breakWidth_ == 1 || breakWidth_ == 2) && i + 1 < Count()) return Start(i + 1) - breakWidth_;
        return ContentEndByBytes(i);
    }
    std::uint64_t ContentEndByBytes(int i) const;
    // Every break but that of an unterminated last line is breakWidth_
    // bytes long (1 or 2): then a line's end follows from the index alone,
    // without reading the text.
    void NoteBreakWidth(std::uint8_t width) {
        breakWidth_ = breakWidth_ == kNoBreaks || breakWidth_ == width ? width : kMixedBreaks;
    }
    void SetBreakWidthFromScan(std::uint64_t breakBytes);
    static char SeparatorFor(std::string_view line);
    bool LastLineTerminated() const;
    void SetNonAscii(int i, bool on);
    // Once any line is not ASCII, every line has a bit (0 while it is
    // ASCII), so that lookups and the shifts of Insert and Delete stay
    // within the bits.
    void CoverEveryLineWithABit();
    void InsertLineEntry(int i, std::uint64_t start, bool ascii);
    void EraseLineEntry(int i);
    // Moves the starts of lines from..Count()-1 by delta bytes.
    void ShiftStarts(int from, std::int64_t delta);
    void ReplaceBytes(std::uint64_t at, std::uint64_t removed, std::string_view inserted);
    void ForgetSamplesFrom(int line) const;
    void ExtendSamples(std::size_t sample) const;
    // Fills per-line facts after loading; false when the text is not the
    // UTF-8 it must be (strict for unmarked files).
    bool CountNonAsciiLines(bool strict);

    TPodArray<char> text_;
    std::uint64_t textBegin_ = 0;  // a byte-order mark may stay in front of the text
    TPodArray<std::uint32_t> starts_;
    std::vector<std::uint32_t> highMarks_;
    TPodArray<std::uint64_t> nonAscii_;  // one bit per line
    std::size_t nonAsciiCount_ = 0;
    std::uint64_t totalUnits_ = 0;
    static constexpr std::uint8_t kNoBreaks = 0;
    static constexpr std::uint8_t kMixedBreaks = 3;
    std::uint8_t breakWidth_ = kNoBreaks;
    // unitSamples_[k] = UnitsBefore(k * kSampleStep), built on demand.
    mutable std::vector<std::uint64_t> unitSamples_;
    static constexpr int kSampleStep = 64;
    static constexpr int kPrefetchAhead = 16;
};
