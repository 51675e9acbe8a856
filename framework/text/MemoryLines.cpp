#include "MemoryLines.h"

#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <memory>

#include "TextFile.h"

namespace {

bool IsAscii(std::string_view bytes) {
    unsigned char any = 0;
    for (char c : bytes) any |= static_cast<unsigned char>(c);
    return any < 0x80;
}

// Decodes generalised UTF-8 that is known to be well formed.
struct TUtf8Reader {
    const unsigned char* p;
    const unsigned char* end;

    bool AtEnd() const { return p >= end; }
    // The next code point's UTF-16 units: one, or two for a pair.
    int Next(char16_t units[2]) {
        const unsigned char c = *p;
        if (c < 0x80) {
            units[0] = c;
            ++p;
            return 1;
        }
        const int n = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
        char32_t cp = c & (n == 2 ? 0x1F : n == 3 ? 0x0F : 0x07);
        for (int i = 1; i < n && p + i < end; ++i) cp = (cp << 6) | (p[i] & 0x3F);
        p += n;
        if (cp < 0x10000) {
            units[0] = static_cast<char16_t>(cp);
            return 1;
        }
        cp -= 0x10000;
        units[0] = static_cast<char16_t>(0xD800 + (cp >> 10));
        units[1] = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        return 2;
    }
};

struct TFileCloser {
    int fd;
    ~TFileCloser() { ::close(fd); }
};

// Feeds the chunks of a file that is being read to the line splitter.
class TScanningObserver : public TChunkObserver {
public:
    explicit TScanningObserver(std::size_t textBegin) : textBegin_(textBegin) {}
    void Begin(const char* data, std::size_t size, std::size_t split) override {
        scanner_ = std::make_unique<TSplitScanner>(data, std::min(textBegin_, size), split, size);
    }
    void Chunk(int part, std::size_t from, std::size_t to) override { scanner_->Scan(part, from, to); }
    TLineScan Merge() { return scanner_->Merge(); }

private:
    std::size_t textBegin_;
    std::unique_ptr<TSplitScanner> scanner_;
};

// The byte-order mark of an open file, read ahead of the file itself so that
// the line splitter knows where the text begins while the file is read.
TTextEncoding PeekByteOrderMark(int fd, std::size_t& markLength) {
    char head[3];
    const ssize_t got = ::pread(fd, head, sizeof head, 0);
    return DetectByteOrderMark(head, got > 0 ? static_cast<std::size_t>(got) : 0, markLength);
}

}  // namespace

// ---------------------------------------------------------------------------
// Loading

void TMemoryLines::LoadFromFile(const String& fileName) {
    const int fd = OpenForReading(fileName);
    TFileCloser closer{fd};
    LoadFromOpenFile(fd);
}

void TMemoryLines::LoadFromOpenFile(int fd) {
    TMemoryLines fresh;
    std::size_t markLength = 0;
    TTextEncoding encoding = PeekByteOrderMark(fd, markLength);
    const bool scanWhileReading = encoding == TTextEncoding::Unmarked || encoding == TTextEncoding::Utf8;
    TScanningObserver observer(markLength);
    const bool scanned = ReadWholeFile(fd, fresh.text_, scanWhileReading ? &observer : nullptr);
    // A file read in one piece may not be what the peek saw (a pipe, or a
    // file that changed): its own first bytes decide.
    if (!scanned) encoding = DetectByteOrderMark(fresh.text_.Data(), fresh.text_.Size(), markLength);

    TLineScan scan;
    if (encoding == TTextEncoding::Utf16LE || encoding == TTextEncoding::Utf16BE) {
        TranscodeToUtf8(fresh.text_, markLength, fresh.text_.Size(), encoding);
        markLength = 0;
        scan = ScanLines(fresh.text_.Data(), 0, fresh.text_.Size());
    } else {
        scan = scanned ? observer.Merge() : ScanLines(fresh.text_.Data(), markLength, fresh.text_.Size());
    }
    if (scan.starts.Size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) throw std::bad_alloc();

    fresh.textBegin_ = markLength;
    fresh.starts_ = std::move(scan.starts);
    fresh.highMarks_ = std::move(scan.highMarks);
    fresh.totalUnits_ = fresh.text_.Size() - markLength - scan.breakBytes;
    std::vector<std::uint32_t> nonAsciiLines = std::move(scan.nonAsciiLines);
    for (std::uint32_t line : nonAsciiLines) fresh.SetNonAscii(static_cast<int>(line), true);

    fresh.SetBreakWidthFromScan(scan.breakBytes);
    const bool unmarked = encoding == TTextEncoding::Unmarked;
    if ((unmarked || encoding == TTextEncoding::Utf8) && !fresh.CountNonAsciiLines(unmarked)) {
        // Unmarked and not UTF-8: Windows-1252. Marked UTF-8 with malformed
        // bytes: each such byte becomes U+FFFD.
        TranscodeToUtf8(fresh.text_, markLength, fresh.text_.Size(), encoding);
        TLineScan again = ScanLines(fresh.text_.Data(), 0, fresh.text_.Size());
        fresh.textBegin_ = 0;
        fresh.starts_ = std::move(again.starts);
        fresh.highMarks_ = std::move(again.highMarks);
        fresh.totalUnits_ = fresh.text_.Size() - again.breakBytes;
        fresh.SetBreakWidthFromScan(again.breakBytes);
        fresh.nonAscii_.Clear();
        fresh.nonAsciiCount_ = 0;
        for (std::uint32_t line : again.nonAsciiLines) fresh.SetNonAscii(static_cast<int>(line), true);
        fresh.CountNonAsciiLines(false);
    } else if (!unmarked && encoding != TTextEncoding::Utf8) {
        fresh.CountNonAsciiLines(false);
    }
    Swap(fresh);
}

