// Published properties of the toolkit's own classes.
#include "Forms.h"
#include "StdCtrls.h"
#include "ToolkitClasses.h"

const TEnumType kAlignType{u"TAlign", {u"alNone", u"alTop", u"alBottom", u"alLeft", u"alRight", u"alClient", u"alCustom"}};
const TEnumType kAlignmentType{u"TAlignment", {u"taLeftJustify", u"taRightJustify", u"taCenter"}};
const TEnumType kButtonLayoutType{u"TButtonLayout", {u"blGlyphLeft", u"blGlyphRight", u"blGlyphTop", u"blGlyphBottom"}};
const TEnumType kBiDiModeType{u"TBiDiMode", {u"bdLeftToRight", u"bdRightToLeft", u"bdRightToLeftNoAlign", u"bdRightToLeftReadingOnly"}};
const TEnumType kBevelCutType{u"TBevelCut", {u"bvNone", u"bvLowered", u"bvRaised", u"bvSpace"}};
const TEnumType kFormBorderStyleType{u"TFormBorderStyle", {u"bsNone", u"bsSingle", u"bsSizeable", u"bsDialog", u"bsToolWindow", u"bsSizeToolWin"}};
const TEnumType kPositionType{u"TPosition", {u"poDesigned", u"poDefault", u"poDefaultPosOnly", u"poDefaultSizeOnly",
                                             u"poScreenCenter", u"poDesktopCenter", u"poMainFormCenter", u"poOwnerFormCenter"}};
const TEnumType kWindowStateType{u"TWindowState", {u"wsNormal", u"wsMinimized", u"wsMaximized"}};
const TEnumType kFontStyleType{u"TFontStyle", {u"fsBold", u"fsItalic", u"fsUnderline", u"fsStrikeOut"}};
const TEnumType kFontPitchType{u"TFontPitch", {u"fpDefault", u"fpVariable", u"fpFixed"}};
const TEnumType kDragModeType{u"TDragMode", {u"dmManual", u"dmAutomatic"}};
const TEnumType kAnchorKindType{u"TAnchorKind", {u"akLeft", u"akTop", u"akRight", u"akBottom"}};
const TEnumType kBorderIconType{u"TBorderIcon", {u"biSystemMenu", u"biMinimize", u"biMaximize", u"biHelp"}};
const TEnumType kPopupModeType{u"TPopupMode", {u"pmNone", u"pmAuto", u"pmExplicit"}};

TPropInfo BitmapProperty(const char16_t* Name, std::function<const TBitmap&(TPersistent*)> Get,
                         std::function<void(TPersistent*, const TBitmap&)> Set) {
    TPropInfo p;
    p.Name = Name;
    p.Kind = TPropKind::Integer;
    p.Read = [Set](TPersistent* o, TReader& r) {
        const std::vector<std::uint8_t> data = r.ReadBinary();
        TBitmap picture;
        if (!picture.LoadFromData(data.data(), data.size())) r.Error(u"Invalid image data");
        Set(o, picture);
    };
    p.Write = [Get](TPersistent* o, TWriter& w) { w.WriteBinary(Get(o).SaveToData()); };
    p.IsDefault = [Get](TPersistent* o) { return Get(o).Empty(); };
    return p;
}

