#include <gtest/gtest.h>

#include <QApplication>
#include <QFocusEvent>

#include <functional>
#include <vector>

#include "ControlWidget.h"
#include "Controls.h"
#include "Forms.h"
#include "Menus.h"
#include "Platform.h"
#include "PopupWindows.h"

namespace {

// Answers every popup menu and popup panel of a test with the given
// handlers, and forgets them at the end of the test.
struct TAnswers {
    explicit TAnswers(std::function<void(TPopupMenuDriver&)> menu = {}, std::function<void(TKvPopupPanel&)> panel = {}) {
        TPopupMenu::SetAutomation(std::move(menu));
        TKvPopupPanel::SetAutomation(std::move(panel));
    }
    ~TAnswers() {
        TPopupMenu::SetAutomation(nullptr);
        TKvPopupPanel::SetAutomation(nullptr);
    }
};

// A monitor layout posed for one test.
struct TPosedMonitors {
    explicit TPosedMonitors(std::vector<TMonitorArea> layout) { TScreen::SetMonitorLayout(std::move(layout)); }
    ~TPosedMonitors() { TScreen::SetMonitorLayout({}); }
};

// A menu with three items and a separator, each click counted.
struct TMenuFixture {
    TOwned<TPopupMenu> menu = MakeOwned<TPopupMenu>(nullptr);
    std::vector<String> clicked;

