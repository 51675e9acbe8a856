// Panels of the Kv component set: the bordered panel that frames its edge
// and lays its children out inside the frames, the window's status bar
// built on it, and the toolbar that lays out an ordered list of controls in
// rows, with the spacers that put gaps between them and the overflow button
// that drops down the tool buttons that do not fit.
#pragma once

#include <memory>
#include <utility>
#include <vector>

#include "ImgList.h"
#include "KvButton.h"
#include "KvCommon.h"

// Registers the unit's classes and their published properties for stored
// layouts; safe to call more than once.
void RegisterKvPanelClasses();

// ===========================================================================
// Bordered panel
// ===========================================================================

enum TKvGridStyle { gsDots, gsDottedLines, gsSolidLines };
extern const TEnumType kGridStyleType;

class TKvCustomPanel;

// The dock manager of a panel that is a dock site and uses one. It has no
// behaviour on this platform, where nothing docks: a panel makes one because
// the component set does, and ShowDockClientCaptions is stored for it only.
class TKvPanelDockManager : public TObject {
public:
    LV_CLASS_NAME(TKvPanelDockManager)
    explicit TKvPanelDockManager(TKvCustomPanel* Site) : site_(Site) {}
    TKvCustomPanel* DockSite() const { return site_; }

private:
    TKvCustomPanel* site_;
};

// A container that paints an outer frame, a band of border colour and an
// inner frame on chosen sides, a solid or gradient background, an optional
// grid and its caption. Its client area lies inside the frames.
class TKvCustomPanel : public TCustomPanel, public IKvFramedControl {
public:
    LV_CLASS_NAME(TKvCustomPanel)
    explicit TKvCustomPanel(TComponent* AOwner);
    ~TKvCustomPanel() override;

    // --- properties ---------------------------------------------------------
    TAlignmentVertical AlignmentVertical() const { return FAlignmentVertical; }
    virtual void SetAlignmentVertical(TAlignmentVertical Value);
    TColor BorderColor() const { return FBorderColor; }
    virtual void SetBorderColor(TColor Value);
    TColor BorderHighlight() const { return FBorderHighlight; }
    virtual void SetBorderHighlight(TColor Value);
    TFrameStyleEx BorderInner() const { return FBorderInner; }
    virtual void SetBorderInner(TFrameStyleEx Value);
    TFrameStyleEx BorderOuter() const { return FBorderOuter; }
    virtual void SetBorderOuter(TFrameStyleEx Value);
    TColor BorderShadow() const { return FBorderShadow; }
    virtual void SetBorderShadow(TColor Value);
    TSides BorderSides() const { return FBorderSides; }
    virtual void SetBorderSides(TSides Value);
    TColor FlatColor() const { return FFlatColor; }
    virtual void SetFlatColor(TColor Value);
    int FlatColorAdjustment() const { return FFlatColorAdjustment; }
    virtual void SetFlatColorAdjustment(int Value);
    TKvFrameController* FrameController() const { return FFrameController; }
    virtual void SetFrameController(TKvFrameController* Value);
    TKvFrameControllerNotifications FrameControllerNotifications() const { return FFrameControllerNotifications; }
    void SetFrameControllerNotifications(TKvFrameControllerNotifications Value) {
        FFrameControllerNotifications = Value;
    }
    TKvGradientColorStyle GradientColorStyle() const { return FGradientColorStyle; }
    virtual void SetGradientColorStyle(TKvGradientColorStyle Value);
    TColor GradientColorStart() const { return FGradientColorStart; }
    virtual void SetGradientColorStart(TColor Value);
    TColor GradientColorStop() const { return FGradientColorStop; }
    virtual void SetGradientColorStop(TColor Value);
    TGradientDirection GradientDirection() const { return FGradientDirection; }
    virtual void SetGradientDirection(TGradientDirection Value);
    TColor GridColor() const { return FGridColor; }
    virtual void SetGridColor(TColor Value);
    TKvGridStyle GridStyle() const { return FGridStyle; }
    virtual void SetGridStyle(TKvGridStyle Value);
    std::uint16_t GridXSize() const { return FGridXSize; }
    virtual void SetGridXSize(std::uint16_t Value);
    std::uint16_t GridYSize() const { return FGridYSize; }
    virtual void SetGridYSize(std::uint16_t Value);
    void SetGridSize(std::uint16_t XSize, std::uint16_t YSize);
    bool PaintClientArea() const { return FPaintClientArea; }
    virtual void SetPaintClientArea(bool Value);
    bool ShowDockClientCaptions() const { return FShowDockClientCaptions; }
    void SetShowDockClientCaptions(bool Value) { FShowDockClientCaptions = Value; }
    bool ShowGrid() const { return FShowGrid; }
    virtual void SetShowGrid(bool Value);
    int TextMargin() const { return FTextMargin; }
    virtual void SetTextMargin(int Value);
    int TextMarginVertical() const { return FTextMarginVertical; }
    virtual void SetTextMarginVertical(int Value);
    bool Transparent() const { return FTransparent; }
    virtual void SetTransparent(bool Value);
    TKvVisualStyle VisualStyle() const { return FVisualStyle; }
    virtual void SetVisualStyle(TKvVisualStyle Value);
    bool WordWrap() const { return FWordWrap; }
    virtual void SetWordWrap(bool Value);

