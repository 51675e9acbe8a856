// The lines of a file that stays open: a compact index of where each line
// starts, and the lines read and decoded on demand through a small cache of
// blocks. Each block's checksum is taken while the file is indexed and
// checked whenever the block is read again, so that a file changed on disk
// shows its changed lines as unavailable instead of as other bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "PodArray.h"
#include "TextFile.h"
#include "Types.h"

// One bit per index, growing as bits are set.
class TBitArray {
public:
    bool Get(std::uint64_t i) const {
        const std::uint64_t word = i >> 6;
        return word < words_.Size() && (words_[word] >> (i & 63) & 1);
    }
    void Set(std::uint64_t i);
    std::uint64_t Word(std::uint64_t word) const { return word < words_.Size() ? words_[word] : 0; }
    std::size_t WordCount() const { return words_.Size(); }
    std::size_t MemoryUsed() const { return words_.Capacity() * sizeof(std::uint64_t); }

private:
    TPodArray<std::uint64_t> words_;
};

// The text of a line as (generalised) UTF-8, and whether it is all ASCII.
struct TLineText {
    std::string_view Bytes;
    bool Ascii = true;
};

// Told once per loaded file, with the file's name, when lines of it can no
// longer be read as they were loaded (the file shrank, changed in place or
// cannot be read). Runs wherever the lines were asked for, painting
// included: it must not throw.
using TFileChangedHandler = std::function<void(const String& fileName)>;
// Returns the previous handler.
TFileChangedHandler SetFileChangedHandler(TFileChangedHandler handler);
// What the user is told: "The file "<full path>" changed on disk after it
// was loaded; lines that no longer read as loaded are shown as unavailable.
// Refresh reloads the file".
String FileChangedMessage(const String& fileName);

// The character shown for each code unit of a line that is unavailable.
constexpr char16_t kUnavailableUnit = 0xFFFD;

// What TFileLines::Extend found in the file since it was indexed.
enum class TFileGrowth {
    None,         // no new whole line (a last line without its break waits)
    Lines,        // whole lines were appended and are indexed
    Rewritten,    // the file shrank, was replaced or changed what was indexed
    NotIndexable  // it grew in a way the index cannot take in place (the
                  // indexed text ended without a break, or new text breaks
                  // the encoding chosen when loading): load it again
};

class TFileLines {
public:
    // Indexes the regular file open at fd (which the result then owns and
    // closes): byte-order mark, else UTF-8 when the whole file is valid
    // UTF-8, else Windows-1252; CR LF, CR and LF breaks. Raises
    // ETextReadError when reading fails and std::bad_alloc when memory runs
    // out or a line holds more code units than an int counts; fd is closed
    // then.
    static std::shared_ptr<TFileLines> Load(int fd, const String& fileName);
    ~TFileLines();
    TFileLines(const TFileLines&) = delete;
    TFileLines& operator=(const TFileLines&) = delete;

    int Count() const { return count_; }
    TTextEncoding Encoding() const { return encoding_; }
    const String& FileName() const { return fileName_; }
    // Code units in all lines together, breaks not counted.
    std::uint64_t TotalUnits() const { return totalUnits_; }
    // Length of line i in UTF-16 code units, from the index alone.
    int Length(int i) const;
    bool IsAscii(int i) const;
    // Code units in lines 0 .. line-1 (line may be Count()).
    std::uint64_t UnitsBefore(int line) const;
    // The largest line <= Count() whose UnitsBefore(line) + line is at most pos.
    int LineAtPosition(std::uint64_t pos) const;

    // Line i decoded; text that cannot be read as it was loaded comes back
    // as kUnavailableUnit for each of its code units.
    TLineText Utf8(int i, std::string& buffer) const;
    // A block cache of one block for a reader on another thread (a search
    // counting its matches): reading through it touches nothing of the
    // shared cache, so it may run while the lines are painted. Text that no
    // longer reads as loaded comes back as unavailable here too; telling
    // the user stays with the shared cache.
    struct TBlockCache {
        std::uint64_t block = UINT64_MAX;
        std::unique_ptr<char[]> data;
    };
    TLineText Utf8(int i, std::string& buffer, TBlockCache& cache) const;
    String Get(int i) const;
    String Mid(int i, int start, int count) const;

