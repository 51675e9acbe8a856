#include "TextFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <exception>
#include <thread>
#include <utility>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "SysUtils.h"

// ---------------------------------------------------------------------------
// The open error

namespace {

// The system's reason, without the trailing blanks, control characters and
// full stops that would clash with the message's own punctuation.
String ReasonText(int errorNumber) {
    String reason = Utf8ToString(std::strerror(errorNumber));
    while (!reason.empty() && (reason.back() <= u' ' || reason.back() == u'.')) reason.pop_back();
    return reason;
}

String CannotOpenMessage(const String& fileName, const String& reason) {
    return u"Cannot open file \"" + DisplayFileName(ExpandFileName(fileName)) + u"\". " + reason;
}

// Why a file of this status is no text to load; empty when it is one.
String RefusalReason(const struct stat& st) {
    if (IsLoadableFileMode(st.st_mode)) return String();
    if (S_ISDIR(st.st_mode)) return ReasonText(EISDIR);
    // A device such as /dev/zero would never end, and a socket is no file.
    return u"Not a regular file";
}

}  // namespace

void RaiseTextReadError(int errorNumber) { throw ETextReadError(ReasonText(errorNumber)); }

String CannotOpenFileMessage(const String& fileName, int errorNumber) {
    return CannotOpenMessage(fileName, ReasonText(errorNumber));
}

int OpenForReading(const String& fileName) {
    const std::string path = FileNameToBytes(fileName);
    // Refused before it is opened where possible: opening a device can act
    // by itself (rewind a tape), and a socket does not open at all.
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
        const String refusal = RefusalReason(st);
        if (!refusal.empty()) throw EFOpenError(CannotOpenMessage(fileName, refusal));
    }
    // Non-blocking, so that opening a FIFO without a writer (or a device
    // that waits for a carrier) cannot hang.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) throw EFOpenError(CannotOpenFileMessage(fileName, errno));
    // What was opened decides: the path may name something else by now.
    const String refusal = ::fstat(fd, &st) == 0 ? RefusalReason(st) : ReasonText(errno);
    if (!refusal.empty()) {
        ::close(fd);
        throw EFOpenError(CannotOpenMessage(fileName, refusal));
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

// ---------------------------------------------------------------------------
// The size limit

namespace {

// The machine's memory in bytes; 0 when the system does not say.
std::uint64_t PhysicalMemory() {
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0) return 0;
    return static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize);
}

std::uint64_t& Limit() {
    static std::uint64_t limit = PhysicalMemory() ? PhysicalMemory() / 2 : UINT64_MAX;
    return limit;
}

std::uint64_t& FileBackedLimit() {
    static std::uint64_t limit = PhysicalMemory() ? PhysicalMemory() * 2 : UINT64_MAX;
    return limit;
}

[[noreturn]] void RaiseTooLarge() { throw EOutOfMemory(u"Out of memory"); }

}  // namespace

std::uint64_t TextSizeLimit() { return Limit(); }

std::uint64_t SetTextSizeLimit(std::uint64_t limit) { return std::exchange(Limit(), limit); }

std::uint64_t FileBackedSizeLimit() { return FileBackedLimit(); }

std::uint64_t SetFileBackedSizeLimit(std::uint64_t limit) { return std::exchange(FileBackedLimit(), limit); }

// ---------------------------------------------------------------------------
// Reading

