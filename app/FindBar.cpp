#include "FindBar.h"

const TColor TFindBar::kErrorColor = RGB(255, 128, 128);

namespace {

constexpr int kBarHeight = 27;
constexpr int kGap = 8;
constexpr int kFieldWidth = 240;
constexpr int kControlHeight = 21;
// How often the bar looks for a count that came in.
constexpr unsigned kPollInterval = 100;

}  // namespace

TFindBar::TFindBar(TWinControl* form, TControl* statusBar, TRichEdit* view, TViewSearch& search)
    : TPanel(form), statusBar_(statusBar), view_(view), search_(search) {
    SetVisible(false);
    SetBevelOuter(bvNone);
    SetCaption(String());
    SetAlign(alBottom);
    SetParent(form);
    Field = new TEdit(this);
    Field->SetParent(this);
    Field->OnChange = [this](TObject*) { QueryChanged(); };
    Field->OnKeyDown = [this](TObject*, unsigned short& key, TShiftState shift) { FieldKeyDown(key, shift); };
    auto option = [this](TCheckBox*& box, const char16_t* caption) {
        box = new TCheckBox(this);
        box->SetParent(this);
        box->SetCaption(caption);
        box->OnClick = [this](TObject*) { QueryChanged(); };
    };
    option(MatchCase, u"Match case");
    option(RegularExpression, u"Regular expression");
    option(WholeWord, u"Whole word");
    Status = new TLabel(this);
    Status->SetParent(this);
    Status->SetCaption(String());
    timer_ = new TTimer(this);
    timer_->SetEnabled(false);
    timer_->SetInterval(kPollInterval);
    timer_->SetOnTimer([this](TObject*) { Poll(); });
    LayOut();
}

// The window unhooks the marks from the view before its controls go
// (TForm1::BeforeDestruction): the view may be gone by now.
TFindBar::~TFindBar() = default;

void TFindBar::LayOut() {
    int x = kGap / 2;
    const int top = (kBarHeight - kControlHeight) / 2;
    Field->SetBounds(x, top, kFieldWidth, kControlHeight);
    x += kFieldWidth + kGap;
    for (TCheckBox* box : {MatchCase, RegularExpression, WholeWord}) {
        const int width = box->PreferredWidth();
        box->SetBounds(x, top, width, kControlHeight);
        x += width + kGap;
    }
    Status->SetBounds(x, top + 3, Status->Width(), Status->Height());
}

void TFindBar::Open() {
    const String selected = view_->SelText();
    if (!selected.empty() && selected.find(u'\n') == String::npos) Field->SetText(selected);
    if (!Visible()) {
        // Above the status bar: the lower a bottom-aligned control's bottom,
        // the lower it is placed.
        SetBounds(0, statusBar_->Top() - kBarHeight, Parent()->ClientWidth(), kBarHeight);
        SetVisible(true);
        view_->OnMarkLine = [this](int line, int from, int to, std::vector<std::pair<int, int>>& marks) {
            search_.MatchesInLine(line, from, to, marks);
        };
        timer_->SetEnabled(true);
        QueryChanged();
    }
    Field->SetFocus();
    Field->SelectAll();
}

void TFindBar::Close() {
    timer_->SetEnabled(false);
    view_->OnMarkLine = nullptr;
    SetVisible(false);
    view_->Invalidate();
    view_->SetFocus();
}

void TFindBar::QueryChanged() {
    search_.SetQuery(Field->Text(), {MatchCase->Checked(), RegularExpression->Checked(), WholeWord->Checked()});
    note_.clear();
    ShowStatus();
    view_->Invalidate();
}

void TFindBar::FindNext() { Found(search_.FindNext(), true); }

void TFindBar::FindPrevious() { Found(search_.FindPrevious(), false); }

void TFindBar::Found(const TTextMatch& match, bool forward) {
    if (!match.Found())
        note_ = search_.Error().empty() && !search_.Text().empty() ? u"Not found" : String();
    else if (match.Wrapped)
        note_ = forward ? u"Wrapped to the start" : u"Wrapped to the end";
    else
        note_.clear();
    ShowStatus();
}

void TFindBar::Poll() {
    search_.ResumeCount();
    ShowStatus();
}

void TFindBar::ShowStatus() {
    const String error = search_.Error();
    Field->SetColor(error.empty() ? clWindow : kErrorColor);
    String text;
    if (!error.empty()) {
        text = error;
    } else if (!search_.Text().empty()) {
        const std::optional<std::uint64_t> count = search_.Count();
        if (!count) {
            text = u"counting\u2026";
        } else {
            const std::optional<std::uint64_t> number = search_.CurrentNumber();
            text = S(std::to_string(number.value_or(0)) + " of " + std::to_string(*count));
        }
        if (!note_.empty()) text += u" \u2014 " + note_;
    }
    if (Status->Caption() != text) Status->SetCaption(text);
}

void TFindBar::FieldKeyDown(unsigned short& key, TShiftState shift) {
    if (key == VK_RETURN || key == VK_F3) {
        if (shift.Contains(ssShift)) FindPrevious();
        else FindNext();
        key = 0;
    } else if (key == VK_ESCAPE) {
        Close();
        key = 0;
    }
}
