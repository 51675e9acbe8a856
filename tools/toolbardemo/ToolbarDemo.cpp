// toolbardemo: a window whose toolbar does not wrap its controls, with a
// split drop-down button (its face clicks, its arrow drops a menu down), a
// whole drop-down button (every press drops its menu down) and more buttons
// than fit, so that the overflow chevron shows at the toolbar's right end.
// What a click does shows in the status bar.
//
//   toolbardemo                     the window, on a display
//   toolbardemo --screenshots DIR   off screen: DIR/toolbardemo-overflow.png
//                                   (the chevron's popup open) and
//                                   DIR/toolbardemo-dropdown.png (a
//                                   drop-down menu open)

#include <cstdio>
#include <cstring>
#include <string>

#include "Forms.h"
#include "KvButton.h"
#include "KvPanel.h"
#include "Platform.h"
#include "PopupWindows.h"

extern const unsigned char ToolbarDemoPictures[];
extern const std::size_t ToolbarDemoPicturesSize;

namespace {

// Pictures of the strip (app/res/ImageList1.png).
enum : int { kOpen = 3, kInformation = 5, kWarning = 7, kError = 9, kSelectAll = 12, kCopy = 14, kExecute = 16 };

class TDemoForm : public TForm {
public:
    explicit TDemoForm(TComponent* AOwner) : TForm(AOwner) {
        SetCaption(u"Toolbar demo");
        SetBounds(0, 0, 210, 120);
        images_ = new TImageList(this);
        images_->AddImageData(ToolbarDemoPictures, ToolbarDemoPicturesSize);
        status_ = new TKvStatusBar(this);
        status_->SetSimpleStatus(true);
        status_->SetParent(this);
        toolbar = new TKvToolbar(this);
        toolbar->SetImages(images_);
        toolbar->SetWrapControls(false);
        toolbar->SetParent(this);

        openButton = AddButton(u"Open", kOpen);
        openButton->SetToolStyle(tsDropDown);
        openButton->SetDropDownMenu(Menu({u"&Recent: kel7.log", u"Recent: kel6.log", u"-", u"Clear the list"}));
        filterButton = AddButton(u"Filter", kInformation, false);
        filterButton->SetToolStyle(tsDropDown);
        filterButton->SetDropDownMenu(Menu({u"&Information", u"&Warning", u"&Error"}));
        AddSpacer();
        AddButton(u"Information", kInformation);
        AddButton(u"Warning", kWarning);
        AddButton(u"Error", kError);
        AddSpacer();
        AddButton(u"Select All", kSelectAll);
        AddButton(u"Copy", kCopy);
        AddButton(u"Execute", kExecute);
        // The toolbar decides on its chevron from the places of its last
        // layout: a second layout shows it.
        toolbar->Realign();
        Say(u"Try an arrow or the chevron");
    }

    TKvToolbar* toolbar = nullptr;
    TKvToolButton* openButton = nullptr;
    TKvToolButton* filterButton = nullptr;

private:
    void Say(const String& what) { status_->SetSimpleCaption(what); }

    TKvToolButton* AddButton(const String& caption, int image, bool clicks = true) {
        auto* b = new TKvToolButton(this);
        b->SetCaption(caption);
        b->SetHint(caption);
        b->SetImageIndex(image);
        if (clicks) b->OnClick = [this, caption](TObject*) { Say(u"Clicked " + caption); };
        b->SetParent(toolbar);
        return b;
    }

    void AddSpacer() {
        auto* spacer = new TKvSpacer(this);
        spacer->SetGrooved(true);
        spacer->SetParent(toolbar);
    }

    TPopupMenu* Menu(std::initializer_list<const char16_t*> captions) {
        auto* menu = new TPopupMenu(this);
        for (const char16_t* caption : captions) {
            auto* item = new TMenuItem(this);
            item->SetCaption(caption);
            item->OnClick = [this, item](TObject*) { Say(u"Chose " + item->Caption()); };
            menu->Items()->Add(item);
        }
        return menu;
    }

