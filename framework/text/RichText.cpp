#include "RichText.h"

#include <algorithm>
#include <exception>
#include <utility>

#include "TextFile.h"

// ---------------------------------------------------------------------------
// TRichTextLines

int TRichTextLines::Count() const { return document_.store_.Count(); }

String TRichTextLines::Get(int Index) const {
    if (Index < 0 || Index >= document_.store_.Count()) IndexError(Index);
    return document_.store_.Get(Index);
}

int TRichTextLines::Length(int Index) const {
    if (Index < 0 || Index >= document_.store_.Count()) IndexError(Index);
    return document_.store_.Length(Index);
}

String TRichTextLines::Mid(int Index, int Start, int Count) const {
    if (Index < 0 || Index >= document_.store_.Count()) IndexError(Index);
    return document_.store_.Mid(Index, Start, Count);
}

const TLineStore* TRichTextLines::Store() const { return &document_.store_; }

void TRichTextLines::Put(int Index, const String& S) {
    CheckIndex(Index);
    document_.TextChanging();
    const TTextPosition at = document_.LinePosition(Index);
    const auto removed = static_cast<std::uint64_t>(document_.store_.Length(Index));
    document_.store_.Put(Index, S);
    document_.runs_.Splice(static_cast<std::uint64_t>(at), removed, static_cast<std::uint64_t>(document_.store_.Length(Index)));
    document_.ClampSelection();
    document_.Changed();
}

int TRichTextLines::Add(const String& S) {
    // Text after the last break: its breaks end lines, and the text after
    // the last of them is one more line.
    document_.TextChanging();
    for (std::u16string_view line : SplitAtLineBreaks(S)) document_.AddLine(line);
    document_.Changed();
    return Count() - 1;
}

int TRichTextLines::AddFrom(const TStrings& Source, int Index) {
    const TLineStore* source = Source.Store();
    if (!source) return TStrings::AddFrom(Source, Index);
    if (Index < 0 || Index >= source->Count()) Source.Get(Index);  // raises the source's index error
    // A line of a file holds no break; a line that was added may.
    document_.TextChanging();
    int fileLine;
    if (source->FileLineOf(Index, fileLine)) {
        document_.store_.AddFrom(*source, Index);
    } else {
        std::string buffer;
        const std::string_view bytes = source->LineUtf8(Index, buffer).Bytes;
        if (bytes.find_first_of("\r\n") != std::string_view::npos) return Add(source->Get(Index));
        document_.store_.AddUtf8(bytes);
    }
    document_.Changed();
    return Count() - 1;
}

void TRichTextLines::Insert(int Index, const String& S) {
    if (Index < 0 || Index > Count()) IndexError(Index);
    if (Index == Count()) {
        Add(S);
        return;
    }
    document_.TextChanging();
    const TTextPosition at = document_.LinePosition(Index);
    // One line per break in S, inserted bottom-up at Index.
    const std::vector<std::u16string_view> pieces = SplitAtLineBreaks(S);
    std::uint64_t inserted = 0;
    for (auto piece = pieces.rbegin(); piece != pieces.rend(); ++piece) {
        document_.store_.Insert(Index, *piece);
        inserted += static_cast<std::uint64_t>(document_.store_.Length(Index)) + 1;
    }
    document_.runs_.Splice(static_cast<std::uint64_t>(at), 0, inserted);
    document_.ClampSelection();
    document_.Changed();
}

void TRichTextLines::Delete(int Index) {
    CheckIndex(Index);
    document_.TextChanging();
    const TTextPosition at = document_.LinePosition(Index);
    const auto removed = static_cast<std::uint64_t>(document_.store_.Length(Index)) + 1;
    document_.store_.Delete(Index);
    if (Count() == 0)
        document_.runs_.Clear();
    else
        document_.runs_.Splice(static_cast<std::uint64_t>(at), removed, 0);
    document_.ClampSelection();
    document_.Changed();
}

void TRichTextLines::Clear() {
    document_.TextChanging();
    document_.store_.Clear();
    document_.TextReplaced();
}

void TRichTextLines::LoadFromFile(const String& FileName) {
    TLineStore loaded;
    try {
        loaded.LoadFromFile(FileName);
    } catch (const ETextReadError&) {
        throw EReadError(u"Failed to Load Stream");
    }
    // Free the old text before the caller goes on, so that the old and the
    // new text are never both held longer than the swap.
    document_.TextChanging();
    document_.store_.Swap(loaded);
    loaded.Clear();
    document_.TextReplaced();
}

TFileGrowth TRichTextLines::ExtendFromFile() {
    document_.TextChanging();  // the index grows under whoever reads it
    const TFileGrowth growth = document_.store_.ExtendFile();
    if (growth == TFileGrowth::Lines) document_.Changed();
    return growth;
}

void TRichTextLines::SetUpdateState(bool Updating) { document_.UpdateStateChanged(Updating); }

