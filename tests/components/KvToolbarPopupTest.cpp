#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <vector>

#include "Forms.h"
#include "KvButton.h"
#include "KvPanel.h"
#include "PixelPicture.h"
#include "Platform.h"
#include "PopupWindows.h"
#include "RecordingThemes.h"
#include "Streaming.h"

namespace {

// A window 100 wide with a toolbar across its top that does not wrap, and
// tool buttons of the given widths, each counting its clicks.
struct TOverflowFixture {
    TOwned<TForm> form = MakeOwned<TForm>(nullptr);
    TKvToolbar* toolbar = nullptr;
    std::vector<TKvToolButton*> buttons;
    std::vector<int> clicks;

    explicit TOverflowFixture(std::vector<int> widths = {25, 25, 25, 25, 25}) {
        form->SetBounds(0, 0, 100, 150);
        toolbar = new TKvToolbar(form.get());
        toolbar->SetParent(form.get());
        toolbar->SetWrapControls(false);
        clicks.resize(widths.size());
        for (size_t i = 0; i < widths.size(); ++i) {
            auto* b = new TKvToolButton(form.get());
            // Named as on a stored form: the toolbar stores its order by name.
            b->SetName(u"Button" + IntToStr(static_cast<int>(i) + 1));
            b->SetWidth(widths[i]);
            b->OnClick = [this, i](TObject*) { ++clicks[i]; };
            b->SetParent(toolbar);
            buttons.push_back(b);
        }
        // The overflow test uses the places of the last layout.
        toolbar->Realign();
        form->Show();
    }
    ~TOverflowFixture() { TKvPopupPanel::SetAutomation(nullptr); }

