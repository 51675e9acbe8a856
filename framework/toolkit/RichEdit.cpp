#include "RichEdit.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QScrollBar>
#include <QStyleHints>
#include <QStyle>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "Clipbrd.h"
#include "ControlWidget.h"
#include "QtBridge.h"
#include "Streaming.h"
#include "TickCount.h"
#include "ToolkitClasses.h"

namespace {

constexpr int kBorder = 2;       // sunken edge around the text
constexpr int kTextInset = 1;    // space between the edge and the text
constexpr int kTabStop = 8;      // cells between tab stops
constexpr int kWheelLines = 3;   // lines a wheel notch scrolls
constexpr int kWheelNotch = 120;  // wheel delta of one notch
constexpr char16_t kNulPlaceholder = 0x2400;  // a visible stand-in for a NUL character

// Walks a line's stored bytes (generalised UTF-8) character by character and
// tells where each falls in the view's grid of cells. The view's font is
// fixed pitch: a character takes one cell, a tab reaches the next tab stop,
// and a surrogate pair (two code units) is one character. Reaching a cell or
// a code unit far along a line costs time along the line, never memory.
class TCellWalk {
public:
    // The line's bytes stay in the walk's own buffer where the store reads
    // them from a file.
    TCellWalk(const TLineStore& store, int line) {
        const TLineText text = store.LineUtf8(line, buffer_);
        at_ = reinterpret_cast<const unsigned char*>(text.Bytes.data());
        end_ = at_ + text.Bytes.size();
        ascii_ = text.Ascii;
    }
    TCellWalk(const TCellWalk&) = delete;
    TCellWalk& operator=(const TCellWalk&) = delete;

    bool AtEnd() const { return at_ == end_; }
    // Code units and cells before the current character.
    TTextPosition Unit() const { return unit_; }
    std::int64_t Cell() const { return cell_; }
    const char* Byte() const { return reinterpret_cast<const char*>(at_); }
    // Code units and cells of the current character.
    int Units() const { return *at_ >= 0xF0 ? 2 : 1; }
    std::int64_t Cells() const { return *at_ == '\t' ? kTabStop - cell_ % kTabStop : 1; }
    bool IsTab() const { return *at_ == '\t'; }
    bool IsNul() const { return *at_ == 0; }

    void Step() {
        const unsigned char lead = *at_;
        cell_ += Cells();
        unit_ += Units();
        const std::ptrdiff_t bytes = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        at_ += std::min(bytes, end_ - at_);
    }
    // Steps over every character that ends at or before cell Target.
    void SkipToCell(std::int64_t target) {
        while (!AtEnd()) {
            SkipPlain(target - cell_);
            if (AtEnd() || cell_ + Cells() > target) return;
            Step();
        }
    }
    // Steps over every character that ends at or before code unit Target.
    void SkipToUnit(TTextPosition target) {
        while (!AtEnd()) {
            SkipPlain(target - unit_);
            if (AtEnd() || unit_ + Units() > target) return;
            Step();
        }
    }

private:
    // On an ASCII line, goes straight over up to `most` characters before
    // the next tab: each is one byte, one code unit and one cell.
    void SkipPlain(std::int64_t most) {
        if (!ascii_ || most <= 0) return;
        const std::ptrdiff_t span = std::min<std::int64_t>(most, end_ - at_);
        const void* tab = std::memchr(at_, '\t', static_cast<std::size_t>(span));
        const std::ptrdiff_t plain = tab ? static_cast<const unsigned char*>(tab) - at_ : span;
        at_ += plain;
        unit_ += plain;
        cell_ += plain;
    }

    std::string buffer_;
    const unsigned char* at_;
    const unsigned char* end_;
    bool ascii_;
    TTextPosition unit_ = 0;
    std::int64_t cell_ = 0;
};

// The part of a line that lies in cells [first, last) of the grid: its
// characters as drawn (tabs as blanks, NUL as a visible symbol), and for each
// of its code units the cell where it is drawn and where it starts in Text.
struct TVisiblePiece {
    TTextPosition FirstUnit = 0;     // the line's code unit that the piece starts with
    String Text;
    std::vector<std::int64_t> Cells;  // per code unit, and one more for the piece's end
    std::vector<int> Shown;           // per code unit, and one more for the piece's end
    bool ReachesLineEnd = false;      // the line's break lies in sight, at the end cell