    TNotifyEvent OnPaint;

    // --- geometry -----------------------------------------------------------
    // The pointer's position in the panel's client coordinates.
    virtual TPoint CursorPosition() const;
    // Shrinks Rect by the frames on the framed sides, and first by the
    // border band on all four sides when ShrinkByBorder is set.
    virtual void FixClientRect(TRect& Rect, bool ShrinkByBorder) const;
    virtual TRect GetControlRect() const;
    // How far inside the frames a resize repaints.
    virtual TPoint InvalidateMarginSize() const;
    TRect GetClientRect() const override;
    void AdjustClientRect(TRect& Rect) override;
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

    // --- children -------------------------------------------------------------
    // False records each child's enabled state and disables every child;
    // True enables the children that were enabled (or are new since).
    virtual void EnableChildControls(bool Enabled);

    // --- painting -------------------------------------------------------------
    virtual void GetGradientColors(TColor& StartColor, TColor& StopColor) const;
    virtual void GetGradientFrameColor(TColor& FrameColor, int& FrameColorAdjustment) const;
    virtual void DrawCaption(const TRect& Rect);
    virtual void DrawGrid(const TRect& Rect);

    // --- colour, frame controller, dock manager -------------------------------
    // Under the platform's look the panel shows the colour it was given;
    // under an application style, the style's face colour.
    void UpdatePanelColor();
    void CustomFramingChanged() override;
    TKvPanelDockManager* DockManager() const { return FDockManager.get(); }
    // Creates the panel's dock manager when it is a dock site that uses one.
    virtual void CreateDockManager();

    void DefineProperties(TFiler* Filer) override;
    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void WndProc(TMessage& Message) override;

protected:
    void BeforeDestruction() override;
    void CreateWnd() override;
    void AlignControls(TControl* AControl, TRect& Rect) override;
    void Paint() override;

    void WMWindowPosChanged(TMessage& Message);
    void WMEraseBkgnd(TMessage& Message);
    void CMMouseEnter(TMessage& Message);
    void CMMouseLeave(TMessage& Message);
    void CMEnabledChanged(TMessage& Message);
    void WMThemeChanged(TMessage& Message);
    void CMColorChanged(TMessage& Message);
    void CMStyleChanged(TMessage& Message);

