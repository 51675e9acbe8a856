#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "Forms.h"
#include "IniFiles.h"
#include "KvButton.h"
#include "KvPanel.h"
#include "Streaming.h"
#include "TempDir.h"

namespace {

namespace fs = std::filesystem;

// A toolbar "Bar" on a form 400 wide holding tool buttons of the given
// names in that order, and a settings store on an INI file of its own.
struct TLayoutFixture {
    TTempDir dir{"lumivar-layout"};
    fs::path ini = dir / "layout.ini";
    TOwned<TForm> form{new TForm(nullptr)};
    TKvToolbar* toolbar = nullptr;
    TKvRegIniFile* store = nullptr;

    explicit TLayoutFixture(const std::vector<std::string>& names) {
        RegisterKvButtonClasses();
        form->SetBounds(0, 0, 400, 300);
        toolbar = new TKvToolbar(form.get());
        toolbar->SetName(u"Bar");
        toolbar->SetParent(form.get());
        for (const std::string& name : names) {
            auto* button = new TKvToolButton(form.get());
            button->SetName(S(name));
            button->SetParent(toolbar);
        }
        store = new TKvRegIniFile(form.get());
        store->SetFileName(S(ini.string()));
        toolbar->SetRegIniFile(store);
    }
    TControl* Control(const std::string& name) const { return dynamic_cast<TControl*>(form->FindComponent(S(name))); }
    // The list as names, a hidden control's with "##" in front.
    std::vector<std::string> Order() const {
        std::vector<std::string> out;
        TKvToolbarControlList& list = toolbar->ToolbarControls();
        for (int i = 0; i < list.Count(); ++i) {
            const TControl* c = list.Items(i)->Control();
            out.push_back((c->Visible() ? "" : "##") + StringToUtf8(c->Name()));
        }
        return out;
    }
    std::vector<int> Lefts(const std::vector<std::string>& names) const {
        std::vector<int> out;
        for (const std::string& name : names) out.push_back(Control(name)->Left());
        return out;
    }
    void WriteIni(const std::string& text) const { dir.Write("layout.ini", text); }
};

TEST(KvToolbarLayout, SavingWritesTextOptionsCountAndEveryEntryInListOrder) {
    TLayoutFixture f({"BtnA", "BtnB", "BtnC"});
    f.toolbar->ToolbarControls().Move(2, 0);
    f.Control("BtnB")->SetVisible(false);
    f.toolbar->SetTextOptions(ttoSelectiveTextOnRight);
    f.toolbar->SaveLayout();
    EXPECT_EQ(FileContents(f.ini), "[Bar]\nTextOptions=2\nCount=3\nControl0=BtnC\nControl1=BtnA\nControl2=##BtnB\n");
}

// Keys of a longer layout saved before stay in the store, and the rest of
// the file is not touched.
TEST(KvToolbarLayout, SavingAShorterListLeavesTheLaterKeysAndOtherSections) {
    TLayoutFixture f({"BtnA", "BtnB"});
    f.WriteIni("[Window]\nLeft=5\n[Bar]\nTextOptions=0\nCount=3\nControl0=BtnX\nControl1=BtnY\nControl2=BtnZ\n");
    f.toolbar->SaveLayout();
    EXPECT_EQ(FileContents(f.ini),
              "[Window]\nLeft=5\n[Bar]\nTextOptions=0\nCount=2\nControl0=BtnA\nControl1=BtnB\nControl2=BtnZ\n");
}

TEST(KvToolbarLayout, WithoutAStoreBothOperationsRaiseAndTouchNothing) {
    TLayoutFixture f({"BtnA"});
    f.toolbar->SetRegIniFile(nullptr);
    for (auto operation : {&TKvToolbar::SaveLayout, &TKvToolbar::RestoreLayout}) {
        try {
            (f.toolbar->*operation)();
            ADD_FAILURE() << "no error";
        } catch (const ENoRegIniFile& e) {
            EXPECT_EQ(e.Message(), u"No TKvRegIniFile component specified");
        }
    }
    EXPECT_FALSE(fs::exists(f.ini));
}

// A hidden control comes back hidden, and the controls after it close the
// gap; the order comes back too.
TEST(KvToolbarLayout, ARestoredLayoutBringsBackOrderAndHiddenControls) {
    TLayoutFixture f({"BtnA", "BtnB", "BtnC", "BtnD"});
    f.toolbar->ToolbarControls().Move(3, 0);
    f.Control("BtnB")->SetVisible(false);
    f.toolbar->SaveLayout();
    f.toolbar->ToolbarControls().Move(0, 3);
    f.Control("BtnB")->SetVisible(true);
    EXPECT_EQ(f.Order(), (std::vector<std::string>{"BtnA", "BtnB", "BtnC", "BtnD"}));

    f.toolbar->RestoreLayout();
    EXPECT_EQ(f.Order(), (std::vector<std::string>{"BtnD", "BtnA", "##BtnB", "BtnC"}));
    EXPECT_EQ(f.Lefts({"BtnD", "BtnA", "BtnC"}), (std::vector<int>{4, 29, 54}));
}

TEST(KvToolbarLayout, ALayoutOfAnotherCountRestoresOnlyTheTextOptions) {
    TLayoutFixture f({"BtnA", "BtnB", "BtnC"});
    f.WriteIni("[Bar]\nTextOptions=1\nCount=2\nControl0=##BtnB\nControl1=BtnA\n");
    f.toolbar->RestoreLayout();
    EXPECT_EQ(f.Order(), (std::vector<std::string>{"BtnA", "BtnB", "BtnC"}));
    EXPECT_EQ(f.toolbar->TextOptions(), ttoShowTextLabels);
}

// Control3 is missing: whatever entry arrives at index 3 stays there with
// the visibility it had.
TEST(KvToolbarLayout, AMissingKeyLeavesItsEntryAlone) {
    TLayoutFixture f({"BtnA", "BtnB", "BtnC", "BtnD", "BtnE"});
    f.Control("BtnB")->SetVisible(false);
    f.WriteIni("[Bar]\nCount=5\nControl0=BtnE\nControl1=BtnD\nControl2=BtnC\nControl4=##BtnA\n");
    f.toolbar->RestoreLayout();
    EXPECT_EQ(f.Order(), (std::vector<std::string>{"BtnE", "BtnD", "BtnC", "##BtnB", "##BtnA"}));
    EXPECT_EQ(f.toolbar->TextOptions(), ttoNoTextLabels);  // none stored
}

// A control renamed or removed since the layout was saved while the count
// stayed the same: its place is skipped like a missing key, the other names
// still take their places, the toolbar is laid out and the text options come
// back, and nothing is raised.
TEST(KvToolbarLayout, ANameTheListNoLongerHoldsIsSkipped) {
    TLayoutFixture f({"BtnA", "BtnB", "BtnC"});
    f.WriteIni("[Bar]\nTextOptions=1\nCount=3\nControl0=BtnC\nControl1=BtnGone\nControl2=##BtnA\n");
    EXPECT_NO_THROW(f.toolbar->RestoreLayout());
    EXPECT_EQ(f.Order(), (std::vector<std::string>{"BtnC", "BtnB", "##BtnA"}));
    EXPECT_EQ(f.toolbar->TextOptions(), ttoShowTextLabels);
    EXPECT_EQ(f.Lefts({"BtnC", "BtnB"}), (std::vector<int>{4, 64}));  // laid out as 60-pixel buttons
}

TEST(KvToolbarLayout, StoredTextOptionsOneGivesButtonsOf60By40WithCaptionsUnderTheGlyphs) {
    TLayoutFixture f({"BtnA", "BtnB"});
    f.WriteIni("[Bar]\nTextOptions=1\n");
    f.toolbar->RestoreLayout();
    EXPECT_EQ(f.toolbar->ButtonWidth(), 60);
    EXPECT_EQ(f.toolbar->ButtonHeight(), 40);
    EXPECT_EQ(f.toolbar->ButtonLayout(), blGlyphTop);
    EXPECT_TRUE(f.toolbar->ShowButtonCaptions());
    auto* button = dynamic_cast<TKvToolButton*>(f.Control("BtnB"));
    EXPECT_EQ(button->BoundsRect(), Rect(64, 2, 124, 42));
    EXPECT_EQ(button->Layout(), blGlyphTop);
    EXPECT_TRUE(button->ShowCaption());
    EXPECT_EQ(f.toolbar->Height(), 44);
}

// The file may hold any number: only the four text options are taken.
TEST(KvToolbarLayout, ATextOptionsValueOutsideTheEnumerationIsIgnored) {
    for (const char* stored : {"4", "-2", "99999"}) {
        TLayoutFixture f({"BtnA"});
        f.toolbar->SetTextOptions(ttoShowTextLabels);
        f.WriteIni(std::string("[Bar]\nTextOptions=") + stored + "\n");
        f.toolbar->RestoreLayout();
        EXPECT_EQ(f.toolbar->TextOptions(), ttoShowTextLabels) << stored;
    }
}

TEST(KvToolbarLayout, ErrorsOfTheStorePassToTheCaller) {
    TLayoutFixture f({"BtnA"});
    const fs::path blocker = f.dir.Write("blocker", "not a folder");
    f.store->SetFileName(S((blocker / "layout.ini").string()));
    EXPECT_THROW(f.toolbar->SaveLayout(), EIniFileException);
    f.store->SetFileName(S(f.dir.Path().string()));  // a folder
    EXPECT_THROW(f.toolbar->RestoreLayout(), EIniFileException);
}

TEST(KvToolbarLayout, AStoreThatGoesAwayIsForgotten) {
    TLayoutFixture f({"BtnA"});
    f.store->Free();
    EXPECT_EQ(f.toolbar->RegIniFile(), nullptr);
    EXPECT_THROW(f.toolbar->SaveLayout(), ENoRegIniFile);
}

// The store's file name is stored in a layout, and the toolbar finds the
// store by its name there.
TEST(KvToolbarLayout, AStoreAndItsFileNameComeFromALayout) {
    RegisterKvButtonClasses();
    TTempDir dir("lumivar-layout");
    const fs::path ini = dir.Write("from-layout.ini", "[KvToolbar1]\nTextOptions=2\n");
    const std::string layout = "object Host: TForm\n  object KvToolbar1: TKvToolbar\n    RegIniFile = Store\n"
                               "    BorderInner = fsNone\n    BorderOuter = fsGroove\n    BorderSides = [sdTop]\n"
                               "    BorderWidth = 0\n  end\n  object Store: TKvRegIniFile\n    FileName = '" +
                               ini.string() + "'\n  end\nend\n";
    auto form = MakeOwned<TForm>(nullptr);
    ReadComponentFromText(form.get(), layout);
    auto* toolbar = dynamic_cast<TKvToolbar*>(form->FindComponent(u"KvToolbar1"));
    ASSERT_NE(toolbar, nullptr);
    ASSERT_NE(toolbar->RegIniFile(), nullptr);
    EXPECT_EQ(toolbar->RegIniFile()->FileName(), S(ini.string()));
    toolbar->RestoreLayout();
    EXPECT_EQ(toolbar->TextOptions(), ttoSelectiveTextOnRight);
    EXPECT_NE(WriteComponentToText(form.get()).find("FileName = '" + ini.string() + "'"), std::string::npos);
}

// --- captions -----------------------------------------------------------------------

TEST(KvCustomizeCaptions, NineTextsIndexedFromOneAndAnyWriteMarksThemStored) {
    TKvCustomizeCaptions captions;
    const char16_t* texts[] = {u"Customize Toolbar", u"Uncheck to hide control", u"Close",
                               u"Move Up",           u"Move Down",               u"Text Options",
                               u"No text labels",    u"Show text labels",        u"Selective text on right"};
    for (int i = 1; i <= 9; ++i) EXPECT_EQ(captions.GetCaption(i), texts[i - 1]) << i;
    EXPECT_EQ(captions.GetCaption(0), u"");
    EXPECT_EQ(captions.GetCaption(10), u"");
    EXPECT_FALSE(captions.StoreCaptions());
    captions.SetCaption(10, u"ignored");
    EXPECT_TRUE(captions.StoreCaptions());
    EXPECT_EQ(captions.GetCaption(10), u"");
    EXPECT_EQ(captions.GetCaption(1), u"Customize Toolbar");
}

constexpr std::string_view kToolbarWithTitle = R"(object Host: TForm
  object KvToolbar1: TKvToolbar
    BorderInner = fsNone
    BorderOuter = fsGroove
    BorderSides = [sdTop]
    BorderWidth = 0
    CustomizeCaptions.Title = 'Barra'
  end
end
)";

