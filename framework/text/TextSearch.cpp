#include "TextSearch.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <algorithm>
#include <functional>
#include <string>
#include <thread>

struct TSearchPattern::Code {
    pcre2_code* code = nullptr;
};

namespace {

String LibraryMessage(int errorCode) {
    PCRE2_UCHAR message[256];
    if (pcre2_get_error_message(errorCode, message, sizeof message) < 0) return u"The search failed.";
    return Utf8ToString(reinterpret_cast<const char*>(message));
}

// A literal as an expression: every ASCII character that is not a letter or
// a digit is escaped, control characters by their code.
std::string EscapedLiteral(const String& text) {
    const std::string utf8 = StringToUtf8(text);
    std::string out;
    out.reserve(utf8.size() * 2);
    for (const char c : utf8) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x80 || (u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z')) {
            out += c;
        } else if (u < 0x20 || u == 0x7F) {
            static const char hex[] = "0123456789ABCDEF";
            out += "\\x{";
            out += hex[u >> 4];
            out += hex[u & 15];
            out += '}';
        } else {
            out += '\\';
            out += c;
        }
    }
    return out;
}

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

}  // namespace

std::size_t UnitsInBytes(std::string_view utf8, std::size_t bytes) {
    std::size_t units = 0;
    for (std::size_t k = 0; k < bytes && k < utf8.size(); ++k) {
        const auto c = static_cast<unsigned char>(utf8[k]);
        if (!IsContinuation(c)) units += c >= 0xF0 ? 2 : 1;  // four bytes: a surrogate pair
    }
    return units;
}

std::size_t ByteOfColumn(std::string_view utf8, std::size_t column) {
    std::size_t units = 0;
    std::size_t k = 0;
    while (k < utf8.size() && units < column) {
        const auto c = static_cast<unsigned char>(utf8[k]);
        units += c >= 0xF0 ? 2 : 1;
        ++k;
        while (k < utf8.size() && IsContinuation(static_cast<unsigned char>(utf8[k]))) ++k;
    }
    return k;
}

TSearchPattern::TSearchPattern(const String& text, TSearchOptions options) {
    if (text.empty()) return;
    const std::string expression = options.RegularExpression ? StringToUtf8(text) : EscapedLiteral(text);
    // Lines may hold bytes that are not UTF-8 (a lone surrogate kept in
    // generalised form): they never match, and never stop the search.
    std::uint32_t flags = PCRE2_UTF | PCRE2_MATCH_INVALID_UTF;
    if (!options.MatchCase) flags |= PCRE2_CASELESS;
    // A word is a word in any script, not only in ASCII.
    if (options.WholeWord) flags |= PCRE2_UCP;
    pcre2_compile_context* context = pcre2_compile_context_create(nullptr);
    if (!context) throw std::bad_alloc();
    if (options.WholeWord) pcre2_set_compile_extra_options(context, PCRE2_EXTRA_MATCH_WORD);
    int errorCode = 0;
    PCRE2_SIZE errorOffset = 0;
    pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(expression.data()), expression.size(), flags,
                                     &errorCode, &errorOffset, context);
    pcre2_compile_context_free(context);
    if (!code) throw ESearchError(LibraryMessage(errorCode));
    // Without machine code (a platform the compiler does not know) the
    // interpreter gives the same matches, more slowly.
    pcre2_jit_compile(code, PCRE2_JIT_COMPLETE);
    code_ = new Code{code};
}

TSearchPattern::~TSearchPattern() {
    if (!code_) return;
    pcre2_code_free(code_->code);
    delete code_;
}

struct TLineMatcher::Data {
    pcre2_match_data* match = nullptr;
    pcre2_match_context* context = nullptr;
    pcre2_jit_stack* stack = nullptr;
    ~Data() {
        pcre2_match_data_free(match);
        pcre2_match_context_free(context);
        pcre2_jit_stack_free(stack);
    }
};