    // Stores Value and realigns and invalidates when it differs.
    template <class V>
    void ChangeFrame(V& Field, V Value);
    // Stores Value and invalidates when it differs.
    template <class V>
    void ChangeLook(V& Field, V Value);
    // Stores Value and invalidates the panel and its transparent children.
    template <class V>
    void ChangeGradient(V& Field, V Value);
    // Writes the three frame fields without realigning or repainting, for a
    // descendant that picks its own edge and repaints afterwards.
    void WriteBorderFields(TFrameStyleEx Inner, TFrameStyleEx Outer, TSides Sides);

    bool FInAlignControls = false;

private:
    TAlignmentVertical FAlignmentVertical = avCenter;
    TFrameStyleEx FBorderInner = fsNone;
    TFrameStyleEx FBorderOuter = fsRaised;
    TSides FBorderSides = sdAllSides;
    TColor FBorderColor = clBtnFace;
    TColor FBorderHighlight = clBtnHighlight;
    TColor FBorderShadow = clBtnShadow;
    TColor FFlatColor = clBtnShadow;
    int FFlatColorAdjustment = 30;
    bool FPaintClientArea = true;
    TColor FPanelColor = clBtnFace;
    TKvVisualStyle FVisualStyle = vsWinXP;
    TKvGradientColorStyle FGradientColorStyle = gcsSystem;
    TColor FGradientColorStart = 0x00FFFFFF;
    TColor FGradientColorStop = clBtnFace;
    TGradientDirection FGradientDirection = gdHorizontalEnd;
    TColor FGridColor = clBtnShadow;
    TKvGridStyle FGridStyle = gsDots;
    std::uint16_t FGridXSize = 8;
    std::uint16_t FGridYSize = 8;
    bool FShowGrid = false;
    bool FTransparent = false;
    int FTextMargin = 0;
    int FTextMarginVertical = 0;
    bool FWordWrap = true;
    bool FShowDockClientCaptions = true;
    // Each child with its enabled state when the panel was disabled.
    std::vector<std::pair<TControl*, bool>> FEnabledList;
    TKvFrameController* FFrameController = nullptr;
    TKvFrameControllerNotifications FFrameControllerNotifications = fccAll;
    std::unique_ptr<TKvPanelDockManager> FDockManager;
};

// ===========================================================================
// Status bar
// ===========================================================================

// A bordered panel shaped into a window's status bar: docked to the bottom,
// without borders, with a size grip that resizes the window, a simple mode
// that shows one caption instead of the panes, and optional rescaling of
// the panes when its width changes.
class TKvStatusBar : public TKvCustomPanel {
public:
    LV_CLASS_NAME(TKvStatusBar)
    explicit TKvStatusBar(TComponent* AOwner);
    ~TKvStatusBar() override;

    bool AutoScalePanes() const { return FAutoScalePanes; }
    void SetAutoScalePanes(bool Value) { FAutoScalePanes = Value; }
    bool AutoStyle() const { return FAutoStyle; }
    void SetAutoStyle(bool Value) { FAutoStyle = Value; }
    bool ShowSizeGrip() const { return FShowSizeGrip; }
    virtual void SetShowSizeGrip(bool Value);
    const String& SimpleCaption() const { return FSimpleCaption; }
    virtual void SetSimpleCaption(const String& Value);
    TFrameStyle SimpleFrameStyle() const { return FSimpleFrameStyle; }
    virtual void SetSimpleFrameStyle(TFrameStyleEx Value);
    bool SimpleStatus() const { return FSimpleStatus; }
    virtual void SetSimpleStatus(bool Value);
    // Whether the parent form could be resized through the grip when this
    // was last checked.
    bool SizeGripValid() const { return FSizeGripValid; }

    virtual void DrawSimpleStatusBorder(TRect R);
    // The status-bar look: no frames, all sides, 19 pixels, no border band.
    virtual void AdjustStyle();
    void SetBorderInner(TFrameStyleEx Value) override;
    void SetBorderOuter(TFrameStyleEx Value) override;
    void SetBorderSides(TSides Value) override;

