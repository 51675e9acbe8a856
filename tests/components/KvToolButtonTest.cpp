#include <gtest/gtest.h>

#include <memory>

#include "Forms.h"
#include "KvButton.h"
#include "KvPanel.h"
#include "PixelPicture.h"
#include "Platform.h"
#include "RecordingThemes.h"
#include "Streaming.h"

namespace {

// A tool button that counts its paints.
class TCountingButton : public TKvToolButton {
public:
    using TKvToolButton::TKvToolButton;
    int paints = 0;

protected:
    void Paint() override {
        ++paints;
        TKvToolButton::Paint();
    }
};

// A window with a toolbar at its top holding two buttons at (4, 2) and
// (29, 2); both count their clicks.
struct TWindowFixture {
    TOwned<TForm> form = MakeOwned<TForm>(nullptr);
    TKvToolbar* toolbar = nullptr;
    TCountingButton* a = nullptr;
    TCountingButton* b = nullptr;
    int clicksA = 0, clicksB = 0;

    TWindowFixture() {
        form->SetBounds(0, 0, 300, 120);
        toolbar = new TKvToolbar(form.get());
        toolbar->SetParent(form.get());
        a = new TCountingButton(form.get());
        a->SetParent(toolbar);
        a->OnClick = [this](TObject*) { ++clicksA; };
        b = new TCountingButton(form.get());
        b->SetParent(toolbar);
        b->OnClick = [this](TObject*) { ++clicksB; };
    }
    void Press(int x, int y) { SimulateMouseDown(form.get(), mbLeft, x, y); }
    void Drag(int x, int y) { SimulateMouseMove(form.get(), x, y, {ssLeft}); }
    void Release(int x, int y) { SimulateMouseUp(form.get(), mbLeft, x, y); }
    void ClickOn(TControl* c) {
        Press(c->Left() + 10, c->Top() + 10);
        Release(c->Left() + 10, c->Top() + 10);
    }
};

TEST(KvToolButton, StartsWithItsDocumentedValues) {
    auto b = MakeOwned<TKvToolButton>(nullptr);
    EXPECT_EQ(b->ControlStyle(), TControlStyle{csCaptureMouse});
    EXPECT_EQ(b->BoundsRect(), Rect(0, 0, 25, 25));
    EXPECT_TRUE(b->UseToolbarButtonSize());
    EXPECT_TRUE(b->UseToolbarButtonLayout());
    EXPECT_TRUE(b->UseToolbarShowCaption());
    EXPECT_TRUE(b->UseToolbarVisualStyle());
    EXPECT_EQ(b->Alignment(), taCenter);
    EXPECT_EQ(b->Layout(), blGlyphLeft);
    EXPECT_FALSE(b->ShowCaption());
    EXPECT_EQ(b->Color(), clBtnFace);
    EXPECT_EQ(b->VisualStyle(), vsWinXP);
    EXPECT_EQ(b->GradientColorStyle(), gcsSystem);
    EXPECT_EQ(b->SelectionColorStart(), clBtnFace);
    EXPECT_EQ(b->SelectionColorStop(), clBtnShadow);
    EXPECT_EQ(b->SelectionFrameColor(), cl3DDkShadow);
    EXPECT_TRUE(b->Transparent());
    EXPECT_TRUE(b->Flat());
    EXPECT_EQ(b->ImageIndex(), -1);
    EXPECT_EQ(b->DownIndex(), -1);
    EXPECT_EQ(b->DisabledIndex(), -1);
    EXPECT_EQ(b->HotIndex(), -1);
    EXPECT_EQ(b->ToolStyle(), tsButton);
    EXPECT_EQ(b->State(), tbsUp);
    EXPECT_FALSE(b->Down());
    EXPECT_EQ(b->GroupIndex(), 0);
}

TEST(KvToolButton, PressDragAndReleaseClickOnlyInside) {
    struct Step {
        char kind;  // p press, d drag, r release
        int x, y;
        TKvToolButtonState state;
    };
    struct Case {
        const char* what;
        std::vector<Step> steps;
        int clicks;
    };
    const Case cases[] = {
        {"press and release inside", {{'p', 10, 10, tbsDown}, {'r', 10, 10, tbsUp}}, 1},
        {"out and back in",
         {{'p', 10, 10, tbsDown}, {'d', 60, 60, tbsUp}, {'d', 12, 12, tbsDown}, {'r', 12, 12, tbsUp}},
         1},
        {"release outside", {{'p', 10, 10, tbsDown}, {'d', 60, 60, tbsUp}, {'r', 60, 60, tbsUp}}, 0},
        {"the last pixel inside", {{'p', 4, 2, tbsDown}, {'r', 28, 26, tbsUp}}, 1},
        {"just outside", {{'p', 4, 2, tbsDown}, {'r', 29, 26, tbsUp}}, 0},
    };
    for (const auto& tc : cases) {
        TWindowFixture w;
        for (const auto& s : tc.steps) {
            if (s.kind == 'p') w.Press(s.x, s.y);
            else if (s.kind == 'd') w.Drag(s.x, s.y);
            else w.Release(s.x, s.y);
            EXPECT_EQ(w.a->State(), s.state) << tc.what << " after " << s.kind << " " << s.x << "," << s.y;
        }
        EXPECT_EQ(w.clicksA, tc.clicks) << tc.what;
        EXPECT_FALSE(w.a->Dragging()) << tc.what;
    }

    TWindowFixture w;
    SimulateMouseDown(w.form.get(), mbRight, 10, 10);
    EXPECT_EQ(w.a->State(), tbsUp);
    w.a->SetEnabled(false);
    w.ClickOn(w.a);
    EXPECT_EQ(w.clicksA, 0);
    // A double click's second press is a plain press: two clicks.
    w.a->SetEnabled(true);
    SimulateDoubleClick(w.form.get(), mbLeft, 10, 10);
    EXPECT_EQ(w.clicksA, 2);
}

TEST(KvToolButton, GroupMembersLatchOneAtATime) {
    TWindowFixture w;
    w.a->SetGroupIndex(1);
    w.b->SetGroupIndex(1);
    bool downInClick = false;
    w.b->OnClick = [&](TObject*) {
        ++w.clicksB;
        downInClick = w.b->Down();
    };

    w.ClickOn(w.a);
    EXPECT_TRUE(w.a->Down());
    EXPECT_EQ(w.a->State(), tbsExclusive);
    w.ClickOn(w.b);
    EXPECT_TRUE(downInClick);
    EXPECT_TRUE(w.b->Down());
    EXPECT_FALSE(w.a->Down());
    EXPECT_EQ(w.a->State(), tbsUp);

    // Latched, all up not allowed: pressed it shows pressed, released it
    // stays down and does not click.
    w.Press(w.b->Left() + 5, 10);
    EXPECT_EQ(w.b->State(), tbsDown);
    w.Release(w.b->Left() + 5, 10);
    EXPECT_TRUE(w.b->Down());
    EXPECT_EQ(w.b->State(), tbsExclusive);
    EXPECT_EQ(w.clicksB, 1);

    // The group shares the AllowAllUp of the member that set it last.
    w.a->SetAllowAllUp(true);
    EXPECT_TRUE(w.b->AllowAllUp());
    w.ClickOn(w.b);
    EXPECT_FALSE(w.b->Down());
    EXPECT_EQ(w.clicksB, 2);

    // Outside a group nothing stays down.
    w.b->SetGroupIndex(0);
    w.b->SetDown(true);
    EXPECT_FALSE(w.b->Down());
}

TEST(KvToolButton, TheDropDownStyleTakesItsArrowPartAndLeavesItsGroup) {
    TWindowFixture w;
    w.a->SetGroupIndex(3);
    w.a->SetToolStyle(tsDropDown);
    EXPECT_EQ(w.a->GroupIndex(), 0);
    EXPECT_EQ(w.a->Width(), 39);
    EXPECT_TRUE(w.a->UseToolbarButtonSize());
    w.a->SetGroupIndex(2);
    EXPECT_EQ(w.a->GroupIndex(), 0);
    EXPECT_EQ(w.b->Left(), 43);  // the toolbar lays out the wider button
    w.a->SetToolStyle(tsButton);
    EXPECT_EQ(w.a->Width(), 25);
}

TEST(KvToolButton, AnAcceleratorClicksAnEnabledButtonOnAShowingWindow) {
    TWindowFixture w;
    w.a->SetCaption(u"&Open");
    w.form->Show();
    SimulateKey(w.form.get(), 'O', {}, u'o');
    EXPECT_EQ(w.clicksA, 1);
    SimulateKey(w.form.get(), 'X', {}, u'x');
    EXPECT_EQ(w.clicksA, 1);
    w.a->SetEnabled(false);
    SimulateKey(w.form.get(), 'O', {}, u'o');
    EXPECT_EQ(w.clicksA, 1);
}

TEST(KvToolButton, AFlatButtonTurnsHotAndRepaintsAtOnce) {
    TWindowFixture w;
    w.form->Show();
    ProcessPendingEvents();
    const int before = w.a->paints;
    SimulateMouseMove(w.form.get(), 10, 10);
    EXPECT_TRUE(w.a->MouseOverButton());
    EXPECT_GT(w.a->paints, before);  // painted before any event was handled
    const int hot = w.a->paints;
    SimulateMouseMove(w.form.get(), 200, 60);
    EXPECT_FALSE(w.a->MouseOverButton());
    EXPECT_GT(w.a->paints, hot);

    // A button that is not flat keeps the flag but repaints later.
    w.b->SetFlat(false);
    ProcessPendingEvents();
    const int resting = w.b->paints;
    SimulateMouseMove(w.form.get(), 35, 10);
    EXPECT_TRUE(w.b->MouseOverButton());
    EXPECT_EQ(w.b->paints, resting);

    // After a click the hot flag is checked against the cursor again.
    w.ClickOn(w.a);
    EXPECT_TRUE(w.a->MouseOverButton());
}

TEST(KvToolButton, FollowsItsToolbarUntilASettingIsWrittenOnTheButton) {
    TWindowFixture w;
    TKvToolButton* b = w.a;
    b->SetCaption(u"Information");
    w.toolbar->SetButtonWidth(30);
    EXPECT_EQ(b->Width(), 30);
    EXPECT_FALSE(b->IsSizeStored());

    // Captions shown: at the next size notice the button takes the width
    // of glyph, text and 12 pixels.
    w.toolbar->SetShowButtonCaptions(true);
    EXPECT_TRUE(b->ShowCaption());
    w.toolbar->SetButtonWidth(31);
    b->Canvas().Font().Assign(b->Font());
    const int textWidth = b->Canvas().TextWidth(u"Information");
    EXPECT_GT(textWidth + 12, 31);
    EXPECT_EQ(b->Width(), textWidth + 12);
    EXPECT_TRUE(b->UseToolbarButtonSize());
    b->SetCaption(u"Info");
    EXPECT_EQ(b->Width(), std::max(31, b->Canvas().TextWidth(u"Info") + 12));

    // Written on the button, a setting stops following the toolbar.
    b->SetShowCaption(false);
    EXPECT_FALSE(b->UseToolbarShowCaption());
    w.toolbar->SetShowButtonCaptions(false);
    w.toolbar->SetShowButtonCaptions(true);
    EXPECT_FALSE(b->ShowCaption());
    b->SetUseToolbarShowCaption(true);
    EXPECT_TRUE(b->ShowCaption());

    b->SetWidth(50);
    EXPECT_FALSE(b->UseToolbarButtonSize());
    EXPECT_TRUE(b->IsSizeStored());
    w.toolbar->SetButtonHeight(40);
    EXPECT_EQ(b->Height(), 25);
    b->SetUseToolbarButtonSize(true);
    EXPECT_EQ(b->Height(), 40);

    w.toolbar->SetVisualStyle(vsClassic);
    EXPECT_EQ(b->VisualStyle(), vsClassic);
    b->SetVisualStyle(vsGradient);
    EXPECT_FALSE(b->UseToolbarVisualStyle());
    w.toolbar->SetVisualStyle(vsWinXP);
    EXPECT_EQ(b->VisualStyle(), vsGradient);

    w.toolbar->SetButtonLayout(blGlyphTop);
    EXPECT_EQ(b->Layout(), blGlyphTop);
}

TEST(KvToolButton, AChangedToolbarListRepaintsItsButtonsAtOnce) {
    TWindowFixture w;
    auto* shared = new TImageList(w.form.get());
    w.toolbar->SetImages(shared);
    w.a->SetImageIndex(0);
    w.form->Show();
    ProcessPendingEvents();
    const int before = w.a->paints;
    TBitmap strip(16, 16);
    Fill(strip, clRed);
    shared->AddMasked(strip, clFuchsia);
    EXPECT_GT(w.a->paints, before);  // painted before any event was handled
}

TEST(KvToolButton, DrawsWithItsOwnImagesElseItsToolbarsAndGrowsToItsOwn) {
    TWindowFixture w;
    auto* shared = new TImageList(w.form.get());
    auto* own = new TImageList(w.form.get());
    own->SetWidth(32);
    own->SetHeight(30);
    w.toolbar->SetImages(shared);
    TKvToolButton* b = w.a;
    b->SetImageIndex(0);
    EXPECT_EQ(b->ImageList(), shared);
    EXPECT_EQ(b->GetImageSize(), Point(16, 16));
    b->SetImages(own);
    EXPECT_EQ(b->ImageList(), own);
    EXPECT_EQ(b->BoundsRect().Width(), 32);
    EXPECT_EQ(b->Height(), 30);
    EXPECT_FALSE(b->UseToolbarButtonSize());
    w.toolbar->SetButtonWidth(40);
    EXPECT_EQ(b->Width(), 32);
    b->SetImageIndex(-1);
    EXPECT_EQ(b->GetImageSize(), Point(0, 0));
}

// --- placement ---------------------------------------------------------------

struct TPlacement {
    TRect image, caption;
};

TPlacement Place(TButtonLayout layout, TAlignment alignment, const String& caption, int width = 90, int height = 50) {
    auto owner = MakeOwned<TComponent>(nullptr);
    auto* list = new TImageList(owner.get());
    auto* b = new TKvToolButton(owner.get());
    b->SetBounds(0, 0, width, height);
    b->SetImages(list);
    b->SetImageIndex(0);
    b->SetCaption(caption);
    b->SetShowCaption(true);
    b->SetLayout(layout);
    b->SetAlignment(alignment);
    TPlacement p;
    b->GetImageAndCaptionRects(p.image, p.caption);
    return p;
}

TEST(KvToolButton, PlacesGlyphAndCaptionByLayoutAndAlignment) {
    const TRect btn = Rect(2, 2, 88, 48);
    for (TButtonLayout layout : {blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom}) {
        const TPlacement p = Place(layout, taCenter, u"Ab");
        const TRect& i = p.image;
        const TRect& t = p.caption;
        EXPECT_EQ(i.Width(), 16);
        EXPECT_EQ(i.Height(), 16);
        ASSERT_GT(t.Width(), 0);
        const TRect both = UnionRect(i, t);
        // The pair is centred in the button's inner rectangle.
        EXPECT_LE(std::abs((both.Left - btn.Left) - (btn.Right - both.Right)), 1) << layout;
        EXPECT_LE(std::abs((both.Top - btn.Top) - (btn.Bottom - both.Bottom)), 1) << layout;
        switch (layout) {
            case blGlyphLeft: EXPECT_EQ(t.Left, i.Right + 4); break;
            case blGlyphRight: EXPECT_EQ(i.Left, t.Right + 4); break;
            case blGlyphTop: EXPECT_EQ(t.Top, i.Bottom + 4); break;
            case blGlyphBottom: EXPECT_EQ(i.Top, t.Bottom + 4); break;
        }
        // Left-justified the content starts 4 pixels from the left edge;
        // right-justified it moves right by as much.
        const TPlacement left = Place(layout, taLeftJustify, u"Ab");
        const int shift = both.Left - 4;
        EXPECT_EQ(left.image, OffsetRect(i, -shift, 0)) << layout;
        EXPECT_EQ(left.caption, OffsetRect(t, -shift, 0)) << layout;
        const TPlacement right = Place(layout, taRightJustify, u"Ab");
        EXPECT_EQ(right.image, OffsetRect(i, shift, 0)) << layout;
    }
    // Glyph right, left-justified: the caption first, 4 from the edge.
    const TPlacement p = Place(blGlyphRight, taLeftJustify, u"Ab");
    EXPECT_EQ(p.caption.Left, 4);
    EXPECT_EQ(p.image.Left, p.caption.Right + 4);
    // An empty caption places the glyph as if there were none.
    EXPECT_EQ(Place(blGlyphTop, taCenter, u"").image, Rect(37, 17, 53, 33));
    EXPECT_EQ(Place(blGlyphTop, taCenter, u"").caption, Rect(0, 0, 0, 0));
}

TEST(KvToolButton, AViewerButtonsGlyphSitsAtFourAndMovesWhenPressed) {
    TWindowFixture w;
    auto* list = new TImageList(w.form.get());
    w.toolbar->SetImages(list);
    w.a->SetImageIndex(3);
    TRect image, caption;
    w.a->GetImageAndCaptionRects(image, caption);
    EXPECT_EQ(image, Rect(4, 4, 20, 20));
    w.Press(10, 10);
    w.a->GetImageAndCaptionRects(image, caption);
    EXPECT_EQ(image, Rect(5, 5, 21, 21));
    w.a->SetVisualStyle(vsGradient);  // the gradient look never moves the content
    w.a->GetImageAndCaptionRects(image, caption);
    EXPECT_EQ(image, Rect(4, 4, 20, 20));
    w.Release(10, 10);

    w.b->SetToolStyle(tsDropDown);
    w.b->SetImages(list);
    w.b->SetImageIndex(0);
    w.b->GetImageAndCaptionRects(image, caption);
    EXPECT_EQ(image, CenterRect(Rect(2, 2, 23, 23), 16, 16));  // the arrow part left free
}

// --- painting ------------------------------------------------------------------

constexpr TColor kHost = RGB(0, 128, 128);
constexpr TColor kGlyph = RGB(0, 200, 0);
constexpr TColor kHotGlyph = RGB(200, 0, 200);

// One button alone on a host of a colour of its own, with a 16 x 16
// two-image list: image 0 a plain green square, image 1 purple.
struct TPaintFixture {
    TOwned<TForm> host = MakeOwned<TForm>(nullptr);
    TImageList* list = nullptr;
    TKvToolButton* button = nullptr;