void TMemoryLines::SetBreakWidthFromScan(std::uint64_t breakBytes) {
    const std::uint64_t terminated = static_cast<std::uint64_t>(Count()) - (LastLineTerminated() ? 0 : 1);
    breakWidth_ = terminated == 0               ? kNoBreaks
                  : breakBytes == terminated     ? 1
                  : breakBytes == 2 * terminated ? 2
                                                 : kMixedBreaks;
}

bool TMemoryLines::CountNonAsciiLines(bool strict) {
    if (nonAsciiCount_ == 0) return true;
    for (std::size_t w = 0; w < nonAscii_.Size(); ++w) {
        for (std::uint64_t bits = nonAscii_[w]; bits; bits &= bits - 1) {
            const int line = static_cast<int>(w * 64 + static_cast<std::size_t>(std::countr_zero(bits)));
            const std::string_view bytes = LineBytes(line);
            if (!(strict ? IsStrictUtf8(bytes.data(), bytes.size()) : IsGeneralisedUtf8(bytes.data(), bytes.size())))
                return false;
            totalUnits_ -= bytes.size() - Utf16Length(bytes.data(), bytes.size());
        }
    }
    return true;
}

void TMemoryLines::Clear() {
    TMemoryLines empty;
    Swap(empty);
}

void TMemoryLines::Swap(TMemoryLines& other) noexcept {
    text_.Swap(other.text_);
    std::swap(textBegin_, other.textBegin_);
    starts_.Swap(other.starts_);
    highMarks_.swap(other.highMarks_);
    nonAscii_.Swap(other.nonAscii_);
    std::swap(nonAsciiCount_, other.nonAsciiCount_);
    std::swap(totalUnits_, other.totalUnits_);
    std::swap(breakWidth_, other.breakWidth_);
    unitSamples_.swap(other.unitSamples_);
}

// ---------------------------------------------------------------------------
// Reading lines

std::uint64_t TMemoryLines::StartAbove4GiB(int i) const {
    const auto high = static_cast<std::uint64_t>(std::upper_bound(highMarks_.begin(), highMarks_.end(), static_cast<std::uint32_t>(i)) -
                                          highMarks_.begin());
    return (high << 32) | starts_[static_cast<std::size_t>(i)];
}

std::uint64_t TMemoryLines::ContentEndByBytes(int i) const {
    const std::uint64_t start = Start(i);
    std::uint64_t end = i + 1 < Count() ? Start(i + 1) : text_.Size();
    const char* t = text_.Data();
    if (end > start && t[end - 1] == '\n') {
        --end;
        if (end > start && t[end - 1] == '\r') --end;
    } else if (end > start && t[end - 1] == '\r') {
        --end;
    }
    return end;
}

std::string_view TMemoryLines::LineBytes(int i) const {
    const std::uint64_t start = Start(i);
    return std::string_view(text_.Data() + start, ContentEnd(i) - start);
}

int TMemoryLines::Length(int i) const {
    const std::string_view bytes = LineBytes(i);
    if (IsAsciiLine(i)) return static_cast<int>(bytes.size());
    return static_cast<int>(Utf16Length(bytes.data(), bytes.size()));
}