    // The grip's strip at the right end of the bar.
    TRect SizeGripRect() const;
    // The parent form exists, has a sizeable border and is not maximized.
    bool ValidateSizeGrip();
    void PaintSizeGrip(TRect R);

    TRect GetClientRect() const override;
    void GetGradientColors(TColor& StartColor, TColor& StopColor) const override;
    void Loaded() override;
    void WndProc(TMessage& Message) override;

protected:
    void CreateWnd() override;
    void Paint() override;
    void Resize() override;

private:
    bool OverSizeGrip(TPoint P) const;
    void RescalePanes();
    bool ThemedLook() const;

    bool FAutoStyle = true;
    std::unique_ptr<TControlCanvas> FSizeGripCanvas;
    bool FSimpleStatus = false;
    String FSimpleCaption;
    TFrameStyle FSimpleFrameStyle = fsFlat;
    bool FSizeGripValid = false;
    bool FShowSizeGrip = true;
    bool FAutoScalePanes = false;
    bool FFirst = true;
    int FDelta = 0;
    int FLastWidth = 0;
};

// ===========================================================================
// Toolbar
// ===========================================================================

// Sent by a toolbar to each of its children when a setting that tool
// buttons take over changed; both parameters 0, and a child that follows
// the toolbar reads the new value from it.
constexpr unsigned cm_ToolbarShowCaptionChanged = CM_BASE + 1002;   // ShowButtonCaptions
constexpr unsigned cm_ToolbarButtonLayoutChanged = CM_BASE + 1003;  // ButtonLayout
constexpr unsigned cm_ToolbarButtonSizeChanged = CM_BASE + 1004;    // ButtonWidth, ButtonHeight
constexpr unsigned cm_ToolbarVisualStyleChanged = CM_BASE + 1005;   // VisualStyle, GradientColorStyle

// Width of the overflow button at the right end of a toolbar that does not
// wrap its controls.
constexpr int ToolbarPopupButtonWidth = 14;

enum TKvToolbarTextOptions { ttoNoTextLabels, ttoShowTextLabels, ttoSelectiveTextOnRight, ttoCustom };
extern const TEnumType kToolbarTextOptionsType;

class TKvToolbar;

// --- control list ----------------------------------------------------------

// One entry of a toolbar's control list: the control and the name it had
// when the entry was made (a pending entry carries the name only).
class TKvToolbarControl : public TObject {
public:
    LV_CLASS_NAME(TKvToolbarControl)
    TControl* Control() const { return FControl; }
    // The control's name when the entry was made; a rename does not change it.
    const String& ControlName() const { return FControlName; }
    // Takes over a descendant entry's own data from the pending entry that
    // the stored order resolved to this one.
    virtual void AssignElements(TKvToolbarControl* Control) {}

private:
    friend class TKvToolbarControlList;
    TControl* FControl = nullptr;
    String FControlName;
};

// The controls of a toolbar in layout order. The list owns its entries
// (never the controls): removing an entry frees it. Its order is stored in
// a form layout as the names of the controls ("ToolbarControls") and
// resolved once every component of the form exists.
class TKvToolbarControlList : public TList {
public:
    LV_CLASS_NAME(TKvToolbarControlList)
    explicit TKvToolbarControlList(TKvToolbar* AToolbar);
    ~TKvToolbarControlList() override;

    TKvToolbar* Toolbar() const { return FToolbar; }
    // The entry at Index; outside 0..Count-1 the list's index error.
    TKvToolbarControl* Items(int Index) const { return static_cast<TKvToolbarControl*>(Get(Index)); }

    int IndexOf(TControl* Control) const;
    // Names compare without regard to the case of ASCII letters.
    int IndexOfName(const String& ControlName) const;
    // Appends an entry unless the control (name) is listed; returns its index.
    int AddControl(TControl* Control);
    int AddControlName(const String& ControlName);
    // Removes and frees the entry; returns the index it had, or -1.
    int RemoveControl(TControl* Control);
    int RemoveControlName(const String& ControlName);