// ---------------------------------------------------------------------------
// TTextAttributes

TColor TTextAttributes::Color() const { return document_.Format(document_.FormatAt(document_.SelStart())).Color; }

TFontStyles TTextAttributes::Style() const { return document_.Format(document_.FormatAt(document_.SelStart())).Style; }

// ---------------------------------------------------------------------------
// TRichTextDocument

TRichTextDocument::TRichTextDocument() : lines_(*this), attributes_(*this) {}

TTextPosition TRichTextDocument::LinePosition(int Line) const {
    return static_cast<TTextPosition>(store_.UnitsBefore(Line)) + Line;
}

int TRichTextDocument::LineAtPosition(TTextPosition Pos) const {
    return store_.LineAtPosition(static_cast<std::uint64_t>(std::max<TTextPosition>(Pos, 0)));
}

void TRichTextDocument::SelectAll() {
    selStart_ = 0;
    selEnd_ = TextLength();
    Changed();
}

String TRichTextDocument::SelText() const {
    String text;
    if (selEnd_ <= selStart_) return text;
    int line = LineAtPosition(selStart_);
    TTextPosition lineStart = LinePosition(line);
    for (; line < store_.Count() && lineStart < selEnd_; ++line) {
        const int length = store_.Length(line);
        const TTextPosition from = std::max(selStart_, lineStart) - lineStart;
        const TTextPosition to = std::min<TTextPosition>(selEnd_ - lineStart, length);
        if (to > from) text += store_.Mid(line, static_cast<int>(from), static_cast<int>(to - from));
        const TTextPosition breakPos = lineStart + length;
        if (breakPos >= selStart_ && breakPos < selEnd_) text += u'\n';
        lineStart = breakPos + 1;
    }
    return text;
}

void TRichTextDocument::AppendSelTextUtf8(std::string& out) const {
    if (selEnd_ <= selStart_) return;
    int line = LineAtPosition(selStart_);
    TTextPosition lineStart = LinePosition(line);
    std::string buffer;
    for (; line < store_.Count() && lineStart < selEnd_; ++line) {
        const int length = store_.Length(line);
        const TTextPosition from = std::max(selStart_, lineStart) - lineStart;
        const TTextPosition to = std::min<TTextPosition>(selEnd_ - lineStart, length);
        if (to > from) {
            const TLineText text = store_.LineUtf8(line, buffer);
            if (from == 0 && to == length)
                out += text.Bytes;
            else if (text.Ascii)
                out += text.Bytes.substr(static_cast<std::size_t>(from), static_cast<std::size_t>(to - from));
            else  // a line cut by the selection: at most the first and the last
                out += StringToUtf8(store_.Mid(line, static_cast<int>(from), static_cast<int>(to - from)));
        }
        const TTextPosition breakPos = lineStart + length;
        if (breakPos >= selStart_ && breakPos < selEnd_) out += '\n';
        lineStart = breakPos + 1;
    }
}

TFormatIndex TRichTextDocument::FormatAt(TTextPosition Pos) const {
    return runs_.FormatAt(static_cast<std::uint64_t>(std::max<TTextPosition>(Pos, 0)));
}

void TRichTextDocument::LineRuns(int Line, std::vector<TLineRun>& Runs) const {
    LineRuns(Line, 0, store_.Length(Line), Runs);
}

void TRichTextDocument::LineRuns(int Line, int From, int To, std::vector<TLineRun>& Runs) const {
    Runs.clear();
    if (From < 0) From = 0;
    if (To <= From) return;
    const auto start = static_cast<std::uint64_t>(LinePosition(Line));
    thread_local std::vector<TFormatRun> runs;
    runs_.RunsIn(start + static_cast<std::uint64_t>(From), start + static_cast<std::uint64_t>(To), runs);
    for (const TFormatRun& run : runs)
        Runs.push_back(TLineRun{static_cast<int>(run.Start - start), static_cast<int>(run.Length), run.Format});
}

void TRichTextDocument::TextReplaced() {
    runs_.Clear();
    selStart_ = selEnd_ = 0;
    Changed();
}

void TRichTextDocument::ClampSelection() {
    const TTextPosition end = TextLength();
    selStart_ = std::min(selStart_, end);
    selEnd_ = std::min(selEnd_, end);
}

void TRichTextDocument::AddLine(std::u16string_view line) { store_.Add(line); }

void TRichTextDocument::UpdateStateChanged(bool updating) {
    if (updating) return;
    // The view repaints even when scrolling to the caret fails, so that it
    // never goes on showing what the bracket held back; the failure still
    // reaches the caller.
    std::exception_ptr scrollFailure;
    if (std::exchange(scrollPending_, false) && OnScrollToCaret) {
        try {
            OnScrollToCaret();
        } catch (...) {
            scrollFailure = std::current_exception();
        }
    }
    if (OnRepaint) OnRepaint();
    if (scrollFailure) std::rethrow_exception(scrollFailure);
}
