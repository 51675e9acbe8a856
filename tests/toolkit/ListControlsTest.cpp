#include <gtest/gtest.h>

#include <QApplication>
#include <QFocusEvent>
#include <QMouseEvent>
#include <QWidget>

#include <string>
#include <vector>

#include "CheckLst.h"
#include "ComboBoxes.h"
#include "ControlWidget.h"
#include "Forms.h"
#include "Platform.h"

namespace {

// A list of the given class on a shown form, items "0" .. "n-1", rows of 20
// pixels in a list 100 high (frame included: four whole rows in sight).
template <class L>
struct TListFixture {
    TOwned<TForm> form{new TForm(nullptr)};
    L* list = nullptr;
    std::vector<std::string> log;

    explicit TListFixture(int n) {
        form->SetBounds(0, 0, 200, 150);
        list = new L(form.get());
        list->SetParent(form.get());
        list->SetBounds(10, 10, 120, 84);
        list->SetItemHeight(20);
        for (int i = 0; i < n; ++i) list->Items().Add(IntToStr(i));
        list->OnClick = [this](TObject*) { log.push_back("click " + std::to_string(list->ItemIndex())); };
        form->Show();
    }
    // A point on row `index` (when in sight), `dx` pixels into it.
    TPoint On(int index, int dx = 40) const {
        const TRect r = list->ItemRect(index);
        return {r.Left + dx, r.Top + 10};
    }
    void Press(TPoint p) { SimulateMouseDown(list, mbLeft, p.X, p.Y); }
    void Move(TPoint p) { SimulateMouseMove(list, p.X, p.Y, {ssLeft}); }
    void Release(TPoint p) { SimulateMouseUp(list, mbLeft, p.X, p.Y); }
    void Key(unsigned short key, TShiftState shift = {}) { SimulateKey(list, key, shift); }
};

TEST(ListBox, ArrowKeysHomeAndEndChooseAnItemAndClick) {
    TListFixture<TListBox> f(10);
    f.Key(VK_DOWN);
    f.Key(VK_DOWN);
    f.Key(VK_UP);
    f.Key(VK_END);
    f.Key(VK_DOWN);  // already on the last: nothing chosen
    f.Key(VK_HOME);
    f.Key(VK_NEXT);  // a page less one row
    EXPECT_EQ(f.log, (std::vector<std::string>{"click 0", "click 1", "click 0", "click 9", "click 0", "click 3"}));
    f.list->SetItemIndex(5);  // from code: no click
    EXPECT_EQ(f.log.size(), 6u);
}

TEST(ListBox, TheTopIndexStaysOnTheLastPageAndFollowsTheSelection) {
    TListFixture<TListBox> f(10);
    EXPECT_EQ(f.list->VisibleRows(), 4);
    EXPECT_TRUE(f.list->ScrollBarShown());
    f.list->SetTopIndex(99);
    EXPECT_EQ(f.list->TopIndex(), 6);
    f.list->SetTopIndex(-3);
    EXPECT_EQ(f.list->TopIndex(), 0);
    f.list->SetItemIndex(7);  // out of sight below: scrolled up to it
    EXPECT_EQ(f.list->TopIndex(), 4);
    f.list->SetItemIndex(2);
    EXPECT_EQ(f.list->TopIndex(), 2);
    f.list->SetItemIndex(10);  // outside the list: no selection
    EXPECT_EQ(f.list->ItemIndex(), -1);
    f.list->Items().Clear();
    EXPECT_EQ(f.list->TopIndex(), 0);
    EXPECT_FALSE(f.list->ScrollBarShown());
}

TEST(ListBox, ItemAtPosFindsTheRowUnderAPoint) {
    TListFixture<TListBox> f(3);
    f.list->SetTopIndex(0);
    const TRect area = f.list->ItemsArea();
    EXPECT_EQ(area, Rect(2, 2, 118, 82));  // inside the two-pixel frame; no scroll bar for three items
    EXPECT_EQ(f.list->ItemRect(1), Rect(2, 22, 118, 42));
    EXPECT_EQ(f.list->ItemAtPos({5, 2}, true), 0);
    EXPECT_EQ(f.list->ItemAtPos({5, 41}, true), 1);
    EXPECT_EQ(f.list->ItemAtPos({5, 70}, true), -1);  // below the last item
    EXPECT_EQ(f.list->ItemAtPos({5, 70}, false), 3);
    EXPECT_EQ(f.list->ItemAtPos({1, 10}, false), -1);  // on the frame
}

// The list prepares the canvas for the item's state and hands the owner the
// row without the check box; what the owner draws stays inside that row.
TEST(ListBox, OwnerDrawnItemsGetTheirRowAndTheHighlightBrush) {
    TListFixture<TCheckListBox> f(3);
    f.list->SetStyle(lbOwnerDrawFixed);
    f.list->SetItemIndex(1);
    std::vector<std::pair<int, TRect>> drawn;
    f.list->OnDrawItem = [&](TWinControl* control, int index, const TRect& r, TOwnerDrawState state) {
        EXPECT_EQ(control, f.list);
        EXPECT_EQ(state.Contains(odSelected), index == 1);
        drawn.push_back({index, r});
        TCanvas& c = f.list->Canvas();
        c.FillRect(r);
        c.Brush().SetColor(clRed);
        c.FillRect(InflateRect(r, 50, 5));  // reaches past the row: clipped
    };
    TBitmap shot;
    f.list->GetImage(shot);
    ASSERT_EQ(drawn.size(), 3u);
    EXPECT_EQ(drawn[1].second, Rect(2 + TCheckListBox::CheckWidth, 22, 118, 42));
    TCanvas& c = shot.Canvas();
    EXPECT_EQ(c.Pixel(1, 30), ColorToRGB(cl3DDkShadow));  // the frame is untouched
    EXPECT_EQ(c.Pixel(5, 62), ColorToRGB(clWindow));      // below the items
    EXPECT_EQ(c.Pixel(40, 30), ColorToRGB(clRed));
    EXPECT_EQ(c.Pixel(3, 24), ColorToRGB(clWindow));  // the check column keeps the list's colour
}

TEST(CheckListBox, SpaceAndAClickOnTheBoxToggleAndReportTheNewState) {
    TListFixture<TCheckListBox> f(3);
    std::vector<std::string> changes;
    f.list->OnChange = [&](TObject*, int index, TCheckBoxState state) {
        changes.push_back(std::to_string(index) + (state == cbChecked ? " on" : " off"));
    };
    f.list->SetChecked(2, true);  // from code: nothing reported
    f.Press(f.On(0, 8));          // on the box
    f.Release(f.On(0, 8));
    f.Press(f.On(1, 60));  // on the text: chosen, not toggled
    f.Release(f.On(1, 60));
    f.Key(VK_SPACE);
    f.Key(VK_DOWN);
    f.Key(VK_SPACE);
    EXPECT_EQ(changes, (std::vector<std::string>{"0 on", "1 on", "2 off"}));
    EXPECT_EQ(f.log, (std::vector<std::string>{"click 0", "click 1", "click 2"}));
    EXPECT_TRUE(f.list->Checked(0));
    EXPECT_TRUE(f.list->Checked(1));
    EXPECT_FALSE(f.list->Checked(2));
}

TEST(CheckListBox, AnItemTakesItsCheckWhenItMoves) {
    TListFixture<TCheckListBox> f(4);
    f.list->SetChecked(0, true);
    f.list->Items().Move(0, 3);
    EXPECT_EQ(f.list->Items().Get(3), u"0");
    EXPECT_TRUE(f.list->Checked(3));
    EXPECT_FALSE(f.list->Checked(0));
}

// A fixture that records the drag events of its list.
struct TDragFixture : TListFixture<TListBox> {
    TDragFixture() : TListFixture<TListBox>(4) {
        list->SetDragMode(dmAutomatic);
        list->OnDragOver = [this](TObject* sender, TObject* source, int, int y, TDragState, bool& accept) {
            EXPECT_EQ(sender, list);
            EXPECT_EQ(source, list);
            accept = list->ItemAtPos({10, y}, true) != -1;
            log.push_back("over " + std::to_string(list->ItemAtPos({10, y}, true)));
        };
        list->OnDragDrop = [this](TObject*, TObject*, int, int y) {
            log.push_back("drop " + std::to_string(list->ItemAtPos({10, y}, true)));
        };
        list->OnEndDrag = [this](TObject*, TObject* target, int, int) {
            log.push_back(target == list ? "end on list" : "end nowhere");
        };
    }
};

TEST(ListBox, DraggingAnItemOverTheListDropsItWhereItIsReleased) {
    TDragFixture f;
    f.Press(f.On(0));
    f.Move({f.On(0).X, f.On(0).Y + 3});  // under the threshold: no drag yet
    f.Move(f.On(2));
    f.Move(f.On(3));
    f.Release(f.On(3));
    EXPECT_EQ(f.log, (std::vector<std::string>{"click 0", "over 2", "over 3", "drop 3", "end on list"}));
}

TEST(ListBox, APressWithoutMovingIsAChoiceAndNoDrag) {
    TDragFixture f;
    f.Press(f.On(1));
    f.Release(f.On(1));
    EXPECT_EQ(f.log, (std::vector<std::string>{"click 1"}));
    EXPECT_FALSE(f.list->Dragging());
}

TEST(ListBox, ADragEndsWithoutADropOutsideTheListOrOnEscape) {
    TDragFixture released;
    released.Press(released.On(0));
    released.Move(released.On(2));
    released.Move({300, 300});
    released.Release({300, 300});
    EXPECT_EQ(released.log, (std::vector<std::string>{"click 0", "over 2", "over -1", "end nowhere"}));

    TDragFixture cancelled;
    cancelled.Press(cancelled.On(0));
    cancelled.Move(cancelled.On(2));
    cancelled.Key(VK_ESCAPE);
    cancelled.Release(cancelled.On(2));
    EXPECT_EQ(cancelled.log, (std::vector<std::string>{"click 0", "over 2", "end nowhere"}));
}

// --- combo box -------------------------------------------------------------------------

struct TComboFixture {
    TOwned<TForm> form{new TForm(nullptr)};
    TComboBox* combo = nullptr;
    std::vector<std::string> clicks;