    explicit TPaintFixture(TKvVisualStyle style, int width = 25) {
        host->SetColor(kHost);
        host->SetBounds(0, 0, width, 25);
        list = new TImageList(host.get());
        TBitmap strip(32, 16);
        Fill(strip, kGlyph);
        strip.Canvas().Brush().SetColor(kHotGlyph);
        strip.Canvas().FillRect(Rect(16, 0, 32, 16));
        list->AddMasked(strip, clFuchsia);
        button = new TKvToolButton(host.get());
        button->SetBounds(0, 0, width, 25);
        button->SetVisualStyle(style);
        button->SetImages(list);
        button->SetParent(host.get());
    }
    TBitmap& Shot() {
        host->GetImage(shot);
        return shot;
    }
    TRect GlyphAt(TColor glyph) {
        Shot();
        TRect ink{25, 25, 0, 0};
        for (int y = 0; y < shot.Height(); ++y)
            for (int x = 0; x < shot.Width(); ++x)
                if (shot.Canvas().Pixel(x, y) == glyph) ink = UnionRect(ink, Rect(x, y, x + 1, y + 1));
        return ink;
    }
    TBitmap shot;
};

// The host colour with the frame that the painting kit draws for Style.
TPicture Framed(TFrameStyleEx style, const TPalette& pal, TColor face = kHost, bool fill = false) {
    TBitmap ref(25, 25);
    Fill(ref, kHost);
    TRect inner = DrawBorder(ref.Canvas(), Rect(0, 0, 25, 25), style);
    if (fill) {
        ref.Canvas().Brush().SetColor(face);
        ref.Canvas().FillRect(inner);
    }
    return Picture(ref, pal);
}

const TPalette kFramePal{{kHost, '.'}, {ColorToRGB(clBtnHighlight), 'h'}, {ColorToRGB(clBtnShadow), 's'},
                         {ColorToRGB(cl3DDkShadow), 'd'}, {ColorToRGB(clBtnFace), 'f'}, {ColorToRGB(cl3DLight), 'l'},
                         {kGlyph, 'g'}, {clRed, 'r'}, {ColorToRGB(LighterColor(clRed, 20)), 'R'}};

TEST(KvToolButton, ClassicAndUnthemedLooksFrameTheButtonByState) {
    struct Case {
        TKvVisualStyle style;
        const char* state;  // rest, hot, pressed
        TFrameStyleEx frame;
    };
    const Case cases[] = {{vsClassic, "hot", fsButtonUp}, {vsClassic, "pressed", fsLowered},
                          {vsWinXP, "hot", fsPopup},      {vsWinXP, "pressed", fsStatus},
                          {vsClassic, "rest", fsNone},    {vsGradient, "rest", fsNone}};
    for (const auto& tc : cases) {
        TPaintFixture f(tc.style);
        const std::string state = tc.state;
        if (state == "hot") f.button->Perform(CM_MOUSEENTER);
        if (state == "pressed") SimulateMouseDown(f.host.get(), mbLeft, 10, 10);
        EXPECT_EQ(Picture(f.Shot(), kFramePal), Framed(tc.frame, kFramePal) ) << tc.style << " " << tc.state;
        // Without images the face stays clear; with one the glyph moves when pressed.
        f.button->SetImageIndex(0);
        const TRect glyph = f.GlyphAt(kGlyph);
        EXPECT_EQ(glyph, state == "pressed" ? Rect(5, 5, 21, 21) : Rect(4, 4, 20, 20)) << tc.style << " " << tc.state;
        SimulateMouseUp(f.host.get(), mbLeft, 10, 10);
    }
}

TEST(KvToolButton, ALatchedButtonIsDitheredUnlessFlatAndHot) {
    TPaintFixture f(vsClassic);
    f.button->SetGroupIndex(1);
    f.button->SetDown(true);
    const TPicture p = Picture(f.Shot(), kFramePal);
    const TPicture frame = Framed(fsLowered, kFramePal);
    for (int y = 0; y < 25; ++y)
        for (int x = 0; x < 25; ++x) {
            const bool inside = x >= 2 && x < 23 && y >= 2 && y < 23;
            const char expected = !inside ? frame[y][x] : ((x + y) % 2 == 0 ? 'h' : 'f');
            ASSERT_EQ(p[y][x], expected) << x << "," << y;
        }
    f.button->Perform(CM_MOUSEENTER);
    EXPECT_EQ(Picture(f.Shot(), kFramePal), frame);

    // Not transparent: the face takes the colour, the dither its lighter shade.
    TPaintFixture red(vsClassic);
    red.button->SetTransparent(false);
    red.button->SetColor(clRed);
    red.button->Perform(CM_MOUSEENTER);
    EXPECT_EQ(Picture(red.Shot(), kFramePal), Framed(fsButtonUp, kFramePal, clRed, true));
    red.button->Perform(CM_MOUSELEAVE);
    red.button->SetGroupIndex(1);
    red.button->SetDown(true);
    const TPicture q = Picture(red.Shot(), kFramePal);
    EXPECT_EQ(q[2].substr(2, 6), "RrRrRr");
    EXPECT_EQ(q[3].substr(2, 6), "rRrRrR");
}

TEST(KvToolButton, TheGradientLookFillsABoxInTheSelectionColours) {
    struct Case {
        const char* state;
        bool startOnTop;  // else the stop colour, or its darker shade, is on top
        bool darker;
    };
    const Case cases[] = {{"hot", true, false}, {"pressed", false, false}, {"latched", false, true}};
    for (const auto& tc : cases) {
        TPaintFixture f(vsGradient);
        f.button->SetGradientColorStyle(gcsCustom);
        f.button->SetSelectionFrameColor(clBlue);
        f.button->SetSelectionColorStart(clYellow);
        f.button->SetSelectionColorStop(clRed);
        const std::string state = tc.state;
        if (state == "hot") f.button->Perform(CM_MOUSEENTER);
        if (state == "pressed") SimulateMouseDown(f.host.get(), mbLeft, 10, 10);
        if (state == "latched") {
            f.button->SetGroupIndex(1);
            f.button->SetDown(true);
        }
        TCanvas& c = f.Shot().Canvas();
        EXPECT_EQ(c.Pixel(0, 0), clBlue) << tc.state;
        EXPECT_EQ(c.Pixel(24, 24), clBlue) << tc.state;
        const TColor top = tc.startOnTop ? clYellow : tc.darker ? ColorToRGB(DarkerColor(clRed, 40)) : clRed;
        const TColor bottom = tc.startOnTop ? clRed : clYellow;
        EXPECT_EQ(c.Pixel(12, 1), top) << tc.state;
        EXPECT_EQ(c.Pixel(12, 23), bottom) << tc.state;
        SimulateMouseUp(f.host.get(), mbLeft, 10, 10);
    }
}

TEST(KvToolButton, GlyphsByStateHotDownAndDisabled) {
    TPaintFixture f(vsClassic);
    f.button->SetImageIndex(0);
    f.button->SetHotIndex(1);
    EXPECT_EQ(f.GlyphAt(kGlyph), Rect(4, 4, 20, 20));
    f.button->Perform(CM_MOUSEENTER);
    EXPECT_EQ(f.GlyphAt(kHotGlyph), Rect(4, 4, 20, 20));
    f.button->SetGroupIndex(1);
    f.button->SetDownIndex(0);
    f.button->SetDown(true);
    EXPECT_EQ(f.GlyphAt(kGlyph), Rect(5, 5, 21, 21));  // down shows DownIndex before HotIndex

    TPaintFixture d(vsClassic);
    d.button->SetImageIndex(0);
    d.button->SetEnabled(false);
    const TColor grey = RGB(186, 186, 186);  // green greyed: luminance 118 taken halfway to white
    EXPECT_EQ(d.GlyphAt(grey), Rect(4, 4, 20, 20));
    EXPECT_EQ(d.button->State(), tbsDisabled);
    auto* disabled = new TImageList(d.host.get());
    TBitmap strip(16, 16);
    Fill(strip, clRed);
    disabled->AddMasked(strip, clFuchsia);
    d.button->SetDisabledImages(disabled);
    EXPECT_EQ(d.GlyphAt(clRed), Rect(4, 4, 20, 20));
    d.button->SetDisabledIndex(1);  // from the normal list, even with a disabled list
    EXPECT_EQ(d.GlyphAt(kHotGlyph), Rect(4, 4, 20, 20));
    d.button->SetEnabled(true);
    d.button->Repaint();
    EXPECT_EQ(d.GlyphAt(kGlyph), Rect(4, 4, 20, 20));
    EXPECT_EQ(d.button->State(), tbsUp);
}

TEST(KvToolButton, ACaptionIsDrawnOnlyWhenShown) {
    TPaintFixture f(vsClassic, 60);
    f.button->SetCaption(u"Copy");
    f.button->SetBounds(0, 0, 60, 25);
    EXPECT_EQ(InkBounds(f.Shot().Canvas(), Rect(0, 0, 60, 25), kHost), Rect(60, 25, 0, 0));
    f.button->SetShowCaption(true);
    const TRect ink = InkBounds(f.Shot().Canvas(), Rect(0, 0, 60, 25), kHost);
    TRect image, caption;
    f.button->GetImageAndCaptionRects(image, caption);
    EXPECT_FALSE(ink.IsEmpty());
    EXPECT_EQ(IntersectRect(ink, caption), ink);
}

TEST(KvToolButton, ASplitButtonDrawsAnEtchedSeparatorAndItsArrowOnTheArrowSide) {
    // The arrow part is at the right edge, or at the left edge under
    // right-to-left alignment.
    struct Case {
        TBiDiMode mode;
        int shadowX, highlightX;
        int tipX;  // the triangle's tip, at Height div 2 + 2
    };
    const Case cases[] = {{bdLeftToRight, 39 - 15, 39 - 14, 39 - 8}, {bdRightToLeft, 13, 14, 6}};
    for (const auto& tc : cases) {
        TPaintFixture f(vsClassic, 39);
        f.button->SetBounds(0, 0, 25, 25);
        f.button->SetToolStyle(tsDropDown);
        ASSERT_EQ(f.button->Width(), 39);
        f.button->SetBiDiMode(tc.mode);
        f.button->OnClick = [](TObject*) {};
        f.button->Perform(CM_MOUSEENTER);
        TCanvas& c = f.Shot().Canvas();
        EXPECT_EQ(c.Pixel(tc.shadowX, 12), ColorToRGB(clBtnShadow)) << tc.mode;
        EXPECT_EQ(c.Pixel(tc.highlightX, 12), ColorToRGB(clBtnHighlight)) << tc.mode;
        // A five-pixel triangle, three rows high.
        const TColor ink = ColorToRGB(clWindowText);
        EXPECT_EQ(c.Pixel(tc.tipX, 14), ink) << tc.mode;
        EXPECT_EQ(c.Pixel(tc.tipX - 2, 12), ink) << tc.mode;
        EXPECT_EQ(c.Pixel(tc.tipX + 2, 12), ink) << tc.mode;
        EXPECT_NE(c.Pixel(tc.tipX, 15), ink) << tc.mode;
        EXPECT_NE(c.Pixel(tc.tipX - 3, 12), ink) << tc.mode;
        // Nothing of it on the face side.
        EXPECT_NE(c.Pixel(39 - 1 - tc.tipX, 14), ink) << tc.mode;
    }
}

TEST(KvToolButton, WithThemesTheWinXPLookDrawsToolbarButtonElements) {
    TThemesRecorded themes;
    auto lastDrawn = [&] { return themes.drawn.back().first; };

    TPaintFixture f(vsWinXP);
    f.button->SetImageIndex(0);
    f.Shot();
    EXPECT_EQ(lastDrawn(), ttbButtonNormal);
    f.button->Perform(CM_MOUSEENTER);
    f.Shot();
    EXPECT_EQ(lastDrawn(), ttbButtonHot);
    SimulateMouseDown(f.host.get(), mbLeft, 10, 10);
    EXPECT_EQ(f.GlyphAt(kGlyph), Rect(5, 4, 21, 20));
    EXPECT_EQ(lastDrawn(), ttbButtonPressed);
    SimulateMouseUp(f.host.get(), mbLeft, 10, 10);
    f.button->SetGroupIndex(1);
    f.button->SetDown(true);
    f.button->Perform(CM_MOUSELEAVE);
    f.Shot();
    EXPECT_EQ(lastDrawn(), ttbButtonChecked);
    f.button->SetFlat(false);
    f.button->SetEnabled(false);
    f.Shot();
    EXPECT_EQ(lastDrawn(), tbPushButtonDisabled);
}

// --- actions and stored layouts -----------------------------------------------

TEST(KvToolButton, AnActionSuppliesDownAndImageIndexWhichAreThenNotStored) {
    RegisterKvButtonClasses();
    auto form = MakeOwned<TForm>(nullptr);
    auto* action = new TAction(form.get());
    action->SetName(u"Act");
    action->SetChecked(true);
    action->SetImageIndex(5);
    action->SetCaption(u"Filter");
    auto* b = new TKvToolButton(form.get());
    b->SetName(u"Btn");
    b->SetParent(form.get());
    b->SetGroupIndex(1);
    b->SetAllowAllUp(true);
    b->SetAction(action);
    EXPECT_TRUE(b->Down());
    EXPECT_EQ(b->ImageIndex(), 5);
    EXPECT_EQ(b->Caption(), u"Filter");
    EXPECT_FALSE(b->IsCheckedStored());
    EXPECT_FALSE(b->IsImageIndexStored());
    const std::string text = WriteComponentToText(form.get());
    std::string button = text.substr(text.find("object Btn"));
    button = button.substr(0, button.find("end"));
    EXPECT_NE(button.find("Action = Act"), std::string::npos) << text;
    EXPECT_EQ(button.find("Down = "), std::string::npos);
    EXPECT_EQ(button.find("ImageIndex = "), std::string::npos);

    action->SetChecked(false);
    action->SetImageIndex(6);
    EXPECT_FALSE(b->Down());
    EXPECT_EQ(b->ImageIndex(), 6);

    b->SetImageIndex(2);  // no longer the action's
    EXPECT_TRUE(b->IsImageIndexStored());
    auto* copy = new TAction(form.get());
    copy->Assign(b);
    EXPECT_EQ(copy->ImageIndex(), 2);
    EXPECT_FALSE(copy->Checked());
}

TEST(KvToolButton, ReadsOlderStoredNamesAndNeverWritesThem) {
    RegisterKvButtonClasses();
    auto form = MakeOwned<TForm>(nullptr);
    ReadComponentFromText(form.get(), R"(object Host: TForm
  object Btn: TKvToolButton
    GradientColorDefault = False
    ThemeAware = True
    GradientColorStart = clRed
    GradientColorStop = 65280
    FrameColor = clNavy
    UseGradients = True
  end
end
)");
    auto* b = dynamic_cast<TKvToolButton*>(form->FindComponent(u"Btn"));
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->SelectionColorStart(), clRed);
    EXPECT_EQ(b->SelectionColorStop(), clLime);
    EXPECT_EQ(b->SelectionFrameColor(), clNavy);
    EXPECT_EQ(b->VisualStyle(), vsGradient);
    const std::string text = WriteComponentToText(form.get());
    for (const char* legacy : {"GradientColorDefault", "ThemeAware", "GradientColorStart", "GradientColorStop",
                               "FrameColor", "UseGradients"})
        EXPECT_EQ(text.find(std::string(" ").append(legacy).append(" =")), std::string::npos) << legacy;
    EXPECT_NE(text.find("SelectionColorStart = clRed"), std::string::npos) << text;
    EXPECT_NE(text.find("VisualStyle = vsGradient"), std::string::npos);
}