    TKvToolbarPopupButton* Chevron() const { return dynamic_cast<TKvToolbarPopupButton*>(toolbar->ToolbarPopupButton()); }
    // Presses and releases the chevron; `inside` runs while the popup is
    // open, with the temporary toolbar. True when the popup opened.
    bool OpenPopup(const std::function<void(TKvPopupPanel&, TKvToolbar&)>& inside = {}) {
        bool opened = false;
        TKvPopupPanel::SetAutomation([&](TKvPopupPanel& p) {
            opened = true;
            if (inside) inside(p, *dynamic_cast<TKvToolbar*>(p.Controls(0)));
        });
        SimulateMouseDown(form.get(), mbLeft, 92, 10);
        SimulateMouseUp(form.get(), mbLeft, 92, 10);
        TKvPopupPanel::SetAutomation(nullptr);
        return opened;
    }
};

// The real buttons that the temporary toolbar holds copies of, in its order.
std::vector<TKvToolButton*> Copied(TKvToolbar& t) {
    std::vector<TKvToolButton*> out;
    for (int i = 0; i < t.ToolbarControls().Count(); ++i)
        out.push_back(static_cast<TKvPopupToolButton*>(t.ToolbarControls().Items(i)->Control())->MappedButton());
    return out;
}

void ClickCopy(TKvToolbar& t, int index) {
    TControl* copy = t.ToolbarControls().Items(index)->Control();
    SimulateMouseDown(&t, mbLeft, copy->Left() + 5, copy->Top() + 5);
    SimulateMouseUp(&t, mbLeft, copy->Left() + 5, copy->Top() + 5);
}

TEST(KvToolbarPopupButton, TheToolbarMakesItOnFirstNeedAndKeepsItOutOfItsListAndLayout) {
    RegisterKvButtonClasses();
    TOverflowFixture f;
    TKvToolbarPopupButton* chevron = f.Chevron();
    ASSERT_NE(chevron, nullptr);
    EXPECT_EQ(chevron->Owner(), f.toolbar);
    EXPECT_EQ(chevron->Parent(), f.toolbar);
    EXPECT_EQ(chevron->Toolbar(), f.toolbar);
    EXPECT_TRUE(chevron->Visible());
    EXPECT_TRUE(chevron->ControlStyle().Contains(csNoDesignVisible));
    EXPECT_EQ(chevron->BoundsRect(), Bounds(86, 0, 14, 29));
    EXPECT_EQ(chevron->FrameColor(), AdjustColor(f.toolbar->FlatColor(), f.toolbar->FlatColorAdjustment()));
    EXPECT_EQ(f.toolbar->ToolbarControls().IndexOf(chevron), -1);
    EXPECT_EQ(f.toolbar->ToolbarControls().Count(), 5);
    EXPECT_EQ(WriteComponentToText(f.form.get()).find("TKvToolbarPopupButton"), std::string::npos);

    // Once everything fits it hides; it is not made twice.
    f.buttons[4]->SetVisible(false);
    f.buttons[3]->SetVisible(false);
    f.toolbar->Realign();
    EXPECT_FALSE(f.toolbar->ShowToolbarPopupButton());
    EXPECT_FALSE(chevron->Visible());
    f.buttons[4]->SetVisible(true);
    f.toolbar->Realign();
    EXPECT_EQ(f.toolbar->ToolbarPopupButton(), chevron);
    EXPECT_TRUE(chevron->Visible());
}

TEST(KvToolbarPopupButton, CopiesTheVisibleToolButtonsThatEndPastTheRightMargin) {
    struct Case {
        const char* what;
        std::vector<int> widths;
        std::vector<int> copied;
    };
    const Case cases[] = {
        // Right edges 29, 54, 79, 104, 129: past 100 - 4 = 96 the last two.
        {"five 25-pixel buttons", {25, 25, 25, 25, 25}, {3, 4}},
        // Right edges 29, 54, 79, 90, 115: the fourth ends under the chevron
        // (past 100 - 14) but inside the margin: not copied.
        {"one ends under the chevron", {25, 25, 25, 11, 25}, {4}},
    };
    for (const auto& c : cases) {
        TOverflowFixture f(c.widths);
        std::vector<TKvToolButton*> copied;
        ASSERT_TRUE(f.OpenPopup([&](TKvPopupPanel&, TKvToolbar& t) { copied = Copied(t); })) << c.what;
        std::vector<TKvToolButton*> expected;
        for (int i : c.copied) expected.push_back(f.buttons[i]);
        EXPECT_EQ(copied, expected) << c.what;
    }
}

TEST(KvToolbarPopupButton, HiddenButtonsSpacersAndOtherControlsAreNotCopied) {
    TOverflowFixture f({25, 25, 25});
    auto* hidden = new TKvToolButton(f.form.get());
    hidden->SetParent(f.toolbar);
    auto* spacer = new TKvSpacer(f.form.get());
    spacer->SetWidth(40);
    spacer->SetParent(f.toolbar);
    f.toolbar->Realign();
    hidden->SetVisible(false);
    f.toolbar->Realign();
    ASSERT_TRUE(f.toolbar->ShowToolbarPopupButton());
    // Only a spacer runs past the margin: the popup opens all the same, empty.
    std::vector<TKvToolButton*> copied{nullptr};
    TRect shown;
    ASSERT_TRUE(f.OpenPopup([&](TKvPopupPanel& p, TKvToolbar& t) {
        copied = Copied(t);
        shown = p.BoundsRect();
    }));
    EXPECT_TRUE(copied.empty());
    // An empty toolbar of one row: 3 buttons wide, its frame all round.
    EXPECT_EQ(shown.Width(), 3 * 25 + 8);
    EXPECT_EQ(shown.Height(), 29);
}

TEST(KvToolbarPopupButton, TheTemporaryToolbarTakesTheLookOfTheSource) {
    TOverflowFixture f;
    f.toolbar->SetVisualStyle(vsGradient);
    f.toolbar->SetColor(clRed);
    f.toolbar->SetButtonWidth(30);
    f.toolbar->SetShowHint(true);
    f.toolbar->Realign();
    bool checked = false;
    ASSERT_TRUE(f.OpenPopup([&](TKvPopupPanel& p, TKvToolbar& t) {
        EXPECT_EQ(p.Parent(), f.form.get());
        EXPECT_EQ(t.Owner(), &p);
        EXPECT_EQ(t.BorderOuter(), fsFlat);
        EXPECT_EQ(t.BorderSides(), sdAllSides);
        EXPECT_FALSE(t.AutoStyle());
        EXPECT_EQ(t.Align(), alNone);
        EXPECT_EQ(t.Width(), 30 * 3 + 8);
        EXPECT_EQ(t.ButtonWidth(), 30);
        EXPECT_EQ(t.VisualStyle(), vsGradient);
        EXPECT_EQ(t.Color(), clWindow);  // not the source's colour under the gradient look
        EXPECT_TRUE(t.ShowHint());
        EXPECT_TRUE(t.WrapControls());
        checked = true;
    }));
    EXPECT_TRUE(checked);
}

TEST(KvToolbarPopupButton, ClickingACopyClosesThePopupThenClicksTheRealButtonOnce) {
    TOverflowFixture f;
    int realClicksWhileOpen = -1;
    bool closedByTheClick = false;
    ASSERT_TRUE(f.OpenPopup([&](TKvPopupPanel& p, TKvToolbar& t) {
        ClickCopy(t, 1);
        closedByTheClick = !p.Popped();
        realClicksWhileOpen = f.clicks[4];
    }));
    EXPECT_TRUE(closedByTheClick);
    EXPECT_EQ(realClicksWhileOpen, 0);
    EXPECT_EQ(f.clicks, (std::vector<int>{0, 0, 0, 0, 1}));
    EXPECT_EQ(f.Chevron()->SelectedButton(), f.buttons[4]);

    // Closed another way, nothing is clicked.
    ASSERT_TRUE(f.OpenPopup([&](TKvPopupPanel&, TKvToolbar&) { SimulateMouseDown(f.form.get(), mbLeft, 10, 100); }));
    EXPECT_EQ(f.clicks, (std::vector<int>{0, 0, 0, 0, 1}));
    EXPECT_EQ(f.Chevron()->SelectedButton(), nullptr);

    // A button with an action runs its action, once.
    TOverflowFixture withAction;
    auto* action = new TAction(withAction.form.get());
    int executed = 0;
    action->OnExecute = [&](TObject*) { ++executed; };
    withAction.buttons[3]->OnClick = nullptr;
    withAction.buttons[3]->SetAction(action);
    ASSERT_TRUE(withAction.OpenPopup([&](TKvPopupPanel&, TKvToolbar& t) { ClickCopy(t, 0); }));
    EXPECT_EQ(executed, 1);
}

TEST(KvToolbarPopupButton, APressReleasedOutsideOpensNothing) {
    for (TMouseButton button : {mbLeft, mbRight}) {
        TOverflowFixture f;
        TKvToolbarPopupButton* chevron = f.Chevron();
        bool opened = false;
        TKvPopupPanel::SetAutomation([&](TKvPopupPanel&) { opened = true; });
        SimulateMouseDown(f.form.get(), button, 92, 10);
        EXPECT_TRUE(chevron->Pressed());
        EXPECT_TRUE(chevron->Down());
        SimulateMouseMove(f.form.get(), 50, 10, {button == mbLeft ? ssLeft : ssRight});
        EXPECT_FALSE(chevron->Down());
        SimulateMouseMove(f.form.get(), 90, 12, {button == mbLeft ? ssLeft : ssRight});
        EXPECT_TRUE(chevron->Down());
        SimulateMouseMove(f.form.get(), 50, 10, {button == mbLeft ? ssLeft : ssRight});
        SimulateMouseUp(f.form.get(), button, 50, 10);
        EXPECT_FALSE(opened) << button;
        EXPECT_FALSE(chevron->Pressed());
        EXPECT_FALSE(chevron->Down());
        EXPECT_EQ(GetCaptureControl(), nullptr);
        // Released inside, any mouse button opens it.
        SimulateMouseDown(f.form.get(), button, 92, 10);
        SimulateMouseUp(f.form.get(), button, 92, 10);
        EXPECT_TRUE(opened) << button;
    }
}

TEST(KvToolbarPopupButton, ThePopupIsFreedOnEveryWayOut) {
    TOverflowFixture f;
    TKvToolbarPopupButton* chevron = f.Chevron();
    const int formChildren = f.form->ControlCount();
    auto gone = [&] { return chevron->ComponentCount() == 0 && f.form->ControlCount() == formChildren; };
    f.OpenPopup([&](TKvPopupPanel&, TKvToolbar& t) { ClickCopy(t, 0); });
    EXPECT_TRUE(gone());
    f.OpenPopup([&](TKvPopupPanel&, TKvToolbar&) { SimulateMouseDown(f.form.get(), mbLeft, 10, 100); });
    EXPECT_TRUE(gone());
    f.OpenPopup();
    EXPECT_TRUE(gone());

    // An error from the real button's click passes on to the caller, with
    // the popup freed.
    f.buttons[3]->OnClick = [](TObject*) { throw std::runtime_error("refused"); };
    TKvPopupPanel::SetAutomation([](TKvPopupPanel& p) { ClickCopy(*dynamic_cast<TKvToolbar*>(p.Controls(0)), 0); });
    EXPECT_THROW(chevron->DisplayButtons(), std::runtime_error);
    TKvPopupPanel::SetAutomation(nullptr);
    EXPECT_TRUE(gone());
}

TEST(KvToolbarPopupButton, OutsideAFormItOpensNothing) {
    auto host = MakeOwned<TWinControl>(nullptr);
    host->SetBounds(0, 0, 100, 100);
    auto* toolbar = new TKvToolbar(host.get());
    toolbar->SetParent(host.get());
    toolbar->SetWrapControls(false);
    for (int i = 0; i < 5; ++i) (new TKvToolButton(host.get()))->SetParent(toolbar);
    toolbar->Realign();
    auto* chevron = dynamic_cast<TKvToolbarPopupButton*>(toolbar->ToolbarPopupButton());
    ASSERT_NE(chevron, nullptr);
    bool opened = false;
    TKvPopupPanel::SetAutomation([&](TKvPopupPanel&) { opened = true; });
    chevron->DisplayButtons();
    TKvPopupPanel::SetAutomation(nullptr);
    EXPECT_FALSE(opened);
    EXPECT_EQ(chevron->ComponentCount(), 0);
}

// ---------------------------------------------------------------------------
// Painting

TPicture ChevronPicture(TOverflowFixture& f, const TPalette& palette) {
    TBitmap shot;
    f.toolbar->GetImage(shot);
    return Picture(shot.Canvas(), Bounds(86, 0, 14, 29), palette);
}

TEST(KvToolbarPopupButton, DrawsItsChevronPixelForPixelAndOnePixelLowerWhenPressed) {
    TOverflowFixture f;
    f.toolbar->SetVisualStyle(vsClassic);
    const TColor face = ColorToRGB(f.toolbar->Color());
    const TPalette palette{{ColorToRGB(f.Chevron()->FrameColor()), 'F'},
                           {face, '.'},
                           {ColorToRGB(DarkerColor(f.toolbar->Color(), 20)), 'd'},
                           {clBlack, 'K'}};
    TPicture up(29, "F............F");
    up.front() = up.back() = "FFFFFFFFFFFFFF";
    up[20] = "F...KKKKKKK..F";
    up[22] = "F...KKKKKKK..F";
    up[23] = "F....KKKKK...F";
    up[24] = "F.....KKK....F";
    up[25] = "F......K.....F";
    EXPECT_EQ(ChevronPicture(f, palette), up);

    SimulateMouseDown(f.form.get(), mbLeft, 92, 10);
    TPicture down(29, "FddddddddddddF");
    down.front() = down.back() = "FFFFFFFFFFFFFF";
    down[21] = "FdddKKKKKKKddF";
    down[23] = "FdddKKKKKKKddF";
    down[24] = "FddddKKKKKdddF";
    down[25] = "FdddddKKKddddF";
    down[26] = "FddddddKdddddF";
    EXPECT_EQ(ChevronPicture(f, palette), down);
    SimulateMouseMove(f.form.get(), 50, 10, {ssLeft});
    SimulateMouseUp(f.form.get(), mbLeft, 50, 10);
}

TEST(KvToolbarPopupButton, TheGradientLookRunsTheOtherWayWhenPressed) {
    TOverflowFixture f;
    f.toolbar->SetVisualStyle(vsGradient);
    f.toolbar->SetGradientColorStyle(gcsCustom);
    f.toolbar->SetGradientColorStart(clRed);
    f.toolbar->SetGradientColorStop(clBlue);
    // The toolbar's direction runs from the top row to the bottom one.
    TBitmap shot;
    f.toolbar->GetImage(shot);
    const TColor upTop = shot.Canvas().Pixel(92, 1), upBottom = shot.Canvas().Pixel(92, 27);
    SimulateMouseDown(f.form.get(), mbLeft, 92, 10);
    f.toolbar->GetImage(shot);
    EXPECT_EQ(upTop, clRed);
    EXPECT_EQ(upBottom, clBlue);
    EXPECT_EQ(shot.Canvas().Pixel(92, 1), clBlue);
    EXPECT_EQ(shot.Canvas().Pixel(92, 27), clRed);
    SimulateMouseMove(f.form.get(), 50, 10, {ssLeft});
    SimulateMouseUp(f.form.get(), mbLeft, 50, 10);
}

TEST(KvToolbarPopupButton, WithThemesTheWinXPLookIsTheThemesChevronElement) {
    TOverflowFixture f;
    TThemesRecorded themes;
    TBitmap shot;
    f.toolbar->GetImage(shot);
    const TDrawnElements up(themes.drawn.end() - 2, themes.drawn.end());
    EXPECT_EQ(up, (TDrawnElements{{trRebarRoot, Rect(0, 0, 14, 29)}, {trChevronNormal, Rect(0, 0, 14, 29)}}));
    SimulateMouseDown(f.form.get(), mbLeft, 92, 10);
    f.toolbar->GetImage(shot);
    EXPECT_EQ(themes.drawn.back(), std::make_pair(trChevronPressed, Rect(0, 0, 14, 29)));
    for (const auto& drawn : themes.drawn) EXPECT_NE(drawn.first, tcDropDownButtonNormal);
    SimulateMouseMove(f.form.get(), 50, 10, {ssLeft});
    SimulateMouseUp(f.form.get(), mbLeft, 50, 10);
}

// Themes on, and the combo box's drop-down button drawn in one colour.
class TArrowTheme : public TThemeServices {
public:
    explicit TArrowTheme(TColor arrow) : arrow_(arrow) {}
    bool ThemesAvailable() const override { return true; }
    bool ThemesEnabled() const override { return true; }
    void DrawElement(HDC dc, const TThemedElementDetails& details, const TRect& r) override {
        if (details.Element != tcDropDownButtonNormal) return;
        dc->Brush().SetColor(arrow_);
        dc->FillRect(r);
    }
    void DrawText(HDC, const TThemedElementDetails&, const String&, TRect, unsigned) override {}

private:
    TColor arrow_;
};

TEST(KvToolbarPopupButton, WithThemesAnotherLookDrawsItsChevronInTheThemesArrowColour) {
    struct Case {
        TColor arrow;
        TColor drawn;
    };
    // An arrow colour too close to the window colour would not show.
    for (const Case c : {Case{RGB(0, 0, 160), RGB(0, 0, 160)}, Case{RGB(250, 250, 250), ColorToRGB(cl3DDkShadow)}}) {
        TOverflowFixture f;
        f.toolbar->SetVisualStyle(vsClassic);
        auto previous = SetThemeServices(std::make_unique<TArrowTheme>(c.arrow));
        TBitmap shot;
        f.toolbar->GetImage(shot);
        SetThemeServices(std::move(previous));
        // The bar, a row higher than without themes, and the triangle's tip.
        EXPECT_EQ(shot.Canvas().Pixel(86 + 4, 19), c.drawn);
        EXPECT_EQ(shot.Canvas().Pixel(86 + 10, 19), c.drawn);
        EXPECT_EQ(shot.Canvas().Pixel(86 + 7, 23), c.drawn);
        EXPECT_NE(shot.Canvas().Pixel(86 + 7, 20), c.drawn);
    }
}

// ---------------------------------------------------------------------------
// The copies

TEST(KvPopupToolButton, BelongsToAToolbarOrToNothing) {
    auto form = MakeOwned<TForm>(nullptr);
    EXPECT_THROW(new TKvPopupToolButton(form.get()), EInvalidCast);
    EXPECT_EQ(form->ComponentCount(), 0);
    auto loose = MakeOwned<TKvPopupToolButton>(nullptr);
    EXPECT_EQ(loose->Toolbar(), nullptr);
    auto* toolbar = new TKvToolbar(form.get());
    auto* copy = new TKvPopupToolButton(toolbar);
    EXPECT_EQ(copy->Toolbar(), toolbar);
    auto* spacer = new TKvSpacer(form.get());
    EXPECT_THROW(copy->Assign(spacer), EConvertError);
}

TEST(KvPopupToolButton, AssignTakesTheButtonsSettingsWithTheirSideEffectsInOrder) {
    TOverflowFixture f;
    auto* menu = new TPopupMenu(f.form.get());
    auto* list = new TImageList(f.form.get());
    TKvToolButton* source = f.buttons[2];
    source->SetToolStyle(tsDropDown);  // 39 wide, still following the toolbar's size
    source->SetDropDownMenu(menu);
    source->SetCaption(u"&Open");
    source->SetHint(u"Open|Opens a file");
    source->Tag = 7;
    source->SetImageIndex(2);
    source->SetImages(list);
    source->SetLayout(blGlyphTop);
    source->SetAlignment(taLeftJustify);
    source->SetEnabled(false);
    source->SetFlat(false);
    source->SetSelectionColorStart(clRed);
    source->SetVisualStyle(vsGradient);

    TKvToolbar* t = new TKvToolbar(f.form.get());
    auto* copy = new TKvPopupToolButton(t);
    copy->Assign(source);
    EXPECT_EQ(copy->MappedButton(), source);
    EXPECT_EQ(copy->ToolStyle(), tsDropDown);
    EXPECT_EQ(copy->DropDownMenu(), menu);
    EXPECT_EQ(copy->Width(), 39);
    EXPECT_TRUE(copy->UseToolbarButtonSize());
    EXPECT_EQ(copy->Caption(), u"&Open");
    EXPECT_EQ(copy->Hint(), u"Open|Opens a file");
    EXPECT_EQ(copy->Tag, 7);
    EXPECT_EQ(copy->ImageIndex(), 2);
    EXPECT_EQ(copy->Images(), list);
    EXPECT_EQ(copy->Layout(), blGlyphTop);
    EXPECT_FALSE(copy->UseToolbarButtonLayout());
    EXPECT_EQ(copy->Alignment(), taLeftJustify);
    EXPECT_FALSE(copy->Enabled());
    EXPECT_FALSE(copy->Flat());
    EXPECT_EQ(copy->SelectionColorStart(), clRed);
    EXPECT_EQ(copy->VisualStyle(), vsGradient);
    EXPECT_FALSE(copy->UseToolbarVisualStyle());

    // A size of the source's own that differs from the copy's stops the
    // copy following its toolbar: it keeps that size.
    f.toolbar->SetButtonWidth(60);
    ASSERT_TRUE(f.buttons[0]->UseToolbarButtonSize());
    auto* wide = new TKvPopupToolButton(t);
    wide->Assign(f.buttons[0]);
    EXPECT_EQ(wide->Width(), 60);
    EXPECT_FALSE(wide->UseToolbarButtonSize());

    // Down is taken before GroupIndex: a latched group member's copy starts up.
    f.buttons[1]->SetGroupIndex(1);
    f.buttons[1]->SetDown(true);
    auto* member = new TKvPopupToolButton(t);
    member->Assign(f.buttons[1]);
    EXPECT_EQ(member->GroupIndex(), 1);
    EXPECT_FALSE(member->Down());
}

TEST(KvPopupToolButton, ACopysClickNeverRunsItsOwnHandler) {
    auto form = MakeOwned<TForm>(nullptr);
    auto* t = new TKvToolbar(form.get());
    auto* real = new TKvToolButton(form.get());
    auto* chevron = new TKvToolbarPopupButton(t);
    auto* copy = new TKvPopupToolButton(t);
    copy->SetToolbarPopupButton(chevron);
    copy->Assign(real);
    int own = 0, toolbar = 0;
    copy->OnClick = [&](TObject*) { ++own; };
    t->OnClick = [&](TObject*) { ++toolbar; };
    copy->Click();
    EXPECT_EQ(own, 0);
    EXPECT_EQ(toolbar, 1);
    EXPECT_EQ(chevron->SelectedButton(), real);
    // The real button freed, the selection is forgotten.
    real->Free();
    EXPECT_EQ(chevron->SelectedButton(), nullptr);
    EXPECT_EQ(copy->MappedButton(), nullptr);
}

TEST(KvPopupToolButton, ACopyOfADropDownButtonDropsItsMenuBelowTheCopy) {
    TOverflowFixture f;
    auto* menu = new TPopupMenu(f.form.get());
    auto* item = new TMenuItem(f.form.get());
    item->SetCaption(u"Only");
    menu->Items()->Add(item);
    f.buttons[4]->SetToolStyle(tsDropDown);
    f.buttons[4]->SetDropDownMenu(menu);
    f.toolbar->Realign();
    TComponent* popupComponent = nullptr;
    TKvPopupToolButton* copy = nullptr;
    TPoint asked, expected;
    bool panelStayedOpen = false;
    TPopupMenu::SetAutomation([&](TPopupMenuDriver& d) {
        popupComponent = d.Menu().PopupComponent();
        asked = d.PopupPoint();
    });
    ASSERT_TRUE(f.OpenPopup([&](TKvPopupPanel& p, TKvToolbar& t) {
        copy = static_cast<TKvPopupToolButton*>(t.ToolbarControls().Items(1)->Control());
        EXPECT_EQ(copy->MappedButton(), f.buttons[4]);
        expected = copy->ClientToScreen({0, copy->Height()});
        SimulateMouseDown(&t, mbLeft, copy->Left() + copy->Width() - 5, copy->Top() + 5);
        SimulateMouseUp(&t, mbLeft, copy->Left() + copy->Width() - 5, copy->Top() + 5);
        panelStayedOpen = p.Popped();
    }));
    TPopupMenu::SetAutomation(nullptr);
    EXPECT_EQ(popupComponent, copy);
    EXPECT_EQ(asked, expected);
    EXPECT_TRUE(panelStayedOpen);
    EXPECT_EQ(f.clicks[4], 0);
    // The copy went with the popup; the menu does not keep it.
    EXPECT_EQ(menu->PopupComponent(), nullptr);
}

}  // namespace
