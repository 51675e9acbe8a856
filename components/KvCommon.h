// Shared painting kit of the Kv component set: the common enumerations and
// sets, frame and border painting, colour arithmetic on a hue-saturation-
// lightness scale, the office-like scheme colours, the percent bars, and the
// shared services of the components (frame controller, blink list).
#pragma once

#include <array>
#include <vector>

#include "Controls.h"
#include "ExtCtrls.h"
#include "Graphics.h"
#include "Monitors.h"
#include "Streaming.h"
#include "Themes.h"

// ---------------------------------------------------------------------------
// Shared enumerations and sets

enum TSide { sdLeft, sdTop, sdRight, sdBottom };
// Stored in one byte: bit n for the side of ordinal n.
using TSides = Set<TSide>;
inline constexpr TSides sdAllSides{sdLeft, sdTop, sdRight, sdBottom};

enum TFrameStyleEx {
    fsNone,
    fsFlat,
    fsGroove,
    fsBump,
    fsLowered,
    fsButtonDown,
    fsRaised,
    fsButtonUp,
    fsStatus,
    fsPopup,
    fsFlatBold,
    fsFlatRounded,
};
inline constexpr TFrameStyleEx HighFrameStyle = fsFlatBold;
inline constexpr int FrameStyleCount = HighFrameStyle + 1;

[[noreturn]] void RaiseFrameStyleRangeError(TFrameStyleEx Value);

// The subrange fsNone..fsFlatBold of TFrameStyleEx. A value outside it
// (fsFlatRounded) raises ERangeError when it is converted, so a field or
// property of this type never holds it: the writer of such a property keeps
// its old value, and a stored layout always finds the value's name.
class TFrameStyle {
public:
    constexpr TFrameStyle(TFrameStyleEx Value) : value_(Value) {
        if (Value > HighFrameStyle) RaiseFrameStyleRangeError(Value);
    }
    constexpr operator TFrameStyleEx() const { return value_; }

private:
    TFrameStyleEx value_;
};

// The styles that take two pixels from each framed side.
inline constexpr Set<TFrameStyleEx> fsDoubleBorders{fsGroove,     fsBump,   fsLowered,  fsButtonDown,
                                                    fsRaised,     fsButtonUp, fsFlatBold, fsFlatRounded};

enum TOrientation { orHorizontal, orVertical };
enum TAlignmentVertical { avTop, avCenter, avBottom };
// TAlignment and TButtonLayout are the controls tree's own.

enum TGradientDirection {
    gdDiagonalUp,
    gdDiagonalDown,
    gdHorizontalEnd,
    gdHorizontalCenter,
    gdHorizontalBox,
    gdVerticalEnd,
    gdVerticalCenter,
    gdVerticalBox,
    gdSquareBox,
    gdBigSquareBox,
};
enum TBarStyle { bsTraditional, bsLED, bsGradient };

enum TKvVisualStyle { vsClassic, vsWinXP, vsGradient };
enum TKvGradientColorStyle { gcsSystem, gcsMSOffice, gcsCustom };
enum TKvXPColorScheme { xpcsBlue, xpcsGreen, xpcsSilver };

// Upper-left and lower-right colours of the frame styles, indexed by TFrameStyle.
extern const std::array<TColor, FrameStyleCount> ULFrameColor;
extern const std::array<TColor, FrameStyleCount> LRFrameColor;

// Text-format flags by alignment and word wrap, and text-alignment flags.
inline constexpr std::array<unsigned, 3> DrawTextAlignments{DT_LEFT, DT_RIGHT, DT_CENTER};
inline constexpr std::array<unsigned, 2> DrawTextWordWrap{0, DT_WORDBREAK};
inline constexpr std::array<unsigned, 3> SetTextAlignments{TA_LEFT, TA_RIGHT, TA_CENTER};

// ---------------------------------------------------------------------------
// Frames. Each routine draws one-pixel lines, leaves the pen changed and
// returns the part of Bounds inside what it drew (possibly inverted, which
// callers treat as empty).

