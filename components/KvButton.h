// Tool buttons of the Kv component set: the flat windowless button that sits
// on a toolbar, with its states (pressed, hot, latched in a group), the
// placement of its glyph and caption, the settings it takes over from its
// toolbar, its action link and its painting in the three visual styles.
#pragma once

#include <memory>

#include "ActnList.h"
#include "ImgList.h"
#include "KvCommon.h"
#include "Menus.h"

// Registers the unit's classes and their published properties for stored
// layouts; safe to call more than once.
void RegisterKvButtonClasses();

enum TKvToolButtonState { tbsUp, tbsDisabled, tbsDown, tbsExclusive, tbsDropDown };
enum TKvToolStyle { tsButton, tsDropDown };
extern const TEnumType kToolStyleType;

// Width of the arrow part of a drop-down button, at its right edge (at its
// left edge under right-to-left alignment).
constexpr int ArrowRegionWidth = 14;
// Milliseconds after a drop-down menu closed in which a press on the arrow
// part does not open it again: the press that closed the menu by landing on
// the button must not reopen it.
constexpr std::uint32_t MinDelay = 100;

// The width a drop-down menu needs, as the button reckons it for keeping
// the menu on the screen: the widest caption of its top-level items in the
// screen's menu font, measured on Control, plus 56.
int GetMenuWidth(TControl* Control, TPopupMenu* DropDownMenu);

class TKvToolButton;

// The link of a tool button to its action: besides the control's state the
// button shows the action's Checked as Down and its ImageIndex.
class TKvToolButtonActionLink : public TControlActionLink {
public:
    LV_CLASS_NAME(TKvToolButtonActionLink)
    explicit TKvToolButtonActionLink(TObject* AClient);
    static TControlActionLink* Create(TControl* AClient) { return new TKvToolButtonActionLink(AClient); }

    bool IsCheckedLinked() const override;
    bool IsImageIndexLinked() const override;
    void SetChecked(bool Value) override;
    void SetImageIndex(int Value) override;

protected:
    void AssignClient(TObject* AClient) override;
    TKvToolButton* FClient = nullptr;
};

// A flat button without a window of its own that shows a glyph from an
// image list and, optionally, its caption. It lights up while the mouse is
// over it, presses while the left button is held on it, and as a member of
// a group (GroupIndex) latches down with at most one member down. On a
// toolbar it takes over the toolbar's images, button size, glyph layout,
// caption display and visual style for as long as its UseToolbar... flags
// are set.
class TKvToolButton : public TGraphicControl {
public:
    LV_CLASS_NAME(TKvToolButton)
    explicit TKvToolButton(TComponent* AOwner);
    ~TKvToolButton() override;

