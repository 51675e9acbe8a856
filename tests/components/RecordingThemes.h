// A theme service for painting tests: themes on, and every element that is
// drawn recorded with its rectangle instead of painted.
#pragma once

#include <utility>
#include <vector>

#include "Themes.h"

using TDrawnElements = std::vector<std::pair<TThemedElement, TRect>>;

class TRecordingThemes : public TThemeServices {
public:
    explicit TRecordingThemes(TDrawnElements& drawn) : drawn_(drawn) {}
    bool ThemesAvailable() const override { return true; }
    bool ThemesEnabled() const override { return true; }
    void DrawElement(HDC, const TThemedElementDetails& details, const TRect& r) override {
        drawn_.emplace_back(details.Element, r);
    }
    void DrawText(HDC, const TThemedElementDetails&, const String&, TRect, unsigned) override {}

private:
    TDrawnElements& drawn_;
};

// Installs a recording theme service for the life of the object.
class TThemesRecorded {
public:
    TThemesRecorded() : previous_(SetThemeServices(std::make_unique<TRecordingThemes>(drawn))) {}
    ~TThemesRecorded() { SetThemeServices(std::move(previous_)); }
    TThemesRecorded(const TThemesRecorded&) = delete;
    TThemesRecorded& operator=(const TThemesRecorded&) = delete;

    TDrawnElements drawn;

private:
    std::unique_ptr<TThemeServices> previous_;
};