    TImageList* images_ = nullptr;
    TKvStatusBar* status_ = nullptr;
};

// The window with a pop-up over it, as they stand on the screen, on a plain
// margin, written to a PNG.
bool WriteScene(TWinControl& window, const TBitmap& popup, const TRect& popupBounds, const std::string& file) {
    TBitmap windowImage;
    window.GetImage(windowImage);
    const TPoint origin = window.ClientToScreen({0, 0});
    const TRect windowBounds = Bounds(origin.X, origin.Y, window.Width(), window.Height());
    const TRect all = InflateRect(UnionRect(windowBounds, popupBounds), 12, 12);
    TBitmap scene(all.Width(), all.Height());
    scene.Canvas().Brush().SetColor(RGB(96, 112, 128));
    scene.Canvas().FillRect(Rect(0, 0, all.Width(), all.Height()));
    scene.Canvas().Draw(windowBounds.Left - all.Left, windowBounds.Top - all.Top, windowImage);
    scene.Canvas().Draw(popupBounds.Left - all.Left, popupBounds.Top - all.Top, popup);
    return scene.SaveToFile(S(file));
}

void PressAndRelease(TWinControl* window, TPoint p) {
    SimulateMouseMove(window, p.X, p.Y);
    SimulateMouseDown(window, mbLeft, p.X, p.Y);
    SimulateMouseUp(window, mbLeft, p.X, p.Y);
}

int WriteScreenshots(const std::string& dir, int argc, char** argv) {
    StartPlatform(argc, argv, TPlatformMode::Offscreen);
    UseClassicPalette();
    int failures = 0;
    {
        TOwned<TDemoForm> form(new TDemoForm(nullptr));
        form->Show();
        ProcessPendingEvents();

        // The chevron's popup, with the pointer over the first copy.
        TKvPopupPanel::SetAutomation([&](TKvPopupPanel& panel) {
            auto* t = dynamic_cast<TKvToolbar*>(panel.Controls(0));
            TControl* first = t->ToolbarControls().Items(0)->Control();
            SimulateMouseMove(t, first->Left() + 5, first->Top() + 5);
            TBitmap image;
            panel.GetImage(image);
            if (!WriteScene(*form, image, panel.BoundsRect(), dir + "/toolbardemo-overflow.png")) ++failures;
        });
        TControl* chevron = form->toolbar->ToolbarPopupButton();
        if (!chevron || !chevron->Visible()) {
            std::fprintf(stderr, "toolbardemo: the toolbar shows no overflow chevron\n");
            ++failures;
        } else {
            PressAndRelease(form.get(), chevron->ClientToParent({7, 10}, form.get()));
        }
        TKvPopupPanel::SetAutomation(nullptr);

        // The split button's menu, dropped down by its arrow.
        TPopupMenu::SetAutomation([&](TPopupMenuDriver& d) {
            TBitmap image;
            d.GetImage(image);
            if (!WriteScene(*form, image, d.Bounds(), dir + "/toolbardemo-dropdown.png")) ++failures;
        });
        TKvToolButton* open = form->openButton;
        PressAndRelease(form.get(), open->ClientToParent({open->Width() - 7, 10}, form.get()));
        TPopupMenu::SetAutomation(nullptr);
    }
    StopPlatform();
    if (failures) std::fprintf(stderr, "toolbardemo: cannot write the screenshots into %s\n", dir.c_str());
    return failures ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--screenshots") == 0) return WriteScreenshots(argv[2], argc, argv);
    if (argc != 1) {
        std::fprintf(stderr, "usage: toolbardemo [--screenshots DIR]\n");
        return 1;
    }
    if (!DisplayAvailable()) {
        std::fprintf(stderr, "toolbardemo: no display available; use --screenshots DIR to run without one\n");
        return 1;
    }
    StartPlatform(argc, argv, TPlatformMode::Desktop);
    Application->Initialize();
    TDemoForm* form = nullptr;
    Application->CreateForm(form);
    Application->Run();
    Application->Free();
    StopPlatform();
    return 0;
}