String TMemoryLines::Get(int i) const {
    const std::string_view bytes = LineBytes(i);
    if (!IsAsciiLine(i)) return Utf8ToString(bytes);
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    return String(data, data + bytes.size());
}

String TMemoryLines::MidOfNonAsciiLine(int i, int start, int count) const {
    String piece;
    const std::string_view bytes = LineBytes(i);
    TUtf8Reader reader{reinterpret_cast<const unsigned char*>(bytes.data()),
                       reinterpret_cast<const unsigned char*>(bytes.data() + bytes.size())};
    int unit = 0;
    const int stop = start + count;
    while (!reader.AtEnd() && unit < stop) {
        char16_t units[2];
        const int n = reader.Next(units);
        for (int k = 0; k < n; ++k, ++unit)
            if (unit >= start && unit < stop) piece.push_back(units[k]);
    }
    return piece;
}

// ---------------------------------------------------------------------------
// Positions

void TMemoryLines::ForgetSamplesFrom(int line) const {
    // The sample for a block stays valid while the block starts at or before
    // the first changed line.
    const std::size_t keep = static_cast<std::size_t>(line) / kSampleStep + 1;
    if (unitSamples_.size() > keep) unitSamples_.resize(keep);
}

void TMemoryLines::ExtendSamples(std::size_t sample) const {
    if (unitSamples_.empty()) unitSamples_.push_back(0);
    while (unitSamples_.size() <= sample) {
        const int from = static_cast<int>((unitSamples_.size() - 1) * kSampleStep);
        const int to = std::min(from + kSampleStep, Count());
        std::uint64_t units = unitSamples_.back();
        for (int j = from; j < to; ++j) units += static_cast<std::uint64_t>(Length(j));
        unitSamples_.push_back(units);
    }
}

std::uint64_t TMemoryLines::UnitsBefore(int line) const {
    const std::size_t sample = static_cast<std::size_t>(line) / kSampleStep;
    ExtendSamples(sample);
    std::uint64_t units = unitSamples_[sample];
    for (int j = static_cast<int>(sample * kSampleStep); j < line; ++j) units += static_cast<std::uint64_t>(Length(j));
    return units;
}

int TMemoryLines::LineAtPosition(std::uint64_t pos) const {
    const std::size_t lastSample = static_cast<std::size_t>(Count()) / kSampleStep;
    auto samplePosition = [&](std::size_t k) { return unitSamples_[k] + k * kSampleStep; };
    // Build samples only as far as the position needs.
    std::size_t k = 0;
    ExtendSamples(0);
    while (k < lastSample) {
        ExtendSamples(k + 1);
        if (samplePosition(k + 1) > pos) break;
        ++k;
    }
    int line = static_cast<int>(k * kSampleStep);
    std::uint64_t at = samplePosition(k);
    while (line < Count()) {
        const std::uint64_t next = at + static_cast<std::uint64_t>(Length(line)) + 1;
        if (next > pos) break;
        at = next;
        ++line;
    }
    return line;
}

// ---------------------------------------------------------------------------
// Editing

char TMemoryLines::SeparatorFor(std::string_view line) {
    // A line ending in CR gets CR as its break, so that the pair does not
    // read back as one CR LF break.
    return !line.empty() && line.back() == '\r' ? '\r' : '\n';
}

bool TMemoryLines::LastLineTerminated() const {
    if (text_.Size() <= textBegin_) return true;
    const char last = text_[text_.Size() - 1];
    return last == '\n' || last == '\r';
}

void TMemoryLines::CoverEveryLineWithABit() {
    const std::size_t words = static_cast<std::size_t>(Count() + 63) / 64;
    if (nonAscii_.Size() >= words) return;
    const std::size_t old = nonAscii_.Size();
    nonAscii_.Resize(words);
    std::fill(nonAscii_.Data() + old, nonAscii_.Data() + words, 0);
}

void TMemoryLines::SetNonAscii(int i, bool on) {
    if (on) CoverEveryLineWithABit();
    if (Word(i) >= nonAscii_.Size()) return;
    std::uint64_t& word = nonAscii_[Word(i)];
    const std::uint64_t bit = std::uint64_t{1} << (i & 63);
    if (((word & bit) != 0) == on) return;
    word ^= bit;
    on ? ++nonAsciiCount_ : --nonAsciiCount_;
}