TLineMatcher::TLineMatcher(const TSearchPattern& pattern) : pattern_(pattern), data_(std::make_unique<Data>()) {
    if (pattern.Empty()) return;
    data_->match = pcre2_match_data_create_from_pattern(pattern.code_->code, nullptr);
    data_->context = pcre2_match_context_create(nullptr);
    // Room for expressions that backtrack much over a long line.
    data_->stack = pcre2_jit_stack_create(32 * 1024, 1024 * 1024, nullptr);
    if (!data_->match || !data_->context || !data_->stack) throw std::bad_alloc();
    pcre2_jit_stack_assign(data_->context, nullptr, data_->stack);
}

TLineMatcher::~TLineMatcher() = default;

bool TLineMatcher::Next(std::string_view line, std::size_t from, bool notEmptyAtFrom, std::size_t& begin,
                        std::size_t& end) {
    if (pattern_.Empty() || from > line.size()) return false;
    const int rc = pcre2_match(pattern_.code_->code, reinterpret_cast<PCRE2_SPTR>(line.data()), line.size(), from,
                               notEmptyAtFrom ? PCRE2_NOTEMPTY_ATSTART : 0, data_->match, data_->context);
    if (rc == PCRE2_ERROR_NOMATCH) return false;
    if (rc < 0) throw ESearchError(LibraryMessage(rc));
    const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(data_->match);
    begin = ovector[0];
    end = ovector[1];
    // \K in a lookahead can report an end before the start.
    if (end < begin) end = begin;
    return true;
}

std::uint64_t TLineMatcher::Count(std::string_view line) {
    std::uint64_t count = 0;
    std::size_t from = 0;
    bool notEmpty = false;
    std::size_t begin = 0, end = 0;
    while (Next(line, from, notEmpty, begin, end)) {
        ++count;
        // After an empty match the next one may not be empty at the same place.
        notEmpty = end == begin;
        from = end;
        if (from > line.size()) break;
    }
    return count;
}

namespace {

TTextMatch MatchInLine(int line, const TLineText& text, std::size_t begin, std::size_t end, bool wrapped) {
    TTextMatch match;
    match.Line = line;
    match.Wrapped = wrapped;
    if (text.Ascii) {
        match.Column = static_cast<int>(begin);
        match.Length = static_cast<int>(end - begin);
    } else {
        match.Column = static_cast<int>(UnitsInBytes(text.Bytes, begin));
        match.Length = static_cast<int>(UnitsInBytes(text.Bytes.substr(begin), end - begin));
    }
    return match;
}

std::size_t ByteAt(const TLineText& text, int column) {
    const auto units = static_cast<std::size_t>(std::max(column, 0));
    return text.Ascii ? std::min(units, text.Bytes.size()) : ByteOfColumn(text.Bytes, units);
}

// The last match in the line that starts before byte limit (any, for npos).
bool LastMatchBefore(TLineMatcher& matcher, std::string_view line, std::size_t limit, std::size_t& begin,
                     std::size_t& end) {
    bool found = false;
    std::size_t from = 0;
    bool notEmpty = false;
    std::size_t b, e;
    while (matcher.Next(line, from, notEmpty, b, e) && (limit == std::string_view::npos || b < limit)) {
        found = true;
        begin = b;
        end = e;
        notEmpty = e == b;
        from = e;
    }
    return found;
}

}  // namespace

