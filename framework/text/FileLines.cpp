#include "FileLines.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <exception>
#include <thread>

#include "SysUtils.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

constexpr std::uint64_t kBlockSize = 64 * 1024;                 // unit of caching and checking
constexpr std::uint64_t kChunk = 16 * kBlockSize;               // read at once while indexing
constexpr std::size_t kCacheSlots = 64;                         // 4 MiB of cached blocks
constexpr std::uint64_t kParallelFrom = std::uint64_t{8} << 20;  // below this one thread is quicker
constexpr std::uint64_t kSplitSearch = std::uint64_t{16} << 20;  // how far to look for a break to split at
constexpr int kGroup = 64;                                       // lines per group of the index
constexpr std::uint64_t kOverflow = std::uint64_t{1} << 63;      // a group whose starts do not fit 16 bits
constexpr int kLoadAttempts = 3;                                 // a file that changes while indexed is indexed again

TFileChangedHandler& ChangedHandler() {
    static TFileChangedHandler handler;
    return handler;
}

// Cheap and order-sensitive: a byte changed, moved or cut off changes it.
// Four independent lanes of running sums, so that the loop keeps up with
// memory (it runs over every block read again, the colouring pass's too).
std::uint64_t BlockChecksum(const char* data, std::size_t size) {
    constexpr int kLanes = 4;
    std::uint64_t sums[kLanes] = {};
    std::uint64_t sumsOfSums[kLanes] = {};
    std::size_t i = 0;
    for (; i + 8 * kLanes <= size; i += 8 * kLanes) {
        for (int lane = 0; lane < kLanes; ++lane) {
            std::uint64_t word;
            std::memcpy(&word, data + i + 8 * lane, 8);
            sums[lane] += word;
            sumsOfSums[lane] += sums[lane];
        }
    }
    std::uint64_t tail = 0;
    std::uint64_t tailSums = 0;
    for (; i < size; ++i) {
        tail += static_cast<unsigned char>(data[i]);
        tailSums += tail;
    }
    std::uint64_t hash = size;
    for (int lane = 0; lane < kLanes; ++lane) {
        hash = (hash ^ sums[lane]) * 0x9E3779B97F4A7C15ull;
        hash = (hash ^ sumsOfSums[lane]) * 0xC2B2AE3D27D4EB4Full;
    }
    return (hash ^ tail) * 0x165667B19E3779F9ull ^ tailSums;
}

