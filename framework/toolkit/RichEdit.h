// The rich-text view: a windowed control that shows a TRichTextDocument in
// one font with per-character colour and style, paints only the lines in
// sight, and lets the user move the caret, select, scroll and copy (never
// edit, when read-only).
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "Controls.h"
#include "RichText.h"

enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

// The view's grid of character cells: its font is fixed pitch, so where a
// cell lies is arithmetic. The text layout keeps advances in 1/64 pixel, so
// the width of 64 cells gives a fractional advance exactly, and cells add up
// the way the layout adds glyphs when it draws a run.
struct TCellGrid {
    static constexpr int kMeasuredCells = 64;
    int MeasuredWidth;  // pixels taken by kMeasuredCells cells

    // The left edge of a cell, in pixels from the text's start.
    std::int64_t X(std::int64_t cell) const { return (cell * MeasuredWidth + kMeasuredCells / 2) / kMeasuredCells; }
    // The cell that holds pixel x (x >= 0).
    std::int64_t CellAt(std::int64_t x) const { return x * kMeasuredCells / MeasuredWidth; }
};

// A run of one format in view positions, colour resolved (the font colour for
// default text).
struct TStyledRun {
    TTextPosition Start;
    TTextPosition Length;
    TColor Color;
    TFontStyles Style;
};

class TRichEdit : public TCustomControl {
public:
    LV_CLASS_NAME(TRichEdit)
    explicit TRichEdit(TComponent* AOwner);
    ~TRichEdit() override;

    TStrings* Lines() { return &document_->Lines(); }
    const TStrings* Lines() const { return &document_->Lines(); }
    TRichTextDocument& Document() { return *document_; }

    TTextPosition SelStart() const { return document_->SelStart(); }
    void SetSelStart(TTextPosition v) { document_->SetSelStart(v); }
    TTextPosition SelLength() const { return document_->SelLength(); }
    void SetSelLength(TTextPosition v) { document_->SetSelLength(v); }
    TTextAttributes& SelAttributes() { return document_->SelAttributes(); }
    String SelText() const { return document_->SelText(); }
    void SelectAll();
    // Puts the selected text on the clipboard; nothing happens when nothing
    // is selected.
    void CopyToClipboard();

    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool v) { readOnly_ = v; }
    TScrollStyle ScrollBars() const { return scrollBars_; }
    void SetScrollBars(TScrollStyle v);
    // Lines are never broken; the property is kept for stored layouts.
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool v) { wordWrap_ = v; }
    bool HideSelection() const { return hideSelection_; }
    void SetHideSelection(bool v);

    // The first line in sight and how many whole lines fit.
    int TopLine() const { return topLine_; }
    void SetTopLine(int line);
    int VisibleLineCount() const;
    int LineHeight() const;
    // How far the text is scrolled sideways, in pixels.
    TTextPosition HorizontalOffset() const { return horzOffset_; }
    bool VerticalScrollBarShown() const;
    // Makes the caret visible, scrolling as little as needed.
    void ScrollToCaret();

    // The runs of line Line in view positions: its characters and, for every
    // line but the last, its line break.
    void LineRuns(int Line, std::vector<TStyledRun>& Runs) const;

    // The view position under a client point.
    TTextPosition PositionAt(int X, int Y);

    // Marks painted behind the text of the lines in sight (found matches):
    // asked for each such line with the columns in sight [From, To), it
    // gives (column, length) pairs. Painting only: the text and its
    // formats stay as they are.
    std::function<void(int Line, int From, int To, std::vector<std::pair<int, int>>& Marks)> OnMarkLine;

    // A right-click asks for the context menu at this screen point.
    std::function<void(TObject* Sender, TPoint ScreenPos)> OnContextPopup;

    // A double click selects the word (or run of blanks) at Pos, a triple
    // click the line with its break; a selection made with the mouse is
    // also offered as the primary selection where the platform has one.
    void SelectWordAt(TTextPosition Pos);
    void SelectLineAt(TTextPosition Pos);
    TColor MarkColor() const { return markColor_; }
    void SetMarkColor(TColor v) { markColor_ = v; }

    void WndProc(TMessage& Message) override;

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    bool KeyDown(unsigned short& Key, TShiftState Shift) override;
    void DoEnter() override;
    void DoExit() override;
    void Resize() override;

private:
    struct TScrollBarHost;
    // The font's measures, taken once per font: painting, scrolling and
    // clicks ask for them at every step, and measuring needs a canvas.
    struct TFontMetrics {
        int LineHeight;
        TCellGrid Grid;
    };
    const TFontMetrics& Metrics() const;
    TRect TextRect() const;
    TCellGrid Grid() const { return Metrics().Grid; }
    void UpdateScrollBar();
    void MoveCaret(TTextPosition pos, bool extend);
    // The end of the selection that moves with the keyboard or the mouse
    // (the one away from the anchor); where the caret shows.
    TTextPosition Caret() const;
    int LineCount() const { return document_->Lines().Count(); }
    // Where the caret at view position Caret, on line Line, stands: in pixels
    // from the start of the text (on the line's grid of cells; 0 on the empty
    // line after the text).
    std::int64_t CaretX(int Line, TTextPosition Caret) const;
    void OfferPrimarySelection();

    std::unique_ptr<TRichTextDocument> document_;
    std::unique_ptr<TScrollBarHost> scrollBar_;
    mutable std::optional<TFontMetrics> metrics_;  // dropped when the font changes
    bool readOnly_ = false;
    TScrollStyle scrollBars_ = ssBoth;
    bool wordWrap_ = true;
    bool hideSelection_ = true;
    int topLine_ = 0;
    TTextPosition horzOffset_ = 0;
    bool selecting_ = false;
    TTextPosition anchor_ = 0;  // the fixed end of a mouse or keyboard selection
    bool movingCaret_ = false;
    int wheelDelta_ = 0;        // wheel movement not yet scrolled (part of a line)
    TColor markColor_ = RGB(255, 238, 128);
    // Where and when the last double click was: a press there soon after
    // is the third click.
    struct TClickPlace {
        std::uint32_t Time;
        int X, Y;
    };
    std::optional<TClickPlace> lastDoubleClick_;
    bool selectedByMouse_ = false;
};

void RegisterRichEditClasses();
