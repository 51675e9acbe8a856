#include <gtest/gtest.h>

#include "Controls.h"
#include "Forms.h"
#include "Streaming.h"
#include "ToolkitClasses.h"

namespace {

// A windowless child filled with one colour.
class TFill : public TGraphicControl {
public:
    TFill(TComponent* owner, TColor color) : TGraphicControl(owner), color_(color) {}

protected:
    void Paint() override {
        Canvas().Brush().SetColor(color_);
        Canvas().FillRect(Rect(0, 0, Width(), Height()));
    }

private:
    TColor color_;
};

// A windowed control that fills itself blue and, on a bound canvas of its
// own, marks its top-left pixel after its children were painted.
class TMarked : public TCustomControl {
public:
    explicit TMarked(TComponent* owner) : TCustomControl(owner), overlay_(this) { overlay_.BindToControl(); }
    void WndProc(TMessage& m) override {
        TCustomControl::WndProc(m);
        if (m.Msg == WM_PAINT) overlay_.SetPixel(0, 0, clLime);
    }
    TControlCanvas& Overlay() { return overlay_; }

protected:
    void Paint() override {
        Canvas().Brush().SetColor(clBlue);
        Canvas().FillRect(Rect(0, 0, Width(), Height()));
    }

private:
    TControlCanvas overlay_;
};

TEST(ControlCanvas, ABoundCanvasDrawsOverTheChildrenOfItsControl) {
    auto host = MakeOwned<TMarked>(nullptr);
    host->SetBounds(0, 0, 20, 10);
    auto* child = new TFill(host.get(), clRed);
    child->SetBounds(0, 0, 5, 5);
    child->SetParent(host.get());

    TBitmap bmp;
    host->GetImage(bmp);
    EXPECT_EQ(bmp.Canvas().Pixel(0, 0), clLime);
    EXPECT_EQ(bmp.Canvas().Pixel(1, 1), clRed);
    EXPECT_EQ(bmp.Canvas().Pixel(10, 5), clBlue);

    // Unbound, it draws nowhere: the picture keeps the child's colour.
    host->Overlay().UnbindFromControl();
    host->GetImage(bmp);
    EXPECT_EQ(bmp.Canvas().Pixel(0, 0), clRed);
}

TEST(ControlCanvas, TheWindowShowsTheCursorOfTheControlUnderThePointer) {
    auto host = MakeOwned<TMarked>(nullptr);
    host->SetBounds(0, 0, 40, 20);
    auto* child = new TFill(host.get(), clRed);
    child->SetBounds(20, 0, 20, 20);
    child->SetCursor(crHandPoint);
    child->SetParent(host.get());

    SimulateMouseMove(host.get(), 25, 5);
    EXPECT_EQ(host->WindowCursor(), crHandPoint);
    SimulateMouseMove(host.get(), 5, 5);
    EXPECT_EQ(host->WindowCursor(), crDefault);
}

// A control that sees the application's hint and shows it when it accepts.
class THintShower : public TGraphicControl {
public:
    THintShower(TComponent* owner, bool accept) : TGraphicControl(owner), accept_(accept) {}
    bool ExecuteAction(TBasicAction* action) override {
        auto* hint = dynamic_cast<THintAction*>(action);
        if (!hint) return false;
        seen = hint->Hint();
        return accept_;
    }
    String seen = u"-";

private:
    bool accept_;
};

TEST(HintAction, TheApplicationOffersItsHintToTheControlsOfItsWindowsUntilOneTakesIt) {
    TOwned<TForm> form(new TForm(Application));
    auto* panel = new TMarked(form.get());
    panel->SetParent(form.get());
    auto* declining = new THintShower(form.get(), false);
    declining->SetParent(form.get());
    auto* nested = new THintShower(form.get(), true);
    nested->SetParent(panel);
    auto* after = new THintShower(form.get(), true);
    after->SetParent(panel);

    Application->SetHint(u"Abrir");
    EXPECT_EQ(declining->seen, u"Abrir");
    EXPECT_EQ(nested->seen, u"Abrir");
    EXPECT_EQ(after->seen, u"-");  // the nested one took it
    Application->SetHint(String());
    EXPECT_EQ(nested->seen, u"");
}

TEST(PropertyValues, PublishedNumbersCanBeReadByName) {
    RegisterToolkitClasses();
    auto form = MakeOwned<TForm>(nullptr);
    form->SetWidth(321);
    form->SetVisible(false);
    const TPropInfo* width = GetPropInfo(form.get(), u"Width");
    const TPropInfo* visible = GetPropInfo(form.get(), u"Visible");
    const TPropInfo* state = GetPropInfo(form.get(), u"WindowState");
    ASSERT_TRUE(width && visible && state);
    EXPECT_EQ(width->GetOrd(form.get()), 321);
    EXPECT_EQ(visible->GetOrd(form.get()), 0);
    form->SetWindowState(wsMaximized);
    EXPECT_EQ(state->GetOrd(form.get()), wsMaximized);
    EXPECT_EQ(GetPropInfo(form.get(), u"NoSuchProperty"), nullptr);
}

}  // namespace