TRect DrawSides(TCanvas& Canvas, TRect Bounds, TColor ULColor, TColor LRColor, TSides Sides);
TRect DrawBevel(TCanvas& Canvas, TRect Bounds, TColor ULColor, TColor LRColor, int Width, TSides Sides);
TRect DrawBox(TCanvas& Canvas, TRect Bounds, TColor LineColor);
TRect DrawBoxCorners(TCanvas& Canvas, TRect Bounds, TColor LineColor, int CornerWidth);
TRect DrawCtl3DBorderSides(TCanvas& Canvas, TRect Bounds, bool Lowered, TSides Sides);
TRect DrawButtonBorder(TCanvas& Canvas, TRect Bounds, bool Lowered);
TRect DrawButtonBorderSides(TCanvas& Canvas, TRect Bounds, bool Lowered, TSides Sides);
TRect DrawColorButtonBorder(TCanvas& Canvas, TRect Bounds, TColor FaceColor, bool Lowered);
TRect DrawColorButtonBorderSides(TCanvas& Canvas, TRect Bounds, TColor FaceColor, bool Lowered, TSides Sides);
TRect DrawBorder(TCanvas& Canvas, TRect Bounds, TFrameStyleEx Style);
TRect DrawBorderSides(TCanvas& Canvas, TRect Bounds, TFrameStyleEx Style, TSides Sides);
TRect DrawColorBorder(TCanvas& Canvas, TRect Bounds, TColor FaceColor, TFrameStyleEx Style);
TRect DrawColorBorderSides(TCanvas& Canvas, TRect Bounds, TColor FaceColor, TFrameStyleEx Style, TSides Sides);
TRect DrawRoundedFlatBorder(TCanvas& Canvas, TRect Bounds, TColor Color, TSides Sides);
// A flat line in Color on all four sides without the corner pixels.
TRect DrawSoftFlatFrame(TCanvas& Canvas, const TRect& Bounds, TColor Color);
// Bounds with each side in Sides moved in by By pixels.
TRect ShrinkSides(TRect Bounds, TSides Sides, int By);
// The whole edge of a panel: outer frame, border band, inner frame.
TRect DrawInnerOuterBorders(TCanvas& Canvas, TRect Bounds, TFrameStyleEx BorderOuter, TFrameStyleEx BorderInner,
                            int BorderWidth, TSides BorderSides, int BevelWidth, TColor BorderColor,
                            TColor BorderHighlight, TColor BorderShadow, TColor FlatColor, int FlatColorAdjustment,
                            TColor Color, TColor ParentColor, bool Transparent, bool SoftInnerFlatBorder);

// A Width x Height rectangle centred in R.
TRect CenterRect(TRect R, int Width, int Height);
// The nearest whole number, a half to the even neighbour (2.5 gives 2): the
// rounding of the colour arithmetic, the bars and the status bar's panes.
int RoundEven(double Value);
// Draws S in Bounds with the DT_ flags, or with DT_CALCRECT measures it into
// Bounds; returns the height of the text.
int DrawString(TCanvas& Canvas, const String& S, TRect& Bounds, unsigned Flags);

// ---------------------------------------------------------------------------
// Colour arithmetic. Hue, saturation and lightness run 0..240.

void ColorToHSL(TColor C, std::uint8_t& H, std::uint8_t& S, std::uint8_t& L);
TColor HSLtoColor(std::uint8_t H, std::uint8_t S, std::uint8_t L);
std::uint8_t ColorHue(TColor C);
TColor DarkerColor(TColor C, std::uint8_t Adjustment);
TColor LighterColor(TColor C, std::uint8_t Adjustment);
// Darker for a negative, lighter for a positive adjustment (its low byte);
// 0 gives C itself, unresolved.
TColor AdjustColor(TColor C, int Adjustment);
TColor BlendColors(TColor ForeColor, TColor BackColor, std::uint8_t Alpha);
bool ColorsTooClose(TColor ForeColor, TColor BackColor);
TColor ComplementaryColor(TColor C, std::uint8_t Luminance);

bool UsingSystemStyle();
TColor ActiveStyleSystemColor(TColor C);
TColor ActiveStyleColor(TStyleColor SC);
TColor ActiveStyleFontColor(TStyleFont SF);

bool IsFullColorSupported();
TKvXPColorScheme GetXPColorScheme();

// Set when the platform starts (FullColorSupported first; full colour and
// the blue scheme until then); a panel re-reads the scheme when the desktop
// theme changes.
extern bool FullColorSupported;
extern TKvXPColorScheme CurrentXPColorScheme;

// Office-like scheme colours.
inline constexpr TColor xpOfficeBlue_Selection_FrameColor = 0x00800000;
inline constexpr TColor xpOfficeBlue_Selection_ColorStart = 0x00C2EEFF;
inline constexpr TColor xpOfficeBlue_Selection_ColorStop = 0x00A0D9FF;
inline constexpr TColor xpOfficeBlue_Panel_ColorStart = 0x00FFEFE3;
inline constexpr TColor xpOfficeBlue_Panel_ColorStop = 0x00EABB99;
inline constexpr TColor xpOfficeBlue_Panel_FrameColor = 0x00BF7F57;

