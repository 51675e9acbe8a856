#include "LineStore.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <limits>

#include "TextFile.h"

namespace {

struct TFileCloser {
    int fd;
    ~TFileCloser() {
        if (fd >= 0) ::close(fd);
    }
};

// A regular file with a size can be read again at will; a FIFO, a pipe or
// a file that reports no size (such as those under /proc) may not.
bool CanBeReadAgain(int fd) {
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size == 0) return false;
    // Its index, not its text, is held: its own, larger bound applies.
    if (static_cast<std::uint64_t>(st.st_size) > FileBackedSizeLimit()) throw EOutOfMemory(u"Out of memory");
    return true;
}

}  // namespace

// ---------------------------------------------------------------------------
// Loading and the three forms

void TLineStore::LoadFromFile(const String& fileName) {
    TFileCloser closer{OpenForReading(fileName)};
    TLineStore fresh;
    if (CanBeReadAgain(closer.fd)) {
        const int fd = std::exchange(closer.fd, -1);  // the index owns it from here
        fresh.file_ = TFileLines::Load(fd, fileName);
    } else {
        fresh.memory_.LoadFromOpenFile(closer.fd);
    }
    Swap(fresh);
}

TFileGrowth TLineStore::ExtendFile() {
    if (!file_) return TFileGrowth::NotIndexable;
    return file_->Extend();
}

void TLineStore::Clear() {
    TLineStore empty;
    Swap(empty);
}

void TLineStore::Swap(TLineStore& other) noexcept {
    file_.swap(other.file_);
    memory_.Swap(other.memory_);
    refs_.Swap(other.refs_);
    std::swap(mixed_, other.mixed_);
    std::swap(mixedUnits_, other.mixedUnits_);
    unitSamples_.swap(other.unitSamples_);
}

void TLineStore::MakeMixed() {
    if (mixed_) return;
    const int count = Count();
    refs_.Resize(static_cast<std::size_t>(count));
    // A file alone: line i is the file's line i. Memory alone: its line i.
    const std::uint32_t tag = file_ ? 0 : kMemoryLine;
    for (int i = 0; i < count; ++i) refs_[static_cast<std::size_t>(i)] = tag | static_cast<std::uint32_t>(i);
    mixedUnits_ = TotalUnits();
    mixed_ = true;
    unitSamples_.clear();
}

bool TLineStore::FileLineOf(int i, int& fileLine) const {
    if (!file_) return false;
    if (!mixed_) {
        fileLine = i;
        return true;
    }
    const std::uint32_t ref = refs_[static_cast<std::size_t>(i)];
    if (ref & kMemoryLine) return false;
    fileLine = static_cast<int>(ref);
    return true;
}

// ---------------------------------------------------------------------------
// Reading lines

TLineText TLineStore::LineUtf8(int i, std::string& buffer) const {
    int fileLine;
    if (FileLineOf(i, fileLine)) return file_->Utf8(fileLine, buffer);
    const int line = mixed_ ? static_cast<int>(refs_[static_cast<std::size_t>(i)] & ~kMemoryLine) : i;
    return {memory_.LineBytes(line), memory_.IsAsciiLine(line)};
}

TLineText TLineStore::LineUtf8(int i, std::string& buffer, TFileLines::TBlockCache& cache) const {
    int fileLine;
    if (FileLineOf(i, fileLine)) return file_->Utf8(fileLine, buffer, cache);
    return LineUtf8(i, buffer);
}

int TLineStore::Length(int i) const {
    if (!file_) return memory_.Length(i);
    if (!mixed_) return file_->Length(i);
    const std::uint32_t ref = refs_[static_cast<std::size_t>(i)];
    return ref & kMemoryLine ? memory_.Length(static_cast<int>(ref & ~kMemoryLine)) : file_->Length(static_cast<int>(ref));
}

String TLineStore::Get(int i) const {
    if (!file_) return memory_.Get(i);
    if (!mixed_) return file_->Get(i);
    const std::uint32_t ref = refs_[static_cast<std::size_t>(i)];
    return ref & kMemoryLine ? memory_.Get(static_cast<int>(ref & ~kMemoryLine)) : file_->Get(static_cast<int>(ref));
}

String TLineStore::MixedMid(int i, int start, int count) const {
    const std::uint32_t ref = refs_[static_cast<std::size_t>(i)];
    return ref & kMemoryLine ? memory_.Mid(static_cast<int>(ref & ~kMemoryLine), start, count)
                             : file_->Mid(static_cast<int>(ref), start, count);
}

// ---------------------------------------------------------------------------
// Editing: the memory form edits in place; the others keep new text in
// memory_ and point at it.

void TLineStore::PushRef(std::uint32_t ref, int length) {
    if (refs_.Size() >= static_cast<std::size_t>(std::numeric_limits<int>::max())) throw std::bad_alloc();
    refs_.PushBack(ref);
    mixedUnits_ += static_cast<std::uint64_t>(length);
}

void TLineStore::Add(std::u16string_view line) {
    if (!file_) {
        memory_.Add(line);
        return;
    }
    MakeMixed();
    memory_.Add(line);
    const int added = memory_.Count() - 1;
    PushRef(kMemoryLine | static_cast<std::uint32_t>(added), memory_.Length(added));
}

