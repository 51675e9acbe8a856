#include "FormatRuns.h"

#include <algorithm>

namespace {

std::size_t PutVarint(std::uint8_t* out, std::uint64_t value) {
    std::size_t n = 0;
    while (value >= 0x80) {
        out[n++] = static_cast<std::uint8_t>(value | 0x80);
        value >>= 7;
    }
    out[n++] = static_cast<std::uint8_t>(value);
    return n;
}

std::uint64_t GetVarint(const std::uint8_t*& p) {
    std::uint64_t value = 0;
    for (int shift = 0;; shift += 7) {
        const std::uint8_t byte = *p++;
        value |= static_cast<std::uint64_t>(byte & 0x7F) << shift;
        if (byte < 0x80) return value;
    }
}

// Walks the boundaries of one block.
struct TBlockReader {
    const std::uint8_t* p;
    const std::uint8_t* end;
    std::uint64_t pos;

    TBlockReader(const TFormatRuns::TBlock& block, std::uint64_t start)
        : p(block.data), end(block.data + block.used), pos(start) {}
    bool Next(std::uint64_t& at, TFormatIndex& format) {
        if (p >= end) return false;
        pos += GetVarint(p);
        format = static_cast<TFormatIndex>(GetVarint(p));
        at = pos;
        return true;
    }
};

std::size_t VarintSize(std::uint64_t value) {
    std::size_t n = 1;
    for (; value >= 0x80; value >>= 7) ++n;
    return n;
}

// Writes one boundary straight into a block (no staging buffer: re-reading
// bytes just stored one by one stalls store forwarding). False when the
// block has no room for it.
bool PutEntry(TFormatRuns::TBlock& block, std::uint64_t delta, TFormatIndex format) {
    const std::size_t n = VarintSize(delta) + VarintSize(format);
    if (block.used + n > TFormatRuns::TBlock::kBytes) return false;
    std::uint8_t* out = block.data + block.used;
    out += PutVarint(out, delta);
    PutVarint(out, format);
    block.used = static_cast<std::uint16_t>(block.used + n);
    ++block.count;
    block.last = format;
    return true;
}

}  // namespace

// Writes boundaries into fresh blocks, dropping those that repeat the
// format in force.
struct TFormatRuns::TEncoder {
    std::vector<std::unique_ptr<TBlock>> blocks;
    std::vector<std::uint64_t> starts;
    TFormatIndex last;
    std::uint64_t lastPos = 0;

    explicit TEncoder(TFormatIndex before) : last(before) {}

    void Push(std::uint64_t pos, TFormatIndex format) {
        if (format == last) return;
        if (blocks.empty() || !PutEntry(*blocks.back(), pos - lastPos, format)) {
            blocks.push_back(std::make_unique<TBlock>());
            starts.push_back(pos);
            PutEntry(*blocks.back(), 0, format);
        }
        last = format;
        lastPos = pos;
    }
};

TFormatRuns::TFormatRuns() { Intern(TCharFormat{}); }

TFormatRuns::~TFormatRuns() = default;

// ---------------------------------------------------------------------------
// Formats

TFormatIndex TFormatRuns::Intern(const TCharFormat& format) {
    const std::uint64_t key = static_cast<std::uint64_t>(format.Color) << 32 | format.Style.Bits();
    if (auto found = formatIndex_.find(key); found != formatIndex_.end()) return found->second;
    if (formats_.size() > 0xFFFF) throw EOutOfResources(u"Too many character formats");
    const auto index = static_cast<TFormatIndex>(formats_.size());
    formats_.push_back(format);
    formatIndex_.emplace(key, index);
    return index;
}

TFormatIndex TFormatRuns::ChangedSlow(TFormatIndex from, const TFormatChange& change) {
    const TFormatIndex to = Intern(change.ApplyTo(formats_[from]));
    TMemo& memo = memo_[MemoSlot(from, change)];
    memo = TMemo{true, from, change, to};
    return to;
}

// ---------------------------------------------------------------------------
// Queries

std::size_t TFormatRuns::BlockFor(std::uint64_t pos) const {
    const auto after = std::upper_bound(blockStart_.begin(), blockStart_.end(), pos);
    return after == blockStart_.begin() ? 0 : static_cast<std::size_t>(after - blockStart_.begin()) - 1;
}

