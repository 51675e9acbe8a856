#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <utility>

#include "KvCommon.h"
#include "Settings.h"
#include "TempDir.h"

namespace {

struct HslCase {
    TColor color;
    int h, s, l;
};

TEST(ColorToHSL, ConvertsOnTheScaleOf240) {
    const HslCase cases[] = {
        {0x00C0C0C0, 0, 0, 181},  {0x000000FF, 0, 240, 120}, {0x00FF0000, 160, 240, 120},
        {0x0000FF00, 80, 240, 120}, {0x00000000, 0, 0, 0},    {0x00FFFFFF, 0, 0, 240},
        {clBtnShadow, 0, 0, 151},  // a system colour is resolved first (0xA0A0A0)
    };
    for (const auto& c : cases) {
        std::uint8_t h, s, l;
        ColorToHSL(c.color, h, s, l);
        EXPECT_EQ(h, c.h) << std::hex << c.color;
        EXPECT_EQ(s, c.s) << std::hex << c.color;
        EXPECT_EQ(l, c.l) << std::hex << c.color;
    }
}

TEST(HSLtoColor, DividesTheHueBy239AndClampsChannelsAtWhite) {
    struct Case {
        int h, s, l;
        TColor expected;
    };
    const Case cases[] = {
        {0, 240, 120, 0x000000FF},   {160, 240, 120, 0x00FF0004}, {239, 240, 120, 0x000000FF},
        {240, 240, 120, 0x000006FF}, {0, 0, 240, 0x00FFFFFF},     {0, 0, 255, 0x00FFFFFF},
        {0, 0, 0, 0x00000000},       {120, 240, 120, 0x00FFFC00},
    };
    for (const auto& c : cases)
        EXPECT_EQ(HSLtoColor(std::uint8_t(c.h), std::uint8_t(c.s), std::uint8_t(c.l)), c.expected)
            << c.h << "," << c.s << "," << c.l;
}

TEST(DarkerAndLighterColor, ShiftTheLightnessByTheAdjustment) {
    struct Case {
        TColor color;
        int adjustment;  // negative: darker
        TColor expected;
    };
    const Case cases[] = {
        {0x00C0C0C0, -50, 0x008B8B8B}, {0x00C0C0C0, -100, 0x00565656}, {0x00C0C0C0, 30, 0x00E0E0E0},
        {0x00C0C0C0, 100, 0x00FFFFFF}, {0x00F0F0F0, -10, 0x00E6E6E6},  {0x00F0F0F0, -20, 0x00DBDBDB},
        {0x00F0F0F0, -40, 0x00C6C6C6}, {0x00A0A0A0, 30, 0x00C0C0C0},   {0x00808080, 100, 0x00EAEAEA},
        {0x00404040, -255, 0x00000000}, {clBtnFace, -10, 0x00E6E6E6},
    };
    for (const auto& c : cases) {
        const auto by = std::uint8_t(std::abs(c.adjustment));
        const TColor got = c.adjustment < 0 ? DarkerColor(c.color, by) : LighterColor(c.color, by);
        EXPECT_EQ(got, c.expected) << std::hex << c.color << " by " << std::dec << c.adjustment;
        EXPECT_EQ(AdjustColor(c.color, c.adjustment), c.expected) << std::hex << c.color;
    }
}

TEST(AdjustColor, ZeroKeepsTheColourUnresolvedAndLargeAdjustmentsUseTheirLowByte) {
    EXPECT_EQ(AdjustColor(clBtnShadow, 0), clBtnShadow);
    EXPECT_EQ(AdjustColor(0x00C0C0C0, -300), DarkerColor(0x00C0C0C0, 44));
    EXPECT_EQ(AdjustColor(0x00404040, 260), LighterColor(0x00404040, 4));
}

TEST(BlendColors, MixesByAlphaAndRoundsToNearest) {
    EXPECT_EQ(BlendColors(0x00D77800, 0x00FFFFFF, 77), 0x00F3D6B2u);
    EXPECT_EQ(LighterColor(0x00F3D6B2, 20), 0x00F9E9D7u);
    EXPECT_EQ(BlendColors(0x00123456, 0x00FEDCBA, 255), 0x00123456u);
    EXPECT_EQ(BlendColors(0x00123456, 0x00FEDCBA, 0), 0x00FEDCBAu);
    EXPECT_EQ(BlendColors(clHighlight, clWindow, 77), 0x00F3D6B2u);  // system colours resolved
}

TEST(ColorsTooClose, ComparesHueAndLightnessOnly) {
    struct Case {
        TColor a, b;
        bool close;
    };
    const Case cases[] = {
        {HSLtoColor(0, 0, 100), HSLtoColor(0, 0, 159), true},
        {HSLtoColor(0, 0, 100), HSLtoColor(0, 0, 160), false},
        {HSLtoColor(10, 240, 120), HSLtoColor(10, 40, 120), true},  // saturation ignored
        {clRed, clBlue, false},
        {HSLtoColor(100, 240, 120), HSLtoColor(118, 240, 120), true},  // hues 100 and 118 read back
        {HSLtoColor(100, 240, 120), HSLtoColor(122, 240, 120), false},
    };
    for (const auto& c : cases) EXPECT_EQ(ColorsTooClose(c.a, c.b), c.close) << std::hex << c.a << " " << c.b;
}

TEST(ComplementaryColor, TurnsTheHueByAThirdAtFullSaturation) {
    EXPECT_EQ(ColorHue(clBlue), 160);
    EXPECT_EQ(ComplementaryColor(clRed, 120), 0x00FFFC00u);      // hue 0 -> 120
    EXPECT_EQ(ComplementaryColor(clBlue, 120), HSLtoColor(40, 240, 120));  // hue 160 -> 40
}

// ---------------------------------------------------------------------------
// Colour scheme and gradient colour sets

class ColorScheme : public testing::Test {
protected:
    void SetUp() override {
        file_ = dir_ / "lumivar.ini";
        savedScheme_ = CurrentXPColorScheme;
        savedFullColor_ = FullColorSupported;
    }
    void TearDown() override {
        SetSettingsFileName(String());
        CurrentXPColorScheme = savedScheme_;
        FullColorSupported = savedFullColor_;
    }
    void WriteSettings(const std::string& text) {
        std::ofstream(file_) << text;
        SetSettingsFileName(S(file_.string()));
    }
    TTempDir dir_;
    std::filesystem::path file_;
    TKvXPColorScheme savedScheme_;
    bool savedFullColor_;
};

TEST_F(ColorScheme, ComesFromTheColourNameInAnyLetterCase) {
    struct Case {
        const char* settings;
        TKvXPColorScheme expected;
    };
    const Case cases[] = {
        {"[ThemeManager]\nColorName=HomeStead\n", xpcsGreen}, {"[ThemeManager]\nColorName=homestead\n", xpcsGreen},
        {"[ThemeManager]\nColorName=METALLIC\n", xpcsSilver}, {"[ThemeManager]\nColorName=NormalColor\n", xpcsBlue},
        {"[ThemeManager]\n", xpcsBlue},                        {"[Other]\nColorName=Metallic\n", xpcsBlue},
    };
    for (const auto& c : cases) {
        WriteSettings(c.settings);
        EXPECT_EQ(GetXPColorScheme(), c.expected) << c.settings;
    }
    SetSettingsFileName(S((file_.string() + ".absent")));
    EXPECT_EQ(GetXPColorScheme(), xpcsBlue);
}

class TThemesOn : public TThemeServices {
public:
    bool ThemesAvailable() const override { return true; }
    bool ThemesEnabled() const override { return true; }
    void DrawElement(HDC, const TThemedElementDetails&, const TRect&) override {}
    void DrawText(HDC, const TThemedElementDetails&, const String&, TRect, unsigned) override {}
};

TEST_F(ColorScheme, OfficeColoursApplyOnlyWhileThemesAreOn) {
    TColor start, stop, frame, divider;
    CurrentXPColorScheme = xpcsGreen;
    GetGradientPanelColors(gcsMSOffice, start, stop);
    EXPECT_EQ(start, clWindow);  // themes off: the system-derived colours
    EXPECT_EQ(stop, 0x00E6E6E6u);

    auto previous = SetThemeServices(std::make_unique<TThemesOn>());
    GetGradientPanelColors(gcsMSOffice, start, stop);
    EXPECT_EQ(start, xpOfficeGreen_Panel_ColorStart);
    EXPECT_EQ(stop, xpOfficeGreen_Panel_ColorStop);
    EXPECT_EQ(GetGradientPanelFrameColor(gcsMSOffice), xpOfficeGreen_Panel_FrameColor);
    GetGradientStatusBarColors(gcsMSOffice, start, stop, divider);
    EXPECT_EQ(start, xpOfficeGreen_Panel_ColorStop);
    EXPECT_EQ(stop, xpOfficeGreen_Panel_ColorStart);
    EXPECT_EQ(divider, xpOfficeGreen_Panel_ColorStop);
    CurrentXPColorScheme = xpcsSilver;
    GetGradientSelectionColors(gcsMSOffice, frame, start, stop);
    EXPECT_EQ(frame, xpOfficeSilver_Selection_FrameColor);
    EXPECT_EQ(start, xpOfficeSilver_Selection_ColorStart);
    EXPECT_EQ(stop, xpOfficeSilver_Selection_ColorStop);
    // The custom style is derived from system colours even with themes on.
    GetGradientPanelColors(gcsCustom, start, stop);
    EXPECT_EQ(start, clWindow);
    SetThemeServices(std::move(previous));
}

TEST_F(ColorScheme, SystemColourSetsDeriveFromTheDesktopColours) {
    TColor frame, start, stop, divider;
    GetGradientSelectionColors(gcsSystem, frame, start, stop);
    EXPECT_EQ(frame, clHighlight);
    EXPECT_EQ(stop, 0x00F3D6B2u);
    EXPECT_EQ(start, 0x00F9E9D7u);
    EXPECT_EQ(GetGradientPanelFrameColor(gcsSystem), 0x00C0C0C0u);
    GetGradientStatusBarColors(gcsSystem, start, stop, divider);
    EXPECT_EQ(start, 0x00DBDBDBu);
    EXPECT_EQ(stop, clWindow);
    EXPECT_EQ(divider, 0x00C6C6C6u);

    FullColorSupported = false;  // a palette display: one colour instead of a gradient
    GetGradientSelectionColors(gcsSystem, frame, start, stop);
    EXPECT_EQ(start, stop);
    EXPECT_EQ(stop, 0x00F3D6B2u);
}

// The scheme (and the colour depth) are read when the platform starts, after
// the test main has pointed HOME at a home of the test's own, and not while
// the program is loaded, when HOME is still the user's. This test runs its
// own binary again with HOME at a stand-in for the user's real home, whose
// settings choose green, and hands it a prepared test home whose settings
// choose silver.
TEST(DisplayColours, AreReadFromTheTestsHomeWhenThePlatformStarts) {
    if (std::getenv("LUMIVAR_DISPLAY_COLOURS_CHILD")) {
        EXPECT_EQ(CurrentXPColorScheme, xpcsSilver);
        EXPECT_EQ(FullColorSupported, IsFullColorSupported());
        return;
    }
    const TTempDir userHome("lumivar-user-home");
    const TTempDir testHome("lumivar-test-home");
    for (const auto& [home, name] : {std::pair{&userHome, "HomeStead"}, std::pair{&testHome, "Metallic"}}) {
        std::filesystem::create_directories(*home / ".config/Lumivar");
        home->Write(".config/Lumivar/lumivar.ini", std::string("[ThemeManager]\nColorName=") + name + "\n");
    }
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    const std::string command = "env HOME='" + userHome.Path().string() + "' XDG_CONFIG_HOME='" +
                                (userHome / ".config").string() + "' LUMIVAR_TEST_HOME='" + testHome.Path().string() +
                                "' LUMIVAR_DISPLAY_COLOURS_CHILD=1 '" + self +
                                "' --gtest_filter=DisplayColours.AreReadFromTheTestsHomeWhenThePlatformStarts 2>&1";
    std::string output;
    FILE* child = ::popen(command.c_str(), "r");
    ASSERT_NE(child, nullptr);
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, child)) > 0;) output.append(buffer, n);
    EXPECT_EQ(::pclose(child), 0) << output;
}

TEST(FullColor, AScreenOfMoreThan256ColoursIsFullColour) {
    EXPECT_TRUE(IsFullColorSupported());
    EXPECT_TRUE(FullColorSupported);
}

}  // namespace