    int Units() const { return static_cast<int>(Cells.size()) - 1; }
    std::int64_t EndCell() const { return Cells.back(); }
};

TVisiblePiece VisiblePiece(const TLineStore& store, int line, std::int64_t first, std::int64_t last) {
    TVisiblePiece piece;
    TCellWalk walk(store, line);
    walk.SkipToCell(first);
    piece.FirstUnit = walk.Unit();
    const char* from = walk.Byte();
    struct TCharacter {
        std::int64_t cell;
        std::int64_t cells;
        int units;
        char16_t shownAs;  // what stands for it, or 0 for its own code units
    };
    std::vector<TCharacter> characters;
    for (; !walk.AtEnd() && walk.Cell() < last; walk.Step())
        characters.push_back({walk.Cell(), walk.Cells(), walk.Units(),
                              walk.IsTab() ? u' ' : walk.IsNul() ? kNulPlaceholder : char16_t{0}});
    const String units = Utf8ToString(std::string_view(from, static_cast<std::size_t>(walk.Byte() - from)));
    std::size_t unit = 0;
    for (const TCharacter& c : characters) {
        for (int k = 0; k < c.units; ++k) {
            piece.Cells.push_back(c.cell);
            piece.Shown.push_back(static_cast<int>(piece.Text.size()) + (c.shownAs ? 0 : k));
        }
        if (c.shownAs) piece.Text.append(static_cast<std::size_t>(c.cells), c.shownAs);
        else piece.Text.append(units, std::min(unit, units.size()), static_cast<std::size_t>(c.units));
        unit += static_cast<std::size_t>(c.units);
    }
    piece.Cells.push_back(walk.Cell());
    piece.Shown.push_back(static_cast<int>(piece.Text.size()));
    piece.ReachesLineEnd = walk.AtEnd();
    return piece;
}

}  // namespace

struct TRichEdit::TScrollBarHost {
    QScrollBar* bar = nullptr;
};

TRichEdit::TRichEdit(TComponent* AOwner)
    : TCustomControl(AOwner), document_(std::make_unique<TRichTextDocument>()), scrollBar_(std::make_unique<TScrollBarHost>()) {
    SetControlStyle(TControlStyle{csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks, csOpaque});
    SetBounds(0, 0, 185, 89);
    SetColor(clWindow);
    SetTabStop(true);
    SetCursor(crIBeam);
    Widget()->setFocusPolicy(Qt::StrongFocus);
    Widget()->setAttribute(Qt::WA_InputMethodEnabled, true);
    scrollBar_->bar = new QScrollBar(Qt::Vertical, Widget());
    scrollBar_->bar->hide();
    scrollBar_->bar->setCursor(Qt::ArrowCursor);
    QObject::connect(scrollBar_->bar, &QScrollBar::valueChanged, Widget(), [this](int value) {
        if (value != topLine_) {
            topLine_ = value;
            Invalidate();
        }
    });
    document_->OnChange = [this] {
        anchor_ = document_->SelStart();
        UpdateScrollBar();
        Invalidate();
    };
    document_->OnScrollToCaret = [this] {
        if (movingCaret_) return;  // MoveCaret scrolls once the anchor is known
        anchor_ = document_->SelStart();
        ScrollToCaret();
    };
    document_->OnRepaint = [this] {
        anchor_ = document_->SelStart();
        UpdateScrollBar();
        Repaint();
    };
}

TRichEdit::~TRichEdit() {
    document_->OnChange = nullptr;
    document_->OnScrollToCaret = nullptr;
    document_->OnRepaint = nullptr;
}

void TRichEdit::SetScrollBars(TScrollStyle v) {
    if (v == scrollBars_) return;
    scrollBars_ = v;
    UpdateScrollBar();
    Invalidate();
}

void TRichEdit::SetHideSelection(bool v) {
    if (v == hideSelection_) return;
    hideSelection_ = v;
    Invalidate();
}