inline constexpr TColor xpOfficeGreen_Selection_FrameColor = 0x00385D3F;
inline constexpr TColor xpOfficeGreen_Selection_ColorStart = 0x00C2EEFF;
inline constexpr TColor xpOfficeGreen_Selection_ColorStop = 0x00A0D9FF;
inline constexpr TColor xpOfficeGreen_Panel_ColorStart = 0x00EDFFFF;
inline constexpr TColor xpOfficeGreen_Panel_ColorStop = 0x0092C7B8;
inline constexpr TColor xpOfficeGreen_Panel_FrameColor = 0x0077A17F;

inline constexpr TColor xpOfficeSilver_Selection_FrameColor = 0x006F4B4B;
inline constexpr TColor xpOfficeSilver_Selection_ColorStart = 0x00C2EEFF;
inline constexpr TColor xpOfficeSilver_Selection_ColorStop = 0x00A0D9FF;
inline constexpr TColor xpOfficeSilver_Panel_ColorStart = 0x00FFF9F9;
inline constexpr TColor xpOfficeSilver_Panel_ColorStop = 0x00D0BCBD;
inline constexpr TColor xpOfficeSilver_Panel_FrameColor = 0x00B19F9F;

void GetGradientSelectionColors(TKvGradientColorStyle ColorStyle, TColor& FrameColor, TColor& StartColor,
                                TColor& StopColor);
void GetGradientPanelColors(TKvGradientColorStyle ColorStyle, TColor& StartColor, TColor& StopColor);
TColor GetGradientPanelFrameColor(TKvGradientColorStyle ColorStyle);
void GetGradientStatusBarColors(TKvGradientColorStyle ColorStyle, TColor& StartColor, TColor& StopColor,
                                TColor& DividerColor);

// ---------------------------------------------------------------------------
// Percent bars of progress displays.

void DrawPercentBar(TCanvas& Canvas, TRect Bounds, TOrientation Orientation, TColor BarColor, TColor BackColor,
                    std::uint16_t Percent, bool ShowPercent, bool Transparent, bool ShowParts, int PartsComplete,
                    int TotalParts);
void DrawGradientPercentBar(TCanvas& Canvas, TRect Bounds, TOrientation Orientation, TColor BarColor,
                            TColor BarColorStop, TColor BackColor, TColor BackColorStop,
                            TGradientDirection gradientDirection, std::uint16_t Percent, bool ShowPercent,
                            bool Transparent, bool ShowParts, int PartsComplete, int TotalParts);
void DrawLEDBar(TCanvas& Canvas, TRect Bounds, TOrientation Orientation, TColor BarColor, TColor BackColor,
                int NumSegments, int Percent, bool ThemeAware, bool Transparent);

// ---------------------------------------------------------------------------
// Monitors and their work areas, in screen coordinates.

// The first monitor of the screen's list whose bounds hold P (left and top
// inclusive, right and bottom exclusive), or nil.
TMonitor* GetMonitorContainingPoint(const TPoint& P);
TRect GetMonitorWorkArea(const TMonitor* Monitor);
// The work area of the monitor nearest the control's window, and its width.
TRect GetActiveWorkArea(const TControl* Control);
int GetActiveWorkAreaWidth(const TControl* Control);

// ---------------------------------------------------------------------------
// Names of the shared enumerations as stored layouts write them.

extern const TEnumType kFrameStyleType;    // fsNone..fsFlatBold
extern const TEnumType kFrameStyleExType;  // fsNone..fsFlatRounded
extern const TEnumType kSideType;
extern const TEnumType kAlignmentVerticalType;
extern const TEnumType kOrientationType;
extern const TEnumType kGradientDirectionType;
extern const TEnumType kBarStyleType;
extern const TEnumType kVisualStyleType;
extern const TEnumType kGradientColorStyleType;

// ---------------------------------------------------------------------------
// Property writers

// Stores Value in Field and tells whether it differed: a writer does its
// work (invalidate, realign, repaint) only then.
template <class V>
bool ChangeValue(V& Field, const V& Value) {
    if (Field == Value) return false;
    Field = Value;
    return true;
}

// ---------------------------------------------------------------------------
// Containers

// Invalidates every child of Container whose published Boolean property
// "Transparent" is True: such children show the container's background
// through themselves and must repaint when it changes.
void InvalidateControls(TWinControl* Container);

// ---------------------------------------------------------------------------
// Desktop

// The part of the desktop that windows may cover: on this platform the
// screen's work area, which already leaves out panels and docks.
TRect GetDesktopClientRect();

// ---------------------------------------------------------------------------
// Frame controllers: one component whose frame settings several controls
// follow.