namespace {

constexpr std::size_t kChunk = std::size_t{1} << 20;          // fits the cache for the scan after it
constexpr std::size_t kParallelFrom = std::size_t{8} << 20;   // below this one thread is quicker

[[noreturn]] void RaiseReadError(int errorNumber) { RaiseTextReadError(errorNumber); }

// Room for `size` bytes, not touched yet: the reads fault the pages in.
// (Huge pages would save page faults, but when memory is fragmented the
// kernel compacts it first, which made a second gigabyte-sized load take
// seconds instead of a quarter of one.)
TPodArray<char> AllocateForFile(std::size_t size) {
    TPodArray<char> bytes;
    bytes.Reserve(size);
    return bytes;
}

// Reads [from, to) with pread; returns the offset reached (short when the
// file ended early) and sets error on failure.
std::size_t ReadRange(int fd, char* data, std::size_t from, std::size_t to, int part, TChunkObserver* observer,
                      int& error) {
    std::size_t at = from;
    while (at < to) {
        const std::size_t want = std::min(kChunk, to - at);
        const ssize_t got = ::pread(fd, data + at, want, static_cast<off_t>(at));
        if (got < 0) {
            if (errno == EINTR) continue;
            error = errno;
            return at;
        }
        if (got == 0) return at;
        if (observer) observer->Chunk(part, at, at + static_cast<std::size_t>(got));
        at += static_cast<std::size_t>(got);
    }
    return at;
}

// Reads to the end of the file, however long it turns out to be (a FIFO, or
// a file that grows while it is read), but never past TextSizeLimit.
void ReadSequentially(int fd, TPodArray<char>& bytes, std::size_t expected) {
    const std::uint64_t limit = TextSizeLimit();
    bytes.Resize(0);
    bytes.Reserve(std::max<std::size_t>(expected, 64 * 1024));
    char probe[64 * 1024];
    for (;;) {
        // Read straight into the buffer while it has room; once it is full
        // (the expected size reached), probe for more with a small read so
        // that a file of the expected size never doubles its buffer.
        const std::size_t at = bytes.Size();
        const bool full = at == bytes.Capacity();
        char* target = full ? probe : bytes.Data() + at;
        const std::size_t room = full ? sizeof probe : bytes.Capacity() - at;
        const ssize_t got = ::read(fd, target, room);
        if (got == 0) return;
        if (got < 0) {
            if (errno == EINTR) continue;
            RaiseReadError(errno);
        }
        if (at + static_cast<std::uint64_t>(got) > limit) RaiseTooLarge();
        if (full)
            bytes.Append(probe, static_cast<std::size_t>(got));
        else
            bytes.Resize(at + static_cast<std::size_t>(got));
    }
}

}  // namespace

bool ReadWholeFile(int fd, TPodArray<char>& bytes, TChunkObserver* observer) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) RaiseReadError(errno);
    if (S_ISREG(st.st_mode) && static_cast<std::uint64_t>(st.st_size) > TextSizeLimit()) RaiseTooLarge();
    const std::size_t size = S_ISREG(st.st_mode) ? static_cast<std::size_t>(st.st_size) : 0;
    if (!S_ISREG(st.st_mode) || size < kParallelFrom || !observer) {
        bytes = AllocateForFile(size);
        ReadSequentially(fd, bytes, size);
        return false;
    }

    bytes = AllocateForFile(size);
    bytes.Resize(size);
    const std::size_t split = size / 2;
    observer->Begin(bytes.Data(), size, split);
    int errors[2] = {0, 0};
    std::size_t reached[2] = {0, 0};
    std::exception_ptr failures[2];
    auto readPart = [&](int part, std::size_t from, std::size_t to) {
        try {
            reached[part] = ReadRange(fd, bytes.Data(), from, to, part, observer, errors[part]);
        } catch (...) {
            failures[part] = std::current_exception();
        }
    };
    std::thread second(readPart, 1, split, size);
    readPart(0, 0, split);
    second.join();
    for (auto& failure : failures)
        if (failure) std::rethrow_exception(failure);
    for (int error : errors)
        if (error) RaiseReadError(error);
    if (reached[0] == split && reached[1] == size) return true;
    // The file shrank while it was read: take what it holds now.
    if (::lseek(fd, 0, SEEK_SET) != 0) RaiseReadError(errno);
    ReadSequentially(fd, bytes, size);
    return false;
}

// ---------------------------------------------------------------------------
// Byte-order marks and UTF-8

TTextEncoding DetectByteOrderMark(const char* data, std::size_t size, std::size_t& markLength) {
    const auto* b = reinterpret_cast<const unsigned char*>(data);
    markLength = 0;
    if (size >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF) {
        markLength = 3;
        return TTextEncoding::Utf8;
    }
    if (size >= 2 && b[0] == 0xFF && b[1] == 0xFE) {
        markLength = 2;
        return TTextEncoding::Utf16LE;
    }
    if (size >= 2 && b[0] == 0xFE && b[1] == 0xFF) {
        markLength = 2;
        return TTextEncoding::Utf16BE;
    }
    return TTextEncoding::Unmarked;
}

