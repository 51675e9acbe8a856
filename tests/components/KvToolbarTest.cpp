#include <gtest/gtest.h>

#include "Forms.h"
#include "KvButton.h"
#include "KvPanel.h"
#include "Platform.h"
#include "PixelPicture.h"
#include "RecordingThemes.h"
#include "Streaming.h"

namespace {

// A toolbar aligned to the top of a host of the given width, with n tool
// buttons added one after another.
struct TToolbarFixture {
    TOwned<TWinControl> host = MakeOwned<TWinControl>(nullptr);
    TKvToolbar* toolbar = nullptr;
    std::vector<TKvToolButton*> buttons;

    explicit TToolbarFixture(int width, int n = 0, TAlign align = alTop) {
        host->SetBounds(0, 0, width, 300);
        toolbar = new TKvToolbar(host.get());
        toolbar->SetAlign(align);
        toolbar->SetParent(host.get());
        for (int i = 0; i < n; ++i) Add();
    }
    TKvToolButton* Add() {
        auto* b = new TKvToolButton(host.get());
        b->SetParent(toolbar);
        buttons.push_back(b);
        return b;
    }
    std::vector<int> Lefts() const {
        std::vector<int> v;
        for (auto* b : buttons) v.push_back(b->Left());
        return v;
    }
    std::vector<int> Tops() const {
        std::vector<int> v;
        for (auto* b : buttons) v.push_back(b->Top());
        return v;
    }
};

TEST(KvToolbar, StartsWithItsDocumentedValues) {
    auto t = MakeOwned<TKvToolbar>(nullptr);
    EXPECT_EQ(t->Align(), alTop);
    EXPECT_EQ(t->BoundsRect(), Rect(0, 0, 32, 32));
    EXPECT_TRUE(t->AutoResize());
    EXPECT_TRUE(t->AutoStyle());
    EXPECT_TRUE(t->ShowDivider());
    EXPECT_EQ(t->BorderInner(), fsNone);
    EXPECT_EQ(t->BorderOuter(), fsGroove);
    EXPECT_EQ(t->BorderSides(), TSides{sdTop});
    EXPECT_EQ(t->BorderWidth(), 0);
    EXPECT_FALSE(t->ShowDockClientCaptions());
    EXPECT_FALSE(t->FullRepaint());
    EXPECT_EQ(t->RowHeight(), 25);
    EXPECT_EQ(t->Margin(), 4);
    EXPECT_EQ(t->TopMargin(), 2);
    EXPECT_TRUE(t->WrapControls());
    EXPECT_EQ(t->Orientation(), orHorizontal);
    EXPECT_TRUE(t->Background().Empty());
    EXPECT_FALSE(t->ShowButtonCaptions());
    EXPECT_EQ(t->ButtonLayout(), blGlyphLeft);
    EXPECT_EQ(t->ButtonWidth(), 25);
    EXPECT_EQ(t->ButtonHeight(), 25);
    EXPECT_EQ(t->TextOptions(), ttoNoTextLabels);
    EXPECT_EQ(t->ToolbarControls().Count(), 0);
    EXPECT_EQ(t->ToolbarPopupButton(), nullptr);
    EXPECT_EQ(t->CustomizeCaptions().GetCaption(1), u"Customize Toolbar");
    EXPECT_EQ(t->CustomizeCaptions().GetCaption(9), u"Selective text on right");
    EXPECT_EQ(t->CustomizeCaptions().GetCaption(10), u"");
}

TEST(KvToolbar, WrapsControlsIntoRowsOrDecidesOnTheOverflowButton) {
    TToolbarFixture wrapping(100, 5);
    EXPECT_EQ(wrapping.Lefts(), (std::vector<int>{4, 29, 54, 4, 29}));
    EXPECT_EQ(wrapping.Tops(), (std::vector<int>{2, 2, 2, 27, 27}));
    EXPECT_EQ(wrapping.toolbar->Height(), 54);
    EXPECT_FALSE(wrapping.toolbar->ShowToolbarPopupButton());

    TToolbarFixture single(100, 5);
    single.toolbar->SetWrapControls(false);
    EXPECT_EQ(single.Lefts(), (std::vector<int>{4, 29, 54, 79, 104}));
    EXPECT_EQ(single.Tops(), (std::vector<int>(5, 2)));
    EXPECT_EQ(single.toolbar->Height(), 29);
    // The decision uses the last layout's places: the next layout sees the
    // last button end at 129, past 100 - 4.
    single.toolbar->Realign();
    EXPECT_TRUE(single.toolbar->ShowToolbarPopupButton());
    EXPECT_EQ(single.toolbar->InvalidateMarginSize(), Point(15, 1));

    // A toolbar that sizes itself to its controls needs no overflow button.
    TToolbarFixture sized(100, 5, alNone);
    sized.toolbar->SetWrapControls(false);
    sized.toolbar->SetAutoSize(true);
    sized.toolbar->Realign();
    EXPECT_FALSE(sized.toolbar->ShowToolbarPopupButton());
    EXPECT_EQ(sized.toolbar->InvalidateMarginSize(), Point(1, 1));
}

TEST(KvToolbar, HiddenControlsCloseTheGapExceptInTheDesigner) {
    TToolbarFixture f(300, 3);
    f.buttons[1]->SetVisible(false);
    EXPECT_EQ(f.buttons[2]->Left(), 29);
    f.buttons[1]->SetVisible(true);
    EXPECT_EQ(f.buttons[2]->Left(), 54);

    TToolbarFixture designed(300, 3);
    designed.toolbar->SetDesigning(true, false);
    designed.buttons[1]->SetVisible(false);
    EXPECT_EQ(designed.buttons[2]->Left(), 54);
}

TEST(KvToolbar, CentresEachControlAcrossTheRowAndAdvancesByMarginsAndWidths) {
    TToolbarFixture f(60, 3);
    f.buttons[0]->SetHeight(31);
    EXPECT_EQ(f.buttons[0]->Top(), -1);  // 2 + 12 - 15
    EXPECT_EQ(f.toolbar->Height(), 54);  // two rows of RowHeight, whatever the controls' heights

    // Margins go before and after the width; the wrap test looks at the
    // width alone, so the second button stays in the first row.
    f.buttons[1]->Margins() = TMargins{3, 0, 5, 0};
    f.buttons[1]->SetAlignWithMargins(true);
    EXPECT_EQ(f.Lefts(), (std::vector<int>{4, 32, 4}));
    EXPECT_EQ(f.Tops(), (std::vector<int>{-1, 2, 27}));

    // A right-to-left control is mirrored against the toolbar's width; the
    // toolbar's reading order reaches its children and lays out again.
    TToolbarFixture mirrored(200, 2);
    mirrored.toolbar->SetBiDiMode(bdRightToLeft);
    EXPECT_EQ(mirrored.Lefts(), (std::vector<int>{171, 146}));
    // The same when the toolbar follows its host's reading order; writing
    // the order it already has does not stop it following.
    TToolbarFixture following(200, 2);
    following.host->SetBiDiMode(bdRightToLeft);
    EXPECT_EQ(following.Lefts(), (std::vector<int>{171, 146}));
    following.toolbar->SetBiDiMode(bdRightToLeft);
    EXPECT_TRUE(following.toolbar->ParentBiDiMode());
}

TEST(KvToolbar, SizesItselfByOrientationAndAlignment) {
    struct Case {
        const char* what;
        TOrientation orientation;
        TAlign align;
        bool wrap;
        int buttons;
        int width, height;  // the toolbar afterwards; the host is 400 x 300
    };
    const Case cases[] = {
        {"horizontal, top, empty: one row", orHorizontal, alTop, true, 0, 400, 29},
        {"horizontal, top", orHorizontal, alTop, true, 2, 400, 29},
        {"horizontal, left, empty: width kept", orHorizontal, alLeft, true, 0, 32, 300},
        {"horizontal, left: margin after the last control", orHorizontal, alLeft, false, 2, 58, 300},
        // 32 wide to start with, the row holds one button: each wraps.
        {"horizontal, left, wrapping: one button a row", orHorizontal, alLeft, true, 2, 33, 300},
        {"vertical, left: one column", orVertical, alLeft, true, 2, 29, 300},
        {"vertical, left, empty", orVertical, alLeft, true, 0, 29, 300},
        {"vertical, top: margin after the last control", orVertical, alTop, false, 2, 400, 58},
        {"vertical, top, empty: height kept", orVertical, alTop, true, 0, 400, 29},
        {"client: no auto size", orHorizontal, alClient, true, 2, 400, 300},
    };
    for (const auto& tc : cases) {
        TToolbarFixture f(400, tc.buttons, tc.align);
        f.toolbar->SetWrapControls(tc.wrap);
        f.toolbar->SetOrientation(tc.orientation);
        EXPECT_EQ(f.toolbar->Width(), tc.width) << tc.what;
        EXPECT_EQ(f.toolbar->Height(), tc.height) << tc.what;
    }
    TToolbarFixture column(400, 2, alLeft);
    column.toolbar->SetOrientation(orVertical);
    EXPECT_EQ(column.Lefts(), (std::vector<int>{4, 4}));
    EXPECT_EQ(column.Tops(), (std::vector<int>{4, 29}));
}

TEST(KvToolbar, TheParentReLaysOutSoThatItsViewFollowsTheToolbar) {
    // A host that records the size messages it is sent.
    class THost : public TWinControl {
    public:
        using TWinControl::TWinControl;
        std::vector<TMessage> sizes;
        void WndProc(TMessage& m) override {
            if (m.Msg == WM_SIZE) sizes.push_back(m);
            TWinControl::WndProc(m);
        }
    };
    auto host = MakeOwned<THost>(nullptr);
    host->SetBounds(0, 0, 300, 200);
    auto* toolbar = new TKvToolbar(host.get());
    toolbar->SetParent(host.get());
    auto* view = new TWinControl(host.get());
    view->SetAlign(alClient);
    view->SetParent(host.get());
    ProcessPendingEvents();
    host->sizes.clear();

    toolbar->SetRowHeight(40);
    EXPECT_EQ(toolbar->Height(), 44);
    EXPECT_EQ(view->BoundsRect(), Rect(0, 44, 300, 200));
    ProcessPendingEvents();
    ASSERT_FALSE(host->sizes.empty());
    EXPECT_EQ(host->sizes.back().WParam, 0);
    EXPECT_EQ(LParamX(host->sizes.back().LParam), 300);
    EXPECT_EQ(LParamY(host->sizes.back().LParam), 200);
}

TEST(KvToolbar, TheDividerFollowsTheAlignmentUntilABorderIsWrittenByHand) {
    TToolbarFixture f(300);
    f.toolbar->SetAlign(alBottom);
    EXPECT_EQ(f.toolbar->BorderSides(), TSides{sdBottom});
    EXPECT_EQ(f.toolbar->Height(), 29);
    f.toolbar->SetAlign(alLeft);
    EXPECT_EQ(f.toolbar->BorderSides(), TSides{sdLeft});
    f.toolbar->SetShowDivider(false);
    EXPECT_EQ(f.toolbar->BorderOuter(), fsNone);
    EXPECT_TRUE(f.toolbar->AutoStyle());
    f.toolbar->SetShowDivider(true);

    f.toolbar->SetBorderOuter(fsGroove);  // what it already is
    EXPECT_TRUE(f.toolbar->AutoStyle());
    f.toolbar->SetBorderOuter(fsRaised);
    EXPECT_FALSE(f.toolbar->AutoStyle());
    f.toolbar->SetAlign(alBottom);
    EXPECT_EQ(f.toolbar->BorderSides(), TSides{sdLeft});
    EXPECT_EQ(f.toolbar->BorderOuter(), fsRaised);
}

// A child that records the toolbar notifications it gets and the button
// size that the toolbar shows at that moment.
class TListener : public TGraphicControl {
public:
    using TGraphicControl::TGraphicControl;
    std::vector<std::string> heard;
    void WndProc(TMessage& m) override {
        if (m.Msg >= cm_ToolbarShowCaptionChanged && m.Msg <= cm_ToolbarVisualStyleChanged) {
            auto* t = static_cast<TKvToolbar*>(Parent());
            char text[64];
            std::snprintf(text, sizeof text, "%X %dx%d", m.Msg, t->ButtonWidth(), t->ButtonHeight());
            heard.push_back(text);
        }
        TGraphicControl::WndProc(m);
    }
};

TEST(KvToolbar, TextOptionsSetButtonLookAndRowHeightAndTellTheChildrenInOrder) {
    TToolbarFixture f(300);
    auto* listener = new TListener(f.host.get());
    listener->SetParent(f.toolbar);

    f.toolbar->SetTextOptions(ttoShowTextLabels);
    EXPECT_EQ(listener->heard, (std::vector<std::string>{"B3EB 25x25", "B3EA 25x25", "B3EC 60x25", "B3EC 60x40"}));
    EXPECT_EQ(f.toolbar->ButtonLayout(), blGlyphTop);
    EXPECT_TRUE(f.toolbar->ShowButtonCaptions());
    EXPECT_EQ(f.toolbar->RowHeight(), 40);
    EXPECT_EQ(f.toolbar->Height(), 44);
    EXPECT_EQ(f.toolbar->TextOptions(), ttoShowTextLabels);

    listener->heard.clear();
    f.toolbar->SetTextOptions(ttoCustom);
    EXPECT_TRUE(listener->heard.empty());
    EXPECT_EQ(f.toolbar->ButtonWidth(), 60);

    f.toolbar->SetTextOptions(ttoShowTextLabels);
    f.toolbar->SetButtonWidth(30);
    EXPECT_EQ(f.toolbar->TextOptions(), ttoCustom);
    f.toolbar->SetVisualStyle(vsGradient);
    EXPECT_EQ(listener->heard.back(), "B3ED 30x40");

    // Vertical: the row is as wide as a button.
    f.toolbar->SetOrientation(orVertical);
    f.toolbar->SetTextOptions(ttoSelectiveTextOnRight);
    EXPECT_EQ(f.toolbar->RowHeight(), 60);
    EXPECT_EQ(f.toolbar->ButtonHeight(), 25);
}

TEST(KvToolbar, ScalesItsRowHeightOnly) {
    TToolbarFixture f(300, 1);
    f.toolbar->ChangeScale(120, 96);
    EXPECT_EQ(f.toolbar->RowHeight(), 31);
    EXPECT_EQ(f.toolbar->Margin(), 4);
    EXPECT_EQ(f.toolbar->TopMargin(), 2);
    EXPECT_EQ(f.toolbar->ButtonWidth(), 25);
    EXPECT_EQ(f.toolbar->Height(), 35);
}

TEST(KvToolbar, HostsThatSizeTheirToolbarTurnAutoResizeOff) {
    class TNamedHost : public TWinControl {
    public:
        TNamedHost(TComponent* owner, const char* name) : TWinControl(owner), name_(name) {}
        const char* ClassName() const override { return name_; }

    private:
        const char* name_;
    };
    for (const char* name : {"TPageScroller", "tpagescroller", "TToolBar"}) {
        auto host = MakeOwned<TNamedHost>(nullptr, name);
        auto* t = new TKvToolbar(host.get());
        t->SetParent(host.get());
        EXPECT_FALSE(t->AutoResize()) << name;
        t->SetAutoResize(true);
        EXPECT_FALSE(t->AutoResize()) << name;
        t->SetParent(nullptr);
        EXPECT_FALSE(t->AutoResize()) << name;  // leaving does not turn it back on
    }
    auto plain = MakeOwned<TNamedHost>(nullptr, "TScrollBox");
    auto* t = new TKvToolbar(plain.get());
    t->SetParent(plain.get());
    EXPECT_TRUE(t->AutoResize());
}

TEST(KvToolbar, ForgetsAnImageListThatGoesAway) {
    TToolbarFixture f(300, 1);
    auto* list = new TImageList(f.host.get());
    list->SetWidth(16);
    f.toolbar->SetImages(list);
    f.buttons[0]->SetImageIndex(0);
    EXPECT_EQ(f.buttons[0]->ImageList(), list);
    EXPECT_EQ(f.buttons[0]->GetImageSize(), Point(16, 16));
    list->Free();
    EXPECT_EQ(f.toolbar->Images(), nullptr);
    EXPECT_EQ(f.buttons[0]->ImageList(), nullptr);
    EXPECT_EQ(f.buttons[0]->GetImageSize(), Point(0, 0));
}

TEST(KvToolbar, ToolbarAndButtonForgetAListThatServedThemInBothRoles) {
    TToolbarFixture f(300, 1);
    // Owned apart from them: only its own free-notification tells them.
    auto elsewhere = MakeOwned<TComponent>(nullptr);
    auto* list = new TImageList(elsewhere.get());
    TKvToolButton* b = f.buttons[0];
    f.toolbar->SetImages(list);
    f.toolbar->SetDisabledImages(list);
    b->SetImages(list);
    b->SetDisabledImages(list);
    list->Free();
    EXPECT_EQ(f.toolbar->Images(), nullptr);
    EXPECT_EQ(f.toolbar->DisabledImages(), nullptr);
    EXPECT_EQ(b->Images(), nullptr);
    EXPECT_EQ(b->DisabledImages(), nullptr);
    EXPECT_EQ(b->DisabledImageList(), nullptr);
}

TEST(KvToolbar, TilesItsBackgroundInsideTheFramesAndDrawsNoCaption) {
    TToolbarFixture f(20);
    f.toolbar->SetCaption(u"Never shown");
    TBitmap tile(3, 2);
    Fill(tile, clBlue);
    tile.Canvas().SetPixel(0, 0, clRed);
    f.toolbar->SetBackground(tile);
    TBitmap shot;
    f.toolbar->GetImage(shot);
    const TPalette pal{{clBlue, 'b'}, {clRed, 'r'}, {ColorToRGB(clBtnFace), '.'}, {ColorToRGB(clBtnShadow), 's'},
                       {ColorToRGB(clBtnHighlight), 'h'}};
    const TPicture p = Picture(shot, pal);
    // The groove on top, then the client area's first two rows unpainted:
    // the tiles start inside the frame a second time.
    EXPECT_EQ(p[0], std::string(20, 's'));
    EXPECT_EQ(p[1], std::string(20, 'h'));
    EXPECT_EQ(p[2], std::string(20, '.'));
    // Tiles, and nothing else (no caption), down to the bottom edge.
    for (int y = 4; y < 29; ++y)
        EXPECT_EQ(p[static_cast<size_t>(y)], y % 2 == 0 ? "rbbrbbrbbrbbrbbrbbrb" : std::string(20, 'b')) << y;
}

TEST(KvToolbar, WithThemesTheWinXPLookDrawsTheBandElementInsideTheFrames) {
    TThemesRecorded themes;
    TDrawnElements& drawn = themes.drawn;
    TToolbarFixture f(120);
    auto* across = new TKvSpacer(f.host.get());
    across->SetGrooved(true);
    across->SetParent(f.toolbar);
    auto* along = new TKvSpacer(f.host.get());
    along->SetGrooved(true);
    along->SetOrientation(orVertical);
    along->SetParent(f.toolbar);
    bool painted = false;
    f.toolbar->OnPaint = [&](TObject*) { painted = true; };
    TBitmap shot;
    f.toolbar->GetImage(shot);
    EXPECT_EQ(drawn, (TDrawnElements{{trRebarRoot, Rect(0, 2, 120, 29)},
                                     {ttbSeparatorNormal, Rect(0, 0, 8, 25)},
                                     {ttbSeparatorVertNormal, Rect(0, 0, 25, 8)}}));
    EXPECT_FALSE(painted);
    // The groove of the edge is still drawn, by the frame routine.
    EXPECT_EQ(shot.Canvas().Pixel(50, 0), ColorToRGB(clBtnShadow));

    drawn.clear();
    f.toolbar->SetVisualStyle(vsClassic);
    f.toolbar->GetImage(shot);
    EXPECT_EQ(drawn.size(), 2u);  // the spacers only: the panel paints the band
    EXPECT_TRUE(painted);
}

TEST(KvToolbar, StoresItsBackgroundAndAllNineCaptionsOnceOneIsSet) {
    RegisterKvPanelClasses();
    auto form = MakeOwned<TForm>(nullptr);
    ReadComponentFromText(form.get(), R"(object Host: TForm
  object Bar: TKvToolbar
    BorderInner = fsNone
    BorderOuter = fsGroove
    BorderSides = [sdTop]
    BorderWidth = 0
    CustomizeCaptions.Title = 'Personalizar'
  end
end
)");
    auto* bar = dynamic_cast<TKvToolbar*>(form->FindComponent(u"Bar"));
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->CustomizeCaptions().GetCaption(1), u"Personalizar");
    TBitmap tile(2, 2);
    Fill(tile, clRed);
    bar->SetBackground(tile);
    const std::string text = WriteComponentToText(form.get());
    for (const char* name : {"Title = 'Personalizar'", "Hint = 'Uncheck to hide control'", "Close = 'Close'",
                             "MoveUp", "MoveDown", "TextOptions = 'Text Options'", "NoTextLabels",
                             "ShowTextLabels", "SelectiveTextOnRight = 'Selective text on right'"})
        EXPECT_NE(text.find(std::string("CustomizeCaptions.") + name), std::string::npos) << name << "\n" << text;