    void Delete(int Index) override;
    void Clear() override;

    // The stored property "ToolbarControls": a list of identifiers.
    void ReadControls(TReader& Reader);
    void WriteControls(TWriter& Writer);
    // Turns the names read from a layout into entries, with OwnerComp's
    // components of those names.
    void ControlsAreLoaded(TComponent* OwnerComp);
    // The names read from a layout and not yet resolved, or nil.
    const TKvToolbarControlList* PendingList() const { return FTempControlList.get(); }

protected:
    virtual void ReadControl(TReader& Reader);
    virtual void WriteControl(int Index, TWriter& Writer);
    virtual TKvToolbarControl* CreateToolBarControl();

private:
    TKvToolbar* FToolbar;
    std::unique_ptr<TKvToolbarControlList> FTempControlList;
};

// --- spacer ----------------------------------------------------------------

// A gap between toolbar controls, optionally with a groove line across it.
// An orientation change swaps its width and height.
class TKvSpacer : public TGraphicControl {
public:
    LV_CLASS_NAME(TKvSpacer)
    explicit TKvSpacer(TComponent* AOwner);

    bool Grooved() const { return FGrooved; }
    virtual void SetGrooved(bool Value);
    TOrientation Orientation() const { return FOrientation; }
    virtual void SetOrientation(TOrientation Value);

protected:
    void Paint() override;

private:
    bool FGrooved = false;
    TOrientation FOrientation = orHorizontal;
};

// --- customization captions and the layout store ---------------------------

// The nine texts of a toolbar's customization dialog. Setting any of them
// makes all nine part of the stored layout.
class TKvCustomizeCaptions : public TPersistent {
public:
    LV_CLASS_NAME(TKvCustomizeCaptions)
    static constexpr int CaptionCount = 9;
    TKvCustomizeCaptions();

    // Index 1 (Title) to 9 (SelectiveTextOnRight); "" outside.
    String GetCaption(int Index) const;
    // Stores nothing outside 1..9, but marks the captions stored in any case.
    void SetCaption(int Index, const String& Value);
    bool StoreCaptions() const { return FStoreCaptions; }
    void Assign(TPersistent* Source) override;

private:
    bool FStoreCaptions = false;
    String FCaptions[CaptionCount];
};

// The settings store that a toolbar's layout is saved into and restored
// from; the toolbar refers to it without owning it. The values live in the
// INI file named by FileName: reading a missing file or value gives the
// default and never creates or changes a file; a write replaces the value
// in place and keeps everything else in the file (see TIniFile). Errors of
// the file raise EIniFileException.
class TKvRegIniFile : public TComponent {
public:
    LV_CLASS_NAME(TKvRegIniFile)
    using TComponent::TComponent;

    const String& FileName() const { return FFileName; }
    void SetFileName(const String& Value) { FFileName = Value; }

    virtual int ReadInteger(const String& Section, const String& Ident, int Default) const;
    virtual String ReadString(const String& Section, const String& Ident, const String& Default) const;
    virtual void WriteInteger(const String& Section, const String& Ident, int Value);
    virtual void WriteString(const String& Section, const String& Ident, const String& Value);

private:
    String FFileName;
};

// SaveLayout and RestoreLayout of a toolbar without a settings store.
inline const String SNoRegIniFile = u"No TKvRegIniFile component specified";
class ENoRegIniFile : public Exception { using Exception::Exception; };

// --- toolbar ---------------------------------------------------------------

// A bordered panel that lays its controls out itself, one after another in
// the order of its control list, in rows (columns when vertical) of
// RowHeight, starting a new row where a control no longer fits. It sizes
// itself to its rows, picks its divider edge from its alignment, and holds
// the settings its tool buttons take over: images, button size, glyph
// layout, caption display and visual style.
class TKvToolbar : public TKvCustomPanel {
public:
    LV_CLASS_NAME(TKvToolbar)
    explicit TKvToolbar(TComponent* AOwner);
    ~TKvToolbar() override;