// Reads exactly size bytes at offset; false when the file ends first.
bool ReadFully(int fd, char* data, std::size_t size, std::uint64_t offset, int& error) {
    std::size_t got = 0;
    while (got < size) {
        const ssize_t n = ::pread(fd, data + got, size - got, static_cast<off_t>(offset + got));
        if (n < 0) {
            if (errno == EINTR) continue;
            error = errno;
            return false;
        }
        if (n == 0) return false;
        got += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

TFileChangedHandler SetFileChangedHandler(TFileChangedHandler handler) {
    return std::exchange(ChangedHandler(), std::move(handler));
}

String FileChangedMessage(const String& fileName) {
    return u"The file \"" + DisplayFileName(ExpandFileName(fileName)) +
           u"\" changed on disk after it was loaded; lines that no longer read as loaded are shown as unavailable. "
           u"Refresh reloads the file";
}

void TBitArray::Set(std::uint64_t i) {
    const std::size_t word = static_cast<std::size_t>(i >> 6);
    if (word >= words_.Size()) {
        const std::size_t old = words_.Size();
        words_.Resize(word + 1);
        std::fill(words_.Data() + old, words_.Data() + word + 1, 0);
    }
    words_[word] |= std::uint64_t{1} << (i & 63);
}

// ---------------------------------------------------------------------------
// The index of one part of the file (the file is indexed in parts, one per
// thread, each beginning at a line start).

struct TFileLines::Segment {
    std::uint64_t firstLine = 0;
    std::uint64_t count = 0;
    std::uint64_t end = 0;                 // where the part's last line ends
    TPodArray<std::uint64_t> groupBase;    // start of each group's first line, or kOverflow | index into bigStarts
    TPodArray<std::uint16_t> offsets;      // each line's start less its group's base
    TPodArray<std::uint64_t> bigStarts;    // the starts of groups that span more than 64 KiB
    TBitArray longBreaks;                  // lines ended by CR LF
    TBitArray nonAscii;                    // lines holding a character of U+0080 or more
    TPodArray<std::uint32_t> deficits;     // UTF-8 only: bytes less code units of each non-ASCII line
    TPodArray<std::uint32_t> rank;         // non-ASCII lines before each word of nonAscii
    TPodArray<std::uint64_t> unitsBefore;  // code units of all lines (of the file) before each group

    void RecordStart(std::uint64_t pos) {
        // Lines are counted in an int: stop a file of more lines (say, a
        // file of nothing but breaks) before its index fills the memory.
        if (count == static_cast<std::uint64_t>(INT32_MAX)) throw std::bad_alloc();
        const std::uint64_t local = count++;
        if (local % kGroup == 0) {
            groupBase.PushBack(pos);
            offsets.PushBack(0);
            return;
        }
        std::uint64_t& base = groupBase.Back();
        if (!(base & kOverflow)) {
            if (pos - base <= 0xFFFF) {
                offsets.PushBack(static_cast<std::uint16_t>(pos - base));
                return;
            }
            const std::uint64_t index = bigStarts.Size();
            for (std::uint64_t k = local - local % kGroup; k < local; ++k) bigStarts.PushBack(base + offsets[k]);
            base = kOverflow | index;
        }
        bigStarts.PushBack(pos);
        offsets.PushBack(0);
    }
    std::uint64_t Start(std::uint64_t local) const {
        const std::uint64_t base = groupBase[local / kGroup];
        if (base & kOverflow) return bigStarts[(base & ~kOverflow) + local % kGroup];
        return base + offsets[local];
    }
    std::uint64_t NextStart(std::uint64_t local) const { return local + 1 < count ? Start(local + 1) : end; }
    std::size_t MemoryUsed() const {
        return groupBase.Capacity() * 8 + offsets.Capacity() * 2 + bigStarts.Capacity() * 8 + longBreaks.MemoryUsed() +
               nonAscii.MemoryUsed() + deficits.Capacity() * 4 + rank.Capacity() * 4 + unitsBefore.Capacity() * 8;
    }
};

// Splits one part into lines while its chunks arrive in order, and checks
// its UTF-8 on the way (a sequence never spans a break, so each line is
// checked by itself).
struct TFileLines::Reader {
    Segment segment;
    std::uint64_t partEnd;
    bool utf16;
    bool bigEndian;
    bool strict;  // no surrogate code points (an unmarked file)
    bool valid = true;
    std::vector<std::uint64_t> malformedLines;  // local line numbers

    Reader(std::uint64_t begin, std::uint64_t end, TTextEncoding encoding)
        : partEnd(end), utf16(encoding == TTextEncoding::Utf16LE || encoding == TTextEncoding::Utf16BE),
          bigEndian(encoding == TTextEncoding::Utf16BE), strict(encoding == TTextEncoding::Unmarked) {
        segment.end = end;
        Begin(begin);
    }

    void Feed(const unsigned char* data, std::uint64_t at, std::size_t size) {
        if (size == 0) return;
        if (utf16)
            FeedUnits(data, at, size);
        else
            FeedBytes(data, at, size);
    }

    void Finish() {
        if (pendingCr_) {
            pendingCr_ = false;
            EndLine(false);
        } else if (lineOpen_) {
            EndLine(false);
        }
    }

private:
    void Begin(std::uint64_t pos) {
        if (pos >= partEnd) return;  // a break at the very end starts no line
        segment.RecordStart(pos);
        lineOpen_ = true;
    }

    void EndLine(bool twoUnits) {
        const std::uint64_t local = segment.count - 1;
        if (twoUnits) segment.longBreaks.Set(local);
        if (lineNonAscii_) {
            segment.nonAscii.Set(local);
            segment.deficits.PushBack(deficit_ > 0 ? static_cast<std::uint32_t>(deficit_) : 0);
        }
        if (need_ != 0) lineMalformed_ = true;
        if (lineMalformed_) {
            valid = false;
            malformedLines.push_back(local);
        }
        need_ = 0;
        deficit_ = 0;
        lineNonAscii_ = lineMalformed_ = lineOpen_ = false;
    }

    // A CR or LF at data[i]; size is the end of the bytes read so far.
    void Break(const unsigned char* data, std::uint64_t at, std::size_t i, std::size_t size) {
        if (at + i == skipLf_) return;
        if (data[i] == '\n') {
            EndLine(false);
            Begin(at + i + 1);
        } else if (i + 1 < size) {
            const bool crLf = data[i + 1] == '\n';
            if (crLf) skipLf_ = at + i + 1;
            EndLine(crLf);
            Begin(at + i + (crLf ? 2 : 1));
        } else {
            pendingCr_ = true;  // decided by the next chunk's first byte
        }
    }

    void High(unsigned char c, std::uint64_t pos) {
        lineNonAscii_ = true;
        if ((c & 0xC0) == 0x80)
            ++deficit_;
        else if (c >= 0xF0)
            --deficit_;  // four bytes make two code units
        if (need_ != 0) {
            if (pos == expectAt_ && c >= lo_ && c <= hi_) {
                --need_;
                ++expectAt_;
                lo_ = 0x80;
                hi_ = 0xBF;
                return;
            }
            lineMalformed_ = true;
            need_ = 0;
        }
        lo_ = 0x80;
        hi_ = 0xBF;
        if (c >= 0xC2 && c <= 0xDF) {
            need_ = 1;
        } else if (c == 0xE0) {
            need_ = 2, lo_ = 0xA0;
        } else if (c == 0xED) {
            need_ = 2, hi_ = strict ? 0x9F : 0xBF;
        } else if (c >= 0xE1 && c <= 0xEF) {
            need_ = 2;
        } else if (c == 0xF0) {
            need_ = 3, lo_ = 0x90;
        } else if (c >= 0xF1 && c <= 0xF3) {
            need_ = 3;
        } else if (c == 0xF4) {
            need_ = 3, hi_ = 0x8F;
        } else {
            lineMalformed_ = true;
            return;
        }
        expectAt_ = pos + 1;
    }

    void ResolvePendingCr(bool lfFollows, std::uint64_t at, std::uint64_t breakEnd) {
        pendingCr_ = false;
        EndLine(lfFollows);
        Begin(lfFollows ? breakEnd : at);
    }

    void FeedBytes(const unsigned char* data, std::uint64_t at, std::size_t size) {
        std::size_t i = 0;
        if (pendingCr_) {
            const bool lf = data[0] == '\n';
            ResolvePendingCr(lf, at, at + 1);
            i = lf ? 1 : 0;
        }
#ifdef __SSE2__
        const __m128i lfs = _mm_set1_epi8('\n');
        const __m128i crs = _mm_set1_epi8('\r');
        for (; i + 64 <= size; i += 64) {
            std::uint64_t breaks = 0;
            std::uint64_t high = 0;
            for (int k = 0; k < 4; ++k) {
                const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i + 16 * k));
                const __m128i isBreak = _mm_or_si128(_mm_cmpeq_epi8(v, lfs), _mm_cmpeq_epi8(v, crs));
                breaks |= static_cast<std::uint64_t>(static_cast<std::uint16_t>(_mm_movemask_epi8(isBreak))) << (16 * k);
                high |= static_cast<std::uint64_t>(static_cast<std::uint16_t>(_mm_movemask_epi8(v))) << (16 * k);
            }
            if (high == 0 && need_ != 0) {  // a sequence cut short by plain bytes
                lineMalformed_ = true;
                need_ = 0;
            }
            for (std::uint64_t all = breaks | high; all; all &= all - 1) {
                const auto bit = static_cast<std::size_t>(std::countr_zero(all));
                if (breaks >> bit & 1)
                    Break(data, at, i + bit, size);
                else
                    High(data[i + bit], at + i + bit);
            }
        }
#endif
        for (; i < size; ++i) {
            const unsigned char c = data[i];
            if (c == '\n' || c == '\r')
                Break(data, at, i, size);
            else if (c >= 0x80)
                High(c, at + i);
        }
    }

    unsigned UnitAt(const unsigned char* p) const { return bigEndian ? (p[0] << 8 | p[1]) : (p[1] << 8 | p[0]); }

    void FeedUnits(const unsigned char* data, std::uint64_t at, std::size_t size) {
        std::size_t i = 0;
        if (pendingCr_) {
            const bool lf = size >= 2 && UnitAt(data) == '\n';
            ResolvePendingCr(lf, at, at + 2);
            i = lf ? 2 : 0;
        }
        for (; i + 2 <= size; i += 2) {
            const unsigned unit = UnitAt(data + i);
            if (unit == '\n') {
                EndLine(false);
                Begin(at + i + 2);
            } else if (unit == '\r') {
                if (i + 4 <= size) {
                    const bool crLf = UnitAt(data + i + 2) == '\n';
                    EndLine(crLf);
                    Begin(at + i + (crLf ? 4 : 2));
                    if (crLf) i += 2;
                } else if (i + 2 < size) {
                    EndLine(false);  // only an odd last byte follows
                    Begin(at + i + 2);
                } else {
                    pendingCr_ = true;
                }
            } else if (unit >= 0x80) {
                lineNonAscii_ = true;
            }
        }
        if (i < size) lineNonAscii_ = true;  // an odd last byte reads as U+FFFD
    }

    bool lineOpen_ = false;
    bool lineNonAscii_ = false;
    bool lineMalformed_ = false;
    bool pendingCr_ = false;
    std::uint64_t skipLf_ = UINT64_MAX;  // the LF of a CR LF already handled
    std::int64_t deficit_ = 0;
    int need_ = 0;  // continuation bytes still expected
    std::uint64_t expectAt_ = 0;
    unsigned char lo_ = 0x80, hi_ = 0xBF;
};

