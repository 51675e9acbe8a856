// Character formats of a text kept as runs: a sorted list of boundaries
// (position, format), delta-encoded in small blocks, with a fast path for
// changes that arrive in increasing position order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "GraphicsTypes.h"

// Colour and style of characters. clDefault as the colour means "the view's
// font colour", so that default text follows the font.
struct TCharFormat {
    TColor Color = clDefault;
    TFontStyles Style;
    friend bool operator==(const TCharFormat&, const TCharFormat&) = default;
};

using TFormatIndex = std::uint16_t;
constexpr TFormatIndex kDefaultFormat = 0;  // TCharFormat{}: the font's colour, no style

// What a format write changes: the colour only, or the style only.
struct TFormatChange {
    enum TKind : std::uint8_t { SetColor, SetStyle };
    TKind Kind = SetColor;
    TColor Color = clDefault;
    TFontStyles Style;

    TCharFormat ApplyTo(TCharFormat format) const {
        if (Kind == SetColor)
            format.Color = Color;
        else
            format.Style = Style;
        return format;
    }
};

// One run as the painting queries return it.
struct TFormatRun {
    std::uint64_t Start;
    std::uint64_t Length;
    TFormatIndex Format;
};

class TFormatRuns {
public:
    TFormatRuns();
    ~TFormatRuns();
    TFormatRuns(const TFormatRuns&) = delete;
    TFormatRuns& operator=(const TFormatRuns&) = delete;

    const TCharFormat& Format(TFormatIndex index) const { return formats_[index]; }

    // Changes the format of [from, to). Changes whose range starts at or
    // after the last boundary (the colouring pass, line after line) append in
    // constant time; others re-encode the blocks they touch.
    void Apply(std::uint64_t from, std::uint64_t to, const TFormatChange& change) {
        if (from >= to) return;
        if (!TryAppend(from, to, change)) ApplySlow(from, to, change);
    }
    // Every position back to the default format.
    void Clear();
    TFormatIndex FormatAt(std::uint64_t pos) const;
    // The runs that cover [from, to), in order, the first and last clipped.
    void RunsIn(std::uint64_t from, std::uint64_t to, std::vector<TFormatRun>& runs) const;
    // The text changed: `removed` positions at `at` were replaced by
    // `inserted` new ones, which take the format of the position that
    // follows the change.
    void Splice(std::uint64_t at, std::uint64_t removed, std::uint64_t inserted);

    std::size_t BoundaryCount() const;
    std::size_t MemoryUsed() const;