    // --- properties -----------------------------------------------------------
    virtual TAlign GetAlign() const { return Align(); }
    void SetAlign(TAlign Value) override;
    bool AutoResize() const { return FAutoResize; }
    virtual void SetAutoResize(bool Value);
    // Choose the divider edge from the alignment; writing a border that
    // differs from the current one turns it off.
    bool AutoStyle() const { return FAutoStyle; }
    void SetAutoStyle(bool Value) { FAutoStyle = Value; }
    // Tiled over the client area when not empty.
    TBitmap& Background() { return *FBackground; }
    virtual void SetBackground(const TBitmap& Value);
    TCustomImageList* Images() const { return FImages; }
    virtual void SetImages(TCustomImageList* Value);
    TCustomImageList* DisabledImages() const { return FDisabledImages; }
    virtual void SetDisabledImages(TCustomImageList* Value);
    int Margin() const { return FMargin; }
    virtual void SetMargin(int Value);
    int TopMargin() const { return FTopMargin; }
    virtual void SetTopMargin(int Value);
    TOrientation Orientation() const { return FOrientation; }
    virtual void SetOrientation(TOrientation Value);
    int RowHeight() const { return FRowHeight; }
    virtual void SetRowHeight(int Value);
    bool ShowDivider() const { return FShowDivider; }
    virtual void SetShowDivider(bool Value);
    bool ShowButtonCaptions() const { return FShowButtonCaptions; }
    virtual void SetShowButtonCaptions(bool Value);
    TButtonLayout ButtonLayout() const { return FButtonLayout; }
    virtual void SetButtonLayout(TButtonLayout Value);
    int ButtonWidth() const { return FButtonWidth; }
    virtual void SetButtonWidth(int Value);
    int ButtonHeight() const { return FButtonHeight; }
    virtual void SetButtonHeight(int Value);
    TKvToolbarTextOptions TextOptions() const { return FTextOptions; }
    virtual void SetTextOptions(TKvToolbarTextOptions Value);
    bool WrapControls() const { return FWrapControls; }
    virtual void SetWrapControls(bool Value);
    TKvCustomizeCaptions& CustomizeCaptions() { return *FCustomizeCaptions; }
    // Copies the nine captions of Value.
    virtual void SetCustomizeCaptions(TKvCustomizeCaptions& Value);
    TKvRegIniFile* RegIniFile() const { return FRegIniFile; }
    virtual void SetRegIniFile(TKvRegIniFile* Value);
    // The controls in layout order. The list is made on first use, through
    // CreateToolbarControlList: called from the constructor, that factory
    // would never reach a descendant's override.
    TKvToolbarControlList& ToolbarControls();

    // The overflow button of a toolbar that does not wrap: whether the last
    // layout asked for it, and the button once one exists.
    bool ShowToolbarPopupButton() const { return FShowToolbarPopupButton; }
    TControl* ToolbarPopupButton() const { return FToolbarPopupButton; }

    TNotifyEvent OnVisibleChanged;

    // --- layout storage and customization -------------------------------------
    // Writes, under the section of the toolbar's Name in RegIniFile, the
    // ordinal of TextOptions ("TextOptions"), the number of list entries
    // ("Count") and each entry's control name ("Control0" ...), with "##"
    // before the name of a hidden control. Raises ENoRegIniFile without a
    // store.
    void SaveLayout();
    // Reads a saved layout back. Only when the stored count equals the
    // list's, each stored name in turn moves its entry to its index and
    // sets its control's visibility, and the toolbar is laid out again; a
    // missing key, or a name the list does not hold (a control renamed or
    // removed since), leaves that place alone. TextOptions is restored in
    // any case, when stored as one of its values. Raises ENoRegIniFile
    // without a store; errors of the store pass to the caller.
    void RestoreLayout();
    // Opens the customization dialog on this toolbar next to it and shows it
    // modally; every change in it applies to the toolbar at once.
    void Customize(bool ShowTextOptions);

