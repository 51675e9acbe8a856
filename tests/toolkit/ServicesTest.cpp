#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "Settings.h"
#include "TempDir.h"
#include "Themes.h"

namespace {

TEST(ThemeServices, ThisPlatformHasNoThemesAndItsOwnLook) {
    EXPECT_FALSE(ThemeServices().ThemesAvailable());
    EXPECT_FALSE(ThemeServices().ThemesEnabled());
    EXPECT_TRUE(StyleServices().IsSystemStyle());
    EXPECT_EQ(StyleServices().GetSystemColor(clBtnFace), clBtnFace);
    EXPECT_EQ(StyleServices().GetStyleFontColor(sfButtonTextNormal), clNone);
    TColor c = clRed;
    EXPECT_FALSE(StyleServices().GetElementColor(StyleServices().GetElementDetails(sePanelBackground), ecFillColor, c));
    EXPECT_EQ(c, clRed);
}

class TEnabledThemes : public TThemeServices {
public:
    bool ThemesAvailable() const override { return true; }
    bool ThemesEnabled() const override { return true; }
    void DrawElement(HDC, const TThemedElementDetails&, const TRect&) override {}
    void DrawText(HDC, const TThemedElementDetails&, const String&, TRect, unsigned) override {}
};

TEST(ThemeServices, AnInstalledServiceAnswersUntilTheDefaultIsPutBack) {
    auto previous = SetThemeServices(std::make_unique<TEnabledThemes>());
    EXPECT_TRUE(ThemeServices().ThemesEnabled());
    SetThemeServices(std::move(previous));
    EXPECT_FALSE(ThemeServices().ThemesEnabled());
    SetThemeServices(std::make_unique<TEnabledThemes>());
    SetThemeServices(nullptr);
    EXPECT_FALSE(ThemeServices().ThemesEnabled());
}

class SettingsFile : public testing::Test {
protected:
    void TearDown() override { SetSettingsFileName(String()); }
    String Write(const std::string& text) { return S(dir_.Write("lumivar.ini", text).string()); }
    TTempDir dir_;
};

TEST_F(SettingsFile, ReadsAValueOfASectionAndFallsBackToTheDefault) {
    SetSettingsFileName(Write("; user settings\n[Other]\nColorName=Wrong\n[themeManager]\n colorname = Metallic \nOther=a, b\n"));
    EXPECT_EQ(ReadSettingString(u"ThemeManager", u"ColorName", u"x"), u"Metallic");
    EXPECT_EQ(ReadSettingString(u"ThemeManager", u"Other", u""), u"a, b");
    EXPECT_EQ(ReadSettingString(u"ThemeManager", u"Missing", u"x"), u"x");
    EXPECT_EQ(ReadSettingString(u"Elsewhere", u"ColorName", u"y"), u"y");
}

TEST_F(SettingsFile, AByteOrderMarkInFrontOfTheFirstSectionIsSkipped) {
    SetSettingsFileName(Write("\xEF\xBB\xBF[ThemeManager]\nColorName=HomeStead\n"));
    EXPECT_EQ(ReadSettingString(u"ThemeManager", u"ColorName", u""), u"HomeStead");
}

TEST_F(SettingsFile, ReadingAMissingFileGivesTheDefaultAndCreatesNothing) {
    const auto missing = dir_ / "sub" / "absent.ini";
    SetSettingsFileName(S(missing.string()));
    EXPECT_EQ(ReadSettingString(u"ThemeManager", u"ColorName", u"none"), u"none");
    EXPECT_FALSE(std::filesystem::exists(missing));
    EXPECT_FALSE(std::filesystem::exists(dir_ / "sub"));
}

// The user's configuration is that of the test's own home here (the test
// main points it there), so no test reads the user's real settings.
TEST(Settings, TheDefaultFileIsTheProgramsOwnInTheUsersConfiguration) {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    ASSERT_NE(config, nullptr);
    EXPECT_EQ(StringToUtf8(SettingsFileName()), std::string(config) + "/Lumivar/lumivar.ini");
}

}  // namespace