    auto copy = MakeOwned<TForm>(nullptr);
    ReadComponentFromText(copy.get(), text);
    auto* read = dynamic_cast<TKvToolbar*>(copy->FindComponent(u"Bar"));
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->Background().Width(), 2);
    EXPECT_EQ(read->Background().Canvas().Pixel(1, 1), clRed);
    EXPECT_TRUE(read->CustomizeCaptions().StoreCaptions());

    // Untouched captions and an empty background are not stored.
    auto plain = MakeOwned<TForm>(nullptr);
    auto* unset = new TKvToolbar(plain.get());
    unset->SetName(u"Plain");
    unset->SetParent(plain.get());
    const std::string none = WriteComponentToText(plain.get());
    ASSERT_NE(none.find("object Plain: TKvToolbar"), std::string::npos);
    EXPECT_EQ(none.find("CustomizeCaptions"), std::string::npos);
    EXPECT_EQ(none.find("Background"), std::string::npos);
}

TEST(KvToolbar, TellsWhenItsVisibilityChanged) {
    TToolbarFixture f(300);
    int changes = 0;
    f.toolbar->OnVisibleChanged = [&](TObject* sender) {
        EXPECT_EQ(sender, f.toolbar);
        ++changes;
    };
    f.toolbar->SetVisible(false);
    f.toolbar->SetVisible(true);
    EXPECT_EQ(changes, 2);
}

}  // namespace
