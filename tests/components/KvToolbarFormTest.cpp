#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Forms.h"
#include "ImgList.h"
#include "KvButton.h"
#include "KvCommon.h"
#include "KvToolbarForm.h"
#include "PixelPicture.h"
#include "Platform.h"

namespace {

// A form at (100, 100), 400 x 300, whose toolbar holds, in this order:
// "Execute" (a tool button with caption and picture), a spacer, a tool
// button with only a hint, a grooved spacer and a tool button with neither
// (named BtnBare). The toolbar's image list has one red picture.
struct TDialogFixture {
    TOwned<TForm> form{new TForm(nullptr)};
    TKvToolbar* toolbar = nullptr;
    TImageList* images = nullptr;
    std::vector<TControl*> controls;
    TOwned<TKvFrmCustomizeToolbar> dialog;

    explicit TDialogFixture(TAlign align = alTop, int extraButtons = 0) {
        RegisterKvButtonClasses();
        form->SetBounds(100, 100, 400, 300);
        images = new TImageList(form.get());
        TBitmap red(16, 16);
        Fill(red, clRed);
        images->AddMasked(red, clFuchsia);
        toolbar = new TKvToolbar(form.get());
        toolbar->SetName(u"KvToolbar1");
        toolbar->SetAlign(align);
        toolbar->SetParent(form.get());
        toolbar->SetImages(images);
        AddButton(u"BtnExecute", u"Execute", u"Atualizar", 0);
        AddSpacer(u"KvSpacer1", false);
        AddButton(u"BtnHinted", u"", u"Only a hint", -1);
        AddSpacer(u"KvSpacer2", true);
        AddButton(u"BtnBare", u"", u"", -1);
        for (int i = 0; i < extraButtons; ++i) AddButton(u"BtnMore" + IntToStr(i), u"More " + IntToStr(i), u"", -1);
        form->Show();
    }
    void AddButton(const String& name, const String& caption, const String& hint, int image) {
        auto* b = new TKvToolButton(form.get());
        b->SetName(name);
        b->SetCaption(caption);
        b->SetHint(hint);
        b->SetImageIndex(image);
        b->SetParent(toolbar);
        controls.push_back(b);
    }
    void AddSpacer(const String& name, bool grooved) {
        auto* s = new TKvSpacer(form.get());
        s->SetName(name);
        s->SetGrooved(grooved);
        s->SetParent(toolbar);
        controls.push_back(s);
    }
    // The dialog as Customize prepares it, shown without a modal loop.
    TKvFrmCustomizeToolbar& Open(bool showTextOptions = true) {
        ProcessPendingEvents();  // the window system places the form's client area
        dialog.reset(new TKvFrmCustomizeToolbar(nullptr));
        dialog->DoCreate();
        dialog->SetCompOwner(form.get());
        dialog->SetToolbar(toolbar);
        dialog->Reposition();
        dialog->UpdateControls(toolbar->CustomizeCaptions(), showTextOptions);
        dialog->Show();
        return *dialog;
    }
    std::vector<String> Items() const {
        std::vector<String> out;
        const TStrings& items = dialog->LstControls->Items();
        for (int i = 0; i < items.Count(); ++i) out.push_back(items.Get(i));
        return out;
    }
    std::vector<String> Entries() const {
        std::vector<String> out;
        TKvToolbarControlList& list = toolbar->ToolbarControls();
        for (int i = 0; i < list.Count(); ++i) out.push_back(list.Items(i)->Control()->Name());
        return out;
    }
    // A point on item `index` of the list, `dx` pixels right of the row's left edge.
    TPoint On(int index, int dx = 60) const {
        const TRect r = dialog->LstControls->ItemRect(index);
        return {r.Left + dx, r.Top + 10};
    }
    void Click(TPoint p) {
        SimulateMouseDown(dialog->LstControls, mbLeft, p.X, p.Y);
        SimulateMouseUp(dialog->LstControls, mbLeft, p.X, p.Y);
    }
};

TEST(KvFrmCustomizeToolbar, IsMadeFromItsStoredLayout) {
    TDialogFixture f;
    TKvFrmCustomizeToolbar& d = f.Open();
    EXPECT_EQ(d.BorderStyle(), bsDialog);
    EXPECT_EQ(d.BorderIcons(), TBorderIcons{biSystemMenu});
    EXPECT_EQ(d.ClientWidth(), 337);
    EXPECT_EQ(d.ClientHeight(), 280);
    EXPECT_EQ(d.Color(), clBtnFace);
    EXPECT_EQ(d.Font().Name(), u"Verdana");
    EXPECT_EQ(d.Font().Height(), -11);
    EXPECT_TRUE(d.ShowHint());
    EXPECT_EQ(d.PopupMode(), pmAuto);  // set by FormCreate
    EXPECT_EQ(d.Position(), poDesigned);
    struct Place {
        TControl* control;
        TRect bounds;
        int tabOrder;
    } places[] = {
        {d.LstControls, Bounds(8, 24, 225, 205), 0}, {d.BtnClose, Bounds(244, 24, 85, 25), 1},
        {d.BtnMoveUp, Bounds(244, 84, 85, 25), 2},   {d.BtnMoveDown, Bounds(244, 116, 85, 25), 3},
        {d.CbxTextOptions, Bounds(8, 252, 225, 21), 4},
    };
    for (const Place& p : places) {
        EXPECT_EQ(p.control->BoundsRect(), p.bounds) << StringToUtf8(p.control->Name());
        EXPECT_EQ(dynamic_cast<TWinControl*>(p.control)->TabOrder(), p.tabOrder) << StringToUtf8(p.control->Name());
    }
    EXPECT_EQ(d.LblHint->BoundsRect().TopLeft(), (TPoint{8, 8}));
    EXPECT_EQ(d.LblTextOptions->BoundsRect().TopLeft(), (TPoint{8, 236}));
    EXPECT_EQ(d.LstControls->ItemHeight(), 20);
    EXPECT_EQ(d.LstControls->DragMode(), dmAutomatic);
    EXPECT_EQ(d.LstControls->Style(), lbOwnerDrawFixed);
    EXPECT_EQ(d.BtnClose->ModalResult(), mrOk);
    EXPECT_TRUE(d.BtnClose->Default());  // Enter closes the dialog
    EXPECT_TRUE(d.BtnClose->Cancel());   // and so does Escape
    for (TButton* b : {d.BtnClose, d.BtnMoveUp, d.BtnMoveDown}) {
        EXPECT_EQ(b->Color(), 0x00F0F4F4u) << StringToUtf8(b->Name());
        EXPECT_TRUE(b->HotTrack()) << StringToUtf8(b->Name());
    }
    for (TSpeedButton* s : {d.BtnSpacer, d.BtnGrooveSpacer}) {
        EXPECT_FALSE(s->Visible());
        EXPECT_TRUE(s->Flat());
        EXPECT_EQ(s->NumGlyphs(), 2);
        EXPECT_EQ(s->Glyph().Width(), 32);
        EXPECT_EQ(s->Glyph().Height(), 16);
    }
    EXPECT_EQ(d.BtnSpacer->Hint(), u"Add a Spacer");
    EXPECT_EQ(d.BtnGrooveSpacer->Hint(), u"Add a Grooved Spacer");
    EXPECT_FALSE(d.Timer1->Enabled());
    EXPECT_EQ(d.Timer1->Interval(), 100u);
    EXPECT_TRUE(static_cast<bool>(d.Timer1->OnTimer));
}

TEST(KvFrmCustomizeToolbar, UpdateControlsTakesTheCaptionsAndListsTheToolbar) {
    TDialogFixture f;
    f.toolbar->SetTextOptions(ttoShowTextLabels);
    f.controls[2]->SetVisible(false);
    TKvCustomizeCaptions& captions = f.toolbar->CustomizeCaptions();
    for (int i = 1; i <= 9; ++i) captions.SetCaption(i, String(u"#").append(IntToStr(i)));
    TKvFrmCustomizeToolbar& d = f.Open();
    EXPECT_EQ(d.Caption(), u"#1");
    EXPECT_EQ(d.LblHint->Caption(), u"#2");
    EXPECT_EQ(d.BtnClose->Caption(), u"#3");
    EXPECT_EQ(d.BtnMoveUp->Caption(), u"#4");
    EXPECT_EQ(d.BtnMoveDown->Caption(), u"#5");
    EXPECT_EQ(d.LblTextOptions->Caption(), u"#6");
    ASSERT_EQ(d.CbxTextOptions->Items().Count(), 3);
    EXPECT_EQ(d.CbxTextOptions->Items().Get(2), u"#9");
    EXPECT_EQ(d.CbxTextOptions->ItemIndex(), 1);
    EXPECT_EQ(f.Items(), (std::vector<String>{u"Execute", u"Spacer", u"Only a hint", u"Spacer", u"BtnBare"}));
    for (int i = 0; i < 5; ++i) EXPECT_EQ(d.LstControls->Checked(i), i != 2) << i;
    EXPECT_EQ(d.LstControls->ItemIndex(), 0);
    EXPECT_FALSE(d.BtnMoveUp->Enabled());
    EXPECT_TRUE(d.BtnMoveDown->Enabled());

    f.toolbar->SetButtonWidth(30);  // the settings no longer match a text option
    f.Open();
    EXPECT_EQ(f.dialog->CbxTextOptions->ItemIndex(), -1);
}

TEST(KvFrmCustomizeToolbar, WithoutTextOptionsTheDialogIs237PixelsHigh) {
    TDialogFixture f;
    TKvFrmCustomizeToolbar& d = f.Open(false);
    EXPECT_EQ(d.ClientHeight(), 237);
    EXPECT_FALSE(d.CbxTextOptions->Visible());
    EXPECT_FALSE(d.LblTextOptions->Visible());
}

// The toolbar closes the gap of an unchecked control at once and opens it
// again when it is checked.
TEST(KvFrmCustomizeToolbar, UncheckingHidesTheControlAndCheckingShowsItAgain) {
    TDialogFixture f;
    f.Open();
    TControl* hinted = f.controls[2];
    TControl* bare = f.controls[4];
    const int bareLeft = bare->Left();
    f.Click(f.On(2, 8));  // on the check box
    EXPECT_FALSE(hinted->Visible());
    EXPECT_FALSE(f.dialog->LstControls->Checked(2));
    EXPECT_EQ(bare->Left(), bareLeft - hinted->Width());
    SimulateKey(f.dialog->LstControls, VK_SPACE);  // the same item is selected now
    EXPECT_TRUE(hinted->Visible());
    EXPECT_EQ(bare->Left(), bareLeft);
}

TEST(KvFrmCustomizeToolbar, TheMoveButtonsMoveItemAndEntryAndStopAtTheEnds) {
    TDialogFixture f;
    TKvFrmCustomizeToolbar& d = f.Open();
    TControl* execute = f.controls[0];
    d.BtnMoveDown->Click();
    EXPECT_EQ(f.Items()[1], u"Execute");
    EXPECT_EQ(f.Entries()[1], u"BtnExecute");
    EXPECT_EQ(execute->Left(), 4 + 8);  // after the spacer now
    EXPECT_EQ(d.LstControls->ItemIndex(), 1);
    EXPECT_TRUE(d.BtnMoveUp->Enabled());
    for (int i = 0; i < 3; ++i) d.BtnMoveDown->Click();
    EXPECT_EQ(d.LstControls->ItemIndex(), 4);
    EXPECT_FALSE(d.BtnMoveDown->Enabled());
    EXPECT_EQ(f.Entries(), (std::vector<String>{u"KvSpacer1", u"BtnHinted", u"KvSpacer2", u"BtnBare", u"BtnExecute"}));
    d.BtnMoveUp->Click();
    EXPECT_EQ(f.Entries()[3], u"BtnExecute");
    EXPECT_TRUE(d.BtnMoveDown->Enabled());
    // Up and Down choose an item as a click would: the buttons follow.
    SimulateKey(d.LstControls, VK_HOME);
    EXPECT_FALSE(d.BtnMoveUp->Enabled());
    SimulateKey(d.LstControls, VK_DOWN);
    EXPECT_TRUE(d.BtnMoveUp->Enabled());
}

TEST(KvFrmCustomizeToolbar, DragAndDropMovesTheItemAndTheEntryTogether) {
    TDialogFixture f;
    TKvFrmCustomizeToolbar& d = f.Open();
    SimulateMouseDown(d.LstControls, mbLeft, f.On(0).X, f.On(0).Y);
    SimulateMouseMove(d.LstControls, f.On(1).X, f.On(1).Y, {ssLeft});
    SimulateMouseMove(d.LstControls, f.On(3).X, f.On(3).Y, {ssLeft});
    EXPECT_EQ(d.LstControls->ItemIndex(), 3);  // the selection follows the drag
    SimulateMouseUp(d.LstControls, mbLeft, f.On(3).X, f.On(3).Y);
    EXPECT_EQ(f.Items(), (std::vector<String>{u"Spacer", u"Only a hint", u"Spacer", u"Execute", u"BtnBare"}));
    EXPECT_EQ(f.Entries(), (std::vector<String>{u"KvSpacer1", u"BtnHinted", u"KvSpacer2", u"BtnExecute", u"BtnBare"}));
    EXPECT_EQ(f.controls[0]->Left(), 4 + 8 + 25 + 8);
    EXPECT_EQ(d.LstControls->ItemIndex(), 3);
    EXPECT_FALSE(d.Timer1->Enabled());
}

// Held near the bottom edge the list scrolls down a row per tick until its
// last row is in sight; near the top it scrolls back; the end of the drag
// stops the timer.
TEST(KvFrmCustomizeToolbar, ADragNearAnEdgeScrollsTheListOnTheTimer) {
    TDialogFixture f(alTop, 10);  // fifteen items, ten of them in sight
    TKvFrmCustomizeToolbar& d = f.Open();
    TCheckListBox* list = d.LstControls;
    SimulateMouseDown(list, mbLeft, f.On(0).X, f.On(0).Y);
    SimulateMouseMove(list, 60, list->Height() - 5, {ssLeft});
    EXPECT_TRUE(d.Timer1->Enabled());
    EXPECT_FALSE(d.GoingUp);
    std::vector<int> tops;
    for (int i = 0; i < 8 && d.Timer1->Enabled(); ++i) {
        d.Timer1Timer(d.Timer1);
        tops.push_back(list->TopIndex());
    }
    EXPECT_EQ(tops, (std::vector<int>{1, 2, 3, 4, 5, 5}));
    EXPECT_FALSE(d.Timer1->Enabled());
    SimulateMouseMove(list, 60, 5, {ssLeft});
    EXPECT_TRUE(d.Timer1->Enabled());
    EXPECT_TRUE(d.GoingUp);
    d.Timer1Timer(d.Timer1);
    EXPECT_EQ(list->TopIndex(), 4);
    SimulateMouseMove(list, 60, 100, {ssLeft});
    EXPECT_FALSE(d.Timer1->Enabled());
    SimulateMouseMove(list, 60, 5, {ssLeft});
    SimulateMouseUp(list, mbLeft, 60, 5);
    EXPECT_FALSE(d.Timer1->Enabled());
}

TEST(KvFrmCustomizeToolbar, ChoosingATextOptionAppliesItAtOnce) {
    TDialogFixture f;
    TKvFrmCustomizeToolbar& d = f.Open();
    SimulateKey(d.CbxTextOptions, VK_DOWN);
    EXPECT_EQ(f.toolbar->TextOptions(), ttoShowTextLabels);
    EXPECT_EQ(f.controls[0]->Width(), 60);
    EXPECT_EQ(f.controls[0]->Height(), 40);
    SimulateKey(d.CbxTextOptions, VK_DOWN);
    EXPECT_EQ(f.toolbar->TextOptions(), ttoSelectiveTextOnRight);
    d.SetToolbar(nullptr);
    SimulateKey(d.CbxTextOptions, VK_HOME);  // without a toolbar: nothing
    EXPECT_EQ(f.toolbar->TextOptions(), ttoSelectiveTextOnRight);
}

// Each row: the row filled with the state's colour, the picture at +2/+2
// (the image list's for a tool button, the spacer glyphs with their ground
// left out), the text from +30 on.
TEST(KvFrmCustomizeToolbar, ItemsShowTheirPictureAndText) {
    TDialogFixture f;
    TKvFrmCustomizeToolbar& d = f.Open();
    d.LstControls->SetItemIndex(2);
    TBitmap shot;
    d.LstControls->GetImage(shot);
    TCanvas& c = shot.Canvas();
    auto content = [&](int index) {
        TRect r = d.LstControls->ItemRect(index);
        r.Left += TCheckListBox::CheckWidth;
        return r;
    };
    const TRect execute = content(0), spacer = content(1), selected = content(2), grooved = content(3),
                bare = content(4);
    const TColor window = ColorToRGB(clWindow), dark = RGB(72, 72, 72);
    EXPECT_EQ(c.Pixel(selected.Left + 1, selected.Top + 1), ColorToRGB(clHighlight));
    EXPECT_EQ(InkBounds(c, Rect(execute.Left, execute.Top, execute.Left + 28, execute.Bottom), window),
              Bounds(execute.Left + 2, execute.Top + 2, 16, 16));
    EXPECT_EQ(c.Pixel(execute.Left + 9, execute.Top + 9), clRed);
    // The spacer glyph's posts at its left; the grooved one has its groove
    // in the middle where the plain one shows the row's colour.
    EXPECT_EQ(c.Pixel(spacer.Left + 2, spacer.Top + 2), window);  // the glyph's ground
    EXPECT_EQ(c.Pixel(spacer.Left + 2 + 1, spacer.Top + 2 + 2), dark);
    EXPECT_EQ(c.Pixel(spacer.Left + 2 + 7, spacer.Top + 2 + 3), window);
    EXPECT_EQ(c.Pixel(grooved.Left + 2 + 7, grooved.Top + 2 + 3), dark);
    // A control without a picture: nothing before the text, and the text
    // starts right of the picture's place.
    const TRect text = InkBounds(c, bare, window);
    EXPECT_GE(text.Left, bare.Left + 30);
    EXPECT_LT(text.Left, bare.Left + 34);
}

// The dialog stands 15 pixels right of and 25 below the point beside the
// toolbar on the side that faces the rest of the window, inside the work area.
TEST(KvFrmCustomizeToolbar, RepositionPlacesTheDialogBesideTheToolbar) {
    const TRect work = GetDesktopClientRect();
    struct Case {
        TAlign align;
        TPoint formAt;
        // Where the dialog's corner goes, from the toolbar's bounds on the form.
        TPoint (*expected)(TRect bar, TPoint form);
    } cases[] = {
        {alTop, {100, 100}, [](TRect b, TPoint o) { return TPoint{o.X + b.Left + 15, o.Y + b.Bottom + 25}; }},
        {alBottom, {100, 100}, [](TRect b, TPoint o) { return TPoint{o.X + b.Left + 15, o.Y + b.Top - 280 - 5 + 25}; }},
        {alLeft, {100, 100}, [](TRect b, TPoint o) { return TPoint{o.X + b.Right + 15, o.Y + b.Top + 25}; }},
        {alRight, {100, 100}, [](TRect b, TPoint o) { return TPoint{o.X + b.Left - 337 - 5 + 15, o.Y + b.Top + 25}; }},
        // Past the work area's right and bottom edges: moved back inside.
        {alBottom, {work.Right - 100, work.Bottom - 50},
         [](TRect, TPoint) { return TPoint{GetDesktopClientRect().Right - 337, GetDesktopClientRect().Bottom - 280}; }},
        // Left of and above the screen: kept at 0.
        {alTop, {-300, -400}, [](TRect, TPoint) { return TPoint{0, 0}; }},
    };
    for (const Case& c : cases) {
        TDialogFixture f(c.align);
        f.form->SetBounds(c.formAt.X, c.formAt.Y, 400, 300);
        TKvFrmCustomizeToolbar& d = f.Open();
        EXPECT_EQ(d.BoundsRect().TopLeft(), c.expected(f.toolbar->BoundsRect(), f.form->ClientOrigin()))
            << "align " << c.align << " at " << c.formAt.X;
    }
}

// Customize shows the dialog modally and frees it once it closes; the
// dialog answers Space (toggle), Down (next item) and Enter (close).
TEST(KvFrmCustomizeToolbar, CustomizeShowsTheDialogModallyAndFreesIt) {
    TDialogFixture f;
    const int formsBefore = Application->ComponentCount();
    TKvFrmCustomizeToolbar* seen = nullptr;
    TCustomForm::SetModalAutomation([&](TCustomForm& form) {
        seen = dynamic_cast<TKvFrmCustomizeToolbar*>(&form);
        ASSERT_NE(seen, nullptr);
        EXPECT_EQ(seen->Owner(), Application);
        EXPECT_EQ(seen->PopupMode(), pmAuto);  // its creation handler ran
        EXPECT_EQ(seen->Toolbar(), f.toolbar);
        EXPECT_EQ(seen->CompOwner(), f.form.get());
        EXPECT_FALSE(seen->CbxTextOptions->Visible());
        SimulateKey(seen->LstControls, VK_DOWN);
        SimulateKey(seen->LstControls, VK_SPACE);
        SimulateKey(seen->LstControls, VK_RETURN);
    });
    f.toolbar->Customize(false);
    TCustomForm::SetModalAutomation(nullptr);
    ASSERT_NE(seen, nullptr);
    EXPECT_FALSE(f.controls[1]->Visible());
    EXPECT_EQ(Application->ComponentCount(), formsBefore);
}

// A toolbar that goes while its dialog is open leaves a dialog that does
// nothing more to it, rather than one that reaches for what is gone.
TEST(KvFrmCustomizeToolbar, ADialogWhoseToolbarWentAwayDoesNothing) {
    TDialogFixture f;
    TKvFrmCustomizeToolbar& d = f.Open();
    f.toolbar->Free();
    EXPECT_EQ(d.Toolbar(), nullptr);
    d.BtnMoveDown->Click();
    f.Click(f.On(1, 8));
    SimulateKey(d.CbxTextOptions, VK_DOWN);
    TBitmap shot;
    d.LstControls->GetImage(shot);
    d.Reposition();
    f.form.reset();
    EXPECT_EQ(d.CompOwner(), nullptr);
}

}  // namespace
