// The document behind the rich-text view, free of any window: its lines,
// positions (one per character and one per line break), the selection,
// character formats kept as runs, and the update bracket. The view control
// paints from it and is told through hooks when to repaint or scroll.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "FormatRuns.h"
#include "Strings.h"

class TRichTextDocument;

// Positions: 64-bit, so that a text of more than 2^31 characters still has
// one position per character.
using TTextPosition = std::int64_t;

// The view's Lines. Loading or clearing discards all formatting; Add, Insert,
// Delete and Put keep the runs of the other lines in place.
class TRichTextLines : public TStrings {
public:
    LV_CLASS_NAME(TRichTextLines)
    explicit TRichTextLines(TRichTextDocument& document) : document_(document) {}

    int Count() const override;
    String Get(int Index) const override;
    void Put(int Index, const String& S) override;
    // Appends S as one line per break it holds, as if S and a break were
    // typed after the last line.
    int Add(const String& S) override;
    int AddFrom(const TStrings& Source, int Index) override;
    void Insert(int Index, const String& S) override;
    void Delete(int Index) override;
    void Clear() override;
    // Raises EFOpenError ("Cannot open file ...") when the file cannot be
    // opened, EReadError ("Failed to Load Stream") when its content cannot
    // be read and std::bad_alloc (shown as "Out of memory") when it does not
    // fit; the view keeps its text then.
    void LoadFromFile(const String& FileName) override;
    // Adds the whole lines appended to the loaded file since it was loaded
    // (TLineStore::ExtendFile); they take the format of the end of the text.
    // The selection and the other lines' formats stay.
    TFileGrowth ExtendFromFile();
    int Length(int Index) const override;
    String Mid(int Index, int Start, int Count) const override;
    const TLineStore* Store() const override;

protected:
    void SetUpdateState(bool Updating) override;

private:
    TRichTextDocument& document_;
};

// SelAttributes: reads give the format of the first selected character;
// writes change every selected character and nothing when the selection
// is empty.
class TTextAttributes {
public:
    explicit TTextAttributes(TRichTextDocument& document) : document_(document) {}
    // clDefault when the character has the view's font colour.
    TColor Color() const;
    // A system colour is resolved to its RGB value at the time of the write.
    void SetColor(TColor Value);
    TFontStyles Style() const;
    // The style becomes exactly Value: members present on, the others off.
    void SetStyle(TFontStyles Value);

private:
    TRichTextDocument& document_;
};

class TRichTextDocument {
public:
    TRichTextDocument();
    TRichTextDocument(const TRichTextDocument&) = delete;
    TRichTextDocument& operator=(const TRichTextDocument&) = delete;

    TRichTextLines& Lines() { return lines_; }
    const TRichTextLines& Lines() const { return lines_; }
    TTextAttributes& SelAttributes() { return attributes_; }
    const TLineStore& Store() const { return store_; }

    // Every line counts its length plus one for its break, the last line
    // included: the end of the text is the start of the empty line after it.
    TTextPosition TextLength() const { return static_cast<TTextPosition>(store_.TotalUnits()) + store_.Count(); }
    TTextPosition LinePosition(int Line) const;
    // The line that holds position Pos (Count() for the end of the text).
    int LineAtPosition(TTextPosition Pos) const;

    // The selection is [SelStart, SelStart + SelLength); the caret is at its
    // end. Writing SelStart empties it at that position (clamped to the text),
    // without scrolling. Writing SelLength keeps the start and moves the end,
    // then asks for the caret to be scrolled into view; an end before the
    // start selects nothing.
    TTextPosition SelStart() const { return selStart_; }
    void SetSelStart(TTextPosition Value) {
        selStart_ = selEnd_ = Value < 0 ? 0 : Value > TextLength() ? TextLength() : Value;
        Changed();
    }
    TTextPosition SelLength() const { return selEnd_ - selStart_; }
    void SetSelLength(TTextPosition Value) {
        // Our choice for an end before the start: nothing is selected.
        const TTextPosition end = selStart_ + (Value > 0 ? Value : 0);
        selEnd_ = end > TextLength() ? TextLength() : end;
        if (Updating())
            scrollPending_ = true;
        else if (OnScrollToCaret)
            OnScrollToCaret();
        Changed();
    }
    TTextPosition CaretPosition() const { return selEnd_; }
    void SelectAll();
    // The selected characters, each selected line break as "\n".
    String SelText() const;
    // The same as (generalised) UTF-8, appended to out: a selection of a
    // whole big file costs its UTF-8 size once, not twice that as UTF-16.
    void AppendSelTextUtf8(std::string& out) const;

    const TCharFormat& Format(TFormatIndex Index) const { return runs_.Format(Index); }
    TFormatIndex FormatAt(TTextPosition Pos) const;
    // Runs covering line Line's characters, as columns of that line; an empty
    // line has none. With From and To (columns within the line): the runs
    // over [From, To) only, clipped to them.
    struct TLineRun {
        int Start;
        int Length;
        TFormatIndex Format;
    };
    void LineRuns(int Line, std::vector<TLineRun>& Runs) const;
    void LineRuns(int Line, int From, int To, std::vector<TLineRun>& Runs) const;
    // Changes the format of [From, To); the view's attribute writes come here.
    void ApplyFormat(TTextPosition From, TTextPosition To, const TFormatChange& Change) {
        const TTextPosition end = TextLength();
        From = From < 0 ? 0 : From > end ? end : From;
        To = To < From ? From : To > end ? end : To;
        if (From == To) return;
        runs_.Apply(static_cast<std::uint64_t>(From), static_cast<std::uint64_t>(To), Change);
        Changed();
    }
    const TFormatRuns& Runs() const { return runs_; }

    bool Updating() const { return lines_.UpdateCount() > 0; }

    // Hooks for the control. OnChange: text, formats or selection changed
    // outside an update bracket (invalidate). OnScrollToCaret: SelLength was
    // written; inside a bracket it runs once when the bracket closes.
    // OnRepaint: the outermost EndUpdate (paint now).
    std::function<void()> OnChange;
    std::function<void()> OnScrollToCaret;
    std::function<void()> OnRepaint;
    // Runs before the lines change (not their formats): whoever reads the
    // line store on another thread stops here.
    std::function<void()> OnTextChanging;
    // Runs OnTextChanging: the lines, or a file index they share with
    // another list, are about to change.
    void TextChanging() {
        if (OnTextChanging) OnTextChanging();
    }

private:
    friend class TRichTextLines;
    void Changed() {
        if (OnChange && !Updating()) OnChange();
    }
    void TextReplaced();
    void UpdateStateChanged(bool updating);
    void ClampSelection();
    void AddLine(std::u16string_view line);

    TLineStore store_;
    TFormatRuns runs_;
    TRichTextLines lines_;
    TTextAttributes attributes_;
    TTextPosition selStart_ = 0;
    TTextPosition selEnd_ = 0;
    bool scrollPending_ = false;
};

inline void TTextAttributes::SetColor(TColor Value) {
    TFormatChange change;
    change.Kind = TFormatChange::SetColor;
    change.Color = IsSystemColor(Value) ? ColorToRGB(Value) : Value;
    document_.ApplyFormat(document_.SelStart(), document_.SelStart() + document_.SelLength(), change);
}

inline void TTextAttributes::SetStyle(TFontStyles Value) {
    TFormatChange change;
    change.Kind = TFormatChange::SetStyle;
    change.Style = Value;
    document_.ApplyFormat(document_.SelStart(), document_.SelStart() + document_.SelLength(), change);
}
