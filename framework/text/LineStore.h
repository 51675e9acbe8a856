// The line store behind the string list and the rich-text view. A regular
// file stays open and backs its lines (TFileLines: an index, a block cache);
// lines that editing adds or changes live in memory (TMemoryLines) beside
// them, and a line taken from another store of the same file shares its
// reference. A file that cannot be read again (a FIFO, a pipe) is held in
// memory whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "FileLines.h"
#include "MemoryLines.h"
#include "PodArray.h"
#include "Types.h"

class TLineStore {
public:
    TLineStore() = default;
    TLineStore(TLineStore&&) noexcept = default;
    TLineStore& operator=(TLineStore&&) noexcept = default;

    // Replaces the content with the lines of a text file (byte-order mark,
    // else UTF-8 when valid, else Windows-1252; CR LF, CR and LF breaks).
    // Raises EFOpenError when the file cannot be opened (or is not of a
    // kind that loads), ETextReadError when reading fails, EOutOfMemory when
    // a regular file is larger than FileBackedSizeLimit or a file that must
    // be held in memory larger than TextSizeLimit, and std::bad_alloc when
    // memory runs out; the content is unchanged then.
    void LoadFromFile(const String& fileName);
    void Clear();
    void Swap(TLineStore& other) noexcept;
    // Indexes the whole lines appended to the file behind the store since
    // it was loaded (TFileLines::Extend). In the file's own form they become
    // the store's last lines; a store that holds other lines as well gains
    // none (its user adds the ones it wants with AddFrom from a store of the
    // file alone). A store without a file is NotIndexable.
    TFileGrowth ExtendFile();

    int Count() const { return IsMixed() ? static_cast<int>(refs_.Size()) : file_ ? file_->Count() : memory_.Count(); }
    // Line i as (generalised) UTF-8; the bytes may live in buffer.
    TLineText LineUtf8(int i, std::string& buffer) const;
    // The same through a private block cache: safe on another thread while
    // this thread reads the lines, as long as nobody changes them.
    TLineText LineUtf8(int i, std::string& buffer, TFileLines::TBlockCache& cache) const;
    // Length of line i in UTF-16 code units, without reading the line.
    int Length(int i) const;
    String Get(int i) const;
    // Up to count code units of line i from unit start (0-based).
    String Mid(int i, int start, int count) const {
        if (!file_) return memory_.Mid(i, start, count);
        if (!IsMixed()) return file_->Mid(i, start, count);
        return MixedMid(i, start, count);
    }

    // Appends one line; the text is stored as it is, breaks included.
    void Add(std::u16string_view line);
    // Appends bytes that are already (generalised) UTF-8.
    void AddUtf8(std::string_view line);
    // Appends line i of source: a line of the file behind this store (or of
    // any file, while this store is empty) is shared, not copied.
    void AddFrom(const TLineStore& source, int i);
    void Insert(int i, std::u16string_view line);
    void Delete(int i);
    void Put(int i, std::u16string_view line);

    // Code units in all lines together (breaks not counted).
    std::uint64_t TotalUnits() const {
        if (!file_) return memory_.TotalUnits();
        return mixed_ ? mixedUnits_ : file_->TotalUnits();
    }
    // Code units in lines 0 .. line-1 (line may be Count()).
    std::uint64_t UnitsBefore(int line) const;
    // The largest i <= Count() whose UnitsBefore(i) + i is at most pos.
    int LineAtPosition(std::uint64_t pos) const;

    // The file behind the store's file-backed lines, if any, and whether
    // line i is one of them (then fileLine is its number in that file).
    const TFileLines* File() const { return file_.get(); }
    bool FileLineOf(int i, int& fileLine) const;
    // Lines of the file could not be read as they were loaded.
    bool FileChanged() const { return file_ && file_->Changed(); }

    // Bytes held for text and index (for the benchmarks).
    std::size_t MemoryUsed() const;

private:
    // refs_ entries: a line of file_, or (with kMemoryLine) a line of memory_.
    static constexpr std::uint32_t kMemoryLine = std::uint32_t{1} << 31;
    bool IsMixed() const { return mixed_; }
    // Turns the store into the mixed form, one reference per line.
    void MakeMixed();
    void PushRef(std::uint32_t ref, int length);
    String MixedMid(int i, int start, int count) const;
    void ForgetSamplesFrom(int line) const;
    void ExtendSamples(std::size_t sample) const;

    // Three forms: memory_ alone (no file_); file_ alone, line i being the
    // file's line i; or mixed, refs_ naming each line.
    std::shared_ptr<TFileLines> file_;
    TMemoryLines memory_;
    TPodArray<std::uint32_t> refs_;
    bool mixed_ = false;
    std::uint64_t mixedUnits_ = 0;
    // Mixed form: unitSamples_[k] = UnitsBefore(k * kSampleStep), built on demand.
    mutable std::vector<std::uint64_t> unitSamples_;
    static constexpr int kSampleStep = 64;
};