void TRichEdit::SelectAll() {
    document_->SelectAll();
    anchor_ = document_->SelStart();
    Invalidate();
}

void TRichEdit::CopyToClipboard() {
    if (document_->SelLength() <= 0) return;
    std::string text;
    text.reserve(static_cast<std::size_t>(document_->SelLength()));
    document_->AppendSelTextUtf8(text);
    Clipboard().SetAsUtf8(std::move(text));
}

const TRichEdit::TFontMetrics& TRichEdit::Metrics() const {
    if (!metrics_) {
        TCanvas scratch;
        scratch.Font().Assign(Font());
        metrics_ = TFontMetrics{std::max(1, scratch.TextHeight(u"Xg")),
                                TCellGrid{std::max(1, scratch.TextWidth(String(TCellGrid::kMeasuredCells, u'0')))}};
    }
    return *metrics_;
}

int TRichEdit::LineHeight() const { return Metrics().LineHeight; }

TRect TRichEdit::TextRect() const {
    TRect r = InflateRect(ClientRect(), -kBorder - kTextInset, -kBorder - kTextInset);
    if (scrollBar_->bar && scrollBar_->bar->isVisibleTo(Widget())) r.Right = Width() - kBorder - scrollBar_->bar->width();
    return r;
}

int TRichEdit::VisibleLineCount() const {
    const TRect r = TextRect();
    return std::max(1, r.Height() / LineHeight());
}

void TRichEdit::SetTopLine(int line) {
    const int maxTop = std::max(0, LineCount() - VisibleLineCount());
    line = std::clamp(line, 0, maxTop);
    if (line == topLine_) return;
    topLine_ = line;
    if (scrollBar_->bar) {
        const QSignalBlocker block(scrollBar_->bar);
        scrollBar_->bar->setValue(line);
    }
    Invalidate();
}

void TRichEdit::UpdateScrollBar() {
    QScrollBar* bar = scrollBar_->bar;
    if (!bar) return;
    const bool wanted = scrollBars_ == ssVertical || scrollBars_ == ssBoth;
    const int visible = std::max(1, (Height() - 2 * (kBorder + kTextInset)) / LineHeight());
    const bool needed = wanted && LineCount() > visible;
    const int barWidth = Widget()->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    bar->setGeometry(Width() - kBorder - barWidth, kBorder, barWidth, std::max(0, Height() - 2 * kBorder));
    bar->setVisible(needed);
    const QSignalBlocker block(bar);
    bar->setRange(0, std::max(0, LineCount() - visible));
    bar->setPageStep(visible);
    bar->setSingleStep(1);
    topLine_ = std::clamp(topLine_, 0, bar->maximum());
    bar->setValue(topLine_);
}

bool TRichEdit::VerticalScrollBarShown() const { return scrollBar_->bar && !scrollBar_->bar->isHidden(); }

void TRichEdit::Resize() {
    UpdateScrollBar();
    TCustomControl::Resize();
}

std::int64_t TRichEdit::CaretX(int line, TTextPosition caret) const {
    if (line >= LineCount()) return 0;
    TCellWalk walk(document_->Store(), line);
    walk.SkipToUnit(caret - document_->LinePosition(line));
    return Grid().X(walk.Cell());
}

TTextPosition TRichEdit::Caret() const {
    const TTextPosition selFrom = document_->SelStart();
    return anchor_ == selFrom ? selFrom + std::max<TTextPosition>(0, document_->SelLength()) : selFrom;
}

void TRichEdit::ScrollToCaret() {
    UpdateScrollBar();
    const TTextPosition caret = Caret();
    const int line = document_->LineAtPosition(caret);
    const int visible = VisibleLineCount();
    if (line < topLine_) SetTopLine(line);
    else if (line >= topLine_ + visible) SetTopLine(line - visible + 1);
    if (line < LineCount()) {
        const std::int64_t x = CaretX(line, caret);
        const int width = TextRect().Width();
        if (x < horzOffset_) horzOffset_ = std::max<std::int64_t>(0, x - width / 3);
        else if (x >= horzOffset_ + width) horzOffset_ = x - width + width / 3;
    } else {
        horzOffset_ = 0;
    }
    Invalidate();
}

