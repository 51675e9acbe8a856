#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <vector>

#include "Controls.h"
#include "Forms.h"

namespace {

// A windowless control that records what happens to it.
class TProbe : public TGraphicControl {
public:
    explicit TProbe(TComponent* owner, TColor fill = clRed) : TGraphicControl(owner), fill_(fill) {}
    std::vector<String> log;
    int paints = 0;

protected:
    void Paint() override {
        ++paints;
        Canvas().Brush().SetColor(fill_);
        Canvas().FillRect(Rect(0, 0, Width(), Height()));
    }
    void MouseDown(TMouseButton, TShiftState, int X, int Y) override { log.push_back(u"down " + IntToStr(X) + u"," + IntToStr(Y)); }
    void MouseUp(TMouseButton, TShiftState, int X, int Y) override { log.push_back(u"up " + IntToStr(X) + u"," + IntToStr(Y)); }
    void WndProc(TMessage& m) override {
        if (m.Msg == CM_MOUSEENTER) log.push_back(u"enter");
        if (m.Msg == CM_MOUSELEAVE) log.push_back(u"leave");
        TGraphicControl::WndProc(m);
    }

private:
    TColor fill_;
};

class TPanelProbe : public TCustomControl {
public:
    using TCustomControl::TCustomControl;

protected:
    void Paint() override {
        Canvas().Brush().SetColor(clBlue);
        Canvas().FillRect(Rect(0, 0, Width(), Height()));
    }
};

TEST(Controls, AlignsTopBottomClientInsideTheClientArea) {
    auto host = MakeOwned<TWinControl>(nullptr);
    host->SetBounds(0, 0, 200, 100);
    auto* top = new TPanelProbe(host.get());
    top->SetHeight(20);
    top->SetAlign(alTop);
    top->SetParent(host.get());
    auto* bottom = new TPanelProbe(host.get());
    bottom->SetHeight(10);
    bottom->SetAlign(alBottom);
    bottom->SetParent(host.get());
    auto* client = new TPanelProbe(host.get());
    client->SetAlign(alClient);
    client->SetParent(host.get());

    EXPECT_EQ(top->BoundsRect(), Rect(0, 0, 200, 20));
    EXPECT_EQ(bottom->BoundsRect(), Rect(0, 90, 200, 100));
    EXPECT_EQ(client->BoundsRect(), Rect(0, 20, 200, 90));

    host->SetBounds(0, 0, 300, 150);
    EXPECT_EQ(bottom->BoundsRect(), Rect(0, 140, 300, 150));
    EXPECT_EQ(client->BoundsRect(), Rect(0, 20, 300, 140));

    top->SetVisible(false);
    EXPECT_EQ(client->BoundsRect(), Rect(0, 0, 300, 140));
}

TEST(Controls, ChildOrderListsWindowlessChildrenFirst) {
    auto host = MakeOwned<TWinControl>(nullptr);
    auto* win = new TPanelProbe(host.get());
    win->SetParent(host.get());
    auto* a = new TProbe(host.get());
    a->SetParent(host.get());
    auto* b = new TProbe(host.get());
    b->SetParent(host.get());
    ASSERT_EQ(host->ControlCount(), 3);
    EXPECT_EQ(host->Controls(0), a);
    EXPECT_EQ(host->Controls(1), b);
    EXPECT_EQ(host->Controls(2), win);
}

TEST(Controls, WindowlessChildrenPaintInsideTheirRectangleOnTheParent) {
    auto host = MakeOwned<TPanelProbe>(nullptr);
    host->SetBounds(0, 0, 40, 30);
    auto* probe = new TProbe(host.get());
    probe->SetBounds(10, 5, 8, 6);
    probe->SetParent(host.get());

    TBitmap bmp;
    host->GetImage(bmp);
    EXPECT_EQ(bmp.Canvas().Pixel(9, 5), clBlue);
    EXPECT_EQ(bmp.Canvas().Pixel(10, 5), clRed);
    EXPECT_EQ(bmp.Canvas().Pixel(17, 10), clRed);
    EXPECT_EQ(bmp.Canvas().Pixel(18, 10), clBlue);
    EXPECT_EQ(bmp.Canvas().Pixel(17, 11), clBlue);
}

TEST(Controls, MouseGoesToTheChildUnderThePointerWithCaptureUntilRelease) {
    auto host = MakeOwned<TPanelProbe>(nullptr);
    host->SetBounds(0, 0, 100, 50);
    auto* probe = new TProbe(host.get());
    probe->SetBounds(10, 10, 20, 20);
    probe->SetParent(host.get());

    SimulateMouseMove(host.get(), 15, 15);
    SimulateMouseDown(host.get(), mbLeft, 15, 16);
    EXPECT_EQ(GetCaptureControl(), probe);
    SimulateMouseMove(host.get(), 80, 40, {ssLeft});  // outside: still captured, the pointer left
    SimulateMouseUp(host.get(), mbLeft, 80, 40);
    EXPECT_EQ(GetCaptureControl(), nullptr);

    const std::vector<String> expected{u"enter", u"down 5,6", u"leave", u"up 70,30"};
    EXPECT_EQ(probe->log, expected);
}

TEST(Controls, ClickNeedsPressAndReleaseInside) {
    auto host = MakeOwned<TPanelProbe>(nullptr);
    host->SetBounds(0, 0, 100, 50);
    auto* probe = new TProbe(host.get());
    probe->SetBounds(10, 10, 20, 20);
    probe->SetParent(host.get());
    int clicks = 0;
    probe->OnClick = [&](TObject*) { ++clicks; };

    SimulateMouseDown(host.get(), mbLeft, 15, 15);
    SimulateMouseUp(host.get(), mbLeft, 16, 16);
    EXPECT_EQ(clicks, 1);
    SimulateMouseDown(host.get(), mbLeft, 15, 15);
    SimulateMouseUp(host.get(), mbLeft, 90, 45);
    EXPECT_EQ(clicks, 1);
}

TEST(Controls, FreeingAChildTellsItsParentAndOwner) {
    struct TRecorder : TWinControl {
        using TWinControl::TWinControl;
        std::vector<TComponent*> removed;
        void Notification(TComponent* c, TOperation op) override {
            TWinControl::Notification(c, op);
            if (op == opRemove) removed.push_back(c);
        }
    };
    auto host = MakeOwned<TRecorder>(nullptr);
    auto* probe = new TProbe(host.get());
    probe->SetParent(host.get());
    probe->Free();
    EXPECT_EQ(host->ControlCount(), 0);
    EXPECT_EQ(host->ComponentCount(), 0);
    ASSERT_FALSE(host->removed.empty());
    EXPECT_EQ(host->removed.front(), probe);
}

// A control whose end fails before it leaves its parent.
template <class TBase>
struct TFailingEnd : TBase {
    using TBase::TBase;
    void BeforeDestruction() override { throw std::bad_alloc(); }
};

// A component that hears of others' ends, and can fail while it does.
struct TWatcher : TComponent {
    explicit TWatcher(bool fails) : TComponent(nullptr), fails(fails) {}
    bool fails;
    std::vector<TComponent*> heard;
    void Notification(TComponent* c, TOperation op) override {
        TComponent::Notification(c, op);
        if (op != opRemove) return;
        heard.push_back(c);
        if (fails) throw std::runtime_error("watcher failed");
    }
};

// The end of a component runs to its end even where steps of it fail, also
// when a destructor runs it (no error may leave one): each failure reaches
// the error box, everyone who asked hears of the end, and neither parent nor
// owner keeps a pointer to the component.
TEST(Controls, AnEndThatFailsOnTheWayStillEnds) {
    std::vector<String> shown;
    Application->Initialize();
    Application->SetErrorDisplay(TErrorDisplay::StandardError);
    Application->OnErrorShown = [&](const String&, const String& message) { shown.push_back(message); };
    auto host = MakeOwned<TPanelProbe>(nullptr);
    for (bool windowed : {false, true}) {
        shown.clear();
        TOwned<TWatcher> failingWatcher(new TWatcher(true)), watcher(new TWatcher(false));
        TControl* control = windowed ? static_cast<TControl*>(new TFailingEnd<TPanelProbe>(host.get()))
                                     : new TFailingEnd<TProbe>(host.get());
        control->SetParent(host.get());
        control->FreeNotification(failingWatcher.get());
        control->FreeNotification(watcher.get());

        TOwned<TControl>{control}.reset();

        EXPECT_EQ(shown, (std::vector<String>{u"Out of memory.", u"watcher failed."})) << windowed;
        EXPECT_EQ(watcher->heard, std::vector<TComponent*>{control}) << windowed;
        EXPECT_EQ(failingWatcher->heard, std::vector<TComponent*>{control}) << windowed;
        EXPECT_EQ(host->ControlCount(), 0) << windowed;
        EXPECT_EQ(host->ComponentCount(), 0) << windowed;
    }
    Application->OnErrorShown = nullptr;
}

TEST(Controls, ParentFontAndColourFlowToChildrenUntilSetOnTheChild) {
    auto host = MakeOwned<TWinControl>(nullptr);
    auto* child = new TProbe(host.get());
    child->SetParentColor(true);
    child->SetParent(host.get());
    host->Font().SetName(u"Consolas");
    host->SetColor(clYellow);
    EXPECT_EQ(child->Font().Name(), u"Consolas");
    EXPECT_EQ(child->Color(), clYellow);

    child->SetColor(clYellow);  // the colour it has: still following the parent
    EXPECT_TRUE(child->ParentColor());
    child->Font().SetHeight(-20);
    EXPECT_FALSE(child->ParentFont());
    host->Font().SetName(u"Tahoma");
    EXPECT_EQ(child->Font().Name(), u"Consolas");
}

TEST(Controls, AutoSizeFitsAWindowToItsVisibleChildren) {
    auto host = MakeOwned<TWinControl>(nullptr);
    host->SetBounds(0, 0, 200, 100);
    auto* a = new TGraphicControl(host.get());
    a->SetBounds(5, 5, 20, 10);
    a->SetParent(host.get());
    auto* b = new TGraphicControl(host.get());
    b->SetBounds(40, 2, 10, 30);
    b->SetParent(host.get());
    host->SetAutoSize(true);
    EXPECT_EQ(host->BoundsRect(), Rect(0, 0, 50, 32));
    b->SetVisible(false);
    EXPECT_EQ(host->BoundsRect(), Rect(0, 0, 25, 15));
}

}  // namespace