TFormatIndex TFormatRuns::FormatBefore(std::size_t block) const {
    return block == 0 ? kDefaultFormat : blocks_[block - 1]->last;
}

TFormatIndex TFormatRuns::FormatAt(std::uint64_t pos) const {
    if (blocks_.empty()) return kDefaultFormat;
    const std::size_t k = BlockFor(pos);
    TFormatIndex format = FormatBefore(k);
    TBlockReader reader(*blocks_[k], blockStart_[k]);
    std::uint64_t at;
    TFormatIndex next;
    while (reader.Next(at, next) && at <= pos) format = next;
    return format;
}

void TFormatRuns::RunsIn(std::uint64_t from, std::uint64_t to, std::vector<TFormatRun>& runs) const {
    runs.clear();
    if (from >= to) return;
    std::uint64_t runStart = from;
    TFormatIndex format = kDefaultFormat;
    if (!blocks_.empty()) {
        std::size_t k = BlockFor(from);
        format = FormatBefore(k);
        for (; k < blocks_.size(); ++k) {
            TBlockReader reader(*blocks_[k], blockStart_[k]);
            std::uint64_t at;
            TFormatIndex next;
            bool past = false;
            while (reader.Next(at, next)) {
                if (at >= to) {
                    past = true;
                    break;
                }
                if (at > runStart) {
                    runs.push_back(TFormatRun{runStart, at - runStart, format});
                    runStart = at;
                }
                format = next;
            }
            if (past) break;
        }
    }
    runs.push_back(TFormatRun{runStart, to - runStart, format});
}

std::size_t TFormatRuns::BoundaryCount() const {
    std::size_t count = 0;
    for (const auto& block : blocks_) count += block->count;
    return count;
}

std::size_t TFormatRuns::MemoryUsed() const {
    // A 256-byte block, the allocator's header, its pointer and its start.
    return blocks_.size() * (sizeof(TBlock) + 16) + blocks_.capacity() * sizeof(void*) +
           blockStart_.capacity() * sizeof(std::uint64_t);
}

// ---------------------------------------------------------------------------
// Changes

void TFormatRuns::Clear() {
    blocks_.clear();
    blockStart_.clear();
    lastBlock_ = nullptr;
    tail_ = TTail{};
}

void TFormatRuns::RebuildTail() {
    tail_ = TTail{};
    if (blocks_.empty()) return;
    const std::size_t k = blocks_.size() - 1;
    const TBlock& block = *blocks_[k];
    TBlockReader reader(block, blockStart_[k]);
    tail_.any = true;
    tail_.format = FormatBefore(k);
    tail_.prevPos = blockStart_[k];
    std::uint64_t at;
    TFormatIndex format;
    for (;;) {
        const auto offset = static_cast<std::uint16_t>(reader.p - block.data);
        if (!reader.Next(at, format)) break;
        if (offset > 0) tail_.prevPos = tail_.pos;
        tail_.before = tail_.format;
        tail_.format = format;
        tail_.pos = at;
        tail_.offset = offset;
    }
}

void TFormatRuns::AppendBoundarySlow(std::uint64_t pos, TFormatIndex format) {
    const bool any = tail_.any;
    if (any && format == tail_.format) return;
    tail_.before = any ? tail_.format : kDefaultFormat;
    if (any && PutEntryAt(pos - tail_.pos, format)) {
        tail_.prevPos = tail_.pos;
    } else {
        blocks_.push_back(std::make_unique<TBlock>());
        lastBlock_ = blocks_.back().get();
        blockStart_.push_back(pos);
        PutEntryAt(0, format);
        tail_.prevPos = pos;
    }
    tail_.pos = pos;
    tail_.format = format;
    tail_.any = true;
}

bool TFormatRuns::PutEntryAt(std::uint64_t delta, TFormatIndex format) {
    TBlock& block = *blocks_.back();
    const std::uint16_t offset = block.used;
    if (!PutEntry(block, delta, format)) return false;
    tail_.offset = offset;
    return true;
}

void TFormatRuns::ReplaceTailFormat(TFormatIndex changed) {
    TBlock& block = *blocks_.back();
    block.used = tail_.offset;
    --block.count;
    if (changed != tail_.before && PutEntry(block, tail_.pos - tail_.prevPos, changed)) {
        // Same place, same distance, new format: the tail stays where it is.
        tail_.format = changed;
    } else {
        // The boundary merges into the run before it (or its wider format
        // index needs a new block): drop it and rebuild the tail.
        const std::uint64_t pos = tail_.pos;
        block.last = tail_.before;
        if (block.count == 0) {
            blocks_.pop_back();
            blockStart_.pop_back();
            lastBlock_ = blocks_.empty() ? nullptr : blocks_.back().get();
        }
        RebuildTail();
        AppendBoundary(pos, changed);
    }
}