TEST(KvToolButton, AButtonThatFollowsItsToolbarStoresOnlyWhatItSetsItself) {
    RegisterKvButtonClasses();
    auto form = MakeOwned<TForm>(nullptr);
    ReadComponentFromText(form.get(), R"(object Host: TForm
  object Bar: TKvToolbar
    BorderInner = fsNone
    BorderOuter = fsGroove
    BorderSides = [sdTop]
    BorderWidth = 0
    object Btn: TKvToolButton
      Left = 4
      Top = 2
      Hint = 'Abrir'
      Caption = 'Open'
      ImageIndex = 3
      DisabledIndex = 4
    end
  end
end
)");
    const std::string text = WriteComponentToText(form.get());
    const std::string button = text.substr(text.find("object Btn"));
    EXPECT_EQ(button.substr(0, button.find("end")),
              "object Btn: TKvToolButton\n      Left = 4\n      Top = 2\n      Caption = 'Open'\n"
              "      Hint = 'Abrir'\n      DisabledIndex = 4\n      ImageIndex = 3\n    ");
    // The toolbar's edge is always stored; its defaults are not.
    EXPECT_NE(text.find("BorderOuter = fsGroove"), std::string::npos) << text;
    EXPECT_NE(text.find("BorderWidth = 0"), std::string::npos);
    EXPECT_EQ(text.find("Align ="), std::string::npos);
    EXPECT_EQ(text.find("RowHeight"), std::string::npos);
}

}  // namespace
