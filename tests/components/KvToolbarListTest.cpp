#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "Forms.h"
#include "KvButton.h"
#include "KvPanel.h"
#include "PixelPicture.h"
#include "Streaming.h"

namespace {

// A toolbar as the main window stores it: children created in one order,
// laid out in the stored order of "ToolbarControls".
constexpr std::string_view kMainToolbar = R"(object Host: TForm
  ClientWidth = 1025
  ClientHeight = 527
  object KvToolbar1: TKvToolbar
    Left = 0
    Top = 0
    Width = 1025
    Height = 29
    BorderInner = fsNone
    BorderOuter = fsGroove
    BorderSides = [sdTop]
    BorderWidth = 0
    ToolbarControls = (
      BtnExecute
      BtnOpen
      KvSpacer1
      BtnInformation
      BtnWarning
      BtnError
      KvSpacer2
      BtnSelectAll
      BtnCopy)
    object BtnOpen: TKvToolButton
      Left = 29
      Top = 2
    end
    object BtnInformation: TKvToolButton
      Left = 62
      Top = 2
    end
    object BtnWarning: TKvToolButton
      Left = 87
      Top = 2
    end
    object BtnError: TKvToolButton
      Left = 112
      Top = 2
    end
    object KvSpacer1: TKvSpacer
      Left = 54
      Top = 2
    end
    object KvSpacer2: TKvSpacer
      Left = 137
      Top = 2
    end
    object BtnSelectAll: TKvToolButton
      Left = 145
      Top = 2
    end
    object BtnCopy: TKvToolButton
      Left = 170
      Top = 2
    end
    object BtnExecute: TKvToolButton
      Left = 4
      Top = 2
    end
  end
end
)";

const std::vector<String> kStoredOrder{u"BtnExecute", u"BtnOpen",  u"KvSpacer1",    u"BtnInformation", u"BtnWarning",
                                       u"BtnError",   u"KvSpacer2", u"BtnSelectAll", u"BtnCopy"};

TOwned<TForm> ReadHost(std::string_view layout) {
    RegisterKvButtonClasses();
    auto form = MakeOwned<TForm>(nullptr);
    ReadComponentFromText(form.get(), layout);
    return form;
}

TKvToolbar& ToolbarOf(TForm& form, const char16_t* name = u"KvToolbar1") {
    auto* toolbar = dynamic_cast<TKvToolbar*>(form.FindComponent(name));
    if (!toolbar) throw Exception(u"no toolbar");
    return *toolbar;
}

std::vector<String> ListedNames(TKvToolbar& toolbar) {
    std::vector<String> names;
    TKvToolbarControlList& list = toolbar.ToolbarControls();
    for (int i = 0; i < list.Count(); ++i) names.push_back(list.Items(i)->Control()->Name());
    return names;
}

// The identifiers after a stored property's name in the binary form.
std::vector<std::uint8_t> BytesAfter(const std::vector<std::uint8_t>& data, const std::string& property, size_t n) {
    std::vector<std::uint8_t> key{static_cast<std::uint8_t>(property.size())};
    key.insert(key.end(), property.begin(), property.end());
    const auto at = std::search(data.begin(), data.end(), key.begin(), key.end());
    if (at == data.end()) return {};
    const auto from = at + static_cast<long>(key.size());
    return std::vector<std::uint8_t>(from, from + static_cast<long>(std::min<size_t>(n, data.end() - from)));
}

// The names of "ToolbarControls" in a text layout.
std::vector<String> StoredNames(const std::string& text) {
    const auto at = text.find("ToolbarControls = (");
    if (at == std::string::npos) return {};
    const auto from = at + std::string("ToolbarControls = (").size();
    std::istringstream words(text.substr(from, text.find(')', from) - from));
    std::vector<String> names;
    for (std::string word; words >> word;) names.push_back(S(word));
    return names;
}

std::vector<std::uint8_t> IdentListBytes(const std::vector<String>& names) {
    std::vector<std::uint8_t> bytes{0x01};
    for (const String& name : names) {
        const std::string utf8 = StringToUtf8(name);
        bytes.push_back(0x07);
        bytes.push_back(static_cast<std::uint8_t>(utf8.size()));
        bytes.insert(bytes.end(), utf8.begin(), utf8.end());
    }
    bytes.push_back(0x00);
    return bytes;
}

