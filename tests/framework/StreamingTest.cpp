#include <gtest/gtest.h>

#include <algorithm>

#include "Forms.h"
#include "StdCtrls.h"
#include "Streaming.h"
#include "ToolkitTypes.h"

namespace {

std::vector<String> gLoadedOrder;

// A panel with a stored property of its own (a list of names) and an older
// name that is read and never written.
class TNamesPanel : public TPanel {
public:
    LV_CLASS_NAME(TNamesPanel)
    explicit TNamesPanel(TComponent* owner) : TPanel(owner) {}
    std::vector<String> names;
    bool legacySeen = false;
    TPanel* buddy = nullptr;
    TPanel* Buddy() const { return buddy; }
    void SetBuddy(TPanel* p) { buddy = p; }

    void DefineProperties(TFiler* filer) override {
        TPanel::DefineProperties(filer);
        filer->DefineProperty(
            u"Names",
            [this](TReader& r) {
                r.ReadListBegin();
                while (!r.EndOfList()) names.push_back(r.ReadIdent());
                r.ReadListEnd();
            },
            [this](TWriter& w) {
                w.WriteListBegin();
                for (const auto& n : names) w.WriteIdent(n);
                w.WriteListEnd();
            },
            !names.empty());
        filer->DefineProperty(u"OldFlag", [this](TReader& r) { legacySeen = r.ReadBoolean(); }, {}, false);
    }
    void Loaded() override {
        TPanel::Loaded();
        gLoadedOrder.push_back(Name());
    }
};

class TLayoutForm : public TForm {
public:
    LV_CLASS_NAME(TLayoutForm)
    explicit TLayoutForm(TComponent* owner, std::string_view layout) : TForm(owner) {
        RegisterField(u"Top1", Top1);
        RegisterField(u"Inner", Inner);
        RegisterMethod(u"TopClick", [this](TObject*) { ++clicks; });
        RegisterMethod(u"FormCreate", [this](TObject*) { created = true; });
        ReadLayout(layout);
    }
    TNamesPanel* Top1 = nullptr;
    TPanel* Inner = nullptr;
    int clicks = 0;
    bool created = false;
};

void RegisterTestClasses() {
    RegisterToolkitClasses();
    static bool done = false;
    if (done) return;
    done = true;
    TClassBuilder<TNamesPanel>(u"TNamesPanel", u"TPanel")
        .Reference<TPanel>(u"Buddy", &TNamesPanel::Buddy, &TNamesPanel::SetBuddy);
    TClassBuilder<TLayoutForm>(u"TLayoutForm", u"TForm");
}

constexpr std::string_view kLayout = R"(object LayoutForm: TLayoutForm
  Left = 0
  Top = 0
  Caption = 'It''s here'
  ClientWidth = 300
  ClientHeight = 200
  Font.Name = 'Tahoma'
  Font.Height = -11
  Font.Style = [fsBold, fsItalic]
  OnCreate = FormCreate
  object Top1: TNamesPanel
    Left = 0
    Top = 0
    Width = 300
    Height = 40
    Align = alTop
    Buddy = Inner
    OnClick = TopClick
    Names = (
      Alpha
      Beta)
    OldFlag = True
    object Inner: TPanel
      Left = 5
      Top = 5
      Width = 50
      Height = 20
      Caption = 'caf'#233
    end
  end
end
)";

TEST(Streaming, ReadsComponentsPropertiesReferencesAndEvents) {
    RegisterTestClasses();
    gLoadedOrder.clear();
    auto form = TOwned<TLayoutForm>(new TLayoutForm(nullptr, kLayout));
    form->DoCreate();
    ASSERT_NE(form->Top1, nullptr);
    ASSERT_NE(form->Inner, nullptr);
    EXPECT_EQ(form->Name(), u"LayoutForm");
    EXPECT_EQ(form->Caption(), u"It's here");
    EXPECT_EQ(form->ClientWidth(), 300);
    EXPECT_TRUE(form->Font().Style().Contains(fsItalic));
    EXPECT_EQ(form->Top1->Parent(), form.get());
    EXPECT_EQ(form->Inner->Parent(), form->Top1);
    EXPECT_EQ(form->Inner->Owner(), form.get());
    EXPECT_EQ(form->Inner->Caption(), u"caf\u00E9");
    EXPECT_EQ(form->Top1->buddy, form->Inner);
    EXPECT_EQ(form->Top1->names, (std::vector<String>{u"Alpha", u"Beta"}));
    EXPECT_TRUE(form->Top1->legacySeen);
    EXPECT_TRUE(form->created);
    EXPECT_EQ(gLoadedOrder, std::vector<String>{u"Top1"});
    EXPECT_FALSE(form->Top1->IsLoading());

    form->Top1->Click();
    EXPECT_EQ(form->clicks, 1);
    // Aligned to the top once loaded, the stored width notwithstanding.
    EXPECT_EQ(form->Top1->BoundsRect(), Rect(0, 0, 300, 40));
}

TEST(Streaming, WritesWhatDiffersFromDefaultsAndNeverTheOlderNames) {
    RegisterTestClasses();
    auto form = TOwned<TLayoutForm>(new TLayoutForm(nullptr, kLayout));
    const std::string text = WriteComponentToText(form.get());
    EXPECT_NE(text.find("Names = (\n      Alpha\n      Beta)"), std::string::npos) << text;
    EXPECT_NE(text.find("Buddy = Inner"), std::string::npos);
    EXPECT_NE(text.find("OnClick = TopClick"), std::string::npos);
    EXPECT_NE(text.find("Align = alTop"), std::string::npos);
    EXPECT_EQ(text.find("OldFlag"), std::string::npos);
    EXPECT_EQ(text.find("Visible"), std::string::npos);  // default
    EXPECT_EQ(text.find("Enabled"), std::string::npos);  // default

    // Written text reads back into the same state.
    auto again = TOwned<TLayoutForm>(new TLayoutForm(nullptr, text));
    EXPECT_EQ(again->Top1->names, form->Top1->names);
    EXPECT_EQ(again->Inner->Caption(), form->Inner->Caption());
}

TEST(Streaming, AListOfIdentifiersHasItsFixedBinaryForm) {
    TWriter w;
    w.WriteListBegin();
    w.WriteIdent(u"BtnOpen");
    w.WriteIdent(u"KvSpacer1");
    w.WriteListEnd();
    const std::vector<std::uint8_t> expected = {0x01, 0x07, 7, 'B', 't', 'n', 'O', 'p', 'e', 'n',
                                                0x07, 9, 'K', 'v', 'S', 'p', 'a', 'c', 'e', 'r', '1', 0x00};
    EXPECT_EQ(w.Data(), expected);
}

TEST(Streaming, ReportsUnknownPropertiesAndClasses) {
    RegisterTestClasses();
    const char* badProperty = "object LayoutForm: TLayoutForm\n  Colour = clRed\nend\n";
    try {
        TOwned<TLayoutForm> form(new TLayoutForm(nullptr, badProperty));
        FAIL() << "no error";
    } catch (const EReadError& e) {
        EXPECT_EQ(e.Message(), u"Error reading LayoutForm.Colour: Property Colour does not exist");
    }
    const char* badClass = "object LayoutForm: TLayoutForm\n  object X: TNoSuchThing\n  end\nend\n";
    EXPECT_THROW(TOwned<TLayoutForm>(new TLayoutForm(nullptr, badClass)), EReadError);
}

}  // namespace