    // --- properties -----------------------------------------------------------
    bool AllowAllUp() const { return FAllowAllUp; }
    virtual void SetAllowAllUp(bool Value);
    TAlignment Alignment() const { return FAlignment; }
    virtual void SetAlignment(TAlignment Value);
    int DisabledIndex() const { return FDisabledIndex; }
    virtual void SetDisabledIndex(int Value);
    TKvGradientColorStyle GradientColorStyle() const { return FGradientColorStyle; }
    virtual void SetGradientColorStyle(TKvGradientColorStyle Value);
    TColor SelectionColorStart() const { return FSelectionColorStart; }
    virtual void SetSelectionColorStart(TColor Value);
    TColor SelectionColorStop() const { return FSelectionColorStop; }
    virtual void SetSelectionColorStop(TColor Value);
    TColor SelectionFrameColor() const { return FSelectionFrameColor; }
    virtual void SetSelectionFrameColor(TColor Value);
    int GroupIndex() const { return FGroupIndex; }
    virtual void SetGroupIndex(int Value);
    // Only a member of a group (GroupIndex not 0) can be down.
    bool Down() const { return FDown; }
    virtual void SetDown(bool Value);
    int DownIndex() const { return FDownIndex; }
    virtual void SetDownIndex(int Value);
    TPopupMenu* DropDownMenu() const { return FDropDownMenu; }
    virtual void SetDropDownMenu(TPopupMenu* Value);
    bool Flat() const { return FFlat; }
    virtual void SetFlat(bool Value);
    int HotIndex() const { return FHotIndex; }
    virtual void SetHotIndex(int Value);
    int ImageIndex() const { return FImageIndex; }
    virtual void SetImageIndex(int Value);
    TCustomImageList* Images() const { return FImages; }
    virtual void SetImages(TCustomImageList* Value);
    TCustomImageList* DisabledImages() const { return FDisabledImages; }
    virtual void SetDisabledImages(TCustomImageList* Value);
    TButtonLayout Layout() const { return FLayout; }
    virtual void SetLayout(TButtonLayout Value);
    bool ShowCaption() const { return FShowCaption; }
    virtual void SetShowCaption(bool Value);
    bool Transparent() const { return FTransparent; }
    virtual void SetTransparent(bool Value);
    bool UseToolbarButtonLayout() const { return FUseToolbarButtonLayout; }
    virtual void SetUseToolbarButtonLayout(bool Value);
    bool UseToolbarButtonSize() const { return FUseToolbarButtonSize; }
    virtual void SetUseToolbarButtonSize(bool Value);
    bool UseToolbarShowCaption() const { return FUseToolbarShowCaption; }
    virtual void SetUseToolbarShowCaption(bool Value);
    bool UseToolbarVisualStyle() const { return FUseToolbarVisualStyle; }
    virtual void SetUseToolbarVisualStyle(bool Value);
    TKvToolStyle ToolStyle() const { return FToolStyle; }
    virtual void SetToolStyle(TKvToolStyle Value);
    TKvVisualStyle VisualStyle() const { return FVisualStyle; }
    virtual void SetVisualStyle(TKvVisualStyle Value);
    // Width and Height set as properties stop the button following its
    // toolbar's button size (outside loading); the framework's bounds
    // setter, which the toolbar's layout uses, leaves that alone.
    virtual int GetWidth() const { return TControl::Width(); }
    virtual void SetWidth(int Value);
    virtual int GetHeight() const { return TControl::Height(); }
    virtual void SetHeight(int Value);

    TNotifyEvent OnDropDown;

    // --- state ----------------------------------------------------------------
    TKvToolButtonState State() const { return FState; }
    // The hot flag: the mouse is over the button.
    bool MouseOverButton() const { return FMouseOverButton; }
    bool Dragging() const { return FDragging; }
    // A drop-down button with a click handler or an action: the face clicks
    // and the arrow part drops the menu down.
    bool IsSplit() const;

    // --- images and geometry --------------------------------------------------
    // The button's own list, else its toolbar's.
    TCustomImageList* ImageList() const;
    TCustomImageList* DisabledImageList() const;
    virtual TPoint GetImageSize();
    // Where the glyph and the caption go inside the client area.
    virtual void GetImageAndCaptionRects(TRect& ImageRect, TRect& CaptionRect);

    // --- toolbar link -----------------------------------------------------------
    // Takes over caption display, glyph layout, size and visual style from
    // the toolbar, in that order (the size depends on the first two).
    virtual void PickupToolbarStyles();
    // The size is stored unless the button follows its toolbar's size.
    bool IsSizeStored() const;
    // Down and ImageIndex are stored unless the action supplies them.
    bool IsCheckedStored() const;
    bool IsImageIndexStored() const;

    // A drop-down button clicks only while it may (TreatAsNormal).
    void Click() override;
    // Fires OnDropDown with the drop-down menu as sender.
    virtual void DropDown();
    // Drops the menu down below the button, kept on the monitor's work
    // area, and returns when it has closed; nothing without a DropDownMenu.
    virtual void DoDropDown();
    // A drop-down button may click: false from the close of its menu with
    // the cursor still on it until the next face press or a release with
    // the cursor outside.
    bool TreatAsNormal() const { return FTreatAsNormal; }
    // Tick count at which the menu last closed; 0 when none is pending.
    std::uint32_t DropTime() const { return FDropTime; }
    // True while DoDropDown runs.
    bool InDoDropDown() const { return FInDoDropDown; }
    // The pointer's position in the button's client coordinates.
    TPoint CursorPosition() const;

