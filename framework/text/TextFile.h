// Reading text files: opening with the user-facing error, reading a whole
// file at once, byte-order marks, decoding to UTF-8 and the line splitter
// that both line loaders (the view's and the string list's) share.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "PodArray.h"
#include "Types.h"

// A read that failed after the file was opened.
class ETextReadError : public Exception { using Exception::Exception; };
// Memory ran out while a file was loaded.
class EOutOfMemory : public Exception { using Exception::Exception; };

// Raises ETextReadError with the system's text for errorNumber.
[[noreturn]] void RaiseTextReadError(int errorNumber);

// "Cannot open file "<full path>". <reason>", the reason being the system's
// text for errorNumber without trailing blanks, control characters and
// full stops; the path as DisplayFileName shows it.
String CannotOpenFileMessage(const String& fileName, int errorNumber);

// The most bytes a loader holds in memory from one file (a FIFO, a pipe, a
// file that reports no size): half the machine's memory by default, since a
// text must fit twice while it is replaced (the old and the new text of a
// refresh, the view and the list of a filter). Such a file is read up to
// the limit; a larger regular file read whole is refused before it is read.
// Either way the loader raises EOutOfMemory ("Out of memory"). Setting the
// limit (tests) returns the previous one.
std::uint64_t TextSizeLimit();
std::uint64_t SetTextSizeLimit(std::uint64_t limit);

// The largest regular file that loads file-backed (only its index held):
// twice the machine's memory by default. The index costs about 2.5 bytes a
// line (4 more for a line with a character beyond ASCII), the view's colour
// runs several more: a log of 100-byte lines takes about 0.13 times its size
// in memory when open and 0.15 times during a filter, so a filter of a log
// of the bound needs about a third of the memory. A larger file is refused
// before a byte is read, with EOutOfMemory ("Out of memory"): it would not
// fit once opened and filtered, and a sparse file of terabytes must not be
// read for hours. Setting the bound (tests) returns the previous one.
std::uint64_t FileBackedSizeLimit();
std::uint64_t SetFileBackedSizeLimit(std::uint64_t limit);

enum class TTextEncoding {
    Unmarked,  // no byte-order mark: UTF-8 when valid, else Windows-1252
    Utf8,
    Utf16LE,
    Utf16BE,
};

// The byte-order mark at the start of data and its length in bytes.
// EF BB BF, FF FE and FE FF differ in their first byte, so no mark can be
// mistaken for another and the order in which they are tested does not
// matter: one detector serves every loader, whatever order it tests in.
TTextEncoding DetectByteOrderMark(const char* data, std::size_t size, std::size_t& markLength);

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsStrictUtf8(const char* data, std::size_t size);
// Length of the strict UTF-8 sequence that data starts with; 0 when it is
// malformed (or size is 0).
std::size_t StrictUtf8SequenceLength(const char* data, std::size_t size);
// The generalised form that the toolkit's own conversion writes: like strict
// UTF-8, but surrogate code points (a lone half of a pair) are allowed.
bool IsGeneralisedUtf8(const char* data, std::size_t size);
// UTF-16 code units that the (generalised) UTF-8 bytes decode to.
std::size_t Utf16Length(const char* data, std::size_t size);

// Replaces bytes[begin, end) by its UTF-8 form, in place, starting at
// offset 0 (what lies before `begin`, such as a byte-order mark, is
// dropped). Windows-1252 (Unmarked) maps its five undefined bytes to the C1
// code points of the same value; UTF-16 ends an odd trailing byte as U+FFFD
// and keeps lone surrogates; Utf8 turns each malformed byte into U+FFFD.
// The input is moved only as far as the output needs, so the peak is the
// larger of input and output, not their sum.
void TranscodeToUtf8(TPodArray<char>& bytes, std::size_t begin, std::size_t end, TTextEncoding encoding);

// Appends data, in the given encoding, to out as (generalised) UTF-8, by the
// same rules as TranscodeToUtf8.
void AppendAsUtf8(const char* data, std::size_t size, TTextEncoding encoding, std::string& out);
// The UTF-16 code unit that a Windows-1252 byte stands for.
char16_t Windows1252Unit(unsigned char byte);

// Where the lines of a text start, as found by the splitter.
struct TLineScan {
    // Low 32 bits of each line start (offsets into the text buffer).
    TPodArray<std::uint32_t> starts;
    // The line indices at which the high 32 bits of the start grow by one;
    // empty for texts under 4 GiB.
    std::vector<std::uint32_t> highMarks;
    // Lines holding a byte of 0x80 or more (sorted, no duplicates).
    std::vector<std::uint32_t> nonAsciiLines;
    // Bytes that belong to line breaks.
    std::uint64_t breakBytes = 0;

    std::uint64_t Start(std::size_t line) const;
};

// Splits text[begin, end) into lines: CR LF, a lone CR and a lone LF each end
// a line and are not part of it; a break at the very end starts no further
// line; a last line without a break is a line; NUL is an ordinary character.
// Large texts are split on both cores.
TLineScan ScanLines(const char* text, std::size_t begin, std::size_t end);

// Receives the bytes of a file while they are read: part 0 covers
// [0, split), part 1 [split, size); each part's chunks arrive in order, on
// the thread that reads that part.
struct TChunkObserver {
    virtual ~TChunkObserver() = default;
    virtual void Begin(const char* data, std::size_t size, std::size_t split) = 0;
    virtual void Chunk(int part, std::size_t from, std::size_t to) = 0;
};

// Opens a file for reading; raises EFOpenError with CannotOpenFileMessage
// when it cannot be opened or is not of a kind that loads (a directory:
// "Is a directory"; a device or a socket: "Not a regular file"; see
// IsLoadableFileMode). Opening never waits for a FIFO's writer and never
// makes a terminal the process's own. The caller closes the result.
int OpenForReading(const String& fileName);

// Reads the whole of an open file into bytes (exactly its size, nothing
// zero-filled first). A large regular file is read by two threads, a half
// each, which report what they have read to the observer, so that the
// caller can work on the bytes while they are still in the cache. Returns
// true when the observer saw the whole content, false when the file was
// read in one piece instead (small, not a regular file, or changed while it
// was read). Raises ETextReadError when reading fails and EOutOfMemory when
// the content passes TextSizeLimit.
bool ReadWholeFile(int fd, TPodArray<char>& bytes, TChunkObserver* observer);

// Splits text[begin, end) by the rules of ScanLines while it arrives in two
// parts, each part on its own thread; Merge joins them into one scan.
class TSplitScanner {
public:
    TSplitScanner(const char* text, std::size_t begin, std::size_t split, std::size_t end);
    ~TSplitScanner();
    TSplitScanner(const TSplitScanner&) = delete;
    TSplitScanner& operator=(const TSplitScanner&) = delete;
    // Chunks of one part must come in order; the two parts may run at once.
    void Scan(int part, std::size_t from, std::size_t to);
    TLineScan Merge();

private:
    struct Part;
    const char* text_;
    std::size_t begin_, split_, end_;
    std::unique_ptr<Part> parts_[2];
};