namespace {

// Below this many lines a second thread costs more than it saves.
constexpr int kLinesWorthAThread = 100000;

bool SecondThreadPays(int lines) { return lines >= kLinesWorthAThread && std::thread::hardware_concurrency() >= 2; }

// The first step in 1..steps whose line, lineAt(step), holds a match; 0 for
// none. Big texts are scanned in chunks of steps on two threads, each taking
// the next chunk in order, so that the chunks before the first one with a
// match are always scanned whole.
int FirstStepWithMatch(const TSearchPattern& pattern, const TLineStore& store, int steps,
                       const std::function<int(int)>& lineAt) {
    constexpr int kChunk = 16384;
    const int chunks = (steps + kChunk - 1) / kChunk;
    std::atomic<int> nextChunk{0};
    std::atomic<int> firstFound{chunks};  // the lowest chunk known to hold a match
    std::vector<int> stepFound(static_cast<std::size_t>(chunks), 0);
    auto scan = [&] {
        TLineMatcher matcher(pattern);
        TFileLines::TBlockCache cache;
        std::string buffer;
        std::size_t begin, end;
        for (int chunk = nextChunk++; chunk < firstFound.load(); chunk = nextChunk++) {
            const int last = std::min(steps, (chunk + 1) * kChunk);
            for (int step = chunk * kChunk + 1; step <= last; ++step) {
                if (!matcher.Next(store.LineUtf8(lineAt(step), buffer, cache).Bytes, 0, false, begin, end)) continue;
                stepFound[static_cast<std::size_t>(chunk)] = step;
                int known = firstFound.load();
                while (chunk < known && !firstFound.compare_exchange_weak(known, chunk)) {
                }
                return;
            }
        }
    };
    if (!SecondThreadPays(steps)) {
        scan();
    } else {
        std::exception_ptr helperError;
        std::thread helper([&] {
            try {
                scan();
            } catch (...) {
                helperError = std::current_exception();
                firstFound = -1;  // stops the other thread at its next chunk
            }
        });
        try {
            scan();
        } catch (...) {
            firstFound = -1;
            helper.join();
            throw;
        }
        helper.join();
        if (helperError) std::rethrow_exception(helperError);
    }
    const int chunk = firstFound.load();
    return chunk < chunks ? stepFound[static_cast<std::size_t>(chunk)] : 0;
}

}  // namespace

TTextMatch FindForward(const TSearchPattern& pattern, const TLineStore& store, int line, int column,
                       bool allowEmptyAtStart) {
    const int count = store.Count();
    if (pattern.Empty() || count == 0) return {};
    line = std::clamp(line, 0, count - 1);
    TLineMatcher matcher(pattern);
    std::string buffer;
    std::size_t begin = 0, end = 0;
    TLineText text = store.LineUtf8(line, buffer);
    const std::size_t from = ByteAt(text, column);
    if (matcher.Next(text.Bytes, from, !allowEmptyAtStart, begin, end)) return MatchInLine(line, text, begin, end, false);
    // Every other line once, then the start of the first line up to the column.
    auto lineAt = [line, count](int step) { return (line + step) % count; };
    if (const int step = FirstStepWithMatch(pattern, store, count - 1, lineAt)) {
        text = store.LineUtf8(lineAt(step), buffer);
        matcher.Next(text.Bytes, 0, false, begin, end);
        return MatchInLine(lineAt(step), text, begin, end, line + step >= count);
    }
    text = store.LineUtf8(line, buffer);
    if (matcher.Next(text.Bytes, 0, false, begin, end) && begin < from) return MatchInLine(line, text, begin, end, true);
    return {};
}

TTextMatch FindBackward(const TSearchPattern& pattern, const TLineStore& store, int line, int column) {
    const int count = store.Count();
    if (pattern.Empty() || count == 0) return {};
    line = std::clamp(line, 0, count - 1);
    TLineMatcher matcher(pattern);
    std::string buffer;
    std::size_t begin = 0, end = 0;
    TLineText text = store.LineUtf8(line, buffer);
    const std::size_t limit = ByteAt(text, column);
    if (LastMatchBefore(matcher, text.Bytes, limit, begin, end)) return MatchInLine(line, text, begin, end, false);
    // Every other line once, going up, then the rest of the first line.
    auto lineAt = [line, count](int step) { return ((line - step) % count + count) % count; };
    if (const int step = FirstStepWithMatch(pattern, store, count - 1, lineAt)) {
        text = store.LineUtf8(lineAt(step), buffer);
        LastMatchBefore(matcher, text.Bytes, std::string_view::npos, begin, end);
        return MatchInLine(lineAt(step), text, begin, end, line - step < 0);
    }
    text = store.LineUtf8(line, buffer);
    if (LastMatchBefore(matcher, text.Bytes, std::string_view::npos, begin, end) && begin >= limit)
        return MatchInLine(line, text, begin, end, true);
    return {};
}