void TFormatRuns::Replace(std::size_t first, std::size_t last, TEncoder& encoder) {
    const bool tailTouched = last == blocks_.size();
    blocks_.erase(blocks_.begin() + static_cast<std::ptrdiff_t>(first), blocks_.begin() + static_cast<std::ptrdiff_t>(last));
    blockStart_.erase(blockStart_.begin() + static_cast<std::ptrdiff_t>(first),
                      blockStart_.begin() + static_cast<std::ptrdiff_t>(last));
    blocks_.insert(blocks_.begin() + static_cast<std::ptrdiff_t>(first), std::make_move_iterator(encoder.blocks.begin()),
                   std::make_move_iterator(encoder.blocks.end()));
    blockStart_.insert(blockStart_.begin() + static_cast<std::ptrdiff_t>(first), encoder.starts.begin(), encoder.starts.end());
    lastBlock_ = blocks_.empty() ? nullptr : blocks_.back().get();
    if (tailTouched) tail_.valid = false;
}

void TFormatRuns::ApplySlow(std::uint64_t from, std::uint64_t to, const TFormatChange& change) {
    if (!tail_.valid) {
        RebuildTail();
        if (TryAppend(from, to, change)) return;
    }
    // A change in the middle: re-encode the blocks from the one holding
    // `from` to the one after the block holding `to`.
    const std::size_t first = BlockFor(from);
    const std::size_t last = std::min(BlockFor(to) + 2, blocks_.size());
    const TFormatIndex before = FormatBefore(first);
    TEncoder encoder(before);
    TFormatIndex old = before;  // format in force before the change
    bool fromDone = false, toDone = false;
    for (std::size_t k = first; k < last; ++k) {
        TBlockReader reader(*blocks_[k], blockStart_[k]);
        std::uint64_t at;
        TFormatIndex format;
        while (reader.Next(at, format)) {
            if (!fromDone && at >= from) {
                if (at > from) encoder.Push(from, Changed(old, change));
                fromDone = true;
            }
            if (!toDone && at >= to) {
                if (at > to) encoder.Push(to, old);
                toDone = true;
            }
            encoder.Push(at, at >= from && at < to ? Changed(format, change) : format);
            old = format;
        }
    }
    if (!fromDone) encoder.Push(from, Changed(old, change));
    if (!toDone) encoder.Push(to, old);
    Replace(first, last, encoder);
}

void TFormatRuns::Splice(std::uint64_t at, std::uint64_t removed, std::uint64_t inserted) {
    if ((removed == 0 && inserted == 0) || blocks_.empty()) return;
    if (!tail_.valid) RebuildTail();
    if (removed == 0 && at >= tail_.pos) return;  // nothing lies after an insertion at the end

    const std::size_t first = BlockFor(at);
    const std::size_t last = std::min(BlockFor(at + removed) + 2, blocks_.size());
    const TFormatIndex before = FormatBefore(first);
    TEncoder encoder(before);
    TFormatIndex old = before;
    bool placed = removed == 0;  // the format that follows a removal is placed at `at`
    for (std::size_t k = first; k < last; ++k) {
        TBlockReader reader(*blocks_[k], blockStart_[k]);
        std::uint64_t pos;
        TFormatIndex format;
        while (reader.Next(pos, format)) {
            if (pos < at || (removed == 0 && pos == at)) {
                encoder.Push(pos, format);
            } else if (pos < at + removed) {
                // removed with its text
            } else {
                if (!placed) {
                    encoder.Push(at, pos == at + removed ? format : old);
                    placed = true;
                }
                encoder.Push(pos - removed + inserted, format);
            }
            old = format;
        }
    }
    if (!placed) encoder.Push(at, old);
    const std::size_t after = first + encoder.blocks.size();
    Replace(first, last, encoder);
    for (std::size_t k = after; k < blockStart_.size(); ++k) blockStart_[k] = blockStart_[k] - removed + inserted;
    tail_.valid = false;
}