    // Indexes the whole lines appended to the file since it was indexed,
    // as file-backed lines like the others (nothing of their text is kept).
    // A file whose name now names another file, that shrank, or whose last
    // indexed block no longer reads as indexed, is Rewritten; nothing of the
    // index changes then. Raises ETextReadError when reading fails (the
    // index stays as it was) and std::bad_alloc when memory runs out.
    TFileGrowth Extend();

    // True once some lines could not be read as they were loaded.
    bool Changed() const { return changed_; }
    std::size_t MemoryUsed() const;

    struct Segment;
    struct Reader;

private:
    TFileLines() = default;
    const Segment& SegmentOf(int line, std::uint64_t& local) const;
    // Bytes of line i's content (its break left out): [from, to).
    void ContentRange(int i, std::uint64_t& from, std::uint64_t& to) const;
    int BreakUnits(const Segment& segment, std::uint64_t local, int line) const;
    std::uint32_t Deficit(const Segment& segment, std::uint64_t local) const;
    // The cached block, read (and checked) when it is not cached; null when
    // it no longer holds what was loaded.
    const char* Block(std::uint64_t block) const;
    const char* Block(std::uint64_t block, TBlockCache& cache) const;
    // Through the shared cache when own is null.
    bool ReadBytes(std::uint64_t from, std::uint64_t to, char* out, TBlockCache* own = nullptr) const;
    TLineText Utf8Through(int i, std::string& buffer, TBlockCache* own) const;
    void NoteChanged() const;
    void FinishIndex();
    // Code units of line i, which Length gives as an int.
    std::uint64_t Units(int i) const;
    // Raises std::bad_alloc for a line longer than an int counts: its
    // positions and lengths could not be told.
    void RefuseLinesTooLong() const;
    // Ranks and unit sums of segment's groups from group onwards, given the
    // non-ASCII lines and code units before that group; returns the units
    // up to the segment's end.
    std::uint64_t UpdateTail(Segment& segment, std::size_t group, std::uint32_t nonAsciiBefore, std::uint64_t units);
    bool ReplacedOrShrunk(std::uint64_t& fileSize) const;
    bool LastBlockIntact() const;
    // Just after the last break in [from, fileSize) that is surely whole (a
    // CR at the very end may be the first half of a CR LF); from when none.
    std::uint64_t LastWholeLineEnd(std::uint64_t from, std::uint64_t fileSize) const;
    // Appends the lines of a segment indexed after this one's end.
    void Append(Segment& last, const Segment& added);
    // Code units of the lines of one group of a segment, breaks not counted.
    std::uint64_t GroupUnits(const Segment& segment, std::size_t group) const;

    int fd_ = -1;
    String fileName_;
    std::uint64_t size_ = 0;       // bytes indexed: the file's size when loaded
    std::uint64_t textBegin_ = 0;  // after a byte-order mark
    TTextEncoding encoding_ = TTextEncoding::Unmarked;
    bool windows1252_ = false;     // unmarked and not valid UTF-8
    bool lenientUtf8_ = false;     // marked UTF-8 holding malformed bytes
    int unitSize_ = 1;             // bytes per code unit: 2 for UTF-16
    bool lastTerminated_ = true;
    int count_ = 0;
    std::uint64_t totalUnits_ = 0;
    std::vector<Segment> segments_;
    TPodArray<std::uint64_t> checksums_;  // one per block of the file

    struct CacheSlot {
        std::uint64_t block = UINT64_MAX;
        std::unique_ptr<char[]> data;
    };
    mutable std::vector<CacheSlot> cache_;
    mutable TBitArray unavailable_;  // blocks that failed their check
    mutable bool changed_ = false;
};
