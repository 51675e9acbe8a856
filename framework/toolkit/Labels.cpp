#include "Labels.h"

#include "Streaming.h"
#include "ToolkitClasses.h"

TLabel::TLabel(TComponent* AOwner) : TGraphicControl(AOwner) {
    SetControlStyle(TControlStyle{csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks});
    SetBounds(0, 0, 65, 17);
    SetParentColor(true);
    TControl::SetAutoSize(true);
}

void TLabel::SetAutoSize(bool Value) {
    TControl::SetAutoSize(Value);
    AdjustSize();
}

void TLabel::SetTransparent(bool v) {
    if (v == transparent_) return;
    transparent_ = v;
    Invalidate();
}

void TLabel::SetAlignment(TAlignment v) {
    if (v == alignment_) return;
    alignment_ = v;
    Invalidate();
}

// The text's extent in the label's font; an empty caption keeps the
// height of a line.
void TLabel::AdjustSize() {
    if (!AutoSize() || IsLoading()) return;
    TCanvas measure;
    measure.Font().Assign(Font());
    const TPoint extent = measure.TextExtent(Caption().empty() ? String(u" ") : Caption());
    SetBounds(Left(), Top(), Caption().empty() ? 0 : extent.X, extent.Y);
}

void TLabel::Loaded() {
    TGraphicControl::Loaded();
    AdjustSize();
}

void TLabel::WndProc(TMessage& Message) {
    TGraphicControl::WndProc(Message);
    if (Message.Msg == CM_TEXTCHANGED || Message.Msg == CM_FONTCHANGED) {
        AdjustSize();
        Invalidate();
    }
}

void TLabel::Paint() {
    TCanvas& c = Canvas();
    TRect r = ClientRect();
    if (!transparent_) {
        c.Brush().SetColor(Color());
        c.FillRect(r);
    }
    c.Brush().SetStyle(bsClear);
    c.Font().Assign(Font());
    if (!Enabled()) c.Font().SetColor(clGrayText);
    static const unsigned kAlign[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
    c.DrawText(Caption(), r, DT_SINGLELINE | DT_NOPREFIX | DT_EXPANDTABS | kAlign[alignment_]);
    c.Brush().SetStyle(bsSolid);
}

void RegisterLabelClasses() {
    RegisterToolkitClasses();
    RegisterClassesOnce([] {
        TClassBuilder<TLabel>(u"TLabel", u"TGraphicControl")
            .Boolean(u"AutoSize", &TLabel::AutoSize, &TLabel::SetAutoSize, true)
            .Boolean(u"Transparent", &TLabel::Transparent, &TLabel::SetTransparent, false)
            .Enumeration<TAlignment>(u"Alignment", kAlignmentType, &TLabel::Alignment, &TLabel::SetAlignment, taLeftJustify)
            .Boolean(u"ParentColor", &TLabel::ParentColor, &TLabel::SetParentColor, true);
    });
}
