// Searching the view: the query, finding the next or previous match from the
// selection (selected and scrolled into view as a selection made by hand),
// and counting every match on a worker thread while the user goes on. A
// count belongs to one query and one text: it is dropped, never shown,
// once either changes.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "RichEdit.h"
#include "TextSearch.h"

class TViewSearch {
public:
    // Stops the count before the view's lines change.
    explicit TViewSearch(TRichEdit& View);
    ~TViewSearch();
    TViewSearch(const TViewSearch&) = delete;
    TViewSearch& operator=(const TViewSearch&) = delete;

    // A new query: compiled at once (Error() holds the library's message
    // when it does not compile) and counted anew.
    void SetQuery(const String& Text, TSearchOptions Options);
    const String& Text() const { return text_; }
    TSearchOptions Options() const { return options_; }
    // The query's error, or the library's message when it gave up on a line.
    String Error() const;

    // Selects the next (previous) match from the selection and scrolls it
    // into view; not found when there is none (or the query is not valid).
    TTextMatch FindNext();
    TTextMatch FindPrevious();
    // The match found last, if the text has not changed since.
    TTextMatch LastMatch() const { return lastMatch_.value_or(TTextMatch()); }

    // The count of the current query over the current text, once the
    // worker has it; empty while it counts (and without a valid query).
    std::optional<std::uint64_t> Count() const;
    bool Counting() const;
    void WaitForCount();
    // After the view's lines changed (which drops the count), counts the new
    // text, once it is whole (outside an update bracket).
    void ResumeCount();
    // 1-based number of the selected match among all, when the selection is
    // the match last found and the count is in.
    std::optional<std::uint64_t> CurrentNumber() const;

    // The matches on the given line, as columns: for painting.
    void MatchesInLine(int Line, int From, int To, std::vector<std::pair<int, int>>& Ranges) const;

private:
    void StopCount();
    void StartCount();
    TTextMatch Select(const TTextMatch& match);
    bool SelectionIsLastMatch() const;

    TRichEdit& view_;
    String text_;
    TSearchOptions options_;
    String error_;
    std::shared_ptr<const TSearchPattern> pattern_;
    std::optional<TTextMatch> lastMatch_;
    bool textChanged_ = false;  // since the last count started

    // The worker and what it hands over; the result is taken under the lock.
    std::thread worker_;
    std::atomic<bool> cancel_{false};
    mutable std::mutex mutex_;
    bool counting_ = false;
    std::optional<TMatchCount> count_;
    String countError_;
};
