// Panels of the Kv component set: the bordered panel that frames its edge
// and lays its children out inside the frames, and the window's status bar
// built on it.
#pragma once

#include <utility>
#include <vector>

#include "KvCommon.h"

// Registers the unit's classes and their published properties for stored
// layouts; safe to call more than once.
void RegisterKvPanelClasses();

// ===========================================================================
// Bordered panel
// ===========================================================================

enum TKvGridStyle { gsDots, gsDottedLines, gsSolidLines };
extern const TEnumType kGridStyleType;

class TKvCustomPanel;

// The dock manager of a panel that is a dock site and uses one.
class TKvPanelDockManager : public TObject {
public:
    LV_CLASS_NAME(TKvPanelDockManager)
    explicit TKvPanelDockManager(TKvCustomPanel* Site) : site_(Site) {}
    TKvCustomPanel* DockSite() const { return site_; }

private:
    TKvCustomPanel* site_;
};

// A container that paints an outer frame, a band of border colour and an
// inner frame on chosen sides, a solid or gradient background, an optional
// grid and its caption. Its client area lies inside the frames.
class TKvCustomPanel : public TCustomPanel, public IKvFramedControl {
public:
    LV_CLASS_NAME(TKvCustomPanel)
    explicit TKvCustomPanel(TComponent* AOwner);
    ~TKvCustomPanel() override;

    // --- properties ---------------------------------------------------------
    TAlignmentVertical AlignmentVertical() const { return FAlignmentVertical; }
    virtual void SetAlignmentVertical(TAlignmentVertical Value);
    TColor BorderColor() const { return FBorderColor; }
    virtual void SetBorderColor(TColor Value);
    TColor BorderHighlight() const { return FBorderHighlight; }
    virtual void SetBorderHighlight(TColor Value);
    TFrameStyleEx BorderInner() const { return FBorderInner; }
    virtual void SetBorderInner(TFrameStyleEx Value);
    TFrameStyleEx BorderOuter() const { return FBorderOuter; }
    virtual void SetBorderOuter(TFrameStyleEx Value);
    TColor BorderShadow() const { return FBorderShadow; }
    virtual void SetBorderShadow(TColor Value);
    TSides BorderSides() const { return FBorderSides; }
    virtual void SetBorderSides(TSides Value);
    TColor FlatColor() const { return FFlatColor; }
    virtual void SetFlatColor(TColor Value);
    int FlatColorAdjustment() const { return FFlatColorAdjustment; }
    virtual void SetFlatColorAdjustment(int Value);
    TKvFrameController* FrameController() const { return FFrameController; }
    virtual void SetFrameController(TKvFrameController* Value);
    TKvFrameControllerNotifications FrameControllerNotifications() const { return FFrameControllerNotifications; }
    void SetFrameControllerNotifications(TKvFrameControllerNotifications Value) {
        FFrameControllerNotifications = Value;
    }
    TKvGradientColorStyle GradientColorStyle() const { return FGradientColorStyle; }
    virtual void SetGradientColorStyle(TKvGradientColorStyle Value);
    TColor GradientColorStart() const { return FGradientColorStart; }
    virtual void SetGradientColorStart(TColor Value);
    TColor GradientColorStop() const { return FGradientColorStop; }
    virtual void SetGradientColorStop(TColor Value);
    TGradientDirection GradientDirection() const { return FGradientDirection; }
    virtual void SetGradientDirection(TGradientDirection Value);
    TColor GridColor() const { return FGridColor; }
    virtual void SetGridColor(TColor Value);
    TKvGridStyle GridStyle() const { return FGridStyle; }
    virtual void SetGridStyle(TKvGridStyle Value);
    std::uint16_t GridXSize() const { return FGridXSize; }
    virtual void SetGridXSize(std::uint16_t Value);
    std::uint16_t GridYSize() const { return FGridYSize; }
    virtual void SetGridYSize(std::uint16_t Value);
    void SetGridSize(std::uint16_t XSize, std::uint16_t YSize);
    bool PaintClientArea() const { return FPaintClientArea; }
    virtual void SetPaintClientArea(bool Value);
    bool ShowDockClientCaptions() const { return FShowDockClientCaptions; }
    void SetShowDockClientCaptions(bool Value) { FShowDockClientCaptions = Value; }
    bool ShowGrid() const { return FShowGrid; }
    virtual void SetShowGrid(bool Value);
    int TextMargin() const { return FTextMargin; }
    virtual void SetTextMargin(int Value);
    int TextMarginVertical() const { return FTextMarginVertical; }
    virtual void SetTextMarginVertical(int Value);
    bool Transparent() const { return FTransparent; }
    virtual void SetTransparent(bool Value);
    TKvVisualStyle VisualStyle() const { return FVisualStyle; }
    virtual void SetVisualStyle(TKvVisualStyle Value);
    bool WordWrap() const { return FWordWrap; }
    virtual void SetWordWrap(bool Value);

