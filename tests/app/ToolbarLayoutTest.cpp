#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "Forms.h"
#include "KvToolbarForm.h"
#include "Platform.h"
#include "TempDir.h"
#include "Unit1.h"

namespace {

namespace fs = std::filesystem;

// The main window with a settings store on a private INI file given to its
// toolbar (the window itself sets none).
class MainToolbar : public ::testing::Test {
protected:
    void SetUp() override {
        Application->Initialize();
        Application->SetErrorDisplay(TErrorDisplay::StandardError);
        form.reset(new TForm1(nullptr));
        store = new TKvRegIniFile(form.get());
        store->SetFileName(S(ini.string()));
    }
    void TearDown() override { TCustomForm::SetModalAutomation(nullptr); }
    std::string Contents() const { return FileContents(ini); }

    TTempDir dir{"lumivar-main-toolbar"};
    fs::path ini = dir / "layout.ini";
    TOwned<TForm1> form;
    TKvRegIniFile* store = nullptr;
};

TEST_F(MainToolbar, TheWindowSetsNoStoreSoItWritesNoLayout) {
    EXPECT_EQ(form->KvToolbar1->RegIniFile(), nullptr);
    EXPECT_THROW(form->KvToolbar1->SaveLayout(), ENoRegIniFile);
}

TEST_F(MainToolbar, SavingWritesElevenValues) {
    form->KvToolbar1->SetRegIniFile(store);
    form->KvToolbar1->SaveLayout();
    EXPECT_EQ(Contents(),
              "[KvToolbar1]\nTextOptions=0\nCount=9\nControl0=BtnExecute\nControl1=BtnOpen\nControl2=KvSpacer1\n"
              "Control3=BtnInformation\nControl4=BtnWarning\nControl5=BtnError\nControl6=KvSpacer2\n"
              "Control7=BtnSelectAll\nControl8=BtnCopy\n");
}

// Saved with Select All hidden and restored: hidden again, and Copy closes
// up to its place.
TEST_F(MainToolbar, AHiddenSelectAllComesBackHiddenWithTheGapClosed) {
    TKvToolbar* toolbar = form->KvToolbar1;
    toolbar->SetRegIniFile(store);
    form->BtnSelectAll->SetVisible(false);
    toolbar->SaveLayout();
    EXPECT_NE(Contents().find("Control7=##BtnSelectAll\n"), std::string::npos);
    form->BtnSelectAll->SetVisible(true);
    EXPECT_EQ(form->BtnCopy->Left(), 170);
    toolbar->RestoreLayout();
    EXPECT_FALSE(form->BtnSelectAll->Visible());
    EXPECT_EQ(form->BtnCopy->Left(), 145);
}

TEST_F(MainToolbar, TheDialogListsTheToolbarInItsOrderAllChecked) {
    std::vector<String> items;
    std::vector<bool> checked;
    TCustomForm::SetModalAutomation([&](TCustomForm& shown) {
        auto& dialog = dynamic_cast<TKvFrmCustomizeToolbar&>(shown);
        for (int i = 0; i < dialog.LstControls->Count(); ++i) {
            items.push_back(dialog.LstControls->Items().Get(i));
            checked.push_back(dialog.LstControls->Checked(i));
        }
        dialog.BtnClose->Click();
    });
    form->KvToolbar1->Customize(true);
    EXPECT_EQ(items, (std::vector<String>{u"Execute", u"Open", u"Spacer", u"Information", u"Warning", u"Error",
                                          u"Spacer", u"Select All", u"Copy"}));
    EXPECT_EQ(checked, std::vector<bool>(9, true));
}

}  // namespace