TTextPosition TRichEdit::PositionAt(int X, int Y) {
    const TRect r = TextRect();
    const int line = std::clamp(topLine_ + (Y - r.Top) / LineHeight(), 0, std::max(0, LineCount() - 1));
    if (LineCount() == 0) return 0;
    const std::int64_t x = X - r.Left + horzOffset_;
    const TCellGrid grid = Grid();
    // The first character whose middle lies right of x, or the end of the
    // line. Those that end a whole cell left of x are passed at once.
    TCellWalk walk(document_->Store(), line);
    walk.SkipToCell(std::max<std::int64_t>(0, grid.CellAt(x) - 1));
    while (!walk.AtEnd() && x >= (grid.X(walk.Cell()) + grid.X(walk.Cell() + walk.Cells())) / 2) walk.Step();
    return document_->LinePosition(line) + walk.Unit();
}

void TRichEdit::MoveCaret(TTextPosition pos, bool extend) {
    pos = std::clamp<TTextPosition>(pos, 0, document_->TextLength());
    const TTextPosition anchor = extend ? anchor_ : pos;
    const TTextPosition from = std::min(anchor, pos), to = std::max(anchor, pos);
    movingCaret_ = true;
    document_->SetSelStart(from);
    document_->SetSelLength(to - from);
    movingCaret_ = false;
    anchor_ = anchor;
    ScrollToCaret();
}

