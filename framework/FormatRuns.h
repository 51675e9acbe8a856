// Character formats of a text kept as runs: a sorted list of boundaries
// (position, format), delta-encoded in small blocks, with a fast path for
// changes that arrive in increasing position order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "Graphics.h"

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
    void Apply(std::uint64_t from, std::uint64_t to, const TFormatChange& change);
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

    struct TBlock;

private:
    struct TEncoder;
    TFormatIndex Intern(const TCharFormat& format);
    TFormatIndex Changed(TFormatIndex from, const TFormatChange& change);
    // Index of the last block whose first boundary lies at or before pos
    // (0 when none does).
    std::size_t BlockFor(std::uint64_t pos) const;
    TFormatIndex FormatBefore(std::size_t block) const;
    void Replace(std::size_t first, std::size_t last, TEncoder& encoder);
    void AppendBoundary(std::uint64_t pos, TFormatIndex format);
    bool TryAppend(std::uint64_t from, std::uint64_t to, const TFormatChange& change);
    void RebuildTail();

    std::vector<TCharFormat> formats_;
    std::unordered_map<std::uint64_t, TFormatIndex> formatIndex_;
    struct TMemo {
        TFormatIndex from;
        TFormatChange change;
        TFormatIndex to;
    };
    TMemo memo_[8];
    std::size_t memoNext_ = 0;
    std::size_t memoUsed_ = 0;

    std::vector<std::unique_ptr<TBlock>> blocks_;
    std::vector<std::uint64_t> blockStart_;  // position of each block's first boundary
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