TEST(KvToolbarControlList, TheStoredOrderIsTheOrderOnScreenWhateverTheCreationOrder) {
    auto form = ReadHost(kMainToolbar);
    TKvToolbar& toolbar = ToolbarOf(*form);
    EXPECT_EQ(ListedNames(toolbar), kStoredOrder);
    EXPECT_EQ(toolbar.ToolbarControls().PendingList(), nullptr);

    const int lefts[] = {4, 29, 54, 62, 87, 112, 137, 145, 170};
    for (int i = 0; i < 9; ++i) {
        TControl* c = toolbar.ToolbarControls().Items(i)->Control();
        EXPECT_EQ(c->Left(), lefts[i]) << StringToUtf8(c->Name());
        EXPECT_EQ(c->Top(), 2) << StringToUtf8(c->Name());
    }
    EXPECT_EQ(toolbar.Height(), 29);
    EXPECT_TRUE(toolbar.AutoStyle());  // the stored edge equals the constructor's

    // Written back: the same order, as text and byte for byte in binary form.
    EXPECT_EQ(StoredNames(WriteComponentToText(form.get())), kStoredOrder);
    TWriter writer;
    writer.WriteRootComponent(form.get());
    const std::vector<std::uint8_t> list = IdentListBytes(kStoredOrder);
    EXPECT_EQ(BytesAfter(writer.Data(), "ToolbarControls", list.size()), list);
    EXPECT_EQ(list[1], 0x07);
    EXPECT_EQ(list[2], 0x0A);  // "BtnExecute"
}

std::string ToolbarWithOrder(const std::string& order, const std::string& children, const std::string& after = "") {
    return "object Host: TForm\n  object KvToolbar1: TKvToolbar\n    Width = 400\n" + order + children + "  end\n" +
           after + "end\n";
}

const std::string kThreeButtons =
    "    object A: TKvToolButton\n    end\n    object B: TKvToolButton\n    end\n    object C: TKvToolButton\n    end\n";

TEST(KvToolbarControlList, ResolvesStoredNamesAgainstTheFormsComponents) {
    const std::string otherPanel = "  object Other: TKvToolbar\n    object D: TKvToolButton\n    end\n  end\n";
    struct Case {
        const char* what;
        std::string layout;
        std::vector<String> expected;
    };
    const Case cases[] = {
        {"no stored order: child order", ToolbarWithOrder("", kThreeButtons), {u"A", u"B", u"C"}},
        {"a missing name is dropped", ToolbarWithOrder("    ToolbarControls = (C Gone A)\n", kThreeButtons),
         {u"C", u"A"}},
        {"one pending entry per name in any case",
         ToolbarWithOrder("    ToolbarControls = (c B C a)\n", kThreeButtons), {u"C", u"B", u"A"}},
        {"a name of a component that is no control is dropped",
         ToolbarWithOrder("    ToolbarControls = (B Pics A)\n", kThreeButtons, "  object Pics: TImageList\n  end\n"),
         {u"B", u"A"}},
        {"a name on another container: the order came from a copy, every child follows",
         ToolbarWithOrder("    ToolbarControls = (C D A)\n", kThreeButtons, otherPanel), {u"C", u"A", u"B"}},
        {"a second reading replaces the pending names",
         ToolbarWithOrder("    ToolbarControls = (A B)\n    ToolbarControls = (B)\n", kThreeButtons), {u"B"}},
    };
    for (const auto& tc : cases) {
        auto form = ReadHost(tc.layout);
        EXPECT_EQ(ListedNames(ToolbarOf(*form)), tc.expected) << tc.what;
    }
}

TEST(KvToolbarControlList, UnnamedChildrenJoinWhenTheToolbarIsFirstAskedToAlignThem) {
    auto form = ReadHost(ToolbarWithOrder("    ToolbarControls = (C A)\n", kThreeButtons));
    TKvToolbar& toolbar = ToolbarOf(*form);
    ASSERT_EQ(ListedNames(toolbar), (std::vector<String>{u"C", u"A"}));
    auto* b = dynamic_cast<TControl*>(form->FindComponent(u"B"));
    b->SetTop(10);  // a move asks the toolbar to align B
    EXPECT_EQ(ListedNames(toolbar), (std::vector<String>{u"C", u"A", u"B"}));
    EXPECT_EQ(b->Left(), 54);
    EXPECT_EQ(b->Top(), 2);

    // A toolbar without children stores no order at all.
    auto empty = MakeOwned<TForm>(nullptr);
    auto* bare = new TKvToolbar(empty.get());
    bare->SetName(u"Bare");
    bare->SetParent(empty.get());
    EXPECT_EQ(WriteComponentToText(empty.get()).find("ToolbarControls"), std::string::npos);
}

