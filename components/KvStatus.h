// Status panes of the Kv component set: framed one-line panes that sit on a
// status bar, blink on the shared blink timer and let presses through to
// the bar's size grip, and the progress pane that shows a percent bar.
#pragma once

#include "KvCommon.h"

// Registers the unit's classes and their published properties for stored
// layouts; safe to call more than once.
void RegisterKvStatusClasses();

// ===========================================================================
// Status panes
// ===========================================================================

// A windowless pane with a frame and one line of text.
class TKvCustomStatusPane : public TGraphicControl, public IKvFramedControl {
public:
    LV_CLASS_NAME(TKvCustomStatusPane)
    explicit TKvCustomStatusPane(TComponent* AOwner);
    ~TKvCustomStatusPane() override;

    // --- properties ---------------------------------------------------------
    TAlignment Alignment() const { return FAlignment; }
    virtual void SetAlignment(TAlignment Value);
    bool AutoHint() const { return FAutoHint; }
    void SetAutoHint(bool Value) { FAutoHint = Value; }
    // AutoSize (the control's own flag): the pane takes its caption's width.
    void SetAutoSize(bool Value) override;
    int DefaultWidth() const { return FDefaultWidth; }
    virtual void SetDefaultWidth(int Value);
    TColor BlinkColor() const { return FBlinkColor; }
    virtual void SetBlinkColor(TColor Value);
    bool Blinking() const { return FBlinking; }
    virtual void SetBlinking(bool Value);
    TBlinkState BlinkState() const { return FBlinkState; }
    // Shared by every pane of the process.
    virtual std::uint16_t GetBlinkIntervalOff() const;
    virtual void SetBlinkIntervalOff(std::uint16_t Value);
    virtual std::uint16_t GetBlinkIntervalOn() const;
    virtual void SetBlinkIntervalOn(std::uint16_t Value);
    int BorderWidth() const { return FBorderWidth; }
    virtual void SetBorderWidth(int Value);
    // The pane's text is the control's caption (Caption / SetCaption).
    int CaptionOffset() const { return FCaptionOffset; }
    virtual void SetCaptionOffset(int Value);
    TColor FillColor() const { return FFillColor; }
    virtual void SetFillColor(TColor Value);
    bool ParentFillColor() const { return FParentFillColor; }
    virtual void SetParentFillColor(bool Value);
    TColor FlatColor() const { return FFlatColor; }
    virtual void SetFlatColor(TColor Value);
    int FlatColorAdjustment() const { return FFlatColorAdjustment; }
    virtual void SetFlatColorAdjustment(int Value);
    TFrameStyle FrameStyle() const { return FFrameStyle; }
    virtual void SetFrameStyle(TFrameStyleEx Value);
    TKvFrameController* FrameController() const { return FFrameController; }
    virtual void SetFrameController(TKvFrameController* Value);
    TKvFrameControllerNotifications FrameControllerNotifications() const { return FFrameControllerNotifications; }
    void SetFrameControllerNotifications(TKvFrameControllerNotifications Value) {
        FFrameControllerNotifications = Value;
    }
    bool Transparent() const { return FTransparent; }
    virtual void SetTransparent(bool Value);
    // The colour the caption is drawn in now, and the font colour recorded
    // at load and at every font change.
    TColor CurrentColor() const { return FCurrentColor; }
    TColor FontColor() const { return FFontColor; }

    // --- operations -----------------------------------------------------------
    virtual int GetMinWidth();
    virtual TRect GetCaptionRect() const;
    virtual void DrawCaption(const String& S);
    virtual void DrawStatusBorder();
    void CustomFramingChanged() override;
    // One blink phase: bsOn shows the font colour, bsOff the blink colour.
    virtual void Blink(TBlinkState State);
    // R reaches the right edge of a status bar that shows a size grip.
    virtual bool UnderSizeGrip(const TRect& R) const;