// ---------------------------------------------------------------------------
// Indexing

namespace {

// Just after the first LF at or after the middle of [begin, size), so that
// each half begins at a line start; size when there is none near.
std::uint64_t FindSplit(int fd, std::uint64_t begin, std::uint64_t size) {
    std::vector<char> window(kBlockSize);
    const std::uint64_t middle = begin + (size - begin) / 2;
    for (std::uint64_t at = middle; at < size && at < middle + kSplitSearch;) {
        const ssize_t got = ::pread(fd, window.data(), window.size(), static_cast<off_t>(at));
        if (got <= 0) return size;
        if (const void* lf = std::memchr(window.data(), '\n', static_cast<std::size_t>(got)))
            return at + static_cast<std::uint64_t>(static_cast<const char*>(lf) - window.data()) + 1;
        at += static_cast<std::uint64_t>(got);
    }
    return size;
}

}  // namespace

std::shared_ptr<TFileLines> TFileLines::Load(int fd, const String& fileName) {
    std::shared_ptr<TFileLines> lines(new TFileLines());
    lines->fd_ = fd;  // closed by the destructor, whatever happens below
    lines->fileName_ = fileName;
    for (int attempt = 1;; ++attempt) {
        struct stat st {};
        if (::fstat(fd, &st) != 0) RaiseTextReadError(errno);
        const auto size = static_cast<std::uint64_t>(st.st_size);
        char head[3];
        const ssize_t got = ::pread(fd, head, sizeof head, 0);
        std::size_t markLength = 0;
        const TTextEncoding encoding = DetectByteOrderMark(head, got > 0 ? static_cast<std::size_t>(got) : 0, markLength);
        const bool utf16 = encoding == TTextEncoding::Utf16LE || encoding == TTextEncoding::Utf16BE;
        const std::uint64_t split =
            !utf16 && size - markLength >= kParallelFrom ? FindSplit(fd, markLength, size) : size;

        lines->size_ = size;
        lines->textBegin_ = markLength;
        lines->encoding_ = encoding;
        lines->unitSize_ = utf16 ? 2 : 1;
        lines->checksums_.Resize((size + kBlockSize - 1) / kBlockSize);
        std::vector<std::unique_ptr<Reader>> readers;
        readers.push_back(std::make_unique<Reader>(markLength, split, encoding));
        if (split < size) readers.push_back(std::make_unique<Reader>(split, size, encoding));

        // Each part reads whole blocks from the block holding its start and
        // sums the blocks that end within it; a block that the split cuts
        // is summed by the second part, which reads it whole.
        bool complete[2] = {true, true};
        int errors[2] = {0, 0};
        std::exception_ptr failures[2];
        auto readPart = [&](int part, std::uint64_t from, std::uint64_t to) {
            try {
                Reader& reader = *readers[static_cast<std::size_t>(part)];
                std::unique_ptr<char[]> buffer(new char[kChunk]);
                for (std::uint64_t at = from - from % kBlockSize; at < to;) {
                    const std::size_t want = static_cast<std::size_t>(std::min(kChunk, to - at));
                    if (!ReadFully(fd, buffer.get(), want, at, errors[part])) {
                        complete[part] = false;
                        return;
                    }
                    for (std::uint64_t block = at / kBlockSize; block * kBlockSize < at + want; ++block) {
                        const std::uint64_t blockEnd = std::min(size, (block + 1) * kBlockSize);
                        if (blockEnd > at + want) break;
                        lines->checksums_[block] =
                            BlockChecksum(buffer.get() + (block * kBlockSize - at), static_cast<std::size_t>(blockEnd - block * kBlockSize));
                    }
                    const std::uint64_t scanFrom = std::max(at, from);
                    reader.Feed(reinterpret_cast<const unsigned char*>(buffer.get()) + (scanFrom - at), scanFrom,
                                static_cast<std::size_t>(at + want - scanFrom));
                    at += want;
                }
                reader.Finish();
            } catch (...) {
                failures[part] = std::current_exception();
            }
        };
        {
            // Joined on every way out: a thread left running would end the program.
            std::jthread second;
            if (readers.size() > 1) second = std::jthread(readPart, 1, split, size);
            readPart(0, markLength, split);
        }
        for (auto& failure : failures)
            if (failure) std::rethrow_exception(failure);
        for (int error : errors)
            if (error) RaiseTextReadError(error);
        if (!complete[0] || !complete[1]) {
            // The file shrank while it was indexed.
            if (attempt < kLoadAttempts) continue;
            throw ETextReadError(u"The file changed while it was read");
        }

        lines->segments_.clear();
        bool valid = true;
        for (auto& reader : readers) {
            valid &= reader->valid;
            lines->segments_.push_back(std::move(reader->segment));
        }
        std::uint64_t first = 0;
        for (Segment& segment : lines->segments_) {
            segment.firstLine = first;
            first += segment.count;
        }
        if (first > static_cast<std::uint64_t>(INT32_MAX)) throw std::bad_alloc();
        lines->count_ = static_cast<int>(first);
        lines->windows1252_ = encoding == TTextEncoding::Unmarked && !valid;
        lines->lenientUtf8_ = encoding == TTextEncoding::Utf8 && !valid;
        if (lines->windows1252_)
            for (Segment& segment : lines->segments_) segment.deficits.Clear();
        lines->FinishIndex();
        if (lines->lenientUtf8_) {
            // Each malformed byte becomes one U+FFFD: count such lines by decoding them.
            std::string buffer;
            for (std::size_t s = 0; s < readers.size(); ++s) {
                Segment& segment = lines->segments_[s];
                for (std::uint64_t local : readers[s]->malformedLines) {
                    std::uint64_t from, to;
                    lines->ContentRange(static_cast<int>(segment.firstLine + local), from, to);
                    std::string raw(static_cast<std::size_t>(to - from), '\0');
                    int error = 0;
                    if (!ReadFully(fd, raw.data(), raw.size(), from, error)) RaiseTextReadError(error ? error : EIO);
                    buffer.clear();
                    AppendAsUtf8(raw.data(), raw.size(), TTextEncoding::Utf8, buffer);
                    const std::size_t units = Utf16Length(buffer.data(), buffer.size());
                    const std::size_t word = static_cast<std::size_t>(local >> 6);
                    const std::uint32_t rank =
                        segment.rank[word] +
                        static_cast<std::uint32_t>(std::popcount(segment.nonAscii.Word(word) & ((std::uint64_t{1} << (local & 63)) - 1)));
                    segment.deficits[rank] = static_cast<std::uint32_t>(raw.size() - units);
                }
            }
            lines->FinishIndex();
        }
        lines->cache_.resize(kCacheSlots);
        return lines;
    }
}

