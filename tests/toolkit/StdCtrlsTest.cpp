#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Buttons.h"
#include "Forms.h"
#include "Labels.h"
#include "PixelPicture.h"
#include "StdCtrls.h"

namespace {

// A form with an OK button (Enter), a Cancel button (Escape) and a third
// that closes nothing; each click is logged.
struct TDialogFixture {
    TOwned<TForm> form{new TForm(nullptr)};
    TButton* ok = nullptr;
    TButton* cancel = nullptr;
    TButton* other = nullptr;
    std::vector<std::string> log;

    TDialogFixture() {
        form->SetBounds(0, 0, 300, 100);
        ok = Add("ok", 10, mrOk);
        ok->SetDefault(true);
        cancel = Add("cancel", 100, mrCancel);
        cancel->SetCancel(true);
        other = Add("other", 190, mrNone);
        form->Show();
    }
    TButton* Add(const std::string& name, int left, TModalResult result) {
        auto* b = new TButton(form.get());
        b->SetParent(form.get());
        b->SetBounds(left, 10, 75, 25);
        b->SetModalResult(result);
        b->OnClick = [this, name](TObject*) { log.push_back(name); };
        return b;
    }
};

TEST(Button, AClickHandsItsModalResultToTheForm) {
    TDialogFixture f;
    SimulateMouseDown(f.other, mbLeft, 5, 5);
    SimulateMouseUp(f.other, mbLeft, 5, 5);
    EXPECT_EQ(f.form->ModalResult(), mrNone);
    SimulateMouseDown(f.cancel, mbLeft, 5, 5);
    SimulateMouseUp(f.cancel, mbLeft, 5, 5);
    EXPECT_EQ(f.form->ModalResult(), mrCancel);
    EXPECT_EQ(f.log, (std::vector<std::string>{"other", "cancel"}));
}

// Enter goes to the default button and Escape to the cancel button, unless
// the focused button takes Enter (or Space) itself; a disabled button takes
// nothing.
TEST(Button, EnterAndEscapeReachTheDefaultAndCancelButtons) {
    TDialogFixture f;
    SimulateKey(f.form.get(), VK_RETURN);
    SimulateKey(f.form.get(), VK_ESCAPE);
    SimulateKey(f.other, VK_RETURN);
    SimulateKey(f.other, VK_SPACE);
    f.ok->SetEnabled(false);
    SimulateKey(f.form.get(), VK_RETURN);
    SimulateKey(f.form.get(), VK_RETURN, {ssCtrl});
    EXPECT_EQ(f.log, (std::vector<std::string>{"ok", "cancel", "other", "other"}));
}

TEST(Button, HotTrackingFramesTheButtonWhileTheMouseIsOverIt) {
    TDialogFixture f;
    f.other->SetHotTrack(true);
    f.other->SetColor(0x00F0F4F4);
    SimulateMouseMove(f.other, 30, 12);
    EXPECT_TRUE(f.other->Hot());
    TBitmap hot;
    f.other->GetImage(hot);
    EXPECT_EQ(hot.Canvas().Pixel(1, 12), ColorToRGB(clHotLight));
    EXPECT_EQ(hot.Canvas().Pixel(10, 3), 0x00F0F4F4u);  // the face in the button's colour
    SimulateMouseMove(f.form.get(), 280, 80);
    EXPECT_FALSE(f.other->Hot());
    TBitmap cold;
    f.other->GetImage(cold);
    EXPECT_EQ(cold.Canvas().Pixel(1, 12), 0x00F0F4F4u);
}

TEST(Label, AutoSizeFollowsTheCaption) {
    TOwned<TForm> form(new TForm(nullptr));
    auto* label = new TLabel(form.get());
    label->SetParent(form.get());
    label->SetCaption(u"Text Options");
    TCanvas measure;
    measure.Font().Assign(label->Font());
    EXPECT_EQ(label->Width(), measure.TextWidth(u"Text Options"));
    EXPECT_EQ(label->Height(), measure.TextHeight(u"Text Options"));
    label->SetCaption(u"Text Options, longer");
    const int longer = label->Width();
    EXPECT_EQ(longer, measure.TextWidth(u"Text Options, longer"));
    label->SetAutoSize(false);
    label->SetCaption(u"x");
    EXPECT_EQ(label->Width(), longer);
}

// A glyph of four frames in four colours on a magenta ground: each look of
// the button shows its own frame, with the ground left out.
TEST(SpeedButton, EachLookShowsItsFrameOfTheGlyph) {
    TOwned<TForm> form(new TForm(nullptr));
    form->SetColor(clWhite);
    auto* button = new TSpeedButton(form.get());
    button->SetParent(form.get());
    button->SetBounds(0, 0, 24, 24);
    TBitmap glyph(32, 8);
    Fill(glyph, clFuchsia);
    const TColor colours[] = {clRed, clGray, clBlue, clGreen};
    for (int i = 0; i < 4; ++i) {
        glyph.Canvas().Brush().SetColor(colours[i]);
        glyph.Canvas().FillRect(Rect(i * 8 + 2, 2, i * 8 + 6, 6));
    }
    button->SetGlyph(glyph);
    struct Case {
        int frames;
        TSpeedButton::TLook look;
        int frame;
    } cases[] = {
        {1, TSpeedButton::lkDisabled, 0}, {1, TSpeedButton::lkDown, 0},    {2, TSpeedButton::lkDisabled, 1},
        {2, TSpeedButton::lkPressed, 0},  {3, TSpeedButton::lkPressed, 2}, {3, TSpeedButton::lkDown, 2},
        {4, TSpeedButton::lkDown, 3},     {4, TSpeedButton::lkUp, 0},
    };
    for (const Case& c : cases) {
        button->SetNumGlyphs(c.frames);
        EXPECT_EQ(button->FrameOf(c.look), c.frame) << c.frames << " frames, look " << c.look;
    }
    button->SetNumGlyphs(4);
    button->SetFlat(true);
    button->SetEnabled(false);
    TBitmap shot;
    form->GetImage(shot);
    // Frame 1 (grey) in the middle; its magenta ground lets the form's white show.
    EXPECT_EQ(InkBounds(shot.Canvas(), Rect(0, 0, 24, 24), clWhite), Rect(10, 10, 14, 14));
    EXPECT_EQ(shot.Canvas().Pixel(11, 11), clGray);
}

}  // namespace