    bool UseThemes() const;
    TColor GetFontColor() const;
    TColor GetDisabledFontColor() const;

    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    bool ExecuteAction(TBasicAction* Action) override;
    void WndProc(TMessage& Message) override;

protected:
    void BeforeDestruction() override;
    void Paint() override;
    virtual void AdjustBounds();

private:
    void ColorChanged(TMessage& Message);
    int HitTestAt(int X, int Y);

    TAlignment FAlignment = taLeftJustify;
    bool FAutoHint = false;
    int FDefaultWidth = 40;
    TColor FBlinkColor = clHighlight;
    TBlinkState FBlinkState = bsOn;
    bool FBlinking = false;
    TColor FFontColor = 0;
    int FBorderWidth = 1;
    int FCaptionOffset = 2;
    bool FParentFillColor = true;
    TColor FFillColor = clNone;
    TColor FFlatColor = clBtnShadow;
    int FFlatColorAdjustment = 30;
    TFrameStyle FFrameStyle = fsFlat;
    TKvFrameController* FFrameController = nullptr;
    TKvFrameControllerNotifications FFrameControllerNotifications = fccAll;
    bool FTransparent = true;
    TColor FCurrentColor = 0;
};

// The status pane with its caption-related properties published.
class TKvStatusPane : public TKvCustomStatusPane {
public:
    LV_CLASS_NAME(TKvStatusPane)
    using TKvCustomStatusPane::TKvCustomStatusPane;
};

// ===========================================================================
// Progress pane
// ===========================================================================

// Parts counts range over 0..2147483647.
using TUnsignedLongint = std::uint32_t;

// A status pane that shows progress as a bar filled to a percentage derived
// from the parts complete out of the total, in one of three bar styles.
class TKvProgressStatus : public TKvCustomStatusPane {
public:
    LV_CLASS_NAME(TKvProgressStatus)
    explicit TKvProgressStatus(TComponent* AOwner);

    TColor BackColor() const { return FBackColor; }
    virtual void SetBackColor(TColor Value);
    TColor BackColorStop() const { return FBackColorStop; }
    void SetBackColorStop(TColor Value);
    TColor BarColor() const { return FBarColor; }
    virtual void SetBarColor(TColor Value);
    TColor BarColorStop() const { return FBarColorStop; }
    void SetBarColorStop(TColor Value);
    TBarStyle BarStyle() const { return FBarStyle; }
    virtual void SetBarStyle(TBarStyle Value);
    TGradientDirection GradientDirection() const { return FGradientDirection; }
    void SetGradientDirection(TGradientDirection Value);
    int NumSegments() const { return FNumSegments; }
    virtual void SetNumSegments(int Value);
    TUnsignedLongint PartsComplete() const { return FPartsComplete; }
    virtual void SetPartsComplete(TUnsignedLongint Value);
    std::uint16_t Percent() const { return FPercent; }
    virtual void SetPercent(std::uint16_t Value);
    bool ShowPercent() const { return FShowPercent; }
    virtual void SetShowPercent(bool Value);
    bool ShowParts() const { return FShowParts; }
    virtual void SetShowParts(bool Value);
    TUnsignedLongint TotalParts() const { return FTotalParts; }
    virtual void SetTotalParts(TUnsignedLongint Value);

    void IncParts(TUnsignedLongint N);
    void IncPartsByOne() { IncParts(1); }

protected:
    void Paint() override;

private:
    template <class V>
    void ChangeLook(V& Field, V Value);

    TColor FBackColor = clBtnFace;
    TColor FBackColorStop = clBtnFace;
    TColor FBarColor = clHighlight;
    TColor FBarColorStop = clHotLight;
    TBarStyle FBarStyle = bsTraditional;
    TGradientDirection FGradientDirection = gdHorizontalCenter;
    int FNumSegments = 15;
    TUnsignedLongint FPartsComplete = 0;
    std::uint16_t FPercent = 0;
    bool FShowPercent = false;
    bool FShowParts = false;
    TUnsignedLongint FTotalParts = 0;
};