    TMenuFixture() {
        for (const char16_t* caption : {u"&Open", u"-", u"Save &as", u"Hidden", u"Off"}) {
            auto* item = new TMenuItem(menu.get());
            item->SetCaption(caption);
            item->OnClick = [this, item](TObject*) { clicked.push_back(item->Caption()); };
            menu->Items()->Add(item);
        }
        menu->Items()->Items(3)->SetVisible(false);
        menu->Items()->Items(4)->SetEnabled(false);
    }
};

TEST(PopupMenu, ShowsItsItemsAndRunsTheChosenOneAfterItHasClosed) {
    TMenuFixture f;
    int popups = 0;
    f.menu->OnPopup = [&](TObject*) { ++popups; };
    std::vector<String> shown;
    TPoint asked;
    bool clickedWhileOpen = true;
    TAnswers answers([&](TPopupMenuDriver& d) {
        shown = d.Captions();
        asked = d.PopupPoint();
        d.Choose(u"Save &as");
        clickedWhileOpen = !f.clicked.empty();
    });
    f.menu->Popup(120, 90);
    EXPECT_EQ(popups, 1);
    EXPECT_EQ(shown, (std::vector<String>{u"&Open", u"-", u"Save &as", u"Off"}));
    EXPECT_EQ(asked, Point(120, 90));
    // The chosen item's click is a command the menu sends: it runs from the
    // event loop once the code that popped the menu up has finished.
    EXPECT_FALSE(clickedWhileOpen);
    EXPECT_TRUE(f.clicked.empty());
    ProcessPendingEvents();
    EXPECT_EQ(f.clicked, (std::vector<String>{u"Save &as"}));
}

TEST(PopupMenu, ClosesWithNothingChosenOnEscapeAPressOutsideADisabledItemOrNoAnswer) {
    const std::vector<std::pair<const char*, std::function<void(TPopupMenuDriver&)>>> ways = {
        {"Escape", [](TPopupMenuDriver& d) { d.Cancel(); }},
        {"press outside", [](TPopupMenuDriver& d) { d.PressAt({d.Bounds().Right + 20, d.Bounds().Bottom + 20}); }},
        {"disabled item, then left open", [](TPopupMenuDriver& d) { d.Choose(u"Off"); }},
        {"left open", [](TPopupMenuDriver&) {}},
    };
    for (const auto& [what, answer] : ways) {
        TMenuFixture f;
        TAnswers answers(answer);
        f.menu->Popup(50, 50);
        ProcessPendingEvents();
        EXPECT_TRUE(f.clicked.empty()) << what;
    }
}

TEST(PopupMenu, OffScreenWithoutAnAnswerItClosesAtOnceAndEndsTheCapture) {
    TMenuFixture f;
    auto host = MakeOwned<TWinControl>(nullptr);
    host->SetMouseCapture(true);
    f.menu->Popup(10, 10);
    EXPECT_EQ(GetCaptureControl(), nullptr);
    ProcessPendingEvents();
    EXPECT_TRUE(f.clicked.empty());
}

TEST(PopupMenu, StandsByItsAlignmentAndOpensOnTheOtherSideWhereItDoesNotFit) {
    const TRect work = Rect(100, 0, 900, 600);
    struct Case {
        const char* what;
        TPoint p;
        TPopupAlignment alignment;
        TRect expected;
    };
    const Case cases[] = {
        {"left edge at the point", {300, 200}, paLeft, Bounds(300, 200, 150, 100)},
        {"right edge at the point", {300, 200}, paRight, Bounds(150, 200, 150, 100)},
        {"middle at the point", {300, 200}, paCenter, Bounds(225, 200, 150, 100)},
        {"no room right: left of the point", {800, 200}, paLeft, Bounds(650, 200, 150, 100)},
        {"no room left: right of the point", {200, 200}, paRight, Bounds(200, 200, 150, 100)},
        {"no room below: above the point", {300, 550}, paLeft, Bounds(300, 450, 150, 100)},
        {"at the right edge: ends there", {900, 200}, paLeft, Bounds(750, 200, 150, 100)},
        {"centred near the edge: kept inside", {880, 200}, paCenter, Bounds(750, 200, 150, 100)},
        {"centred near the left edge: kept inside", {120, 200}, paCenter, Bounds(100, 200, 150, 100)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PlacePopupMenu(c.p, c.alignment, 150, 100, work), c.expected) << c.what;
}

TEST(PopupMenu, ShowsWhereItsAlignmentPutsItOnTheScreen) {
    TMenuFixture f;
    TRect bounds;
    TAnswers answers([&](TPopupMenuDriver& d) { bounds = d.Bounds(); });
    f.menu->Popup(300, 200);
    EXPECT_EQ(bounds.TopLeft(), Point(300, 200));
    f.menu->SetAlignment(paRight);
    f.menu->Popup(300, 200);
    EXPECT_EQ(bounds.Right, 300);
    EXPECT_EQ(bounds.Top, 200);
}

TEST(PopupMenu, AnItemFreedBeforeItsClickRunsIsLeftOut) {
    TMenuFixture f;
    TAnswers answers([](TPopupMenuDriver& d) { d.Choose(u"&Open"); });
    f.menu->Popup(50, 50);
    f.menu->Items()->Items(0)->Free();
    ProcessPendingEvents();
    EXPECT_TRUE(f.clicked.empty());
}

TEST(MenuItem, SubItemsGoWithTheirParentAndLeaveItWhenFreed) {
    auto owner = MakeOwned<TComponent>(nullptr);
    auto* file = new TMenuItem(owner.get());
    auto* open = new TMenuItem(owner.get());
    auto* save = new TMenuItem(owner.get());
    file->Add(open);
    file->Insert(0, save);
    EXPECT_EQ(file->IndexOf(open), 1);
    EXPECT_EQ(open->Parent(), file);
    save->Free();
    EXPECT_EQ(file->Count(), 1);
    EXPECT_THROW(file->Insert(5, open), EListError);
    EXPECT_EQ(open->Parent(), file);  // a bad index loses nothing
    EXPECT_THROW(open->Add(file), EInvalidOperation);
    file->Free();
    // The sub-item went with its parent and left its owner.
    EXPECT_EQ(owner->ComponentCount(), 0);
}

// ---------------------------------------------------------------------------
// Monitors

TEST(Monitors, FindTheMonitorAtAPointOrTheNearestOne) {
    TPosedMonitors layout({{Rect(0, 0, 800, 600), Rect(0, 0, 800, 560)}, {Rect(800, 0, 1440, 480), Rect(800, 30, 1440, 480)}});
    ASSERT_EQ(Screen->MonitorCount(), 2);
    TMonitor* first = Screen->Monitors(0);
    TMonitor* second = Screen->Monitors(1);
    EXPECT_TRUE(first->Primary());
    EXPECT_EQ(second->WorkareaRect(), Rect(800, 30, 1440, 480));
    EXPECT_EQ(Screen->MonitorFromPoint({799, 10}), first);
    EXPECT_EQ(Screen->MonitorFromPoint({800, 10}), second);
    EXPECT_EQ(Screen->MonitorFromPoint({1000, 500}), second);  // below it, nearest
    EXPECT_EQ(Screen->MonitorFromPoint({1000, 500}, mdNull), nullptr);
    EXPECT_EQ(Screen->MonitorFromPoint({1000, 500}, mdPrimary), first);
    EXPECT_EQ(Screen->MonitorFromRect(Rect(700, 0, 1000, 100)), second);
    TScreen::SetMonitorLayout({});
    EXPECT_EQ(Screen->MonitorCount(), 1);
    EXPECT_EQ(Screen->PrimaryMonitor()->BoundsRect(), Screen->WorkAreaRectAt({0, 0}));
}

TEST(Monitors, TheMenuFontIsAPixelSizedFamily) {
    const TFont& font = Screen->MenuFont();
    EXPECT_FALSE(font.Name().empty());
    EXPECT_LT(font.Height(), 0);
}

// ---------------------------------------------------------------------------
// Popup panel

// A shown window with a focusable control and a popup panel holding a
// 90 x 40 child, parented to the window.
struct TPanelFixture {
    TOwned<TForm> form = MakeOwned<TForm>(nullptr);
    TWinControl* anchor = nullptr;
    TKvPopupPanel* panel = nullptr;
    TWinControl* content = nullptr;

    TPanelFixture() {
        form->SetBounds(0, 0, 300, 200);
        anchor = new TWinControl(form.get());
        anchor->SetBounds(200, 10, 20, 30);
        anchor->SetParent(form.get());
        panel = new TKvPopupPanel(form.get());
        content = new TWinControl(panel);
        content->SetBounds(0, 0, 90, 40);
        content->SetParent(panel);
        panel->SetParent(form.get());
        form->Show();
        ProcessPendingEvents();  // the window becomes the active one
    }
};

TEST(PopupPanel, OpensRightAlignedBelowItsControlSizedToItsContent) {
    TPanelFixture f;
    TRect shown;
    bool open = false, showing = false;
    TAnswers answers({}, [&](TKvPopupPanel& p) {
        shown = p.BoundsRect();
        open = p.Popped();
        showing = p.Showing();
        p.Close();
    });
    const TPoint origin = f.anchor->ClientToScreen({0, 0});
    f.panel->Popup(f.anchor);
    EXPECT_TRUE(open);
    EXPECT_TRUE(showing);
    EXPECT_EQ(shown, Bounds(origin.X + 20 - 90, origin.Y + 30, 90, 40));
    EXPECT_FALSE(f.panel->Popped());
    EXPECT_FALSE(f.panel->Showing());
    EXPECT_EQ(f.panel->CloseReason(), pcrClose);
    // A window of its own: not part of its parent's picture nor hit in it.
    EXPECT_EQ(f.form->ControlAtPos({shown.Left + 5, shown.Top + 5}, true, true), nullptr);
}

TEST(PopupPanel, KeepsInsideTheWorkAreaOfTheMonitorNearestWhereItWouldOpen) {
    const TRect work = Rect(100, 0, 900, 600);
    struct Case {
        const char* what;
        TRect anchor;
        TRect expected;
    };
    const Case cases[] = {
        {"room below", Rect(400, 100, 414, 129), Bounds(314, 129, 100, 50)},
        {"past the right edge: ends there", Rect(890, 100, 904, 129), Bounds(800, 129, 100, 50)},
        {"no room below: above the control", Rect(400, 560, 414, 589), Bounds(314, 510, 100, 50)},
        {"past the left edge: starts there", Rect(110, 100, 124, 129), Bounds(100, 129, 100, 50)},
        {"above the top: starts there", Rect(400, -40, 414, -11), Bounds(314, 0, 100, 50)},
    };
    for (const auto& c : cases) EXPECT_EQ(PopupPanelBounds(c.anchor, 100, 50, work), c.expected) << c.what;
}

TEST(PopupPanel, ClosesOnEachWayOutAndGivesTheFocusBackUnlessTheApplicationWasDeactivated) {
    struct Case {
        const char* what;
        std::function<void(TPanelFixture&)> act;
        TPopupCloseReason reason;
        bool anchorFocused;
    };
    const Case cases[] = {
        {"Close", [](TPanelFixture& f) { f.panel->Close(f.panel); }, pcrClose, true},
        {"press outside", [](TPanelFixture& f) { SimulateMouseDown(f.form.get(), mbLeft, 20, 110); }, pcrPressOutside,
         true},
        {"right press outside", [](TPanelFixture& f) { SimulateMouseDown(f.form.get(), mbRight, 20, 110); },
         pcrPressOutside, true},
        // What the platform tells a control that takes the keyboard focus.
        {"focus elsewhere",
         [](TPanelFixture& f) {
             QFocusEvent focusIn(QEvent::FocusIn, Qt::OtherFocusReason);
             QApplication::sendEvent(f.form->Widget(), &focusIn);
         },
         pcrFocusLost, true},
        // Only simulated: the application stays active, but the focus is
        // left where the deactivation found it.
        {"application deactivated", [](TPanelFixture&) { SimulateApplicationDeactivation(); }, pcrDeactivated, false},
        {"Escape", [](TPanelFixture& f) { SimulateKey(f.panel, VK_ESCAPE); }, pcrPlatform, true},
        {"no answer", [](TPanelFixture&) {}, pcrClose, true},
    };
    for (const auto& c : cases) {
        TPanelFixture f;
        f.anchor->SetFocus();
        ASSERT_TRUE(f.anchor->Focused()) << c.what;
        std::vector<String> pressesOnForm;
        f.form->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { pressesOnForm.push_back(u"down"); };
        bool pressInsideClosed = true;
        bool leftOpen = false;
        TAnswers answers({}, [&](TKvPopupPanel& p) {
            SimulateMouseDown(&p, mbLeft, 5, 5);
            SimulateMouseUp(&p, mbLeft, 5, 5);
            pressInsideClosed = !p.Popped();
            c.act(f);
            leftOpen = p.Popped();
        });
        f.panel->Popup(f.anchor);
        ProcessPendingEvents();  // the focus comes back with the window's activation
        EXPECT_FALSE(pressInsideClosed) << c.what;
        EXPECT_EQ(f.panel->CloseReason(), c.reason) << c.what;
        EXPECT_EQ(leftOpen, std::string(c.what) == "no answer") << c.what;
        // The press that closes it goes no further.
        EXPECT_TRUE(pressesOnForm.empty()) << c.what;
        EXPECT_EQ(f.anchor->Focused(), c.anchorFocused) << c.what;
    }
}

TEST(PopupPanel, FollowsThePointerAndEndsTheCaptureWhileOpen) {
    TPanelFixture f;
    f.anchor->SetMouseCapture(true);
    TPoint seen;
    TControl* capture = f.anchor;
    TAnswers answers({}, [&](TKvPopupPanel& p) {
        capture = GetCaptureControl();
        SimulateMouseMove(&p, 7, 9);
        seen = CursorPos();
    });
    f.panel->Popup(f.anchor);
    EXPECT_EQ(capture, nullptr);
    EXPECT_EQ(seen, f.panel->ClientToScreen({7, 9}));
}

TEST(PopupPanel, OffScreenWithoutAnAnswerItClosesAtOnce) {
    TPanelFixture f;
    f.panel->Popup(f.anchor);
    EXPECT_FALSE(f.panel->Popped());
    EXPECT_FALSE(f.panel->Showing());
}

}  // namespace
