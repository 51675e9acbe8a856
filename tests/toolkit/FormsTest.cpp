#include <gtest/gtest.h>

#include <QWidget>

#include <vector>

#include "ControlWidget.h"
#include "Forms.h"
#include "Platform.h"
#include "StdCtrls.h"

namespace {

// Puts the automation back however the test ends.
struct TModalAutomation {
    explicit TModalAutomation(std::function<void(TCustomForm&)> automation) {
        TCustomForm::SetModalAutomation(std::move(automation));
    }
    ~TModalAutomation() { TCustomForm::SetModalAutomation(nullptr); }
};

TEST(Forms, AModalFormIsAnsweredByTheAutomation) {
    TOwned<TForm> form(new TForm(nullptr));
    auto* ok = new TButton(form.get());
    ok->SetParent(form.get());
    ok->SetModalResult(mrOk);
    std::vector<TCustomForm*> seen;
    TModalAutomation automation([&](TCustomForm& shown) {
        seen.push_back(&shown);
        EXPECT_TRUE(shown.Showing());
        ok->Click();
    });
    EXPECT_EQ(form->ShowModal(), mrOk);
    EXPECT_EQ(seen, std::vector<TCustomForm*>{form.get()});
    EXPECT_FALSE(form->Showing());
}

// Nobody is there to close it: the run goes on instead of waiting.
TEST(Forms, AModalFormTheAutomationLeavesOpenIsCancelled) {
    TOwned<TForm> form(new TForm(nullptr));
    TModalAutomation automation([](TCustomForm&) {});
    EXPECT_EQ(form->ShowModal(), mrCancel);
}

// Tab visits the tab stops in their TabOrder, also those inside a panel,
// and the first of them has the focus when the form shows.
TEST(Forms, TheFocusChainFollowsTabOrder) {
    TOwned<TForm> form(new TForm(nullptr));
    auto add = [&](TWinControl* parent, int order, bool tabStop) {
        auto* b = new TButton(form.get());
        b->SetParent(parent);
        b->SetTabOrder(order);
        b->SetTabStop(tabStop);
        return b;
    };
    auto* panel = new TPanel(form.get());
    panel->SetParent(form.get());
    panel->SetTabOrder(1);
    TButton* third = add(form.get(), 2, true);
    TButton* inner = add(panel, 0, true);
    TButton* first = add(form.get(), 0, true);
    add(form.get(), 3, false);  // no tab stop: never focused by Tab
    form->Show();
    ProcessPendingEvents();
    EXPECT_EQ(form->Widget()->focusWidget(), first->Widget());
    std::vector<QWidget*> visited;
    QWidget* w = first->Widget();
    for (int i = 0; i < 3; ++i) {
        visited.push_back(w);
        do w = w->nextInFocusChain();
        while (w->focusPolicy() == Qt::NoFocus);
    }
    EXPECT_EQ(visited, (std::vector<QWidget*>{first->Widget(), inner->Widget(), third->Widget()}));
}

}  // namespace
