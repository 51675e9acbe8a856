#include "ViewSearch.h"

#include <new>
#include <utility>

TViewSearch::TViewSearch(TRichEdit& view) : view_(view) {
    view_.Document().OnTextChanging = [this] {
        StopCount();
        lastMatch_.reset();
        textChanged_ = true;
    };
}

TViewSearch::~TViewSearch() {
    view_.Document().OnTextChanging = nullptr;
    StopCount();
}

void TViewSearch::SetQuery(const String& text, TSearchOptions options) {
    StopCount();
    text_ = text;
    options_ = options;
    error_.clear();
    pattern_.reset();
    lastMatch_.reset();
    try {
        pattern_ = std::make_shared<const TSearchPattern>(text, options);
    } catch (const ESearchError& e) {
        error_ = e.Message();
        return;
    }
    // The text may have changed since the last query without a new count
    // being asked for: the count starts here, for this text.
    StartCount();
}

String TViewSearch::Error() const {
    if (!error_.empty()) return error_;
    std::lock_guard<std::mutex> lock(mutex_);
    return countError_;
}

void TViewSearch::StopCount() {
    if (worker_.joinable()) {
        cancel_ = true;
        worker_.join();
    }
    cancel_ = false;
    std::lock_guard<std::mutex> lock(mutex_);
    counting_ = false;
    count_.reset();
    countError_.clear();
}

void TViewSearch::ResumeCount() {
    if (textChanged_ && !view_.Document().Updating()) StartCount();
}

void TViewSearch::StartCount() {
    textChanged_ = false;
    if (!pattern_ || pattern_->Empty()) return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        counting_ = true;
    }
    worker_ = std::thread([this, pattern = pattern_, &store = view_.Document().Store()] {
        std::optional<TMatchCount> count;
        String error;
        try {
            count = CountMatchesByBlock(*pattern, store, &cancel_);
        } catch (const ESearchError& e) {
            error = e.Message();
        } catch (const std::bad_alloc&) {
            error = u"Out of memory.";
        } catch (...) {
            error = u"The matches could not be counted.";
        }
        std::lock_guard<std::mutex> lock(mutex_);
        counting_ = false;
        // A cancelled count is incomplete: it is never handed over.
        if (!cancel_) {
            count_ = std::move(count);
            countError_ = std::move(error);
        }
    });
}

std::optional<std::uint64_t> TViewSearch::Count() const {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!count_) return std::nullopt;
    return count_->Total;
}

bool TViewSearch::Counting() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return counting_;
}

void TViewSearch::WaitForCount() {
    if (worker_.joinable()) worker_.join();
}

bool TViewSearch::SelectionIsLastMatch() const {
    if (!lastMatch_) return false;
    const TRichTextDocument& document = view_.Document();
    return document.SelStart() == document.LinePosition(lastMatch_->Line) + lastMatch_->Column &&
           document.SelLength() == lastMatch_->Length;
}

std::optional<std::uint64_t> TViewSearch::CurrentNumber() const {
    if (!pattern_ || !SelectionIsLastMatch()) return std::nullopt;
    std::lock_guard<std::mutex> lock(mutex_);
    if (!count_) return std::nullopt;
    return MatchesBefore(*pattern_, view_.Document().Store(), *count_, lastMatch_->Line, lastMatch_->Column) + 1;
}

TTextMatch TViewSearch::Select(const TTextMatch& match) {
    if (!match.Found()) return match;
    lastMatch_ = match;
    TRichTextDocument& document = view_.Document();
    document.SetSelStart(document.LinePosition(match.Line) + match.Column);
    document.SetSelLength(match.Length);
    return match;
}

namespace {

// The line and column of a view position; the end of the text is the end of
// its last line.
void LineAndColumn(const TRichTextDocument& document, TTextPosition pos, int& line, int& column) {
    const int count = document.Store().Count();
    line = document.LineAtPosition(pos);
    if (line >= count) {
        line = count - 1;
        column = document.Store().Length(line);
        return;
    }
    column = static_cast<int>(pos - document.LinePosition(line));
}

}  // namespace

TTextMatch TViewSearch::FindNext() {
    const TRichTextDocument& document = view_.Document();
    if (!pattern_ || document.Store().Count() == 0) return {};
    // From the end of the selection; an empty match where the last empty
    // match was would be found again and again.
    const bool again = SelectionIsLastMatch();
    const bool allowEmpty = !(again && lastMatch_->Length == 0);
    int line, column;
    LineAndColumn(document, document.SelStart() + document.SelLength(), line, column);
    try {
        return Select(FindForward(*pattern_, document.Store(), line, column, allowEmpty));
    } catch (const ESearchError& e) {
        error_ = e.Message();
        return {};
    }
}

TTextMatch TViewSearch::FindPrevious() {
    const TRichTextDocument& document = view_.Document();
    if (!pattern_ || document.Store().Count() == 0) return {};
    int line, column;
    LineAndColumn(document, document.SelStart(), line, column);
    try {
        return Select(FindBackward(*pattern_, document.Store(), line, column));
    } catch (const ESearchError& e) {
        error_ = e.Message();
        return {};
    }
}

void TViewSearch::MatchesInLine(int line, int from, int to, std::vector<std::pair<int, int>>& ranges) const {
    ranges.clear();
    if (!pattern_ || pattern_->Empty() || !error_.empty()) return;
    const TLineStore& store = view_.Document().Store();
    if (line < 0 || line >= store.Count()) return;
    TLineMatcher matcher(*pattern_);
    std::string buffer;
    const TLineText text = store.LineUtf8(line, buffer);
    std::size_t at = 0, begin, end;
    bool notEmpty = false;
    try {
        while (matcher.Next(text.Bytes, at, notEmpty, begin, end)) {
            const auto column = static_cast<int>(text.Ascii ? begin : UnitsInBytes(text.Bytes, begin));
            if (column >= to) break;
            const auto length = static_cast<int>(text.Ascii ? end - begin : UnitsInBytes(text.Bytes.substr(begin), end - begin));
            if (column + length > from && length > 0) ranges.emplace_back(column, length);
            notEmpty = end == begin;
            at = end;
        }
    } catch (const ESearchError&) {
        // Painting shows what was found; the bar reports the error when searching.
    }
}
