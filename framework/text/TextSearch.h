// Finding text in a line store: a literal or a Perl-compatible regular
// expression (PCRE2, compiled to machine code where it can be), with match
// case and whole word. Each line is searched on its own, so no match spans
// a line break; lines, columns and lengths are in UTF-16 code units, as the
// view's positions are.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "LineStore.h"
#include "Types.h"

struct TSearchOptions {
    bool MatchCase = false;
    bool RegularExpression = false;
    bool WholeWord = false;
};

// An expression that does not compile, or a match that the library gives
// up on; the message is the library's own.
class ESearchError : public Exception { using Exception::Exception; };

struct TTextMatch {
    int Line = -1;
    int Column = 0;
    int Length = 0;
    // The search passed the end (or, going back, the start) of the text.
    bool Wrapped = false;
    bool Found() const { return Line >= 0; }
};

class TSearchPattern {
public:
    // Raises ESearchError when Text is not a valid expression. An empty
    // Text finds nothing.
    TSearchPattern(const String& Text, TSearchOptions Options);
    ~TSearchPattern();
    TSearchPattern(const TSearchPattern&) = delete;
    TSearchPattern& operator=(const TSearchPattern&) = delete;

    bool Empty() const { return code_ == nullptr; }

    struct Code;

private:
    friend class TLineMatcher;
    Code* code_ = nullptr;
};

// Matches one pattern line by line; one per thread (it holds the library's
// match data and stack).
class TLineMatcher {
public:
    explicit TLineMatcher(const TSearchPattern& Pattern);
    ~TLineMatcher();
    TLineMatcher(const TLineMatcher&) = delete;
    TLineMatcher& operator=(const TLineMatcher&) = delete;

    // The first match in the UTF-8 line that starts at byte From or later;
    // with NotEmptyAtFrom an empty match at From does not count. Begin and
    // End are bytes. Raises ESearchError when the library gives up.
    bool Next(std::string_view Line, std::size_t From, bool NotEmptyAtFrom, std::size_t& Begin, std::size_t& End);
    // Non-overlapping matches in the line.
    std::uint64_t Count(std::string_view Line);

private:
    const TSearchPattern& pattern_;
    struct Data;
    std::unique_ptr<Data> data_;
};

// The first match at or after (Line, Column), going on from the start of
// the text after its end (Wrapped then); an empty match at exactly (Line,
// Column) counts only with AllowEmptyAtStart. Not found when the text holds
// no match.
TTextMatch FindForward(const TSearchPattern& Pattern, const TLineStore& Store, int Line, int Column,
                       bool AllowEmptyAtStart = true);
// The last match that starts before (Line, Column), going on from the end
// of the text after its start (Wrapped then).
TTextMatch FindBackward(const TSearchPattern& Pattern, const TLineStore& Store, int Line, int Column);

// Non-overlapping matches in every line, on up to two threads, safe to run
// on a thread of its own while the lines are read elsewhere (not changed).
// Returns early with what it has when Cancel becomes true.
std::uint64_t CountMatches(const TSearchPattern& Pattern, const TLineStore& Store,
                           const std::atomic<bool>* Cancel = nullptr);

// The same, kept per block of lines, so that the number of a match among
// all of them follows without reading the text before its block.
struct TMatchCount {
    static constexpr int kBlockLines = 4096;
    std::uint64_t Total = 0;
    std::vector<std::uint64_t> PerBlock;
};
TMatchCount CountMatchesByBlock(const TSearchPattern& Pattern, const TLineStore& Store,
                                const std::atomic<bool>* Cancel = nullptr);
// How many matches start before (Line, Column), from a complete count.
std::uint64_t MatchesBefore(const TSearchPattern& Pattern, const TLineStore& Store, const TMatchCount& Count, int Line,
                            int Column);

// UTF-16 code units in the first Bytes bytes of a UTF-8 line, and the byte
// at which a column starts (rounded up to a character's start).
std::size_t UnitsInBytes(std::string_view Utf8, std::size_t Bytes);
std::size_t ByteOfColumn(std::string_view Utf8, std::size_t Column);