void TRichEdit::Paint() {
    TCanvas& c = Canvas();
    const TRect client = ClientRect();
    // Sunken edge.
    c.Pen().SetColor(clBtnShadow);
    c.MoveTo(0, client.Bottom - 1);
    c.LineTo(0, 0);
    c.LineTo(client.Right, 0);
    c.Pen().SetColor(cl3DDkShadow);
    c.MoveTo(1, client.Bottom - 2);
    c.LineTo(1, 1);
    c.LineTo(client.Right - 1, 1);
    c.Pen().SetColor(clBtnHighlight);
    c.MoveTo(client.Right - 1, 0);
    c.LineTo(client.Right - 1, client.Bottom - 1);
    c.LineTo(-1, client.Bottom - 1);
    c.Pen().SetColor(cl3DLight);
    c.MoveTo(client.Right - 2, 1);
    c.LineTo(client.Right - 2, client.Bottom - 2);
    c.LineTo(0, client.Bottom - 2);

    TRect inner = InflateRect(client, -kBorder, -kBorder);
    c.Brush().SetColor(Color());
    c.Brush().SetStyle(bsSolid);
    c.FillRect(inner);

    const TRect text = TextRect();
    const int saved = c.SaveState();
    c.IntersectClipRect(text);
    const int lineHeight = LineHeight();
    const TCellGrid grid = Grid();
    auto cellX = [&](std::int64_t cell) { return static_cast<int>(text.Left + grid.X(cell) - horzOffset_); };
    // Only the cells in sight are laid out, however long a line is.
    const std::int64_t firstCell = grid.CellAt(horzOffset_);
    const std::int64_t lastCell = grid.CellAt(horzOffset_ + text.Width()) + 1;
    const bool showSelection = !hideSelection_ || Focused();
    const TTextPosition selFrom = document_->SelStart();
    const TTextPosition selTo = selFrom + std::max<TTextPosition>(0, document_->SelLength());
    const int last = std::min(LineCount(), topLine_ + VisibleLineCount() + 1);
    std::vector<TRichTextDocument::TLineRun> runs;
    std::vector<std::pair<int, int>> marks;
    for (int line = topLine_; line < last; ++line) {
        const int y = text.Top + (line - topLine_) * lineHeight;
        const TVisiblePiece piece = VisiblePiece(document_->Store(), line, firstCell, lastCell);
        const TTextPosition pieceStart = document_->LinePosition(line) + piece.FirstUnit;
        const int pieceFrom = static_cast<int>(piece.FirstUnit);
        const int pieceTo = pieceFrom + piece.Units();
        if (OnMarkLine) {
            // Marks lie under the text, which is drawn without a background.
            OnMarkLine(line, pieceFrom, pieceTo, marks);
            c.Brush().SetColor(markColor_);
            for (const auto& [column, length] : marks) {
                const int from = std::max(column, pieceFrom) - pieceFrom;
                const int to = std::min(column + length, pieceTo) - pieceFrom;
                if (from < to)
                    c.FillRect(Rect(cellX(piece.Cells[static_cast<std::size_t>(from)]), y,
                                    cellX(piece.Cells[static_cast<std::size_t>(to)]), y + lineHeight));
            }
        }
        document_->LineRuns(line, pieceFrom, pieceTo, runs);
        for (const auto& run : runs) {
            const TCharFormat& format = document_->Format(run.Format);
            // Split the run where the selection starts and ends; indices
            // count code units of the piece.
            int start = run.Start - static_cast<int>(piece.FirstUnit);
            const int end = start + run.Length;
            while (start < end) {
                const TTextPosition pos = pieceStart + start;
                const bool selected = showSelection && pos >= selFrom && pos < selTo;
                TTextPosition limit = pieceStart + end;
                if (selected) limit = std::min(limit, selTo);
                else if (showSelection && pos < selFrom) limit = std::min(limit, selFrom);
                const int pieceEnd = static_cast<int>(limit - pieceStart);
                const auto from = static_cast<std::size_t>(start), to = static_cast<std::size_t>(pieceEnd);
                const int x0 = cellX(piece.Cells[from]), x1 = cellX(piece.Cells[to]);
                c.Font().Assign(Font());
                c.Font().SetStyle(format.Style);
                if (selected) {
                    c.Brush().SetColor(clHighlight);
                    c.FillRect(Rect(x0, y, x1, y + lineHeight));
                    c.Font().SetColor(clHighlightText);
                } else {
                    c.Font().SetColor(format.Color == clDefault ? Font().Color() : format.Color);
                }
                c.Brush().SetStyle(bsClear);
                c.TextOut(x0, y, piece.Text.substr(static_cast<std::size_t>(piece.Shown[from]),
                                                   static_cast<std::size_t>(piece.Shown[to] - piece.Shown[from])));
                c.Brush().SetStyle(bsSolid);
                start = pieceEnd;
            }
        }
        // A selected line break shows as a small highlighted cell.
        const TTextPosition breakPos = pieceStart + piece.Units();
        if (piece.ReachesLineEnd && showSelection && breakPos >= selFrom && breakPos < selTo && line + 1 < LineCount()) {
            const int x0 = cellX(piece.EndCell());
            c.Brush().SetColor(clHighlight);
            c.FillRect(Rect(x0, y, cellX(piece.EndCell() + 1), y + lineHeight));
        }
    }
    // The caret, while the view has the focus.
    if (Focused()) {
        const TTextPosition caret = Caret();
        const int line = document_->LineAtPosition(caret);
        if (line >= topLine_ && line < topLine_ + VisibleLineCount() + 1) {
            const int x = static_cast<int>(text.Left + CaretX(line, caret) - horzOffset_);
            const int y = text.Top + (line - topLine_) * lineHeight;
            c.Pen().SetColor(Font().Color());
            c.MoveTo(x, y);
            c.LineTo(x, y + lineHeight);
        }
    }
    c.RestoreState(saved);
}

void TRichEdit::LineRuns(int Line, std::vector<TStyledRun>& Runs) const {
    Runs.clear();
    std::vector<TRichTextDocument::TLineRun> lineRuns;
    document_->LineRuns(Line, lineRuns);
    const TTextPosition start = document_->LinePosition(Line);
    auto add = [&](TTextPosition from, TTextPosition length, TFormatIndex index) {
        const TCharFormat& f = document_->Format(index);
        const TColor color = ColorToRGB(f.Color == clDefault ? Font().Color() : f.Color);
        if (!Runs.empty() && Runs.back().Color == color && Runs.back().Style == f.Style &&
            Runs.back().Start + Runs.back().Length == from) {
            Runs.back().Length += length;
            return;
        }
        Runs.push_back({from, length, color, f.Style});
    };
    for (const auto& r : lineRuns) add(start + r.Start, r.Length, r.Format);
    if (Line + 1 < document_->Lines().Count()) {
        const TTextPosition breakPos = start + document_->Lines().Length(Line);
        add(breakPos, 1, document_->FormatAt(breakPos));
    }
}

