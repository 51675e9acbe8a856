#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "Settings.h"
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
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() / ("lumivar-settings-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override {
        SetSettingsFileName(String());
        std::filesystem::remove_all(dir_);
    }
    String Write(const std::string& text) {
        const auto path = dir_ / "lumivar.ini";
        std::ofstream(path) << text;
        return S(path.string());
    }
    std::filesystem::path dir_;
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

TEST(Settings, TheDefaultFileIsTheProgramsOwnInTheUsersConfiguration) {
    const std::string name = StringToUtf8(SettingsFileName());
    EXPECT_NE(name.find("/Lumivar/lumivar.ini"), std::string::npos) << name;
}

}  // namespace