namespace {

// Length of the well-formed UTF-8 sequence at p (0 when malformed). With
// allowSurrogates, ED A0..BF xx (a surrogate code point) counts as well formed.
std::size_t Utf8SequenceLength(const unsigned char* p, const unsigned char* end, bool allowSurrogates) {
    const unsigned char c = p[0];
    if (c < 0x80) return 1;
    auto cont = [&](std::size_t i, unsigned char lo = 0x80, unsigned char hi = 0xBF) {
        return p + i < end && p[i] >= lo && p[i] <= hi;
    };
    if (c >= 0xC2 && c <= 0xDF) return cont(1) ? 2 : 0;
    if (c == 0xE0) return cont(1, 0xA0) && cont(2) ? 3 : 0;
    if (c == 0xED) return cont(1, 0x80, allowSurrogates ? 0xBF : 0x9F) && cont(2) ? 3 : 0;
    if (c >= 0xE1 && c <= 0xEF) return cont(1) && cont(2) ? 3 : 0;
    if (c == 0xF0) return cont(1, 0x90) && cont(2) && cont(3) ? 4 : 0;
    if (c >= 0xF1 && c <= 0xF3) return cont(1) && cont(2) && cont(3) ? 4 : 0;
    if (c == 0xF4) return cont(1, 0x80, 0x8F) && cont(2) && cont(3) ? 4 : 0;
    return 0;
}

bool IsUtf8(const char* data, std::size_t size, bool allowSurrogates) {
    const auto* p = reinterpret_cast<const unsigned char*>(data);
    const auto* end = p + size;
    while (p < end) {
        if (*p < 0x80) {
            ++p;
            continue;
        }
        const std::size_t n = Utf8SequenceLength(p, end, allowSurrogates);
        if (n == 0) return false;
        p += n;
    }
    return true;
}

}  // namespace

bool IsStrictUtf8(const char* data, std::size_t size) { return IsUtf8(data, size, false); }
bool IsGeneralisedUtf8(const char* data, std::size_t size) { return IsUtf8(data, size, true); }

std::size_t StrictUtf8SequenceLength(const char* data, std::size_t size) {
    if (size == 0) return 0;
    const auto* p = reinterpret_cast<const unsigned char*>(data);
    return Utf8SequenceLength(p, p + size, false);
}

std::size_t Utf16Length(const char* data, std::size_t size) {
    std::size_t units = 0;
    for (std::size_t i = 0; i < size; ++i) {
        const auto c = static_cast<unsigned char>(data[i]);
        units += (c & 0xC0) != 0x80;  // every lead byte starts a code point
        units += c >= 0xF0;           // four-byte forms need a surrogate pair
    }
    return units;
}

// ---------------------------------------------------------------------------
// Transcoding to UTF-8

namespace {

constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

constexpr char32_t kReplacement = 0xFFFD;

std::size_t Utf8Size(char32_t cp) { return cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4; }

char* PutUtf8(char* out, char32_t cp) {
    if (cp < 0x80) {
        *out++ = static_cast<char>(cp);
    } else if (cp < 0x800) {
        *out++ = static_cast<char>(0xC0 | (cp >> 6));
        *out++ = static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        *out++ = static_cast<char>(0xE0 | (cp >> 12));
        *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        *out++ = static_cast<char>(0xF0 | (cp >> 18));
        *out++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (cp & 0x3F));
    }
    return out;
}

// Decodes one code point at p (p < end) and returns the bytes it took.
// A lone surrogate comes back as itself, to be written in generalised UTF-8.
std::size_t DecodeOne(const unsigned char* p, const unsigned char* end, TTextEncoding encoding, char32_t& cp) {
    switch (encoding) {
    case TTextEncoding::Unmarked:
        cp = *p < 0x80 || *p >= 0xA0 ? *p : kCp1252High[*p - 0x80];
        return 1;
    case TTextEncoding::Utf8: {
        const std::size_t n = Utf8SequenceLength(p, end, true);
        if (n == 0) {
            cp = kReplacement;
            return 1;
        }
        static constexpr unsigned char kLeadMask[5] = {0, 0x7F, 0x1F, 0x0F, 0x07};
        cp = p[0] & kLeadMask[n];
        for (std::size_t i = 1; i < n; ++i) cp = (cp << 6) | (p[i] & 0x3F);
        return n;
    }
    case TTextEncoding::Utf16LE:
    case TTextEncoding::Utf16BE: {
        const bool le = encoding == TTextEncoding::Utf16LE;
        auto unitAt = [&](const unsigned char* q) -> char32_t { return le ? q[0] | (q[1] << 8) : (q[0] << 8) | q[1]; };
        if (end - p < 2) {
            cp = kReplacement;  // odd trailing byte
            return static_cast<std::size_t>(end - p);
        }
        const char32_t unit = unitAt(p);
        if (unit >= 0xD800 && unit <= 0xDBFF && end - p >= 4) {
            const char32_t low = unitAt(p + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                cp = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
                return 4;
            }
        }
        cp = unit;
        return 2;
    }
    }
    cp = kReplacement;
    return 1;
}

}  // namespace