void TFileLines::FinishIndex() {
    if (size_ > textBegin_) {
        char last[2] = {0, 0};
        const std::uint64_t lastUnit = size_ - (size_ - textBegin_) % unitSize_ - unitSize_;
        int error = 0;
        const bool whole = (size_ - textBegin_) % unitSize_ == 0;
        if (!whole || !ReadFully(fd_, last, static_cast<std::size_t>(unitSize_), lastUnit, error)) {
            lastTerminated_ = false;
        } else {
            const unsigned unit = unitSize_ == 1                                ? static_cast<unsigned char>(last[0])
                                  : encoding_ == TTextEncoding::Utf16BE ? (static_cast<unsigned char>(last[0]) << 8 | static_cast<unsigned char>(last[1]))
                                                                              : (static_cast<unsigned char>(last[1]) << 8 | static_cast<unsigned char>(last[0]));
            lastTerminated_ = unit == '\n' || unit == '\r';
        }
    }
    RefuseLinesTooLong();
    std::uint64_t units = 0;
    for (Segment& segment : segments_) {
        // The index grew by half again whenever it was full: give back the slack.
        segment.groupBase.ShrinkToFit();
        segment.offsets.ShrinkToFit();
        segment.bigStarts.ShrinkToFit();
        segment.deficits.ShrinkToFit();
        units = UpdateTail(segment, 0, 0, units);
    }
    totalUnits_ = units;
}