TEST(KvToolbarControlList, EntriesAreFoundByControlOrByTheNameTheyWereMadeWith) {
    auto form = ReadHost(kMainToolbar);
    TKvToolbarControlList& list = ToolbarOf(*form).ToolbarControls();
    auto* open = dynamic_cast<TControl*>(form->FindComponent(u"BtnOpen"));
    auto* error = dynamic_cast<TControl*>(form->FindComponent(u"BtnError"));

    EXPECT_EQ(list.AddControl(open), 1);  // listed: neither moved nor doubled
    EXPECT_EQ(list.Count(), 9);
    EXPECT_EQ(list.IndexOfName(u"btnopen"), 1);

    open->SetName(u"BtnAbrir");
    EXPECT_EQ(list.IndexOfName(u"BtnAbrir"), -1);
    EXPECT_EQ(list.IndexOfName(u"BtnOpen"), 1);
    EXPECT_EQ(StoredNames(WriteComponentToText(form.get()))[1], u"BtnAbrir");

    EXPECT_EQ(list.RemoveControl(dynamic_cast<TControl*>(form->FindComponent(u"KvSpacer1"))), 2);
    EXPECT_EQ(list.Count(), 8);
    EXPECT_NE(form->FindComponent(u"KvSpacer1"), nullptr);  // the control itself lives on
    EXPECT_EQ(list.RemoveControl(dynamic_cast<TControl*>(form->FindComponent(u"KvSpacer1"))), -1);
    EXPECT_EQ(list.RemoveControlName(u"BTNERROR"), 4);
    EXPECT_EQ(list.IndexOf(error), -1);
    EXPECT_THROW(list.Items(7), EListError);
    list.Move(0, 6);
    EXPECT_EQ(list.Items(6)->Control()->Name(), u"BtnExecute");
}

TEST(KvToolbarControlList, ADestroyedControlLeavesTheListAndTheRestCloseUp) {
    auto form = ReadHost(kMainToolbar);
    TKvToolbar& toolbar = ToolbarOf(*form);
    dynamic_cast<TComponent*>(form->FindComponent(u"BtnOpen"))->Free();
    EXPECT_EQ(toolbar.ToolbarControls().Count(), 8);
    EXPECT_EQ(dynamic_cast<TControl*>(form->FindComponent(u"KvSpacer1"))->Left(), 29);
}

TEST(KvToolbarControlList, AnEntryWithoutAControlIsNeitherLaidOutNorWritten) {
    auto form = ReadHost(kMainToolbar);
    TKvToolbar& toolbar = ToolbarOf(*form);
    TKvToolbarControlList& list = toolbar.ToolbarControls();
    list.AddControlName(u"Ghost");  // a name only, as in a pending list
    list.Move(list.Count() - 1, 1);
    toolbar.Realign();
    EXPECT_EQ(dynamic_cast<TControl*>(form->FindComponent(u"BtnOpen"))->Left(), 29);  // the name takes no place

    const std::string text = WriteComponentToText(form.get());
    EXPECT_EQ(StoredNames(text), kStoredOrder);
    TWriter writer;
    writer.WriteRootComponent(form.get());
    const std::vector<std::uint8_t> names = IdentListBytes(kStoredOrder);
    EXPECT_EQ(BytesAfter(writer.Data(), "ToolbarControls", names.size()), names);

    auto again = ReadHost(text);
    EXPECT_EQ(ListedNames(ToolbarOf(*again)), kStoredOrder);
}

// A toolbar class that supplies a list of its own.
class TOwnList : public TKvToolbarControlList {
public:
    using TKvToolbarControlList::TKvToolbarControlList;
};

class TOwnListToolbar : public TKvToolbar {
public:
    LV_CLASS_NAME(TOwnListToolbar)
    using TKvToolbar::TKvToolbar;

protected:
    TKvToolbarControlList* CreateToolbarControlList() override { return new TOwnList(this); }
};