void AppendAsUtf8(const char* data, std::size_t size, TTextEncoding encoding, std::string& out) {
    const auto* p = reinterpret_cast<const unsigned char*>(data);
    const auto* end = p + size;
    while (p < end) {
        char32_t cp;
        p += DecodeOne(p, end, encoding, cp);
        char utf8[4];
        out.append(utf8, static_cast<std::size_t>(PutUtf8(utf8, cp) - utf8));
    }
}

char16_t Windows1252Unit(unsigned char byte) { return byte < 0x80 || byte >= 0xA0 ? byte : kCp1252High[byte - 0x80]; }

void TranscodeToUtf8(TPodArray<char>& bytes, std::size_t begin, std::size_t end, TTextEncoding encoding) {
    // First pass: the output size and how far the output ever runs ahead of
    // the input, which is how far the input must move right so that writing
    // from offset 0 never overtakes reading.
    const auto* in = reinterpret_cast<const unsigned char*>(bytes.Data());
    std::size_t outSize = 0;
    std::size_t consumed = 0;
    std::size_t lead = 0;
    for (const unsigned char* p = in + begin; p < in + end;) {
        char32_t cp;
        const std::size_t n = DecodeOne(p, in + end, encoding, cp);
        outSize += Utf8Size(cp);
        consumed += n;
        if (outSize > begin + consumed) lead = std::max(lead, outSize - begin - consumed);
        p += n;
    }
    const std::size_t inputSize = end - begin;
    bytes.Resize(std::max(end + lead, outSize));
    char* data = bytes.Data();
    if (lead) std::memmove(data + begin + lead, data + begin, inputSize);

    const auto* src = reinterpret_cast<const unsigned char*>(data) + begin + lead;
    const auto* srcEnd = src + inputSize;
    char* out = data;
    while (src < srcEnd) {
        char32_t cp;
        src += DecodeOne(src, srcEnd, encoding, cp);
        out = PutUtf8(out, cp);
    }
    bytes.Resize(outSize);
    bytes.ShrinkToFit();
}

// ---------------------------------------------------------------------------
// The line splitter

std::uint64_t TLineScan::Start(std::size_t line) const {
    std::uint64_t high = 0;
    if (!highMarks.empty())
        high = static_cast<std::uint64_t>(std::upper_bound(highMarks.begin(), highMarks.end(), line) - highMarks.begin());
    return (high << 32) | starts[line];
}

// The scan of one part of the text. Lines are counted from the part's first
// recorded start: "local" line l is the line that began at the l-th start
// this part recorded, 0 being a line that began in an earlier part.
struct TSplitScanner::Part {
    const unsigned char* text;
    std::size_t partEnd;  // end of this part
    std::size_t textEnd;  // end of the whole text
    TLineScan scan;
    std::uint32_t firstHigh = 0;
    std::uint32_t lastHigh = 0;
    std::size_t skipLf = SIZE_MAX;  // the LF of a CR LF whose CR was handled
    bool pendingCr = false;         // a CR ended the previous chunk

    void RecordStart(std::uint64_t pos) {
        if (pos >= textEnd) return;  // a break at the very end starts no line
        const auto high = static_cast<std::uint32_t>(pos >> 32);
        if (scan.starts.Empty()) firstHigh = lastHigh = high;
        for (; lastHigh < high; ++lastHigh) scan.highMarks.push_back(static_cast<std::uint32_t>(scan.starts.Size()));
        scan.starts.PushBack(static_cast<std::uint32_t>(pos));
    }

    void NonAscii() {
        const auto local = static_cast<std::uint32_t>(scan.starts.Size());
        if (scan.nonAsciiLines.empty() || scan.nonAsciiLines.back() != local) scan.nonAsciiLines.push_back(local);
    }

    // A CR or LF at p; chunkEnd is the end of the bytes read so far.
    void Break(std::size_t p, std::size_t chunkEnd) {
        if (p == skipLf) return;
        if (text[p] == '\n') {
            RecordStart(p + 1);
        } else if (p + 1 < chunkEnd) {
            if (text[p + 1] == '\n') {
                skipLf = p + 1;
                RecordStart(p + 2);
            } else {
                RecordStart(p + 1);
            }
        } else if (p + 1 < partEnd) {
            pendingCr = true;  // decided by the next chunk's first byte
        }
        // A CR that ends the part is decided when the parts are merged.
    }

    void ResolvePendingCr(std::size_t from) {
        if (!pendingCr) return;
        pendingCr = false;
        if (text[from] == '\n') {
            skipLf = from;
            RecordStart(from + 1);
        } else {
            RecordStart(from);
        }
    }