    // --- layout ---------------------------------------------------------------
    // Places every listed control and, with AutoResize, sizes the toolbar.
    virtual void PositionControls();
    // Places the control of entry Index in Row at Offset and moves Offset past it.
    virtual void PositionControl(int Index, int Row, int& Offset);
    // The pitch of a row (column); RowHeight for every row.
    virtual int CalculateRowHeight(int Row);
    // The divider edge for an alignment: a groove on the side that faces
    // the rest of the window.
    virtual void AdjustStyle(TAlign Value);
    // Hosts that size their toolbar themselves turn AutoResize off.
    virtual void CheckAutoResize(bool& Value);
    virtual void UpdateButtonSize(int NewWidth, int NewHeight, bool ShowCaptions);
    void SetShowToolbarPopupButton(bool Value);
    void AlignToolbarPopupButton();

    // --- panel and control overrides ----------------------------------------
    void SetBorderInner(TFrameStyleEx Value) override;
    void SetBorderOuter(TFrameStyleEx Value) override;
    void SetBorderSides(TSides Value) override;
    void SetVisualStyle(TKvVisualStyle Value) override;
    void SetGradientColorStyle(TKvGradientColorStyle Value) override;
    void SetBiDiMode(TBiDiMode Value) override;
    void SetParent(TWinControl* AParent) override;
    void ChangeScale(int M, int D) override;
    bool CanAutoSize(int& NewWidth, int& NewHeight) override;
    TPoint InvalidateMarginSize() const override;
    // A toolbar draws no caption.
    void DrawCaption(const TRect& Rect) override {}

    void DefineProperties(TFiler* Filer) override;
    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void WndProc(TMessage& Message) override;

protected:
    virtual TKvToolbarControlList* CreateToolbarControlList();
    // Makes the overflow button when a layout first asks for it.
    virtual void CreateToolbarPopupButton();
    // The toolbar's own visibility changed: fires OnVisibleChanged.
    virtual void VisibleChanged();
    void AlignControls(TControl* AControl, TRect& Rect) override;
    void Paint() override;

private:
    void ImagesChange(TObject* Sender);
    void DisabledImagesChange(TObject* Sender);
    // Stores a setting that tool buttons take over, tells the children and
    // marks the text options custom.
    template <class V>
    void ChangeButtonSetting(V& Field, V Value, unsigned Notification);
    void PositionHorizontally();
    void PositionVertically();
    void AutoSizeToRows(int MaxExtent, int Rows);
    // Lets the parent re-lay out its aligned children for the new size.
    void ResizeParent();
    void TileBackground();

    bool FAutoResize = false;
    bool FAutoStyle = false;
    std::unique_ptr<TBitmap> FBackground;
    TCustomImageList* FImages = nullptr;
    std::unique_ptr<TChangeLink> FImagesChangeLink;
    TCustomImageList* FDisabledImages = nullptr;
    std::unique_ptr<TChangeLink> FDisabledImagesChangeLink;
    TOrientation FOrientation = orHorizontal;
    int FRowHeight = 0;
    bool FShowDivider = false;
    bool FShowButtonCaptions = false;
    TButtonLayout FButtonLayout = blGlyphLeft;
    int FButtonWidth = 0;
    int FButtonHeight = 0;
    TKvToolbarTextOptions FTextOptions = ttoNoTextLabels;
    bool FUpdatingTextOptions = false;
    bool FWrapControls = false;
    // The overflow button (a TKvToolbarPopupButton), owned by the toolbar as
    // a component once made; nil until then.
    TControl* FToolbarPopupButton = nullptr;
    bool FShowToolbarPopupButton = false;
    std::unique_ptr<TKvCustomizeCaptions> FCustomizeCaptions;
    TKvRegIniFile* FRegIniFile = nullptr;
    std::unique_ptr<TKvToolbarControlList> FToolbarControls;  // made on first use
    // Set at the end of the toolbar's own constructor. Layout waits until
    // then, so that the list is made by the most derived class's factory.
    bool FConstructed = false;
    int FMargin = 0;
    int FTopMargin = 0;
    int FCalculatedRowHeight = 0;
};