    // About a hundred boundaries in 256 bytes: each boundary is the distance
    // from the previous one (0 for a block's first) and its format index, both
    // as varints, so the runs of a typical log line cost two bytes per boundary.
    struct TBlock {
        static constexpr std::size_t kBytes = 250;
        std::uint16_t count = 0;
        std::uint16_t used = 0;
        TFormatIndex last = kDefaultFormat;  // format of the last boundary
        std::uint8_t data[kBytes];
    };

private:
    struct TEncoder;
    TFormatIndex Intern(const TCharFormat& format);
    TFormatIndex Changed(TFormatIndex from, const TFormatChange& change) {
        const TMemo& memo = memo_[MemoSlot(from, change)];
        if (memo.used && memo.from == from && memo.change.Kind == change.Kind &&
            (change.Kind == TFormatChange::SetColor ? memo.change.Color == change.Color : memo.change.Style == change.Style))
            return memo.to;
        return ChangedSlow(from, change);
    }
    static std::size_t MemoSlot(TFormatIndex from, const TFormatChange& change) {
        const std::uint32_t value = change.Kind == TFormatChange::SetColor ? change.Color : change.Style.Bits() + 0x9E3779B9u;
        return (from * 0x9E3779B1u ^ value * 0x85EBCA77u ^ (value >> 15)) % kMemoSlots;
    }
    TFormatIndex ChangedSlow(TFormatIndex from, const TFormatChange& change);
    void ApplySlow(std::uint64_t from, std::uint64_t to, const TFormatChange& change);
    // Index of the last block whose first boundary lies at or before pos
    // (0 when none does).
    std::size_t BlockFor(std::uint64_t pos) const;
    TFormatIndex FormatBefore(std::size_t block) const;
    void Replace(std::size_t first, std::size_t last, TEncoder& encoder);
    // Adds a boundary after the last one; a boundary that repeats the
    // format in force is left out.
    void AppendBoundary(std::uint64_t pos, TFormatIndex format) {
        if (tail_.any && format == tail_.format) return;
        const std::uint64_t delta = pos - tail_.pos;
        if (tail_.any && delta < 0x80 && format < 0x80 && TailBlockHasRoom(2)) {
            // The common case: one byte of distance, one of format.
            AppendTwoBytes(static_cast<std::uint8_t>(delta), static_cast<std::uint8_t>(format));
            tail_.before = tail_.format;
            tail_.prevPos = tail_.pos;
            tail_.pos = pos;
            tail_.format = format;
            return;
        }
        AppendBoundarySlow(pos, format);
    }
    bool TailBlockHasRoom(std::size_t bytes) const { return lastBlock_->used + bytes <= TBlock::kBytes; }
    void AppendTwoBytes(std::uint8_t delta, std::uint8_t format) {
        TBlock& block = *lastBlock_;
        tail_.offset = block.used;
        block.data[block.used] = delta;
        block.data[block.used + 1] = format;
        block.used = static_cast<std::uint16_t>(block.used + 2);
        ++block.count;
        block.last = format;
    }
    void AppendBoundarySlow(std::uint64_t pos, TFormatIndex format);
    // Adds a boundary to the last block and makes it the tail's; false when
    // the block is full.
    bool PutEntryAt(std::uint64_t delta, TFormatIndex format);
    // The append path: a change that starts after the last boundary adds
    // two boundaries; one that starts at it (the message run that follows
    // the level run) rewrites that boundary. False for a change that starts
    // before it, or while the tail is to be rebuilt (after a change in the
    // middle; ApplySlow rebuilds it).
    bool TryAppend(std::uint64_t from, std::uint64_t to, const TFormatChange& change) {
        if (!tail_.valid) return false;
        if (!tail_.any || from > tail_.pos) {
            const TFormatIndex old = tail_.any ? tail_.format : kDefaultFormat;
            const TFormatIndex changed = Changed(old, change);
            if (changed == old) return true;
            AppendBoundary(from, changed);
            AppendBoundary(to, old);
            return true;
        }
        if (from != tail_.pos) return false;
        const TFormatIndex old = tail_.format;
        const TFormatIndex changed = Changed(old, change);
        if (changed == old) return true;
        if (changed != tail_.before && changed < 0x80 && old < 0x80) {
            // The common case: a one-byte format index, replaced where it lies.
            lastBlock_->data[lastBlock_->used - 1] = static_cast<std::uint8_t>(changed);
            lastBlock_->last = changed;
            tail_.format = changed;
        } else {
            ReplaceTailFormat(changed);
        }
        AppendBoundary(to, old);
        return true;
    }
    // Gives the last boundary another format: rewritten in place, or merged
    // into the run before it.
    void ReplaceTailFormat(TFormatIndex changed);
    void RebuildTail();

    std::vector<TCharFormat> formats_;
    std::unordered_map<std::uint64_t, TFormatIndex> formatIndex_;
    // Results of recent format changes, so that the colouring pass does not
    // look formats up for every run.
    struct TMemo {
        bool used = false;
        TFormatIndex from = 0;
        TFormatChange change;
        TFormatIndex to = 0;
    };
    static constexpr std::size_t kMemoSlots = 64;
    TMemo memo_[kMemoSlots];

    std::vector<std::unique_ptr<TBlock>> blocks_;
    std::vector<std::uint64_t> blockStart_;  // position of each block's first boundary
    TBlock* lastBlock_ = nullptr;            // blocks_.back(), or null
    // The writable tail: the last boundary, the format before it and where
    // its bytes begin in the last block.
    struct TTail {
        bool valid = true;
        bool any = false;         // there is a boundary at all
        std::uint64_t pos = 0;
        std::uint64_t prevPos = 0;  // position the last boundary's delta counts from
        TFormatIndex format = kDefaultFormat;
        TFormatIndex before = kDefaultFormat;
        std::uint16_t offset = 0;
    } tail_;
};
