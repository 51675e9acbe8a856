#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <vector>

#include "Forms.h"
#include "KvButton.h"
#include "KvPanel.h"
#include "Platform.h"
#include "TickCount.h"

namespace {

// What one drop-down of the menu saw.
struct TDropped {
    TPoint point;
    TComponent* popupComponent = nullptr;
    TKvToolButtonState state = tbsUp;
    bool inDoDropDown = false;
    bool hot = false;
};

// A window with a toolbar holding a drop-down button at (4, 2), 39 x 25,
// with a two-item menu. A split button counts its clicks. Every menu that
// opens is recorded and answered by `answer` (closed with nothing chosen
// when it does nothing), on a clock that the test sets.
struct TDropDownFixture {
    TOwned<TForm> form = MakeOwned<TForm>(nullptr);
    TKvToolbar* toolbar = nullptr;
    TKvToolButton* button = nullptr;
    TPopupMenu* menu = nullptr;
    int clicks = 0;
    std::uint32_t now = 1000;
    std::vector<TDropped> dropped;
    std::function<void(TPopupMenuDriver&)> answer;

    explicit TDropDownFixture(bool split) {
        form->SetBounds(0, 0, 300, 120);
        toolbar = new TKvToolbar(form.get());
        toolbar->SetParent(form.get());
        menu = new TPopupMenu(form.get());
        for (const char16_t* caption : {u"One", u"Two"}) {
            auto* item = new TMenuItem(form.get());
            item->SetCaption(caption);
            menu->Items()->Add(item);
        }
        button = new TKvToolButton(form.get());
        button->SetToolStyle(tsDropDown);
        button->SetDropDownMenu(menu);
        if (split) button->OnClick = [this](TObject*) { ++clicks; };
        button->SetParent(toolbar);
        form->Show();
        SetTickCountSource([this] { return now; });
        TPopupMenu::SetAutomation([this](TPopupMenuDriver& d) {
            dropped.push_back({d.PopupPoint(), d.Menu().PopupComponent(), button->State(), button->InDoDropDown(),
                               button->MouseOverButton()});
            if (answer) answer(d);
        });
    }
    ~TDropDownFixture() {
        TPopupMenu::SetAutomation(nullptr);
        SetTickCountSource(nullptr);
    }
    // A press and a release at a point of the button.
    void Press(int x, int y = 10, TShiftState shift = {}) {
        SimulateMouseDown(form.get(), mbLeft, button->Left() + x, button->Top() + y, shift);
    }
    void Release(int x, int y = 10) { SimulateMouseUp(form.get(), mbLeft, button->Left() + x, button->Top() + y); }
    void ClickAt(int x, TShiftState shift = {}) {
        Press(x, 10, shift);
        Release(x);
    }
    TPoint BelowLeftEdge() const { return button->ClientToScreen({0, button->Height()}); }
};

constexpr int kArrow = 30;  // in the arrow part of a 39-pixel button
constexpr int kFace = 8;

TEST(KvDropDown, TheArrowOfASplitButtonDropsTheMenuBelowItAndTheFaceClicks) {
    TDropDownFixture f(true);
    f.ClickAt(kArrow);
    ASSERT_EQ(f.dropped.size(), 1u);
    // The menu's default alignment: its left edge at the button's left edge.
    EXPECT_EQ(f.dropped[0].point, f.BelowLeftEdge());
    EXPECT_EQ(f.dropped[0].popupComponent, f.button);
    EXPECT_EQ(f.dropped[0].state, tbsDropDown);
    EXPECT_TRUE(f.dropped[0].inDoDropDown);
    EXPECT_FALSE(f.button->InDoDropDown());
    EXPECT_EQ(f.button->State(), tbsUp);
    EXPECT_EQ(f.clicks, 0);

    TDropDownFixture face(true);
    face.Press(kFace);
    EXPECT_EQ(face.button->State(), tbsDown);
    face.Release(kFace);
    EXPECT_EQ(face.clicks, 1);
    EXPECT_TRUE(face.dropped.empty());
}

TEST(KvDropDown, AWholeButtonDropsDownOnEveryPlainLeftPressAndNeverClicks) {
    TDropDownFixture f(false);
    f.ClickAt(kFace);
    f.now += 500;
    f.ClickAt(kArrow);
    EXPECT_EQ(f.dropped.size(), 2u);
    EXPECT_EQ(f.clicks, 0);
}

TEST(KvDropDown, UnderRightToLeftTheArrowPartIsAtTheLeftEdge) {
    TDropDownFixture f(true);
    f.button->SetBiDiMode(bdRightToLeft);
    f.ClickAt(30);  // the face
    EXPECT_EQ(f.clicks, 1);
    EXPECT_TRUE(f.dropped.empty());
    f.ClickAt(14);
    ASSERT_EQ(f.dropped.size(), 1u);
    // Left-aligned under right-to-left: anchored at the right edge.
    EXPECT_EQ(f.dropped[0].point, f.button->ClientToScreen({39, 25}));
}

TEST(KvDropDown, APressWithShiftCtrlOrAltOnTheArrowIsAFacePress) {
    for (TShiftStateFlag key : {ssShift, ssCtrl, ssAlt}) {
        TDropDownFixture f(true);
        f.Press(kArrow, 10, {key});
        EXPECT_EQ(f.button->State(), tbsDown) << key;
        f.Release(kArrow);
        EXPECT_EQ(f.clicks, 1) << key;
        EXPECT_TRUE(f.dropped.empty()) << key;
    }
    // A pen's press is a plain one.
    TDropDownFixture pen(true);
    TShiftState seen;
    pen.button->OnMouseDown = [&](TObject*, TMouseButton, TShiftState shift, int, int) { seen = shift; };
    pen.ClickAt(kArrow, {ssPen});
    EXPECT_EQ(seen, (TShiftState{ssLeft, ssPen}));
    EXPECT_EQ(pen.dropped.size(), 1u);
}

TEST(KvDropDown, AfterTheMenuClosesOverTheButtonTheNextFacePressIsSwallowed) {
    TDropDownFixture f(true);
    f.ClickAt(kArrow);
    EXPECT_FALSE(f.button->TreatAsNormal());
    // Nothing clicks it meanwhile, the accelerator neither.
    f.button->SetCaption(u"&Go");
    SimulateKey(f.form.get(), 'G', {}, u'g');
    EXPECT_EQ(f.clicks, 0);
    f.Press(kFace);
    EXPECT_EQ(f.button->State(), tbsUp);  // no pressed look
    f.Release(kFace);
    EXPECT_EQ(f.clicks, 0);
    EXPECT_TRUE(f.button->TreatAsNormal());
    f.ClickAt(kFace);
    EXPECT_EQ(f.clicks, 1);
}

TEST(KvDropDown, AMenuClosedWithTheCursorElsewhereLeavesTheButtonFreeToClick) {
    TDropDownFixture f(true);
    SimulateMouseMove(f.form.get(), f.button->Left() + kArrow, 10);
    ASSERT_TRUE(f.button->MouseOverButton());
    // The pointer leaves the button while the menu is up: the button stays
    // hot until the menu has closed.
    f.answer = [&f](TPopupMenuDriver&) { SimulateMouseMove(f.form.get(), 250, 100); };
    f.Press(kArrow);
    ASSERT_EQ(f.dropped.size(), 1u);
    EXPECT_TRUE(f.dropped[0].hot);
    EXPECT_FALSE(f.button->MouseOverButton());
    EXPECT_TRUE(f.button->TreatAsNormal());
    EXPECT_EQ(f.button->State(), tbsUp);
    f.ClickAt(kFace);
    EXPECT_EQ(f.clicks, 1);
}

TEST(KvDropDown, ThePressThatClosedTheMenuDoesNotReopenItWithin100Milliseconds) {
    struct Case {
        const char* what;
        std::uint32_t closedAt;
        std::uint32_t elapsed;
        bool reopens;
    };
    const Case cases[] = {
        {"99 ms", 1000, 99, false},
        {"100 ms", 1000, 100, true},
        // The close time plus 100 ms passes the end of the 32-bit count.
        {"20 ms, at the wrap of the tick count", 0xFFFFFFD0u, 20, false},
        {"50 ms, across the wrap", 0xFFFFFFF0u, 50, false},
    };
    for (const auto& c : cases) {
        TDropDownFixture f(true);
        f.now = c.closedAt;
        f.Press(kArrow);
        EXPECT_EQ(f.button->DropTime(), c.closedAt) << c.what;
        f.now = c.closedAt + c.elapsed;
        f.Press(kArrow);
        EXPECT_EQ(f.dropped.size(), c.reopens ? 2u : 1u) << c.what;
        if (!c.reopens) {
            EXPECT_TRUE(f.button->TreatAsNormal()) << c.what;
            EXPECT_EQ(f.button->DropTime(), 0u) << c.what;
            EXPECT_EQ(GetCaptureControl(), nullptr) << c.what;
        }
        EXPECT_EQ(f.button->State(), tbsUp) << c.what;
        EXPECT_EQ(f.clicks, 0) << c.what;
    }
}

// A monitor posed for one test.
struct TPosedMonitors {
    explicit TPosedMonitors(std::vector<TMonitorArea> layout) { TScreen::SetMonitorLayout(std::move(layout)); }
    ~TPosedMonitors() { TScreen::SetMonitorLayout({}); }
};

TEST(KvDropDown, AMenuThatWouldRunPastTheWorkAreaIsAskedForAtItsEdge) {
    TDropDownFixture f(true);
    const TPoint p = f.BelowLeftEdge();
    const int menuWidth = GetMenuWidth(f.button, f.menu);
    struct Case {
        const char* what;
        TPopupAlignment alignment;
        TMonitorArea monitor;
        int askedX;
    };
    const TRect tall = Rect(-5000, -5000, 5000, 5000);
    const Case cases[] = {
        {"room on the right", paLeft, {tall, tall}, p.X},
        {"past the right edge", paLeft, {tall, Rect(-5000, -5000, p.X + menuWidth - 1, 5000)}, p.X + menuWidth - 1},
        {"just fits", paLeft, {tall, Rect(-5000, -5000, p.X + menuWidth, 5000)}, p.X},
        {"past the left edge", paRight, {tall, Rect(p.X + 39 - menuWidth + 1, -5000, 5000, 5000)},
         p.X + 39 - menuWidth + 1},
        {"centred: left alone", paCenter, {tall, Rect(p.X, -5000, p.X + 20, 5000)}, p.X + 39 / 2},
    };
    for (const auto& c : cases) {
        TPosedMonitors layout({c.monitor});
        f.menu->SetAlignment(c.alignment);
        f.dropped.clear();
        f.button->DoDropDown();
        ASSERT_EQ(f.dropped.size(), 1u) << c.what;
        EXPECT_EQ(f.dropped[0].point, Point(c.askedX, p.Y)) << c.what;
    }
}

TEST(KvDropDown, OffEveryMonitorTheMenuKeepsToTheRightEdgeOfTheNearestWorkArea) {
    TDropDownFixture f(true);
    const TPoint p = f.BelowLeftEdge();
    // The toolbar's monitor ends just above the menu's point, and it does
    // not start at x = 0: the edges of its work area hold the menu (its
    // width, 30, is no edge at all).
    const TRect nearest = Rect(p.X + 10, p.Y - 1000, p.X + 40, p.Y);
    TPosedMonitors layout({{Rect(-3000, 0, -2000, 1000), Rect(-3000, 0, -2000, 1000)}, {nearest, nearest}});
    ASSERT_EQ(GetMonitorContainingPoint(p), nullptr);
    EXPECT_EQ(GetMonitorContainingPoint({p.X + 10, p.Y - 1}), Screen->Monitors(1));
    EXPECT_EQ(GetActiveWorkAreaWidth(f.toolbar), 30);
    f.button->DoDropDown();
    ASSERT_EQ(f.dropped.size(), 1u);
    EXPECT_EQ(f.dropped[0].point, Point(p.X + 40, p.Y));
    f.menu->SetAlignment(paRight);
    f.button->DoDropDown();
    ASSERT_EQ(f.dropped.size(), 2u);
    EXPECT_EQ(f.dropped[1].point, Point(p.X + 10, p.Y));
}

TEST(KvDropDown, OnDropDownGetsTheMenuAndTheItemsItAddsCountForTheWidth) {
    TDropDownFixture f(true);
    EXPECT_EQ(GetMenuWidth(f.button, new TPopupMenu(f.form.get())), 56);
    const int before = GetMenuWidth(f.button, f.menu);
    const TPoint p = f.BelowLeftEdge();
    // Room for the two short items, not for the long one.
    TPosedMonitors layout({{Rect(-5000, -5000, 5000, 5000), Rect(-5000, -5000, p.X + before + 10, 5000)}});
    TObject* sender = nullptr;
    f.button->OnDropDown = [&](TObject* s) {
        sender = s;
        auto* item = new TMenuItem(f.form.get());
        item->SetCaption(u"A caption far wider than the others");
        f.menu->Items()->Add(item);
    };
    f.button->DoDropDown();
    EXPECT_EQ(sender, f.menu);
    EXPECT_GT(GetMenuWidth(f.button, f.menu), before + 10);
    ASSERT_EQ(f.dropped.size(), 1u);
    EXPECT_EQ(f.dropped[0].point.X, p.X + before + 10);
}

TEST(KvDropDown, AnErrorWhileDroppingDownStillEndsTheDropDown) {
    TDropDownFixture f(true);
    f.button->OnDropDown = [](TObject*) { throw std::runtime_error("no menu today"); };
    EXPECT_THROW(f.button->DoDropDown(), std::runtime_error);
    EXPECT_FALSE(f.button->InDoDropDown());
    EXPECT_TRUE(f.dropped.empty());

}

TEST(KvDropDown, TheAcceleratorClicksASplitButtonAndDropsAWholeOneDown) {
    TDropDownFixture split(true);
    split.button->SetCaption(u"&Go");
    SimulateKey(split.form.get(), 'G', {}, u'g');
    EXPECT_EQ(split.clicks, 1);
    EXPECT_TRUE(split.dropped.empty());

    TDropDownFixture whole(false);
    whole.button->SetCaption(u"&Go");
    SimulateKey(whole.form.get(), 'G', {}, u'g');
    EXPECT_EQ(whole.dropped.size(), 1u);
}

TEST(KvDropDown, WithoutItsMenuEveryPressIsAFacePress) {
    TDropDownFixture f(true);
    f.menu->Free();
    EXPECT_EQ(f.button->DropDownMenu(), nullptr);
    f.ClickAt(kArrow);
    EXPECT_EQ(f.clicks, 1);
    EXPECT_TRUE(f.dropped.empty());
    EXPECT_EQ(f.button->Width(), 39);
}

TEST(KvDropDown, AChosenItemRunsAfterTheButtonHasSettled) {
    TDropDownFixture f(true);
    TKvToolButtonState stateWhenChosen = tbsDropDown;
    f.menu->Items()->Items(1)->OnClick = [&](TObject*) { stateWhenChosen = f.button->State(); };
    f.answer = [](TPopupMenuDriver& d) { d.Choose(u"Two"); };
    f.ClickAt(kArrow);
    ProcessPendingEvents();
    EXPECT_EQ(stateWhenChosen, tbsUp);
}

}  // namespace