namespace {

// Letters, digits and the underscore make words; a run of blanks is one
// piece too; any other character stands alone.
enum class TCharClass { Word, Blank, Other };

TCharClass ClassOf(char16_t c) {
    if (c == u' ' || c == u'\t') return TCharClass::Blank;
    if (c == u'_' || QChar(c).isLetterOrNumber() || QChar::isSurrogate(c)) return TCharClass::Word;
    return TCharClass::Other;
}

// The largest selection a mouse selection also offers as the primary
// selection: beyond it, copying the text out would stall the click.
constexpr TTextPosition kPrimarySelectionLimit = 16 * 1024 * 1024;

}  // namespace

void TRichEdit::SelectWordAt(TTextPosition pos) {
    const int line = document_->LineAtPosition(pos);
    if (line >= LineCount()) return;
    const TTextPosition lineStart = document_->LinePosition(line);
    const String text = Lines()->Get(line);
    const auto column = static_cast<std::size_t>(pos - lineStart);
    if (column >= text.size()) {
        MoveCaret(pos, false);
        return;
    }
    const TCharClass kind = ClassOf(text[column]);
    std::size_t from = column, to = column + 1;
    if (kind != TCharClass::Other) {
        while (from > 0 && ClassOf(text[from - 1]) == kind) --from;
        while (to < text.size() && ClassOf(text[to]) == kind) ++to;
    }
    anchor_ = lineStart + static_cast<TTextPosition>(from);
    MoveCaret(lineStart + static_cast<TTextPosition>(to), true);
}

void TRichEdit::SelectLineAt(TTextPosition pos) {
    const int line = document_->LineAtPosition(pos);
    if (line >= LineCount()) return;
    // The line with its break, as a line is copied.
    anchor_ = document_->LinePosition(line);
    MoveCaret(line + 1 < LineCount() ? document_->LinePosition(line + 1) : anchor_ + Lines()->Length(line), true);
}

void TRichEdit::OfferPrimarySelection() {
    const TTextPosition length = document_->SelLength();
    if (length <= 0 || length > kPrimarySelectionLimit) return;
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard->supportsSelection()) clipboard->setText(ToQString(document_->SelText()), QClipboard::Selection);
}

void TRichEdit::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbLeft) {
        if (CanFocus()) SetFocus();
        const TTextPosition pos = PositionAt(X, Y);
        const std::uint32_t now = GetTickCount();
        const int slop = QGuiApplication::styleHints()->startDragDistance();
        const bool nearLastDouble = lastDoubleClick_ && now - lastDoubleClick_->Time <=
                                        static_cast<std::uint32_t>(QGuiApplication::styleHints()->mouseDoubleClickInterval()) &&
                                    std::abs(X - lastDoubleClick_->X) <= slop && std::abs(Y - lastDoubleClick_->Y) <= slop;
        if (Shift.Contains(ssDouble)) {
            lastDoubleClick_ = TClickPlace{now, X, Y};
            SelectWordAt(pos);
        } else if (nearLastDouble && !Shift.Contains(ssShift)) {
            lastDoubleClick_.reset();
            SelectLineAt(pos);
        } else {
            lastDoubleClick_.reset();
            selecting_ = true;
            MoveCaret(pos, Shift.Contains(ssShift));
        }
        selectedByMouse_ = true;
    }
    TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TRichEdit::MouseMove(TShiftState Shift, int X, int Y) {
    if (selecting_) MoveCaret(PositionAt(X, Y), true);
    TCustomControl::MouseMove(Shift, X, Y);
}

void TRichEdit::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbLeft) {
        selecting_ = false;
        if (std::exchange(selectedByMouse_, false)) OfferPrimarySelection();
    }
    TCustomControl::MouseUp(Button, Shift, X, Y);
    if (Button == mbRight && OnContextPopup) OnContextPopup(this, ClientToScreen({X, Y}));
}

