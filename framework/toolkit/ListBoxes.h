// The list box: a framed list of text items, one selected, scrolled by a
// top index, with items of a fixed height that the owner may draw, and
// dragging an item within the list.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "Controls.h"
#include "Streaming.h"
#include "Strings.h"

enum TListBoxStyle { lbStandard, lbOwnerDrawFixed };
extern const TEnumType kListBoxStyleType;

enum TOwnerDrawStateFlag { odSelected, odGrayed, odDisabled, odChecked, odFocused };
using TOwnerDrawState = Set<TOwnerDrawStateFlag>;
// Draws item Index into Rect on the list's canvas, whose brush and font the
// list has set for the item's state (the highlight colours when selected).
using TDrawItemEvent = std::function<void(TWinControl* Control, int Index, const TRect& Rect, TOwnerDrawState State)>;

// Dragging: Source is the control the drag started from, Target the
// control it ended over (nil when it ended elsewhere or was cancelled).
enum TDragState { dsDragEnter, dsDragLeave, dsDragMove };
using TDragOverEvent =
    std::function<void(TObject* Sender, TObject* Source, int X, int Y, TDragState State, bool& Accept)>;
using TDragDropEvent = std::function<void(TObject* Sender, TObject* Source, int X, int Y)>;
using TEndDragEvent = std::function<void(TObject* Sender, TObject* Target, int X, int Y)>;

// The items of a list control (list box, combo box): each a text, an
// object and a state word that a control keeps per item (a check list's
// check state). An item moves with its object and its state. Changed runs
// after every change, or once at the end of an update bracket.
class TListBoxStrings : public TStrings {
public:
    LV_CLASS_NAME(TListBoxStrings)
    explicit TListBoxStrings(std::function<void()> Changed) : changed_(std::move(Changed)) {}

    int Count() const override { return static_cast<int>(items_.size()); }
    String Get(int Index) const override;
    void Put(int Index, const String& S) override;
    TObject* GetObject(int Index) const override;
    void PutObject(int Index, TObject* AObject) override;
    void Insert(int Index, const String& S) override;
    void Delete(int Index) override;
    void Clear() override;
    void Move(int CurIndex, int NewIndex) override;

    int Data(int Index) const;
    void SetData(int Index, int Value);

protected:
    void SetUpdateState(bool Updating) override;

private:
    struct TItem {
        String Text;
        TObject* Object = nullptr;
        int Data = 0;
    };
    void Changed();

    std::vector<TItem> items_;
    std::function<void()> changed_;
};

class TCustomListBox : public TCustomControl {
public:
    LV_CLASS_NAME(TCustomListBox)
    explicit TCustomListBox(TComponent* AOwner);
    ~TCustomListBox() override;

    TStrings& Items() { return items_; }
    const TStrings& Items() const { return items_; }
    int Count() const { return items_.Count(); }

    // The selected item, -1 for none; selecting scrolls the item into sight.
    // An index outside the list selects none.
    int ItemIndex() const { return itemIndex_; }
    void SetItemIndex(int Value);
    // The first item in sight, kept between 0 and the last full page.
    int TopIndex() const { return topIndex_; }
    void SetTopIndex(int Value);
    int ItemHeight() const { return itemHeight_; }
    void SetItemHeight(int Value);
    TListBoxStyle Style() const { return style_; }
    void SetStyle(TListBoxStyle Value);
    // The number of items that fit into the list whole.
    int VisibleRows() const;

    // The item at a point of the control: -1 outside the items' area; below
    // the last item Count, or -1 when Existing.
    int ItemAtPos(TPoint Pos, bool Existing) const;
    // Item Index's row in the control's coordinates (it may lie out of sight).
    TRect ItemRect(int Index) const;
    // Where the items are drawn: inside the frame, left of the scroll bar.
    TRect ItemsArea() const;
    bool ScrollBarShown() const;

    // Dragging an item: with DragMode dmAutomatic a press on an item starts
    // a drag once the mouse has moved Threshold pixels with the button held.
    void BeginDrag(bool Immediate, int Threshold = 5);
    bool Dragging() const { return dragging_; }
    // Ends a drag: dropped on the list when Drop is set and the list took
    // the last drag-over, else cancelled.
    void EndDrag(bool Drop);

    TDrawItemEvent OnDrawItem;
    TDragOverEvent OnDragOver;
    TDragDropEvent OnDragDrop;
    TEndDragEvent OnEndDrag;

protected:
    // Draws item Index in Rect: OnDrawItem for an owner-drawn list, else
    // the text on the item's background.
    virtual void DrawItem(int Index, const TRect& Rect, TOwnerDrawState State);
    // Where an item's own content begins, after any part of the row that
    // the list draws itself (a check box).
    virtual int ItemContentOffset() const { return 0; }
    // Draws the part of item Index's row before its content.
    virtual void DrawItemPrefix(int Index, const TRect& Row) {}
    virtual TOwnerDrawState ItemState(int Index) const;
    // The user chose an item (mouse or key): it is selected and OnClick runs.
    void SelectByUser(int Index);
    virtual void DragOver(TObject* Source, int X, int Y, TDragState State, bool& Accept);
    virtual void DragDrop(TObject* Source, int X, int Y);
    virtual void DoEndDrag(TObject* Target, int X, int Y);

    void Paint() override;
    void Resize() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    bool KeyDown(unsigned short& Key, TShiftState Shift) override;
    void WndProc(TMessage& Message) override;

private:
    // The items changed (outside an update bracket): selection and top
    // index stay inside the list, and it repaints.
    void ItemsChanged();
    void PaintItem(int Index);
    void UpdateScrollBar();
    void ScrollIntoView(int Index);
    void DragMove(int X, int Y);

    TListBoxStrings items_{[this] { ItemsChanged(); }};
    int itemIndex_ = -1;
    int topIndex_ = 0;
    int itemHeight_ = 16;
    TListBoxStyle style_ = lbStandard;
    struct TScrollBarHost;
    std::unique_ptr<TScrollBarHost> scrollBar_;
    // A drag armed by a press and waiting for the mouse to move far enough.
    bool dragArmed_ = false;
    TPoint dragStart_;
    int dragThreshold_ = 5;
    bool dragging_ = false;
    bool dragAccepted_ = false;
    bool dragInside_ = false;
    TPoint dragPos_;
};

class TListBox : public TCustomListBox {
public:
    LV_CLASS_NAME(TListBox)
    using TCustomListBox::TCustomListBox;
};

// Registers the list boxes for stored layouts; safe to call more than once.
void RegisterListBoxClasses();