    void Scan(std::size_t from, std::size_t to) {
        ResolvePendingCr(from);
        std::size_t p = from;
#ifdef __SSE2__
        const __m128i lf = _mm_set1_epi8('\n');
        const __m128i cr = _mm_set1_epi8('\r');
        for (; p + 64 <= to; p += 64) {
            std::uint64_t breaks = 0;
            std::uint64_t high = 0;
            for (int k = 0; k < 4; ++k) {
                const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + p + 16 * k));
                const __m128i isBreak = _mm_or_si128(_mm_cmpeq_epi8(v, lf), _mm_cmpeq_epi8(v, cr));
                breaks |= static_cast<std::uint64_t>(static_cast<std::uint16_t>(_mm_movemask_epi8(isBreak))) << (16 * k);
                high |= static_cast<std::uint64_t>(static_cast<std::uint16_t>(_mm_movemask_epi8(v))) << (16 * k);
            }
            if ((breaks | high) == 0) continue;
            if (high == 0) {
                for (; breaks; breaks &= breaks - 1) {
                    ++scan.breakBytes;
                    Break(p + static_cast<std::size_t>(std::countr_zero(breaks)), to);
                }
                continue;
            }
            for (std::uint64_t all = breaks | high; all; all &= all - 1) {
                const int bit = std::countr_zero(all);
                if (breaks >> bit & 1) {
                    ++scan.breakBytes;
                    Break(p + static_cast<std::size_t>(bit), to);
                } else {
                    NonAscii();
                }
            }
        }
#endif
        for (; p < to; ++p) {
            const unsigned char c = text[p];
            if (c == '\n' || c == '\r') {
                ++scan.breakBytes;
                Break(p, to);
            } else if (c >= 0x80) {
                NonAscii();
            }
        }
    }
};

TSplitScanner::TSplitScanner(const char* text, std::size_t begin, std::size_t split, std::size_t end)
    : text_(text), begin_(begin), split_(std::clamp(split, begin, end)), end_(end) {
    for (int i = 0; i < 2; ++i)
        parts_[i].reset(new Part{reinterpret_cast<const unsigned char*>(text), i == 0 ? split_ : end_, end_, {}});
    parts_[0]->RecordStart(begin_);
}

TSplitScanner::~TSplitScanner() = default;

void TSplitScanner::Scan(int part, std::size_t from, std::size_t to) {
    // The first part begins at the text's start, which may lie after a byte-order mark.
    if (part == 0) from = std::max(from, begin_), to = std::min(to, split_);
    if (from < to) parts_[part]->Scan(from, to);
}

TLineScan TSplitScanner::Merge() {
    Part& first = *parts_[0];
    Part& second = *parts_[1];
    // A CR that ended the first part: with an LF after it, the second part
    // already recorded the start after that LF; otherwise a line starts here.
    if (split_ > begin_ && split_ < end_ && text_[split_ - 1] == '\r' && text_[split_] != '\n')
        first.RecordStart(split_);
    TLineScan result = std::move(first.scan);
    const auto base = static_cast<std::uint32_t>(result.starts.Size());
    if (!second.scan.starts.Empty()) {
        for (std::uint32_t high = first.lastHigh; high < second.firstHigh; ++high) result.highMarks.push_back(base);
        for (std::uint32_t mark : second.scan.highMarks) result.highMarks.push_back(base + mark);
        result.starts.Append(second.scan.starts.Data(), second.scan.starts.Size());
    }
    // The first part recorded the text's start first, so its local lines are one ahead.
    for (std::uint32_t& local : result.nonAsciiLines) --local;
    for (std::uint32_t local : second.scan.nonAsciiLines) {
        const std::uint32_t line = base + local - 1;  // local 0 continues the first part's last line
        if (result.nonAsciiLines.empty() || result.nonAsciiLines.back() != line) result.nonAsciiLines.push_back(line);
    }
    result.breakBytes += second.scan.breakBytes;
    return result;
}

TLineScan ScanLines(const char* text, std::size_t begin, std::size_t end) {
    const bool parallel = end - begin >= kParallelFrom;
    std::size_t split = parallel ? begin + (end - begin) / 2 : end;
    TSplitScanner scanner(text, begin, split, end);
    if (!parallel) {
        scanner.Scan(0, begin, end);
        return scanner.Merge();
    }
    std::exception_ptr failure;
    // Joined on every way out: should the first part fail, the second is
    // waited for (a thread left running would end the program).
    std::jthread second([&] {
        try {
            scanner.Scan(1, split, end);
        } catch (...) {
            failure = std::current_exception();
        }
    });
    scanner.Scan(0, begin, split);
    second.join();
    if (failure) std::rethrow_exception(failure);
    return scanner.Merge();
}