void TFileLines::RefuseLinesTooLong() const {
    // Only a group that spans more bytes than an int counts can hold such a line.
    constexpr auto kMost = static_cast<std::uint64_t>(INT32_MAX);
    for (const Segment& segment : segments_) {
        for (std::uint64_t from = 0; from < segment.count; from += kGroup) {
            const std::uint64_t last = std::min<std::uint64_t>(from + kGroup, segment.count) - 1;
            if (segment.NextStart(last) - segment.Start(from) <= kMost) continue;
            for (std::uint64_t local = from; local <= last; ++local)
                if (Units(static_cast<int>(segment.firstLine + local)) > kMost) throw std::bad_alloc();
        }
    }
}

std::uint64_t TFileLines::UpdateTail(Segment& segment, std::size_t group, std::uint32_t nonAsciiBefore, std::uint64_t units) {
    const std::size_t words = static_cast<std::size_t>((segment.count + 63) / 64);
    segment.rank.Resize(words);
    for (std::size_t w = group; w < words; ++w) {
        segment.rank[w] = nonAsciiBefore;
        nonAsciiBefore += static_cast<std::uint32_t>(std::popcount(segment.nonAscii.Word(w)));
    }
    segment.unitsBefore.Resize(words);
    for (std::size_t g = group; g < words; ++g) {
        segment.unitsBefore[g] = units;
        units += GroupUnits(segment, g);
    }
    return units;
}

std::uint64_t TFileLines::GroupUnits(const Segment& segment, std::size_t group) const {
    const std::uint64_t from = group * kGroup;
    const std::uint64_t to = std::min<std::uint64_t>(from + kGroup, segment.count);
    if (unitSize_ != 1) {
        std::uint64_t units = 0;
        for (std::uint64_t local = from; local < to; ++local)
            units += static_cast<std::uint64_t>(Length(static_cast<int>(segment.firstLine + local)));
        return units;
    }
    // A group's lines are 64 consecutive bits of each bit array: its bytes
    // less one break byte per line, one more per CR LF, and the UTF-8
    // deficits of its non-ASCII lines.
    std::uint64_t units = segment.NextStart(to - 1) - segment.Start(from);
    std::uint64_t breaks = (to - from) + static_cast<std::uint64_t>(std::popcount(segment.longBreaks.Word(group)));
    if (!lastTerminated_ && segment.firstLine + to == static_cast<std::uint64_t>(count_)) --breaks;
    units -= breaks;
    if (!segment.deficits.Empty()) {
        const std::uint32_t first = segment.rank[group];
        const auto n = static_cast<std::uint32_t>(std::popcount(segment.nonAscii.Word(group)));
        for (std::uint32_t k = first; k < first + n; ++k) units -= segment.deficits[k];
    }
    return units;
}

// ---------------------------------------------------------------------------
// Lines appended after indexing

bool TFileLines::ReplacedOrShrunk(std::uint64_t& fileSize) const {
    struct stat opened {};
    struct stat named {};
    if (::fstat(fd_, &opened) != 0) return true;
    // Rotation renames the file away and puts another under its name.
    if (::stat(FileNameToBytes(fileName_).c_str(), &named) != 0 || named.st_ino != opened.st_ino ||
        named.st_dev != opened.st_dev)
        return true;
    fileSize = static_cast<std::uint64_t>(opened.st_size);
    return fileSize < size_;
}

bool TFileLines::LastBlockIntact() const {
    if (size_ == 0) return true;
    const std::uint64_t block = (size_ - 1) / kBlockSize;
    const auto want = static_cast<std::size_t>(size_ - block * kBlockSize);
    std::unique_ptr<char[]> data(new char[want]);
    int error = 0;
    return ReadFully(fd_, data.get(), want, block * kBlockSize, error) && BlockChecksum(data.get(), want) == checksums_[block];
}