// The names of the stored caption properties in a text layout, in order.
std::vector<std::string> StoredCaptions(const std::string& text) {
    std::vector<std::string> names;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        const auto at = line.find("CustomizeCaptions.");
        if (at != std::string::npos) names.push_back(line.substr(at + 18, line.find(' ', at) - at - 18));
    }
    return names;
}

// One caption set in a layout makes all nine stored again, in the text form
// and in the binary form; a toolbar whose captions nobody set stores none.
TEST(KvCustomizeCaptions, OneCaptionSetInALayoutStoresAllNine) {
    RegisterKvButtonClasses();
    auto form = MakeOwned<TForm>(nullptr);
    ReadComponentFromText(form.get(), kToolbarWithTitle);
    auto* toolbar = dynamic_cast<TKvToolbar*>(form->FindComponent(u"KvToolbar1"));
    ASSERT_NE(toolbar, nullptr);
    EXPECT_EQ(toolbar->CustomizeCaptions().GetCaption(1), u"Barra");
    const std::vector<std::string> all{"Title",        "Hint",           "Close",         "MoveUp",
                                       "MoveDown",     "TextOptions",    "NoTextLabels",  "ShowTextLabels",
                                       "SelectiveTextOnRight"};
    EXPECT_EQ(StoredCaptions(WriteComponentToText(form.get())), all);
    TWriter binary;
    binary.WriteRootComponent(form.get());
    EXPECT_EQ(StoredCaptions(ObjectBinaryToText(binary.Data())), all);
    EXPECT_NE(WriteComponentToText(form.get()).find("CustomizeCaptions.Title = 'Barra'"), std::string::npos);

    auto plain = MakeOwned<TForm>(nullptr);
    auto* untouched = new TKvToolbar(plain.get());
    untouched->SetName(u"KvToolbar1");
    untouched->SetParent(plain.get());
    EXPECT_TRUE(StoredCaptions(WriteComponentToText(plain.get())).empty());
}

}  // namespace