namespace {

// Counts the blocks first .. last-1 into their places in perBlock.
void CountBlocks(const TSearchPattern& pattern, const TLineStore& store, std::size_t first, std::size_t last,
                 std::vector<std::uint64_t>& perBlock, const std::atomic<bool>* cancel) {
    TLineMatcher matcher(pattern);
    TFileLines::TBlockCache cache;
    std::string buffer;
    const int count = store.Count();
    for (std::size_t block = first; block < last; ++block) {
        if (cancel && cancel->load(std::memory_order_relaxed)) return;
        const int begin = static_cast<int>(block) * TMatchCount::kBlockLines;
        const int end = std::min(count, begin + TMatchCount::kBlockLines);
        std::uint64_t matches = 0;
        for (int i = begin; i < end; ++i) matches += matcher.Count(store.LineUtf8(i, buffer, cache).Bytes);
        perBlock[block] = matches;
    }
}

}  // namespace

TMatchCount CountMatchesByBlock(const TSearchPattern& pattern, const TLineStore& store,
                                const std::atomic<bool>* cancel) {
    TMatchCount result;
    const int count = store.Count();
    if (pattern.Empty() || count == 0) return result;
    const auto blocks = static_cast<std::size_t>((count + TMatchCount::kBlockLines - 1) / TMatchCount::kBlockLines);
    result.PerBlock.assign(blocks, 0);
    if (!SecondThreadPays(count)) {
        CountBlocks(pattern, store, 0, blocks, result.PerBlock, cancel);
    } else {
        const std::size_t half = blocks / 2;
        std::exception_ptr helperError;
        std::thread helper([&] {
            try {
                CountBlocks(pattern, store, half, blocks, result.PerBlock, cancel);
            } catch (...) {
                helperError = std::current_exception();
            }
        });
        try {
            CountBlocks(pattern, store, 0, half, result.PerBlock, cancel);
        } catch (...) {
            helper.join();
            throw;
        }
        helper.join();
        if (helperError) std::rethrow_exception(helperError);
    }
    for (const std::uint64_t matches : result.PerBlock) result.Total += matches;
    return result;
}

std::uint64_t CountMatches(const TSearchPattern& pattern, const TLineStore& store, const std::atomic<bool>* cancel) {
    return CountMatchesByBlock(pattern, store, cancel).Total;
}

std::uint64_t MatchesBefore(const TSearchPattern& pattern, const TLineStore& store, const TMatchCount& count, int line,
                            int column) {
    if (pattern.Empty() || line < 0) return 0;
    const auto block = static_cast<std::size_t>(line / TMatchCount::kBlockLines);
    std::uint64_t before = 0;
    for (std::size_t b = 0; b < block && b < count.PerBlock.size(); ++b) before += count.PerBlock[b];
    TLineMatcher matcher(pattern);
    std::string buffer;
    for (int i = static_cast<int>(block) * TMatchCount::kBlockLines; i < line && i < store.Count(); ++i)
        before += matcher.Count(store.LineUtf8(i, buffer).Bytes);
    if (line >= store.Count()) return before;
    const TLineText text = store.LineUtf8(line, buffer);
    const std::size_t limit = ByteAt(text, column);
    std::size_t from = 0, begin, end;
    bool notEmpty = false;
    while (matcher.Next(text.Bytes, from, notEmpty, begin, end) && begin < limit) {
        ++before;
        notEmpty = end == begin;
        from = end;
    }
    return before;
}