void TMemoryLines::AddUtf8(std::string_view line) {
    if (Count() == std::numeric_limits<int>::max()) throw std::bad_alloc();
    if (!LastLineTerminated()) text_.PushBack('\n');
    NoteBreakWidth(1);
    const std::uint64_t start = text_.Size();
    text_.Append(line.data(), line.size());
    text_.PushBack(SeparatorFor(line));
    const bool ascii = IsAscii(line);
    InsertLineEntry(Count(), start, ascii);
    totalUnits_ += ascii ? line.size() : Utf16Length(line.data(), line.size());
}

void TMemoryLines::Add(std::u16string_view line) {
    bool ascii = true;
    for (char16_t c : line) ascii &= c < 0x80;
    if (!ascii) {
        AddUtf8(StringToUtf8(line));
        return;
    }
    // Plain ASCII: narrow straight into the buffer, no temporary string.
    if (Count() == std::numeric_limits<int>::max()) throw std::bad_alloc();
    if (!LastLineTerminated()) text_.PushBack('\n');
    NoteBreakWidth(1);
    const std::uint64_t start = text_.Size();
    text_.Resize(start + line.size() + 1);
    char* out = text_.Data() + start;
    for (char16_t c : line) *out++ = static_cast<char>(c);
    *out = line.empty() || line.back() != u'\r' ? '\n' : '\r';
    InsertLineEntry(Count(), start, true);
    totalUnits_ += line.size();
}

void TMemoryLines::InsertLineEntry(int i, std::uint64_t start, bool ascii) {
    const auto at = static_cast<std::size_t>(i);
    if (at == starts_.Size()) {
        // Appending: only a new high word needs a mark.
        const std::uint64_t previousHigh = starts_.Empty() ? 0 : Start(i - 1) >> 32;
        for (std::uint64_t high = previousHigh; high < start >> 32; ++high) highMarks_.push_back(static_cast<std::uint32_t>(i));
        starts_.PushBack(static_cast<std::uint32_t>(start));
        if (nonAsciiCount_ > 0) CoverEveryLineWithABit();
    } else {
        // The new line takes the start of the line it pushes down, so marks
        // up to i keep their meaning and later ones move one line on.
        starts_.InsertGap(at, 1);
        starts_[at] = static_cast<std::uint32_t>(start);
        for (std::uint32_t& mark : highMarks_)
            if (mark > static_cast<std::uint32_t>(i)) ++mark;
        if (nonAsciiCount_ > 0) {
            // Move the bits of lines i.. one place on.
            const std::size_t words = static_cast<std::size_t>(Count() + 63) / 64;
            if (nonAscii_.Size() < words) {
                nonAscii_.Resize(words);
                nonAscii_[words - 1] = 0;
            }
            for (int j = Count() - 1; j > i; --j) {
                const bool bit = nonAscii_[Word(j - 1)] >> ((j - 1) & 63) & 1;
                const std::uint64_t mask = std::uint64_t{1} << (j & 63);
                nonAscii_[Word(j)] = bit ? nonAscii_[Word(j)] | mask : nonAscii_[Word(j)] & ~mask;
            }
            nonAscii_[Word(i)] &= ~(std::uint64_t{1} << (i & 63));
        }
    }
    ForgetSamplesFrom(i);
    if (!ascii) SetNonAscii(i, true);
}

void TMemoryLines::EraseLineEntry(int i) {
    SetNonAscii(i, false);
    if (nonAsciiCount_ > 0) {
        for (int j = i; j + 1 < Count(); ++j) {
            const bool bit = nonAscii_[Word(j + 1)] >> ((j + 1) & 63) & 1;
            const std::uint64_t mask = std::uint64_t{1} << (j & 63);
            nonAscii_[Word(j)] = bit ? nonAscii_[Word(j)] | mask : nonAscii_[Word(j)] & ~mask;
        }
        const int last = Count() - 1;
        nonAscii_[Word(last)] &= ~(std::uint64_t{1} << (last & 63));
    }
    starts_.Erase(static_cast<std::size_t>(i), 1);
    for (std::uint32_t& mark : highMarks_)
        if (mark > static_cast<std::uint32_t>(i)) --mark;
    ForgetSamplesFrom(i);
}