namespace {

// Character sets are stored by name; numbers are read too.
TPropInfo CharsetProperty() {
    TPropInfo p;
    p.Name = u"Charset";
    p.Kind = TPropKind::Integer;
    p.Read = [](TPersistent* o, TReader& r) {
        auto& font = static_cast<TFont&>(*o);
        if (r.NextValue() == vaIdent) {
            const String name = r.ReadIdent();
            if (SameText(name, u"ANSI_CHARSET")) font.SetCharset(ANSI_CHARSET);
            else if (SameText(name, u"DEFAULT_CHARSET")) font.SetCharset(DEFAULT_CHARSET);
            else r.Error(u"Invalid property value " + name);
            return;
        }
        font.SetCharset(static_cast<TFontCharset>(r.ReadInteger()));
    };
    p.Write = [](TPersistent* o, TWriter& w) {
        const auto cs = static_cast<TFont&>(*o).Charset();
        if (cs == ANSI_CHARSET) w.WriteIdent(u"ANSI_CHARSET");
        else if (cs == DEFAULT_CHARSET) w.WriteIdent(u"DEFAULT_CHARSET");
        else w.WriteInteger(cs);
    };
    return p;
}

void RegisterFont() {
    TClassBuilder<TFont>(u"TFont", u"")
        .Custom(CharsetProperty())
        .Color(u"Color", &TFont::Color, &TFont::SetColor)
        .Integer(u"Height", &TFont::Height, &TFont::SetHeight)
        .Str(u"Name", &TFont::Name, &TFont::SetName)
        .Enumeration<TFontPitch>(u"Pitch", kFontPitchType, &TFont::Pitch, &TFont::SetPitch, fpDefault)
        .SetOf<TFontStyle>(u"Style", kFontStyleType, &TFont::Style, &TFont::SetStyle, TFontStyles{});
}

void RegisterControls() {
    TClassBuilder<TControl>(u"TControl", u"")
        .Integer(u"Left", &TControl::Left, &TControl::SetLeft)
        .Integer(u"Top", &TControl::Top, &TControl::SetTop)
        .Integer(u"Width", &TControl::Width, &TControl::SetWidth)
        .Integer(u"Height", &TControl::Height, &TControl::SetHeight)
        .Enumeration<TAlign>(u"Align", kAlignType, &TControl::Align, &TControl::SetAlign, alNone)
        .Boolean(u"AlignWithMargins", &TControl::AlignWithMargins, &TControl::SetAlignWithMargins, false)
        .SetOf<TAnchorKind>(u"Anchors", kAnchorKindType, &TControl::Anchors, &TControl::SetAnchors, TAnchors{akLeft, akTop})
        .Enumeration<TBiDiMode>(u"BiDiMode", kBiDiModeType, &TControl::BiDiMode, &TControl::SetBiDiMode, std::nullopt,
                                [](TControl& c) { return !c.ParentBiDiMode(); })
        .Str(u"Caption", &TControl::Caption, &TControl::SetCaption, String())
        .Color(u"Color", &TControl::Color, &TControl::SetColor, std::nullopt, [](TControl& c) { return !c.ParentColor(); })
        .Enumeration<TDragMode>(u"DragMode", kDragModeType, &TControl::DragMode, &TControl::SetDragMode, dmManual)
        .Boolean(u"Enabled", &TControl::Enabled, &TControl::SetEnabled, true)
        .Persistent(u"Font", [](TControl& c) -> TFont& { return c.Font(); }, [](TControl& c) { return !c.ParentFont(); })
        .Str(u"Hint", &TControl::Hint, &TControl::SetHint, String())
        .Boolean(u"ParentBiDiMode", &TControl::ParentBiDiMode, &TControl::SetParentBiDiMode, true)
        .Boolean(u"ParentColor", &TControl::ParentColor, &TControl::SetParentColor, false)
        .Boolean(u"ParentFont", &TControl::ParentFont, &TControl::SetParentFont, true)
        .Boolean(u"ParentShowHint", &TControl::ParentShowHint, &TControl::SetParentShowHint, true)
        .Boolean(u"ShowHint", &TControl::ShowHint, &TControl::SetShowHint, std::nullopt,
                 [](TControl& c) { return !c.ParentShowHint(); })
        .Boolean(u"Visible", &TControl::Visible, &TControl::SetVisible, true)
        .Event(u"OnClick", &TControl::OnClick)
        .Event(u"OnDblClick", &TControl::OnDblClick)
        .Event(u"OnMouseDown", &TControl::OnMouseDown)
        .Event(u"OnMouseEnter", &TControl::OnMouseEnter)
        .Event(u"OnMouseLeave", &TControl::OnMouseLeave)
        .Event(u"OnResize", &TControl::OnResize);
    TClassBuilder<TGraphicControl>(u"TGraphicControl", u"TControl");
    TClassBuilder<TWinControl>(u"TWinControl", u"TControl")
        .Boolean(u"DoubleBuffered", &TWinControl::DoubleBuffered, &TWinControl::SetDoubleBuffered, false)
        .Integer(u"TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder, -1)
        .Boolean(u"TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop, false);
    TClassBuilder<TCustomControl>(u"TCustomControl", u"TWinControl");
    TClassBuilder<TCustomPanel>(u"TCustomPanel", u"TCustomControl")
        .Enumeration<TAlignment>(u"Alignment", kAlignmentType, &TCustomPanel::Alignment, &TCustomPanel::SetAlignment, taCenter)
        .Enumeration<TBevelCut>(u"BevelInner", kBevelCutType, &TCustomPanel::BevelInner, &TCustomPanel::SetBevelInner, bvNone)
        .Enumeration<TBevelCut>(u"BevelOuter", kBevelCutType, &TCustomPanel::BevelOuter, &TCustomPanel::SetBevelOuter, bvRaised)
        .Integer(u"BevelWidth", &TCustomPanel::BevelWidth, &TCustomPanel::SetBevelWidth, 1)
        .Integer(u"BorderWidth", &TCustomPanel::BorderWidth, &TCustomPanel::SetBorderWidth, 0)
        .Boolean(u"DockSite", &TCustomPanel::DockSite, &TCustomPanel::SetDockSite, false)
        .Boolean(u"FullRepaint", &TCustomPanel::FullRepaint, &TCustomPanel::SetFullRepaint, true)
        .Boolean(u"UseDockManager", &TCustomPanel::UseDockManager, &TCustomPanel::SetUseDockManager, false);
    TClassBuilder<TPanel>(u"TPanel", u"TCustomPanel");
    TClassBuilder<TButton>(u"TButton", u"TCustomControl")
        .Boolean(u"Cancel", &TButton::Cancel, &TButton::SetCancel, false)
        .Boolean(u"Default", &TButton::Default, &TButton::SetDefault, false)
        .Boolean(u"HotTrack", &TButton::HotTrack, &TButton::SetHotTrack, false)
        .Integer(u"ModalResult", &TButton::ModalResult, &TButton::SetModalResult, mrNone)
        .Boolean(u"TabStop", &TButton::TabStop, &TButton::SetTabStop, true);
}

void RegisterForms() {
    TClassBuilder<TCustomForm>(u"TCustomForm", u"TCustomControl")
        .Integer(u"ClientWidth", &TCustomForm::ClientWidth, &TCustomForm::SetClientWidth)
        .Integer(u"ClientHeight", &TCustomForm::ClientHeight, &TCustomForm::SetClientHeight)
        .SetOf<TBorderIcon>(u"BorderIcons", kBorderIconType, &TCustomForm::BorderIcons, &TCustomForm::SetBorderIcons,
                            TBorderIcons{biSystemMenu, biMinimize, biMaximize})
        .Enumeration<TFormBorderStyle>(u"BorderStyle", kFormBorderStyleType, &TCustomForm::BorderStyle,
                                       &TCustomForm::SetBorderStyle, bsSizeable)
        .Integer(u"PixelsPerInch", &TCustomForm::PixelsPerInch, &TCustomForm::SetPixelsPerInch)
        .Enumeration<TPopupMode>(u"PopupMode", kPopupModeType, &TCustomForm::PopupMode, &TCustomForm::SetPopupMode,
                                 pmNone)
        .Enumeration<TPosition>(u"Position", kPositionType, &TCustomForm::Position, &TCustomForm::SetPosition,
                                poDefaultPosOnly)
        .Boolean(u"ScreenSnap", &TCustomForm::ScreenSnap, &TCustomForm::SetScreenSnap, false)
        .Integer(u"SnapBuffer", &TCustomForm::SnapBuffer, &TCustomForm::SetSnapBuffer, 10)
        .Boolean(u"Visible", &TCustomForm::Visible, &TCustomForm::SetVisible, false)
        .Enumeration<TWindowState>(u"WindowState", kWindowStateType, &TCustomForm::WindowState,
                                   &TCustomForm::SetWindowState, wsNormal)
        .Event(u"OnCreate", &TCustomForm::OnCreate)
        .Event(u"OnDestroy", &TCustomForm::OnDestroy)
        .Event(u"OnShow", &TCustomForm::OnShow);
    TClassBuilder<TForm>(u"TForm", u"TCustomForm");
}

}  // namespace

void RegisterToolkitClasses() {
    RegisterClassesOnce([] {
        RegisterFont();
        RegisterControls();
        RegisterForms();
    });
}
