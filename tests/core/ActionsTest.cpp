#include <gtest/gtest.h>

#include "ActnList.h"
#include "Controls.h"
#include "Menus.h"

namespace {

TEST(Actions, AControlFollowsItsActionUntilItChangesAPropertyItself) {
    auto owner = MakeOwned<TComponent>(nullptr);
    auto* action = new TAction(owner.get());
    action->SetCaption(u"Reload");
    action->SetHint(u"Read the file again");
    auto* control = new TGraphicControl(owner.get());
    control->SetAction(action);
    EXPECT_EQ(control->Caption(), u"Reload");
    EXPECT_EQ(control->Hint(), u"Read the file again");

    action->SetEnabled(false);
    action->SetVisible(false);
    EXPECT_FALSE(control->Enabled());
    EXPECT_FALSE(control->Visible());

    control->SetCaption(u"Mine");
    action->SetCaption(u"Refresh");
    EXPECT_EQ(control->Caption(), u"Mine");
    action->SetHint(u"Again");
    EXPECT_EQ(control->Hint(), u"Again");

    // The action's end clears the control's reference.
    action->Free();
    EXPECT_EQ(control->Action(), nullptr);
    EXPECT_EQ(control->ActionLink(), nullptr);
}

TEST(Actions, AClickRunsTheActionWithTheControlAsItsComponentElseTheClickHandler) {
    auto owner = MakeOwned<TComponent>(nullptr);
    auto* action = new TAction(owner.get());
    auto* control = new TGraphicControl(owner.get());
    int clicks = 0;
    TComponent* runBy = nullptr;
    control->OnClick = [&](TObject*) { ++clicks; };
    control->SetAction(action);

    control->Click();  // the action has nothing to run
    EXPECT_EQ(clicks, 1);

    action->OnExecute = [&](TObject* sender) { runBy = static_cast<TBasicAction*>(sender)->ActionComponent(); };
    control->Click();
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(runBy, control);
    EXPECT_EQ(action->ActionComponent(), nullptr);

    control->SetAction(nullptr);
    control->Click();
    EXPECT_EQ(clicks, 2);
}

TEST(Actions, AControlCopiesItsStateIntoAnAction) {
    auto owner = MakeOwned<TComponent>(nullptr);
    auto* control = new TGraphicControl(owner.get());
    control->SetCaption(u"Copy");
    control->SetHint(u"Copy the selection");
    control->SetEnabled(false);
    auto* action = new TAction(owner.get());
    action->Assign(control);
    EXPECT_EQ(action->Caption(), u"Copy");
    EXPECT_EQ(action->Hint(), u"Copy the selection");
    EXPECT_FALSE(action->Enabled());
}

TEST(Menus, AnAcceleratorIsTheCharacterAfterASingleAmpersand) {
    struct Case {
        const char16_t* caption;
        char16_t key;
        bool accel;
    };
    const Case cases[] = {
        {u"&Open", u'o', true},   {u"&Open", u'O', true},  {u"Op&en", u'e', true},  {u"Op&en", u'o', false},
        {u"&&Open", u'o', false}, {u"A&&B&c", u'c', true}, {u"Open", u'o', false},  {u"Open&", u'o', false},
    };
    for (const auto& tc : cases) EXPECT_EQ(IsAccel(tc.key, tc.caption), tc.accel) << StringToUtf8(tc.caption);
}

}  // namespace
