#include "RichEdit.h"

#include <QScrollBar>
#include <QStyle>

#include <algorithm>

#include "ControlWidget.h"
#include "QtBridge.h"
#include "Streaming.h"
#include "SysUtils.h"

namespace {

constexpr int kBorder = 2;       // sunken edge around the text
constexpr int kTextInset = 1;    // space between the edge and the text
constexpr int kTabStop = 8;      // columns between tab stops
constexpr int kWheelLines = 3;   // lines a wheel notch scrolls
constexpr int kWheelNotch = 120;  // wheel delta of one notch
constexpr char16_t kNulPlaceholder = 0x2400;  // a visible stand-in for a NUL character

// The line as it is shown: tabs expanded to the next stop and NUL characters
// drawn as a visible symbol. columns[i] is where character i starts.
String DisplayText(const String& line, std::vector<int>* columns) {
    String out;
    out.reserve(line.size());
    if (columns) columns->clear();
    for (char16_t c : line) {
        if (columns) columns->push_back(static_cast<int>(out.size()));
        if (c == u'\t') {
            const size_t next = (out.size() / kTabStop + 1) * kTabStop;
            out.append(next - out.size(), u' ');
        } else if (c == 0) {
            out.push_back(kNulPlaceholder);
        } else {
            out.push_back(c);
        }
    }
    if (columns) columns->push_back(static_cast<int>(out.size()));
    return out;
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
    Clipboard().SetAsText(document_->SelText());
}

int TRichEdit::LineHeight() const {
    TCanvas scratch;
    scratch.Font().Assign(Font());
    return std::max(1, scratch.TextHeight(u"Xg"));
}

int TRichEdit::CharWidth() const {
    TCanvas scratch;
    scratch.Font().Assign(Font());
    return std::max(1, scratch.TextWidth(u"0"));
}

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

int TRichEdit::ColumnX(const String& display, int column) {
    if (column <= 0) return 0;
    // Measured as one string, as the line would be drawn in one piece, so
    // that runs drawn one after another meet where the glyphs of a whole
    // line would.
    TCanvas scratch;
    scratch.Font().Assign(Font());
    return scratch.TextWidth(display.substr(0, static_cast<size_t>(column)));
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
        std::vector<int> columns;
        const String display = DisplayText(Lines()->Get(line), &columns);
        const auto col = static_cast<size_t>(std::clamp<TTextPosition>(caret - document_->LinePosition(line), 0,
                                                                      static_cast<TTextPosition>(columns.size() - 1)));
        const int x = ColumnX(display, columns[col]);
        const int width = TextRect().Width();
        if (x < horzOffset_) horzOffset_ = std::max(0, x - width / 3);
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
    std::vector<int> columns;
    const String display = DisplayText(Lines()->Get(line), &columns);
    const int x = X - r.Left + horzOffset_;
    // The first character whose middle lies right of x, or the end of the
    // line. Middles grow along the line, so a binary search finds it with a
    // few measurements, however long the line.
    size_t first = 0, last = columns.size() - 1;
    while (first < last) {
        const size_t i = first + (last - first) / 2;
        const int left = ColumnX(display, columns[i]);
        const int right = ColumnX(display, columns[i + 1]);
        if (x < (left + right) / 2) last = i;
        else first = i + 1;
    }
    return document_->LinePosition(line) + static_cast<TTextPosition>(first);
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
    const bool showSelection = !hideSelection_ || Focused();
    const TTextPosition selFrom = document_->SelStart();
    const TTextPosition selTo = selFrom + std::max<TTextPosition>(0, document_->SelLength());
    const int last = std::min(LineCount(), topLine_ + VisibleLineCount() + 1);
    std::vector<TRichTextDocument::TLineRun> runs;
    std::vector<int> columns;
    for (int line = topLine_; line < last; ++line) {
        const int y = text.Top + (line - topLine_) * lineHeight;
        const String raw = Lines()->Get(line);
        const String display = DisplayText(raw, &columns);
        const TTextPosition lineStart = document_->LinePosition(line);
        document_->LineRuns(line, runs);
        for (const auto& run : runs) {
            const TCharFormat& format = document_->Format(run.Format);
            // Split the run where the selection starts and ends.
            int start = run.Start;
            const int end = run.Start + run.Length;
            while (start < end) {
                const TTextPosition pos = lineStart + start;
                const bool selected = showSelection && pos >= selFrom && pos < selTo;
                TTextPosition limit = lineStart + end;
                if (selected) limit = std::min(limit, selTo);
                else if (showSelection && pos < selFrom) limit = std::min(limit, selFrom);
                const int pieceEnd = static_cast<int>(limit - lineStart);
                const int x0 = text.Left - horzOffset_ + ColumnX(display, columns[static_cast<size_t>(start)]);
                const int x1 = text.Left - horzOffset_ + ColumnX(display, columns[static_cast<size_t>(pieceEnd)]);
                if (x1 >= text.Left && x0 < text.Right) {
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
                    c.TextOut(x0, y, display.substr(static_cast<size_t>(columns[static_cast<size_t>(start)]),
                                                    static_cast<size_t>(columns[static_cast<size_t>(pieceEnd)] -
                                                                        columns[static_cast<size_t>(start)])));
                    c.Brush().SetStyle(bsSolid);
                }
                start = pieceEnd;
            }
        }
        // A selected line break shows as a small highlighted cell.
        const TTextPosition breakPos = lineStart + static_cast<TTextPosition>(raw.size());
        if (showSelection && breakPos >= selFrom && breakPos < selTo && line + 1 < LineCount()) {
            const int x0 = text.Left - horzOffset_ + ColumnX(display, columns.back());
            c.Brush().SetColor(clHighlight);
            c.FillRect(Rect(x0, y, x0 + CharWidth(), y + lineHeight));
        }
    }
    // The caret, while the view has the focus.
    if (Focused()) {
        const TTextPosition caret = Caret();
        const int line = document_->LineAtPosition(caret);
        if (line >= topLine_ && line < topLine_ + VisibleLineCount() + 1) {
            int x = text.Left - horzOffset_;
            if (line < LineCount()) {
                const String display = DisplayText(Lines()->Get(line), &columns);
                const auto col = static_cast<size_t>(std::clamp<TTextPosition>(
                    caret - document_->LinePosition(line), 0, static_cast<TTextPosition>(columns.size() - 1)));
                x += ColumnX(display, columns[col]);
            }
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

void TRichEdit::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbLeft) {
        if (CanFocus()) SetFocus();
        selecting_ = true;
        MoveCaret(PositionAt(X, Y), Shift.Contains(ssShift));
    }
    TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TRichEdit::MouseMove(TShiftState Shift, int X, int Y) {
    if (selecting_) MoveCaret(PositionAt(X, Y), true);
    TCustomControl::MouseMove(Shift, X, Y);
}

void TRichEdit::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbLeft) selecting_ = false;
    TCustomControl::MouseUp(Button, Shift, X, Y);
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
    if (m.Msg == CM_FONTCHANGED) UpdateScrollBar();
    TCustomControl::WndProc(m);
}

namespace {

const TEnumType kScrollStyleType{u"TScrollStyle", {u"ssNone", u"ssHorizontal", u"ssVertical", u"ssBoth"}};

}  // namespace

void RegisterRichEditClasses() {
    RegisterToolkitClasses();
    static bool done = false;
    if (done) return;
    done = true;
    TClassBuilder<TRichEdit>(u"TRichEdit", u"TCustomControl")
        .Boolean(u"HideSelection", &TRichEdit::HideSelection, &TRichEdit::SetHideSelection, true)
        .Boolean(u"ReadOnly", &TRichEdit::ReadOnly, &TRichEdit::SetReadOnly, false)
        .Enumeration<TScrollStyle>(u"ScrollBars", kScrollStyleType, &TRichEdit::ScrollBars, &TRichEdit::SetScrollBars, ssBoth)
        .Boolean(u"WordWrap", &TRichEdit::WordWrap, &TRichEdit::SetWordWrap, true);
}