void TMemoryLines::ShiftStarts(int from, std::int64_t delta) {
    if (delta == 0 || from >= Count()) return;
    const std::uint64_t lastStart = Start(Count() - 1);
    if (highMarks_.empty() && lastStart + static_cast<std::uint64_t>(delta) < (std::uint64_t{1} << 32)) {
        for (std::size_t j = static_cast<std::size_t>(from); j < starts_.Size(); ++j)
            starts_[j] = static_cast<std::uint32_t>(starts_[j] + static_cast<std::uint64_t>(delta));
        return;
    }
    // Over 4 GiB: recompute the high marks of the moved lines.
    std::vector<std::uint32_t> oldMarks = std::move(highMarks_);
    highMarks_.assign(oldMarks.begin(), std::lower_bound(oldMarks.begin(), oldMarks.end(), static_cast<std::uint32_t>(from)));
    std::uint64_t previousHigh = highMarks_.size();
    auto oldMark = oldMarks.begin();
    for (int j = from; j < Count(); ++j) {
        while (oldMark != oldMarks.end() && *oldMark <= static_cast<std::uint32_t>(j)) ++oldMark;
        const auto oldHigh = static_cast<std::uint64_t>(oldMark - oldMarks.begin());
        const std::uint64_t moved = ((oldHigh << 32) | starts_[static_cast<std::size_t>(j)]) + static_cast<std::uint64_t>(delta);
        for (; previousHigh < moved >> 32; ++previousHigh) highMarks_.push_back(static_cast<std::uint32_t>(j));
        starts_[static_cast<std::size_t>(j)] = static_cast<std::uint32_t>(moved);
    }
}

void TMemoryLines::ReplaceBytes(std::uint64_t at, std::uint64_t removed, std::string_view inserted) {
    const std::size_t oldSize = text_.Size();
    const std::size_t tail = oldSize - at - removed;
    if (inserted.size() > removed) text_.Resize(oldSize + inserted.size() - removed);
    char* t = text_.Data();
    std::memmove(t + at + inserted.size(), t + at + removed, tail);
    if (!inserted.empty()) std::memcpy(t + at, inserted.data(), inserted.size());
    if (inserted.size() < removed) text_.Resize(oldSize - removed + inserted.size());
}

void TMemoryLines::Insert(int i, std::u16string_view line) {
    if (i == Count()) {
        Add(line);
        return;
    }
    std::string bytes = StringToUtf8(line);
    const std::size_t contentSize = bytes.size();
    bytes.push_back(SeparatorFor(bytes));
    const std::uint64_t start = Start(i);
    NoteBreakWidth(1);
    ReplaceBytes(start, 0, bytes);
    const bool ascii = IsAscii(std::string_view(bytes.data(), contentSize));
    InsertLineEntry(i, start, ascii);
    ShiftStarts(i + 1, static_cast<std::int64_t>(bytes.size()));
    totalUnits_ += ascii ? contentSize : Utf16Length(bytes.data(), contentSize);
}

void TMemoryLines::Delete(int i) {
    const std::uint64_t start = Start(i);
    const std::uint64_t next = i + 1 < Count() ? Start(i + 1) : text_.Size();
    totalUnits_ -= static_cast<std::uint64_t>(Length(i));
    ReplaceBytes(start, next - start, {});
    ShiftStarts(i + 1, -static_cast<std::int64_t>(next - start));
    EraseLineEntry(i);
    if (Count() == 0) Clear();
}

void TMemoryLines::Put(int i, std::u16string_view line) {
    std::string bytes = StringToUtf8(line);
    const std::size_t contentSize = bytes.size();
    bytes.push_back(SeparatorFor(bytes));
    const std::uint64_t start = Start(i);
    const std::uint64_t next = i + 1 < Count() ? Start(i + 1) : text_.Size();
    totalUnits_ -= static_cast<std::uint64_t>(Length(i));
    NoteBreakWidth(1);
    ReplaceBytes(start, next - start, bytes);
    ShiftStarts(i + 1, static_cast<std::int64_t>(bytes.size()) - static_cast<std::int64_t>(next - start));
    const bool ascii = IsAscii(std::string_view(bytes.data(), contentSize));
    SetNonAscii(i, !ascii);
    totalUnits_ += ascii ? contentSize : Utf16Length(bytes.data(), contentSize);
    ForgetSamplesFrom(i);
}

std::size_t TMemoryLines::MemoryUsed() const {
    return text_.Capacity() + starts_.Capacity() * sizeof(std::uint32_t) + nonAscii_.Capacity() * sizeof(std::uint64_t) +
           highMarks_.capacity() * sizeof(std::uint32_t) + unitSamples_.capacity() * sizeof(std::uint64_t);
}