std::uint64_t TFileLines::LastWholeLineEnd(std::uint64_t from, std::uint64_t fileSize) const {
    const auto unit = static_cast<std::uint64_t>(unitSize_);
    const std::uint64_t end = from + (fileSize - from) / unit * unit;  // whole code units only
    std::vector<unsigned char> window(kBlockSize);
    for (std::uint64_t to = end; to > from;) {
        const std::uint64_t at = std::max(from, to > kBlockSize ? to - kBlockSize : 0);
        const auto want = static_cast<std::size_t>(to - at);  // a multiple of unit: `from` is a unit boundary
        int error = 0;
        if (!ReadFully(fd_, reinterpret_cast<char*>(window.data()), want, at, error)) RaiseTextReadError(error ? error : EIO);
        for (std::size_t i = want; i >= unit; i -= unit) {
            const unsigned char* p = window.data() + i - unit;
            const unsigned code = unit == 1                                  ? p[0]
                                  : encoding_ == TTextEncoding::Utf16BE ? (p[0] << 8 | p[1])
                                                                          : (p[1] << 8 | p[0]);
            const std::uint64_t breakEnd = at + i;
            if (code == '\n' || (code == '\r' && breakEnd < end)) return breakEnd;
        }
        to = at;
    }
    return from;
}

void TFileLines::Append(Segment& last, const Segment& added) {
    std::uint32_t nonAsciiSeen = 0;
    for (std::uint64_t k = 0; k < added.count; ++k) {
        last.RecordStart(added.Start(k));
        const std::uint64_t local = last.count - 1;
        if (added.longBreaks.Get(k)) last.longBreaks.Set(local);
        if (added.nonAscii.Get(k)) {
            last.nonAscii.Set(local);
            // Windows-1252 text keeps no deficits: one byte, one code unit.
            if (!windows1252_) last.deficits.PushBack(added.deficits[nonAsciiSeen]);
            ++nonAsciiSeen;
        }
    }
    last.end = added.end;
}

TFileGrowth TFileLines::Extend() {
    std::uint64_t fileSize = 0;
    if (ReplacedOrShrunk(fileSize) || !LastBlockIntact()) return TFileGrowth::Rewritten;
    if (fileSize == size_) return TFileGrowth::None;
    if (!lastTerminated_) return TFileGrowth::NotIndexable;  // its last line would change
    const std::uint64_t from = std::max(size_, textBegin_);
    const std::uint64_t end = LastWholeLineEnd(from, fileSize);
    if (end == from) return TFileGrowth::None;

    // Read from the start of the block holding `from`: that block's
    // checksum is taken again over its longer content.
    Reader reader(from, end, encoding_);
    const std::uint64_t firstBlock = from / kBlockSize;
    TPodArray<std::uint64_t> checksums;
    std::unique_ptr<char[]> buffer(new char[kChunk]);
    for (std::uint64_t at = firstBlock * kBlockSize; at < end;) {
        const auto want = static_cast<std::size_t>(std::min(kChunk, end - at));
        int error = 0;
        if (!ReadFully(fd_, buffer.get(), want, at, error)) {
            if (error) RaiseTextReadError(error);
            return TFileGrowth::Rewritten;  // it shrank meanwhile
        }
        for (std::uint64_t offset = 0; offset < want; offset += kBlockSize)
            checksums.PushBack(BlockChecksum(buffer.get() + offset, static_cast<std::size_t>(std::min<std::uint64_t>(kBlockSize, want - offset))));
        const std::uint64_t scanFrom = std::max(at, from);
        reader.Feed(reinterpret_cast<const unsigned char*>(buffer.get()) + (scanFrom - at), scanFrom,
                    static_cast<std::size_t>(at + want - scanFrom));
        at += want;
    }
    reader.Finish();
    // New text that is not valid UTF-8 in a file read as UTF-8 would be
    // read as Windows-1252 by a fresh load: only a load decides that.
    if (!reader.valid && !windows1252_) return TFileGrowth::NotIndexable;
    if (static_cast<std::uint64_t>(count_) + reader.segment.count > static_cast<std::uint64_t>(INT32_MAX)) throw std::bad_alloc();

    Segment& last = segments_.back();
    const std::uint64_t oldCount = last.count;
    const std::size_t group = oldCount == 0 ? 0 : static_cast<std::size_t>((oldCount - 1) / kGroup);
    const std::uint32_t nonAsciiBefore = oldCount == 0 ? 0 : last.rank[group];
    const std::uint64_t unitsBefore = oldCount == 0 ? totalUnits_ : last.unitsBefore[group];
    Append(last, reader.segment);
    checksums_.Resize(static_cast<std::size_t>(firstBlock));
    checksums_.Append(checksums.Data(), checksums.Size());
    // The cached copy of the block that grew holds only its old bytes.
    CacheSlot& slot = cache_[static_cast<std::size_t>(firstBlock % kCacheSlots)];
    if (slot.block == firstBlock) slot.block = UINT64_MAX;
    count_ += static_cast<int>(reader.segment.count);
    size_ = end;
    totalUnits_ = UpdateTail(last, group, nonAsciiBefore, unitsBefore);
    return TFileGrowth::Lines;
}

TFileLines::~TFileLines() {
    if (fd_ >= 0) ::close(fd_);
}

// ---------------------------------------------------------------------------
// Lines from the index