    TNotifyEvent OnPaint;

    // --- geometry -----------------------------------------------------------
    // The pointer's position in the panel's client coordinates.
    virtual TPoint CursorPosition() const;
    // Shrinks Rect by the frames on the framed sides, and first by the
    // border band on all four sides when ShrinkByBorder is set.
    virtual void FixClientRect(TRect& Rect, bool ShrinkByBorder) const;
    virtual TRect GetControlRect() const;
    // How far inside the frames a resize repaints.
    virtual TPoint InvalidateMarginSize() const;
    TRect GetClientRect() const override;
    void AdjustClientRect(TRect& Rect) override;
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

    // --- children -------------------------------------------------------------
    // False records each child's enabled state and disables every child;
    // True enables the children that were enabled (or are new since).
    virtual void EnableChildControls(bool Enabled);

    // --- painting -------------------------------------------------------------
    virtual void GetGradientColors(TColor& StartColor, TColor& StopColor) const;
    virtual void GetGradientFrameColor(TColor& FrameColor, int& FrameColorAdjustment) const;
    virtual void DrawCaption(const TRect& Rect);
    virtual void DrawGrid(const TRect& Rect);

    // --- colour, frame controller, dock manager -------------------------------
    // Under the platform's look the panel shows the colour it was given;
    // under an application style, the style's face colour.
    void UpdatePanelColor();
    void CustomFramingChanged() override;
    TKvPanelDockManager* DockManager() const { return FDockManager.get(); }
    // Creates the panel's dock manager when it is a dock site that uses one.
    virtual void CreateDockManager();

    void DefineProperties(TFiler* Filer) override;
    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void WndProc(TMessage& Message) override;

protected:
    void BeforeDestruction() override;
    void CreateWnd() override;
    void AlignControls(TControl* AControl, TRect& Rect) override;
    void Paint() override;

    void WMWindowPosChanged(TMessage& Message);
    void WMEraseBkgnd(TMessage& Message);
    void CMMouseEnter(TMessage& Message);
    void CMMouseLeave(TMessage& Message);
    void CMEnabledChanged(TMessage& Message);
    void WMThemeChanged(TMessage& Message);
    void CMColorChanged(TMessage& Message);
    void CMStyleChanged(TMessage& Message);

    // Stores Value and realigns and invalidates when it differs.
    template <class V>
    void ChangeFrame(V& Field, V Value);
    // Stores Value and invalidates when it differs.
    template <class V>
    void ChangeLook(V& Field, V Value);
    // Stores Value and invalidates the panel and its transparent children.
    template <class V>
    void ChangeGradient(V& Field, V Value);