enum TKvFrameControllerProperty {
    fcpColor,
    fcpFocusColor,
    fcpDisabledColor,
    fcpReadOnlyColor,
    fcpReadOnlyColorOnFocus,
    fcpParentColor,
    fcpFlatButtonColor,
    fcpFlatButtons,
    fcpFrameColor,
    fcpFrameHotColor,
    fcpFrameHotTrack,
    fcpFrameHotStyle,
    fcpFrameSides,
    fcpFrameStyle,
    fcpFrameVisible,
    fcpFramingPreference,
    fcpAll,  // names every setting; never a member of a set
};
// Stored in 16 bits: bit n for the setting of ordinal n.
using TKvFrameControllerNotifications = Set<TKvFrameControllerProperty>;
inline constexpr TKvFrameControllerNotifications fccAll = TKvFrameControllerNotifications::FromBits(0xFFFF);
extern const TEnumType kFrameControllerPropertyType;

// A control that takes its frame from a controller.
class IKvFramedControl {
public:
    virtual ~IKvFramedControl() = default;
    // The controller's settings changed: take over the accepted ones.
    virtual void CustomFramingChanged() = 0;
};

// Holds frame settings and pushes them to the controls registered with it.
// Only the settings that panels and status panes follow exist here.
class TKvFrameController : public TComponent {
public:
    LV_CLASS_NAME(TKvFrameController)
    explicit TKvFrameController(TComponent* AOwner);
    ~TKvFrameController() override;

    void RegisterControl(TControl* Control);
    void UnregisterControl(TControl* Control);
    int ControlCount() const { return static_cast<int>(controls_.size()); }
    // Tells every registered control that the settings changed.
    void UpdateControls();

    TColor Color() const { return color_; }
    void SetColor(TColor v);
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool v);
    TColor FrameColor() const { return frameColor_; }
    void SetFrameColor(TColor v);
    TSides FrameSides() const { return frameSides_; }
    void SetFrameSides(TSides v);
    TFrameStyle FrameStyle() const { return frameStyle_; }
    void SetFrameStyle(TFrameStyle v);
    bool FrameVisible() const { return frameVisible_; }
    void SetFrameVisible(bool v);

    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    template <class V>
    void Change(V& field, V value);

    std::vector<TControl*> controls_;
    TColor color_ = clWindow;
    bool parentColor_ = false;
    TColor frameColor_ = clBtnShadow;
    TSides frameSides_ = sdAllSides;
    TFrameStyle frameStyle_ = fsFlat;
    bool frameVisible_ = false;
};

// ---------------------------------------------------------------------------
// Blinking: one process-wide timer switches the phase of every blinking
// control in step.

enum TBlinkState { bsOn, bsOff };

// Sent by the blink list: "do you blink?" (answer 1) and "switch to the
// TBlinkState in WParam".
constexpr unsigned cm_GetBlinking = CM_BASE + 1000;
constexpr unsigned cm_Blink = CM_BASE + 1001;

class TKvBlinkingControlsList {
public:
    // Starts in bsOff with its timer running at the off interval.
    TKvBlinkingControlsList();
    ~TKvBlinkingControlsList();
    TKvBlinkingControlsList(const TKvBlinkingControlsList&) = delete;
    TKvBlinkingControlsList& operator=(const TKvBlinkingControlsList&) = delete;

    void Add(TControl* Control);
    void Remove(TControl* Control);
    int GetCount() const { return static_cast<int>(FControls.size()); }

    // One tick: the phase flips, the timer takes the interval of the new
    // phase, and every registered control that blinks is told the phase.
    void TimerFired();

    TBlinkState BlinkState() const { return FBlinkState; }
    std::uint16_t IntervalOff() const { return FIntervalOff; }
    std::uint16_t IntervalOn() const { return FIntervalOn; }
    // Taken up by the running timer at its next tick.
    void SetIntervalOff(std::uint16_t v) { FIntervalOff = v; }
    void SetIntervalOn(std::uint16_t v) { FIntervalOn = v; }
    const TTimer& Timer() const { return *FTimer; }

private:
    TBlinkState FBlinkState = bsOff;
    std::vector<TControl*> FControls;
    TOwned<TTimer> FTimer;
    std::uint16_t FIntervalOff = 500;
    std::uint16_t FIntervalOn = 500;
};

// The process's blink list: created with the first blinking-capable control
// and freed with the last (nil in between).
extern TKvBlinkingControlsList* BlinkingControls;
// Registers a control, creating the list when there is none.
void AddBlinkingControl(TControl* Control);
// Unregisters a control and frees the list once it is empty.
void RemoveBlinkingControl(TControl* Control);
void FreeBlinkingControlsListIfEmpty();
