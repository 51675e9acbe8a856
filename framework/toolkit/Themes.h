// Theme and application-style services: what components ask before they
// draw with the desktop's visual theme or with an application style. This
// platform has neither, so the default services answer "no themes" and "the
// platform's own look"; tests and a later real service install their own.
#pragma once

#include <memory>

#include "Graphics.h"

// Every theme element that the components can ask for.
enum TThemedElement {
    teNone,
    // rebar and chevron (toolbar background, overflow button)
    trRebarRoot,
    trChevronNormal,
    trChevronPressed,
    // combo box drop-down button (overflow button)
    tcDropDownButtonNormal,
    // toolbar separators and buttons
    ttbSeparatorNormal,
    ttbSeparatorVertNormal,
    ttbButtonNormal,
    ttbButtonHot,
    ttbButtonPressed,
    ttbButtonChecked,
    ttbButtonCheckedHot,
    ttbSplitButtonNormal,
    ttbSplitButtonHot,
    ttbSplitButtonPressed,
    ttbSplitButtonChecked,
    ttbSplitButtonCheckedHot,
    ttbSplitButtonDropDownNormal,
    ttbSplitButtonDropDownHot,
    ttbSplitButtonDropDownPressed,
    ttbSplitButtonDropDownDisabled,
    // push buttons
    tbPushButtonNormal,
    tbPushButtonHot,
    tbPushButtonPressed,
    tbPushButtonDisabled,
    // status bar
    tsStatusRoot,
    tsPane,
    tsGripper,
    // progress chunks
    tpChunk,
    tpChunkVert,
};

struct TThemedElementDetails {
    TThemedElement Element = teNone;
    friend bool operator==(const TThemedElementDetails&, const TThemedElementDetails&) = default;
};

// The desktop's visual theme.
class TThemeServices {
public:
    virtual ~TThemeServices() = default;
    // The system offers visual themes at all.
    virtual bool ThemesAvailable() const = 0;
    // Themes are active for this application; when false nothing themed is drawn.
    virtual bool ThemesEnabled() const = 0;
    virtual TThemedElementDetails GetElementDetails(TThemedElement element) const { return {element}; }
    // Paints the element's picture so that it fills r.
    virtual void DrawElement(HDC dc, const TThemedElementDetails& details, const TRect& r) = 0;
    // Draws a caption in the element's text style with the DT_ text flags.
    virtual void DrawText(HDC dc, const TThemedElementDetails& details, const String& text, TRect r,
                          unsigned flags) = 0;
};

// Colours of an application style.
enum TStyleColor { scPanel, scPanelDisabled, scWindow, scButtonNormal, scBorder };
// Font colours of an application style.
enum TStyleFont {
    sfButtonTextNormal,
    sfButtonTextDisabled,
    sfStatusPanelTextNormal,
    sfStatusPanelTextDisabled,
    sfPanelTextNormal,
    sfPanelTextDisabled,
};
// Elements of an application style whose colours components read.
enum TStyleElement { sePanelBackground, sePanelBevel };
enum TElementColor { ecFillColor, ecTextColor, ecEdgeHighlightColor, ecEdgeShadowColor };

struct TStyleElementDetails {
    TStyleElement Element = sePanelBackground;
};

// An application style (a skin loaded into the application).
class TStyleServices {
public:
    virtual ~TStyleServices() = default;
    // True while the application draws with the platform's own look.
    virtual bool IsSystemStyle() const = 0;
    // The style's colour for a system colour; any other colour unchanged.
    virtual TColor GetSystemColor(TColor color) const = 0;
    // clNone when the style gives none.
    virtual TColor GetStyleColor(TStyleColor color) const = 0;
    virtual TColor GetStyleFontColor(TStyleFont font) const = 0;
    virtual TStyleElementDetails GetElementDetails(TStyleElement element) const { return {element}; }
    // False (and color untouched) when the style has no such colour.
    virtual bool GetElementColor(const TStyleElementDetails& details, TElementColor which, TColor& color) const = 0;
    // Draws or, with DT_CALCRECT, measures a caption in the style's text
    // look; returns the height of the text.
    virtual int DrawText(TCanvas& canvas, const TStyleElementDetails& details, const String& text, TRect& r,
                         unsigned flags) = 0;
};

TThemeServices& ThemeServices();
TStyleServices& StyleServices();

// Installs another service (tests, a future real theme service) and returns
// the one it replaces; nullptr puts back this platform's default.
std::unique_ptr<TThemeServices> SetThemeServices(std::unique_ptr<TThemeServices> services);
std::unique_ptr<TStyleServices> SetStyleServices(std::unique_ptr<TStyleServices> services);