    bool FInAlignControls = false;

private:
    TAlignmentVertical FAlignmentVertical = avCenter;
    TFrameStyleEx FBorderInner = fsNone;
    TFrameStyleEx FBorderOuter = fsRaised;
    TSides FBorderSides = sdAllSides;
    TColor FBorderColor = clBtnFace;
    TColor FBorderHighlight = clBtnHighlight;
    TColor FBorderShadow = clBtnShadow;
    TColor FFlatColor = clBtnShadow;
    int FFlatColorAdjustment = 30;
    bool FPaintClientArea = true;
    TColor FPanelColor = clBtnFace;
    TKvVisualStyle FVisualStyle = vsWinXP;
    TKvGradientColorStyle FGradientColorStyle = gcsSystem;
    TColor FGradientColorStart = 0x00FFFFFF;
    TColor FGradientColorStop = clBtnFace;
    TGradientDirection FGradientDirection = gdHorizontalEnd;
    TColor FGridColor = clBtnShadow;
    TKvGridStyle FGridStyle = gsDots;
    std::uint16_t FGridXSize = 8;
    std::uint16_t FGridYSize = 8;
    bool FShowGrid = false;
    bool FTransparent = false;
    int FTextMargin = 0;
    int FTextMarginVertical = 0;
    bool FWordWrap = true;
    bool FShowDockClientCaptions = true;
    // "1" or "0" per child: its enabled state when the panel was disabled.
    std::vector<std::pair<String, TControl*>> FEnabledList;
    TKvFrameController* FFrameController = nullptr;
    TKvFrameControllerNotifications FFrameControllerNotifications = fccAll;
    std::unique_ptr<TKvPanelDockManager> FDockManager;
};

// ===========================================================================
// Status bar
// ===========================================================================

// A bordered panel shaped into a window's status bar: docked to the bottom,
// without borders, with a size grip that resizes the window, a simple mode
// that shows one caption instead of the panes, and optional rescaling of
// the panes when its width changes.
class TKvStatusBar : public TKvCustomPanel {
public:
    LV_CLASS_NAME(TKvStatusBar)
    explicit TKvStatusBar(TComponent* AOwner);
    ~TKvStatusBar() override;

    bool AutoScalePanes() const { return FAutoScalePanes; }
    void SetAutoScalePanes(bool Value) { FAutoScalePanes = Value; }
    bool AutoStyle() const { return FAutoStyle; }
    void SetAutoStyle(bool Value) { FAutoStyle = Value; }
    bool ShowSizeGrip() const { return FShowSizeGrip; }
    virtual void SetShowSizeGrip(bool Value);
    const String& SimpleCaption() const { return FSimpleCaption; }
    virtual void SetSimpleCaption(const String& Value);
    TFrameStyleEx SimpleFrameStyle() const { return FSimpleFrameStyle; }
    virtual void SetSimpleFrameStyle(TFrameStyleEx Value);
    bool SimpleStatus() const { return FSimpleStatus; }
    virtual void SetSimpleStatus(bool Value);
    // Whether the parent form could be resized through the grip when this
    // was last checked.
    bool SizeGripValid() const { return FSizeGripValid; }

    virtual void DrawSimpleStatusBorder(TRect R);
    // The status-bar look: no frames, all sides, 19 pixels, no border band.
    virtual void AdjustStyle();
    void SetBorderInner(TFrameStyleEx Value) override;
    void SetBorderOuter(TFrameStyleEx Value) override;
    void SetBorderSides(TSides Value) override;

    // The grip's strip at the right end of the bar.
    TRect SizeGripRect() const;
    // The parent form exists, has a sizeable border and is not maximized.
    bool ValidateSizeGrip();
    void PaintSizeGrip(TRect R);

    TRect GetClientRect() const override;
    void GetGradientColors(TColor& StartColor, TColor& StopColor) const override;
    void Loaded() override;
    void WndProc(TMessage& Message) override;

protected:
    void CreateWnd() override;
    void Paint() override;
    void Resize() override;

private:
    bool OverSizeGrip(TPoint P) const;
    void RescalePanes();
    bool ThemedLook() const;

    bool FAutoStyle = true;
    std::unique_ptr<TControlCanvas> FSizeGripCanvas;
    bool FSimpleStatus = false;
    String FSimpleCaption;
    TFrameStyleEx FSimpleFrameStyle = fsFlat;
    bool FSizeGripValid = false;
    bool FShowSizeGrip = true;
    bool FAutoScalePanes = false;
    bool FFirst = true;
    int FDelta = 0;
    int FLastWidth = 0;
};