    TComboFixture() {
        form->SetBounds(100, 100, 300, 200);
        combo = new TComboBox(form.get());
        combo->SetParent(form.get());
        combo->SetBounds(10, 10, 150, 21);
        for (const char16_t* item : {u"No text labels", u"Show text labels", u"Selective text on right"})
            combo->Items().Add(item);
        combo->OnClick = [this](TObject*) { clicks.push_back(StringToUtf8(combo->Text())); };
        form->Show();
    }
    void Key(unsigned short key, TShiftState shift = {}) { SimulateKey(combo, key, shift); }
};

TEST(ComboBox, KeysInTheClosedFieldChooseTheNextItem) {
    TComboFixture f;
    f.combo->SetItemIndex(0);  // from code: no click
    f.Key(VK_DOWN);
    f.Key(VK_END);
    f.Key(VK_DOWN);  // already the last
    f.Key(VK_UP);
    EXPECT_EQ(f.clicks, (std::vector<std::string>{"Show text labels", "Selective text on right", "Show text labels"}));
    EXPECT_FALSE(f.combo->DroppedDown());
    f.combo->SetItemIndex(3);
    EXPECT_EQ(f.combo->ItemIndex(), -1);
    EXPECT_EQ(f.combo->Text(), u"");
}

TEST(ComboBox, TheDroppedListTakesEnterAndEscape) {
    TComboFixture f;
    f.combo->SetItemIndex(0);
    f.Key(VK_DOWN, {ssAlt});
    ASSERT_TRUE(f.combo->DroppedDown());
    EXPECT_EQ(f.combo->HotIndex(), 0);
    f.Key(VK_DOWN);
    f.Key(VK_DOWN);
    EXPECT_EQ(f.combo->ItemIndex(), 0);  // only highlighted so far
    f.Key(VK_ESCAPE);
    EXPECT_FALSE(f.combo->DroppedDown());
    EXPECT_EQ(f.combo->ItemIndex(), 0);
    EXPECT_TRUE(f.clicks.empty());

    f.Key(VK_F4);
    f.Key(VK_DOWN);
    f.Key(VK_RETURN);
    EXPECT_FALSE(f.combo->DroppedDown());
    EXPECT_EQ(f.clicks, (std::vector<std::string>{"Show text labels"}));
}

// Opening the list moves the focus away from the field for as long as it
// is open: that does not close it again.
TEST(ComboBox, TheListStaysOpenWhenItTakesTheFocus) {
    TComboFixture f;
    f.combo->SetDroppedDown(true);
    QFocusEvent toList(QEvent::FocusOut, Qt::PopupFocusReason);
    QApplication::sendEvent(f.combo->Widget(), &toList);
    EXPECT_TRUE(f.combo->DroppedDown());
    f.combo->SetDroppedDown(false);
    EXPECT_FALSE(f.combo->DroppedDown());
}

TEST(ComboBox, AClickOnARowOfTheDroppedListChoosesIt) {
    TComboFixture f;
    SimulateMouseDown(f.combo, mbLeft, 20, 10);
    SimulateMouseUp(f.combo, mbLeft, 20, 10);
    QWidget* popup = QApplication::activePopupWidget();
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup->width(), 150);
    const int row = f.combo->ItemHeight();
    const QPoint third(20, 1 + 2 * row + row / 2);
    QMouseEvent move(QEvent::MouseMove, QPointF(third), QPointF(popup->mapToGlobal(third)), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(popup, &move);
    EXPECT_EQ(f.combo->HotIndex(), 2);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(third), QPointF(popup->mapToGlobal(third)), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(popup, &release);
    EXPECT_EQ(f.clicks, (std::vector<std::string>{"Selective text on right"}));
    EXPECT_FALSE(f.combo->DroppedDown());
}

}  // namespace