bool TRichEdit::KeyDown(unsigned short& Key, TShiftState Shift) {
    if (TCustomControl::KeyDown(Key, Shift)) return true;
    const bool extend = Shift.Contains(ssShift);
    const bool ctrl = Shift.Contains(ssCtrl);
    const TTextPosition caret = Caret();
    const int line = document_->LineAtPosition(caret);
    const TTextPosition lineStart = line < LineCount() ? document_->LinePosition(line) : document_->TextLength();
    const TTextPosition column = caret - lineStart;
    auto lineTarget = [&](int target) {
        target = std::clamp(target, 0, std::max(0, LineCount() - 1));
        if (LineCount() == 0) return TTextPosition{0};
        return document_->LinePosition(target) + std::min<TTextPosition>(column, Lines()->Length(target));
    };
    if (ctrl && (Key == 'A' || Key == 'a')) {
        SelectAll();
        return true;
    }
    if (ctrl && (Key == 'C' || Key == 'c' || Key == VK_INSERT)) {
        CopyToClipboard();
        return true;
    }
    switch (Key) {
        case VK_LEFT: MoveCaret(caret - 1, extend); break;
        case VK_RIGHT: MoveCaret(caret + 1, extend); break;
        case VK_UP: MoveCaret(lineTarget(line - 1), extend); break;
        case VK_DOWN: MoveCaret(lineTarget(line + 1), extend); break;
        case VK_PRIOR:
        case VK_NEXT: {
            // The view moves by the page the caret moves, so the caret keeps
            // its row (where the text's ends allow).
            const int page = Key == VK_NEXT ? VisibleLineCount() : -VisibleLineCount();
            const int top = topLine_ + page;
            MoveCaret(lineTarget(line + page), extend);
            SetTopLine(top);
            ScrollToCaret();
            break;
        }
        case VK_HOME: MoveCaret(ctrl ? 0 : lineStart, extend); break;
        case VK_END:
            MoveCaret(ctrl ? document_->TextLength() : lineStart + (line < LineCount() ? Lines()->Length(line) : 0), extend);
            break;
        default:
            return false;
    }
    return true;
}

void TRichEdit::DoEnter() { Invalidate(); }
void TRichEdit::DoExit() { Invalidate(); }

void TRichEdit::WndProc(TMessage& m) {
    if (m.Msg == WM_MOUSEWHEEL) {
        // Fine-grained wheels and touchpads send parts of a notch: they add
        // up until they make a line.
        constexpr int deltaPerLine = kWheelNotch / kWheelLines;
        wheelDelta_ += static_cast<int>(m.WParam);
        const int lines = wheelDelta_ / deltaPerLine;
        wheelDelta_ -= lines * deltaPerLine;
        if (lines != 0) SetTopLine(topLine_ - lines);
        m.Result = 1;
        return;
    }
    if (m.Msg == CM_FONTCHANGED) {
        metrics_.reset();
        UpdateScrollBar();
    }
    TCustomControl::WndProc(m);
}

namespace {

const TEnumType kScrollStyleType{u"TScrollStyle", {u"ssNone", u"ssHorizontal", u"ssVertical", u"ssBoth"}};

void RegisterRichEdit() {
    TClassBuilder<TRichEdit>(u"TRichEdit", u"TCustomControl")
        .Boolean(u"HideSelection", &TRichEdit::HideSelection, &TRichEdit::SetHideSelection, true)
        .Boolean(u"ReadOnly", &TRichEdit::ReadOnly, &TRichEdit::SetReadOnly, false)
        .Enumeration<TScrollStyle>(u"ScrollBars", kScrollStyleType, &TRichEdit::ScrollBars, &TRichEdit::SetScrollBars, ssBoth)
        .Boolean(u"WordWrap", &TRichEdit::WordWrap, &TRichEdit::SetWordWrap, true);
}

}  // namespace

void RegisterRichEditClasses() {
    RegisterToolkitClasses();
    RegisterClassesOnce(RegisterRichEdit);
}