    void SetParent(TWinControl* AParent) override;
    void DefineProperties(TFiler* Filer) override;
    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void WndProc(TMessage& Message) override;

protected:
    // Frame and face; on return R lies inside what was drawn.
    virtual void DrawBtnBorder(TRect& R);
    virtual void DrawImage(const TRect& R);
    virtual void DrawArrow();
    virtual void DrawCaption(const TRect& R);
    void Paint() override;

    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void ActionChange(TObject* Sender, bool CheckDefaults) override;
    TControlActionLinkClass GetActionLinkClass() const override;
    void AssignTo(TPersistent* Dest) override;

    // Tells the other members of the group that this one changed.
    void UpdateExclusive();
    // Re-checks the hot flag against the control under the cursor.
    void UpdateTracking();
    // Grows the button to the size of the images of Images.
    void CheckMinSize();

private:
    void ImagesChange(TObject* Sender);
    void DisabledImagesChange(TObject* Sender);
    bool Inside(int X, int Y) const;
    bool InArrowPart(int X) const;
    // A plain left press where the menu drops down: the arrow part, or
    // anywhere on a whole button.
    bool IsDropDownPress(TShiftState Shift, int X) const;
    void DropDownPress(TMouseButton Button, TShiftState Shift, int X, int Y);
    void FacePress(TMouseButton Button);
    // What every release of a drop-down button ends with.
    void DropDownReleaseTail();
    // The screen point the menu is asked to pop up at.
    TPoint DropDownPoint(int MenuWidth) const;
    bool FaceActive() const;
    bool ThemedLook() const;
    void GetColorTriple(TColor& FrameColor, TColor& StartColor, TColor& StopColor) const;
    void DrawThemedBorder(const TRect& R);
    void DrawTriangle();
    void CMDialogChar(TMessage& Message);
    void CMMouseEnter(TMessage& Message);
    void CMMouseLeave(TMessage& Message);
    void CMButtonPressed(TMessage& Message);
    void ToolbarShowCaptionChanged();
    void ToolbarButtonLayoutChanged();
    void ToolbarButtonSizeChanged();
    void ToolbarVisualStyleChanged();
    // The parent as a toolbar, or nil.
    class TKvToolbar* ParentToolbar() const;

    bool FAllowAllUp = false;
    bool FDown = false;
    bool FDragging = false;
    bool FFlat = false;
    int FGroupIndex = 0;
    int FImageIndex = -1;
    int FDownIndex = -1;
    int FDisabledIndex = -1;
    int FHotIndex = -1;
    TCustomImageList* FImages = nullptr;
    std::unique_ptr<TChangeLink> FImagesChangeLink;
    TCustomImageList* FDisabledImages = nullptr;
    std::unique_ptr<TChangeLink> FDisabledImagesChangeLink;
    TButtonLayout FLayout = blGlyphLeft;
    bool FMouseOverButton = false;
    TPopupMenu* FDropDownMenu = nullptr;
    std::uint32_t FDropTime = 0;
    bool FTreatAsNormal = false;
    TKvToolStyle FToolStyle = tsButton;
    bool FShowCaption = false;
    bool FTransparent = false;
    bool FInDoDropDown = false;
    TAlignment FAlignment = taCenter;
    TKvVisualStyle FVisualStyle = vsWinXP;
    TKvGradientColorStyle FGradientColorStyle = gcsSystem;
    TColor FSelectionColorStart = clBtnFace;
    TColor FSelectionColorStop = clBtnShadow;
    TColor FSelectionFrameColor = cl3DDkShadow;
    bool FUseToolbarButtonLayout = false;
    bool FUseToolbarButtonSize = false;
    bool FUseToolbarShowCaption = false;
    bool FUseToolbarVisualStyle = false;
    TKvToolButtonState FState = tbsUp;
};