// ===========================================================================
// Toolbar overflow (KvToolbarPopup.cpp)
// ===========================================================================

class TKvToolbarPopupButton;

// The copy of a tool button (its mapped button) that the overflow popup
// shows. It looks and behaves like the mapped button, but a click on it
// only records the mapped button as the overflow button's choice and clicks
// the temporary toolbar, which closes the popup; the overflow button then
// clicks the mapped button.
class TKvPopupToolButton : public TKvToolButton {
public:
    LV_CLASS_NAME(TKvPopupToolButton)
    // AOwner must be a toolbar (the popup's temporary one), or nil;
    // anything else raises EInvalidCast.
    explicit TKvPopupToolButton(TComponent* AOwner);

    TKvToolbar* Toolbar() const { return FToolbar; }
    TKvToolButton* MappedButton() const { return FMappedButton; }
    TKvToolbarPopupButton* ToolbarPopupButton() const { return FToolbarPopupButton; }
    void SetToolbarPopupButton(TKvToolbarPopupButton* Value) { FToolbarPopupButton = Value; }

    // From a tool button: becomes its copy, taking its settings through
    // this button's own writers, with their side effects, in a fixed order.
    // Any other source is the framework's Assign.
    void Assign(TPersistent* Source) override;
    // Records the mapped button with the overflow button and clicks the
    // temporary toolbar; the copy's own OnClick or action never runs.
    void Click() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    TKvToolbar* FToolbar = nullptr;
    TKvToolButton* FMappedButton = nullptr;
    TKvToolbarPopupButton* FToolbarPopupButton = nullptr;
};

// The chevron at the right end of a toolbar that does not wrap its
// controls, shown by the toolbar while its last control runs past the right
// margin. Pressing and releasing it drops down a popup panel with a
// temporary toolbar of copies of the tool buttons that do not fit; clicking
// a copy closes the popup and then clicks the real button.
class TKvToolbarPopupButton : public TCustomControl {
public:
    LV_CLASS_NAME(TKvToolbarPopupButton)
    // AOwner is the toolbar the button serves.
    explicit TKvToolbarPopupButton(TComponent* AOwner);
    ~TKvToolbarPopupButton() override;

    // The one-pixel frame of the classic and gradient looks.
    TColor FrameColor() const { return FFrameColor; }
    virtual void SetFrameColor(TColor Value);
    TKvToolbar* Toolbar() const { return FToolbar; }
    // The real button picked in the popup; nil before each popup.
    TKvToolButton* SelectedButton() const { return FSelectedButton; }
    void SetSelectedButton(TKvToolButton* Value);
    // A mouse button went down on the chevron and is not up yet.
    bool Pressed() const { return FPressed; }
    // Drawn pressed: pressed with the pointer inside.
    bool Down() const { return FDown; }

    // Drops down the popup with copies of the tool buttons past the
    // toolbar's right margin and, once it has closed, clicks the real
    // button picked there. Nothing without a containing form.
    void DisplayButtons();

    void Notification(TComponent* AComponent, TOperation Operation) override;
    void WndProc(TMessage& Message) override;

protected:
    virtual void DrawBackground(const TRect& Bounds, bool Down);
    virtual void DrawChevron(const TRect& Bounds);
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

private:
    bool ThemedToolbar() const;

    TColor FFrameColor = clBtnShadow;
    TKvToolbar* FToolbar = nullptr;
    TKvToolButton* FSelectedButton = nullptr;
    bool FPressed = false;
    bool FDown = false;
};