TEST(KvToolbarControlList, ADescendantsFactorySuppliesTheList) {
    RegisterKvButtonClasses();
    TClassBuilder<TOwnListToolbar>(u"TOwnListToolbar", u"TKvToolbar");

    auto host = MakeOwned<TForm>(nullptr);
    auto* made = new TOwnListToolbar(host.get());
    made->SetParent(host.get());
    auto* button = new TKvToolButton(host.get());
    button->SetParent(made);
    ASSERT_NE(dynamic_cast<TOwnList*>(&made->ToolbarControls()), nullptr);
    EXPECT_EQ(made->ToolbarControls().IndexOf(button), 0);

    std::string layout(kMainToolbar);
    layout.replace(layout.find("TKvToolbar\n"), 10, "TOwnListToolbar");
    auto form = ReadHost(layout);
    TKvToolbar& read = ToolbarOf(*form);
    EXPECT_NE(dynamic_cast<TOwnList*>(&read.ToolbarControls()), nullptr);
    EXPECT_EQ(ListedNames(read), kStoredOrder);
    EXPECT_EQ(StoredNames(WriteComponentToText(form.get())), kStoredOrder);
}

// --- spacer ------------------------------------------------------------------

constexpr TColor kBack = clRed;
const TPalette kSpacerPal{{kBack, '.'}, {ColorToRGB(clBtnShadow), 's'}, {ColorToRGB(clBtnHighlight), 'h'}};

TPicture SpacerPicture(int width, int height) {
    auto host = MakeOwned<TWinControl>(nullptr);
    host->SetColor(kBack);
    host->SetBounds(0, 0, width, height);
    auto* spacer = new TKvSpacer(host.get());
    spacer->SetGrooved(true);
    spacer->SetBounds(0, 0, width, height);
    spacer->SetParent(host.get());
    TBitmap bmp;
    host->GetImage(bmp);
    return Picture(bmp, kSpacerPal);
}

TEST(KvSpacer, AGroovedSpacerDrawsShadowAndHighlightAcrossItsMiddle) {
    const TPicture vertical = SpacerPicture(8, 25);
    EXPECT_EQ(vertical.front(), "........");
    for (int y = 1; y < 25; ++y) EXPECT_EQ(vertical[y], "...sh...") << y;

    const TPicture horizontal = SpacerPicture(25, 8);
    EXPECT_EQ(horizontal[2], std::string(25, '.'));
    EXPECT_EQ(horizontal[3], "." + std::string(24, 's'));
    EXPECT_EQ(horizontal[4], "." + std::string(24, 'h'));
    EXPECT_EQ(horizontal[5], std::string(25, '.'));

    // As wide as high: a vertical groove.
    const TPicture square = SpacerPicture(6, 6);
    EXPECT_EQ(square[1], "..sh..");

    // Not grooved, at run time: nothing.
    auto host = MakeOwned<TWinControl>(nullptr);
    host->SetColor(kBack);
    host->SetBounds(0, 0, 8, 25);
    (new TKvSpacer(host.get()))->SetParent(host.get());
    TBitmap bmp;
    host->GetImage(bmp);
    EXPECT_EQ(InkBounds(bmp.Canvas(), Rect(0, 0, 8, 25), kBack), Rect(8, 25, 0, 0));
}

TEST(KvSpacer, TurningSwapsItsSidesExceptWhileLoading) {
    auto spacer = MakeOwned<TKvSpacer>(nullptr);
    EXPECT_EQ(spacer->BoundsRect(), Rect(0, 0, 8, 25));
    spacer->SetOrientation(orVertical);
    EXPECT_EQ(spacer->BoundsRect(), Rect(0, 0, 25, 8));
    spacer->SetOrientation(orVertical);
    EXPECT_EQ(spacer->BoundsRect(), Rect(0, 0, 25, 8));

    auto form = ReadHost(
        "object Host: TForm\n  object S: TKvSpacer\n    Width = 30\n    Height = 6\n    Orientation = orVertical\n"
        "  end\nend\n");
    auto* stored = dynamic_cast<TKvSpacer*>(form->FindComponent(u"S"));
    EXPECT_EQ(stored->Width(), 30);
    EXPECT_EQ(stored->Height(), 6);
    stored->SetOrientation(orHorizontal);
    EXPECT_EQ(stored->Width(), 6);
    EXPECT_EQ(stored->Height(), 30);
}

}  // namespace