const TFileLines::Segment& TFileLines::SegmentOf(int line, std::uint64_t& local) const {
    std::size_t s = segments_.size() - 1;
    while (s > 0 && segments_[s].firstLine > static_cast<std::uint64_t>(line)) --s;
    local = static_cast<std::uint64_t>(line) - segments_[s].firstLine;
    return segments_[s];
}

int TFileLines::BreakUnits(const Segment& segment, std::uint64_t local, int line) const {
    if (line == count_ - 1 && !lastTerminated_) return 0;
    return segment.longBreaks.Get(local) ? 2 : 1;
}

std::uint32_t TFileLines::Deficit(const Segment& segment, std::uint64_t local) const {
    if (segment.deficits.Empty() || !segment.nonAscii.Get(local)) return 0;
    const std::size_t word = static_cast<std::size_t>(local >> 6);
    const std::uint64_t below = segment.nonAscii.Word(word) & ((std::uint64_t{1} << (local & 63)) - 1);
    return segment.deficits[segment.rank[word] + static_cast<std::uint32_t>(std::popcount(below))];
}

void TFileLines::ContentRange(int i, std::uint64_t& from, std::uint64_t& to) const {
    std::uint64_t local;
    const Segment& segment = SegmentOf(i, local);
    from = segment.Start(local);
    to = segment.NextStart(local) - static_cast<std::uint64_t>(BreakUnits(segment, local, i) * unitSize_);
}

int TFileLines::Length(int i) const { return static_cast<int>(Units(i)); }

std::uint64_t TFileLines::Units(int i) const {
    std::uint64_t local;
    const Segment& segment = SegmentOf(i, local);
    const std::uint64_t from = segment.Start(local);
    const std::uint64_t to = segment.NextStart(local) - static_cast<std::uint64_t>(BreakUnits(segment, local, i) * unitSize_);
    const std::uint64_t units = (to - from + static_cast<std::uint64_t>(unitSize_) - 1) / static_cast<std::uint64_t>(unitSize_);
    return units - Deficit(segment, local);
}

bool TFileLines::IsAscii(int i) const {
    std::uint64_t local;
    return !SegmentOf(i, local).nonAscii.Get(local);
}

std::uint64_t TFileLines::UnitsBefore(int line) const {
    if (line >= count_) return totalUnits_;
    std::uint64_t local;
    const Segment& segment = SegmentOf(line, local);
    const std::uint64_t groupStart = local - local % kGroup;
    std::uint64_t units = segment.unitsBefore[static_cast<std::size_t>(local / kGroup)];
    for (std::uint64_t k = groupStart; k < local; ++k) units += static_cast<std::uint64_t>(Length(static_cast<int>(segment.firstLine + k)));
    return units;
}

int TFileLines::LineAtPosition(std::uint64_t pos) const {
    // The last group whose first line starts at or before pos, then line by line.
    auto groupPosition = [](const Segment& segment, std::size_t g) {
        return segment.unitsBefore[g] + segment.firstLine + g * kGroup;
    };
    std::uint64_t line = 0;
    std::uint64_t at = 0;
    for (const Segment& segment : segments_) {
        if (segment.count == 0 || groupPosition(segment, 0) > pos) break;
        const std::size_t groups = segment.unitsBefore.Size();
        std::size_t lo = 0, hi = groups;  // groupPosition(lo) <= pos < groupPosition(hi)
        while (hi - lo > 1) {
            const std::size_t mid = lo + (hi - lo) / 2;
            (groupPosition(segment, mid) <= pos ? lo : hi) = mid;
        }
        line = segment.firstLine + lo * kGroup;
        at = groupPosition(segment, lo);
    }
    while (line < static_cast<std::uint64_t>(count_)) {
        const std::uint64_t next = at + static_cast<std::uint64_t>(Length(static_cast<int>(line))) + 1;
        if (next > pos) break;
        at = next;
        ++line;
    }
    return static_cast<int>(line);
}

// ---------------------------------------------------------------------------
// Reading lines through the cache

void TFileLines::NoteChanged() const {
    if (changed_) return;
    changed_ = true;
    if (const TFileChangedHandler& handler = ChangedHandler()) handler(fileName_);
}

const char* TFileLines::Block(std::uint64_t block) const {
    CacheSlot& slot = cache_[static_cast<std::size_t>(block % kCacheSlots)];
    if (slot.block == block) return slot.data.get();
    if (unavailable_.Get(block)) return nullptr;
    if (!slot.data) slot.data.reset(new char[kBlockSize]);
    slot.block = UINT64_MAX;
    const std::uint64_t from = block * kBlockSize;
    const auto want = static_cast<std::size_t>(std::min(kBlockSize, size_ - from));
    int error = 0;
    if (!ReadFully(fd_, slot.data.get(), want, from, error) || BlockChecksum(slot.data.get(), want) != checksums_[block]) {
        unavailable_.Set(block);
        NoteChanged();
        return nullptr;
    }
    slot.block = block;
    return slot.data.get();
}

const char* TFileLines::Block(std::uint64_t block, TBlockCache& cache) const {
    if (cache.block == block) return cache.data.get();
    if (!cache.data) cache.data.reset(new char[kBlockSize]);
    cache.block = UINT64_MAX;
    const std::uint64_t from = block * kBlockSize;
    const auto want = static_cast<std::size_t>(std::min(kBlockSize, size_ - from));
    int error = 0;
    if (!ReadFully(fd_, cache.data.get(), want, from, error) || BlockChecksum(cache.data.get(), want) != checksums_[block])
        return nullptr;
    cache.block = block;
    return cache.data.get();
}

