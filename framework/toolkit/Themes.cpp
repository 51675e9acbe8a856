#include "Themes.h"

namespace {

// No visual themes on this platform: nothing themed is ever drawn.
class TNoThemeServices final : public TThemeServices {
public:
    bool ThemesAvailable() const override { return false; }
    bool ThemesEnabled() const override { return false; }
    void DrawElement(HDC, const TThemedElementDetails&, const TRect&) override {}
    void DrawText(HDC, const TThemedElementDetails&, const String&, TRect, unsigned) override {}
};

// The platform's own look: system colours are what they are and the style
// supplies no colours of its own.
class TSystemStyleServices final : public TStyleServices {
public:
    bool IsSystemStyle() const override { return true; }
    TColor GetSystemColor(TColor color) const override { return color; }
    TColor GetStyleColor(TStyleColor) const override { return clNone; }
    TColor GetStyleFontColor(TStyleFont) const override { return clNone; }
    bool GetElementColor(const TStyleElementDetails&, TElementColor, TColor&) const override { return false; }
    int DrawText(TCanvas& canvas, const TStyleElementDetails&, const String& text, TRect& r, unsigned flags) override {
        return canvas.DrawText(text, r, flags);
    }
};

std::unique_ptr<TThemeServices>& ThemeSlot() {
    static std::unique_ptr<TThemeServices> slot = std::make_unique<TNoThemeServices>();
    return slot;
}

std::unique_ptr<TStyleServices>& StyleSlot() {
    static std::unique_ptr<TStyleServices> slot = std::make_unique<TSystemStyleServices>();
    return slot;
}

}  // namespace

TThemeServices& ThemeServices() { return *ThemeSlot(); }
TStyleServices& StyleServices() { return *StyleSlot(); }

std::unique_ptr<TThemeServices> SetThemeServices(std::unique_ptr<TThemeServices> services) {
    if (!services) services = std::make_unique<TNoThemeServices>();
    std::swap(ThemeSlot(), services);
    return services;
}

std::unique_ptr<TStyleServices> SetStyleServices(std::unique_ptr<TStyleServices> services) {
    if (!services) services = std::make_unique<TSystemStyleServices>();
    std::swap(StyleSlot(), services);
    return services;
}