void TLineStore::AddUtf8(std::string_view line) {
    if (!file_) {
        memory_.AddUtf8(line);
        return;
    }
    MakeMixed();
    memory_.AddUtf8(line);
    const int added = memory_.Count() - 1;
    PushRef(kMemoryLine | static_cast<std::uint32_t>(added), memory_.Length(added));
}

void TLineStore::AddFrom(const TLineStore& source, int i) {
    int fileLine;
    const bool shareable = source.FileLineOf(i, fileLine) && (file_ == source.file_ || Count() == 0);
    if (!shareable) {
        std::string buffer;
        AddUtf8(source.LineUtf8(i, buffer).Bytes);
        return;
    }
    if (Count() == 0) {
        Clear();
        file_ = source.file_;
        mixed_ = true;
    }
    MakeMixed();
    PushRef(static_cast<std::uint32_t>(fileLine), file_->Length(fileLine));
}

void TLineStore::Insert(int i, std::u16string_view line) {
    if (!file_) {
        memory_.Insert(i, line);
        return;
    }
    if (i == Count()) {
        Add(line);
        return;
    }
    MakeMixed();
    memory_.Add(line);
    const int added = memory_.Count() - 1;
    PushRef(0, memory_.Length(added));  // room for one more; placed below
    std::memmove(refs_.Data() + i + 1, refs_.Data() + i, (refs_.Size() - 1 - static_cast<std::size_t>(i)) * sizeof(std::uint32_t));
    refs_[static_cast<std::size_t>(i)] = kMemoryLine | static_cast<std::uint32_t>(added);
    ForgetSamplesFrom(i);
}

void TLineStore::Delete(int i) {
    if (!file_) {
        memory_.Delete(i);
        return;
    }
    MakeMixed();
    mixedUnits_ -= static_cast<std::uint64_t>(Length(i));
    refs_.Erase(static_cast<std::size_t>(i), 1);
    ForgetSamplesFrom(i);
    if (refs_.Empty()) Clear();
}

void TLineStore::Put(int i, std::u16string_view line) {
    if (!file_) {
        memory_.Put(i, line);
        return;
    }
    MakeMixed();
    mixedUnits_ -= static_cast<std::uint64_t>(Length(i));
    memory_.Add(line);
    const int added = memory_.Count() - 1;
    refs_[static_cast<std::size_t>(i)] = kMemoryLine | static_cast<std::uint32_t>(added);
    mixedUnits_ += static_cast<std::uint64_t>(memory_.Length(added));
    ForgetSamplesFrom(i);
}

// ---------------------------------------------------------------------------
// Positions

void TLineStore::ForgetSamplesFrom(int line) const {
    // The sample for a block stays valid while the block starts at or before
    // the first changed line.
    const std::size_t keep = static_cast<std::size_t>(line) / kSampleStep + 1;
    if (unitSamples_.size() > keep) unitSamples_.resize(keep);
}

void TLineStore::ExtendSamples(std::size_t sample) const {
    if (unitSamples_.empty()) unitSamples_.push_back(0);
    while (unitSamples_.size() <= sample) {
        const int from = static_cast<int>((unitSamples_.size() - 1) * kSampleStep);
        const int to = std::min(from + kSampleStep, Count());
        std::uint64_t units = unitSamples_.back();
        for (int j = from; j < to; ++j) units += static_cast<std::uint64_t>(Length(j));
        unitSamples_.push_back(units);
    }
}

std::uint64_t TLineStore::UnitsBefore(int line) const {
    if (!file_) return memory_.UnitsBefore(line);
    if (!mixed_) return file_->UnitsBefore(line);
    const std::size_t sample = static_cast<std::size_t>(line) / kSampleStep;
    ExtendSamples(sample);
    std::uint64_t units = unitSamples_[sample];
    for (int j = static_cast<int>(sample * kSampleStep); j < line; ++j) units += static_cast<std::uint64_t>(Length(j));
    return units;
}

int TLineStore::LineAtPosition(std::uint64_t pos) const {
    if (!file_) return memory_.LineAtPosition(pos);
    if (!mixed_) return file_->LineAtPosition(pos);
    const std::size_t lastSample = static_cast<std::size_t>(Count()) / kSampleStep;
    ExtendSamples(lastSample);
    auto samplePosition = [&](std::size_t k) { return unitSamples_[k] + k * kSampleStep; };
    // The last sample at or before pos, then line by line.
    std::size_t lo = 0, hi = lastSample + 1;
    while (hi - lo > 1) {
        const std::size_t mid = lo + (hi - lo) / 2;
        (samplePosition(mid) <= pos ? lo : hi) = mid;
    }
    int line = static_cast<int>(lo * kSampleStep);
    std::uint64_t at = samplePosition(lo);
    while (line < Count()) {
        const std::uint64_t next = at + static_cast<std::uint64_t>(Length(line)) + 1;
        if (next > pos) break;
        at = next;
        ++line;
    }
    return line;
}

std::size_t TLineStore::MemoryUsed() const {
    // A shared file is counted by each store that holds it.
    return (file_ ? file_->MemoryUsed() : 0) + memory_.MemoryUsed() + refs_.Capacity() * sizeof(std::uint32_t) +
           unitSamples_.capacity() * sizeof(std::uint64_t);
}