bool TFileLines::ReadBytes(std::uint64_t from, std::uint64_t to, char* out, TBlockCache* own) const {
    while (from < to) {
        const std::uint64_t block = from / kBlockSize;
        const char* data = own ? Block(block, *own) : Block(block);
        if (!data) return false;
        const std::uint64_t offset = from - block * kBlockSize;
        const auto n = static_cast<std::size_t>(std::min(to - from, kBlockSize - offset));
        std::memcpy(out, data + offset, n);
        out += n;
        from += n;
    }
    return true;
}

TLineText TFileLines::Utf8(int i, std::string& buffer) const { return Utf8Through(i, buffer, nullptr); }

TLineText TFileLines::Utf8(int i, std::string& buffer, TBlockCache& cache) const { return Utf8Through(i, buffer, &cache); }

TLineText TFileLines::Utf8Through(int i, std::string& buffer, TBlockCache* own) const {
    std::uint64_t from, to;
    ContentRange(i, from, to);
    const bool ascii = IsAscii(i);
    buffer.resize(static_cast<std::size_t>(to - from));
    if (!ReadBytes(from, to, buffer.data(), own)) {
        buffer.clear();
        for (int k = Length(i); k > 0; --k) buffer += "\xEF\xBF\xBD";
        return {buffer, false};
    }
    const bool plain = unitSize_ == 1 && (ascii || (!windows1252_ && !lenientUtf8_));
    if (!plain) {
        std::string decoded;
        decoded.reserve(buffer.size() * 2);
        AppendAsUtf8(buffer.data(), buffer.size(), windows1252_ ? TTextEncoding::Unmarked : encoding_, decoded);
        buffer.swap(decoded);
    }
    return {buffer, ascii};
}

String TFileLines::Get(int i) const {
    std::string buffer;
    const TLineText text = Utf8(i, buffer);
    if (!text.Ascii) return Utf8ToString(text.Bytes);
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.Bytes.data());
    return String(bytes, bytes + text.Bytes.size());
}

String TFileLines::Mid(int i, int start, int count) const {
    if (start < 0) start = 0;
    if (count <= 0) return String();
    std::uint64_t local;
    const Segment& segment = SegmentOf(i, local);
    const bool ascii = !segment.nonAscii.Get(local);
    const std::uint64_t lineStart = segment.Start(local);
    const std::uint64_t lineEnd = segment.NextStart(local) - static_cast<std::uint64_t>(BreakUnits(segment, local, i) * unitSize_);
    if (unitSize_ == 1 && ascii) {
        // The hot path of counting and filtering: a short piece of an ASCII
        // line, most often inside one cached block.
        const std::uint64_t from = lineStart + static_cast<std::uint64_t>(start);
        if (from >= lineEnd) return String();
        const std::uint64_t to = std::min(lineEnd, from + static_cast<std::uint64_t>(count));
        const std::uint64_t block = from / kBlockSize;
        if (block == (to - 1) / kBlockSize) {
            const char* data = Block(block);
            if (!data) return String(static_cast<std::size_t>(to - from), kUnavailableUnit);
            const auto* bytes = reinterpret_cast<const unsigned char*>(data + (from - block * kBlockSize));
            return String(bytes, bytes + (to - from));
        }
    }
    const int length = Length(i);
    if (start >= length) return String();
    const int n = std::min(count, length - start);
    if (unitSize_ == 1 && !ascii && !windows1252_) return Get(i).substr(static_cast<std::size_t>(start), static_cast<std::size_t>(n));

    const std::uint64_t from = lineStart + static_cast<std::uint64_t>(start) * static_cast<std::uint64_t>(unitSize_);
    const std::uint64_t to = std::min(lineEnd, from + static_cast<std::uint64_t>(n) * static_cast<std::uint64_t>(unitSize_));
    String piece;
    std::string raw(static_cast<std::size_t>(to - from), '\0');
    if (!ReadBytes(from, to, raw.data())) return String(static_cast<std::size_t>(n), kUnavailableUnit);
    const auto* bytes = reinterpret_cast<const unsigned char*>(raw.data());
    if (unitSize_ == 1) {
        piece.resize(raw.size());
        for (std::size_t k = 0; k < raw.size(); ++k) piece[k] = Windows1252Unit(bytes[k]);
        return piece;
    }
    const bool bigEndian = encoding_ == TTextEncoding::Utf16BE;
    std::size_t k = 0;
    for (; k + 2 <= raw.size(); k += 2)
        piece.push_back(static_cast<char16_t>(bigEndian ? (bytes[k] << 8 | bytes[k + 1]) : (bytes[k + 1] << 8 | bytes[k])));
    if (k < raw.size()) piece.push_back(u'\uFFFD');  // an odd last byte, as the decoder reads it
    return piece;
}

std::size_t TFileLines::MemoryUsed() const {
    std::size_t used = checksums_.Capacity() * 8 + unavailable_.MemoryUsed();
    for (const Segment& segment : segments_) used += segment.MemoryUsed();
    for (const CacheSlot& slot : cache_)
        if (slot.data) used += kBlockSize;
    return used;
}
