// customizedemo: a window with the main window's toolbar (its controls in
// their order, with their texts and pictures) and a "Customize" command that
// opens the toolbar customization dialog. The toolbar's layout lives in the
// INI file named on the command line: restored when the window opens, saved
// when the dialog closes.
//
//   customizedemo SETTINGS.ini
//   customizedemo --screenshot OUT.png SETTINGS.ini
//
// With --screenshot it runs off screen: it opens the dialog, writes a
// picture of the dialog over the window to OUT.png, closes the dialog and
// saves the layout. No window manager runs there, so the picture's window
// frames are drawn by the demo itself.

#include <cstdio>
#include <string>
#include <string_view>

#include "Forms.h"
#include "ImgList.h"
#include "KvButton.h"
#include "KvCommon.h"
#include "KvPanel.h"
#include "KvToolbarForm.h"
#include "Labels.h"
#include "Platform.h"
#include "StdCtrls.h"
#include "SysUtils.h"

extern const unsigned char ImageList1Png[];
extern const std::size_t ImageList1PngSize;

namespace {

constexpr std::string_view kLayout = R"(object DemoForm: TDemoForm
  Left = 0
  Top = 0
  Caption = 'Lumivar toolbar'
  ClientHeight = 350
  ClientWidth = 480
  Color = clBtnFace
  Font.Charset = DEFAULT_CHARSET
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'Tahoma'
  Font.Style = []
  OnCreate = FormCreate
  object KvToolbar1: TKvToolbar
    Left = 0
    Top = 0
    Width = 480
    Height = 29
    Images = ImageList1
    RegIniFile = KvRegIniFile1
    BorderInner = fsNone
    BorderOuter = fsGroove
    BorderSides = [sdTop]
    BorderWidth = 0
    ParentShowHint = False
    ShowHint = True
    TabOrder = 0
    ToolbarControls = (
      BtnExecute
      BtnOpen
      KvSpacer1
      BtnInformation
      BtnWarning
      BtnError
      KvSpacer2
      BtnSelectAll
      BtnCopy)
    object BtnOpen: TKvToolButton
      Hint = 'Abrir'
      Caption = 'Open'
      ImageIndex = 3
      DisabledIndex = 4
    end
    object BtnInformation: TKvToolButton
      Hint = 'Filtrar Info'
      Caption = 'Information'
      ImageIndex = 5
      DisabledIndex = 6
    end
    object BtnWarning: TKvToolButton
      Hint = 'Filtrar Aviso'
      Caption = 'Warning'
      ImageIndex = 7
      DisabledIndex = 8
    end
    object BtnError: TKvToolButton
      Hint = 'Filtrar Erro'
      Caption = 'Error'
      ImageIndex = 9
      DisabledIndex = 10
    end
    object KvSpacer1: TKvSpacer
    end
    object KvSpacer2: TKvSpacer
    end
    object BtnSelectAll: TKvToolButton
      Hint = 'Select All'
      Caption = 'Select All'
      ImageIndex = 12
      DisabledIndex = 13
    end
    object BtnCopy: TKvToolButton
      Hint = 'Copy'
      Caption = 'Copy'
      ImageIndex = 14
      DisabledIndex = 15
    end
    object BtnExecute: TKvToolButton
      Hint = 'Atualizar'
      Caption = 'Execute'
      ImageIndex = 16
      DisabledIndex = 17
    end
  end
  object BtnCustomize: TButton
    Left = 8
    Top = 40
    Width = 100
    Height = 25
    Caption = 'Customize'
    TabOrder = 1
    OnClick = BtnCustomizeClick
  end
  object LblFile: TLabel
    Left = 120
    Top = 46
  end
  object KvRegIniFile1: TKvRegIniFile
  end
  object ImageList1: TImageList
    Bitmap = {)";
constexpr std::string_view kLayoutTail = R"(}
  end
end
)";

std::string LayoutText() {
    return std::string(kLayout) + BinaryToText(ImageList1Png, ImageList1PngSize) + std::string(kLayoutTail);
}

String gSettingsFile;

class TDemoForm : public TForm {
public:
    LV_CLASS_NAME(TDemoForm)
    explicit TDemoForm(TComponent* AOwner) : TForm(AOwner) {
        RegisterField(u"KvToolbar1", KvToolbar1);
        RegisterField(u"BtnCustomize", BtnCustomize);
        RegisterField(u"LblFile", LblFile);
        RegisterField(u"KvRegIniFile1", KvRegIniFile1);
        RegisterMethod(u"FormCreate", [this](TObject*) { FormCreate(); });
        RegisterMethod(u"BtnCustomizeClick", [this](TObject*) { BtnCustomizeClick(); });
        ReadLayout(LayoutText());
    }

    TKvToolbar* KvToolbar1 = nullptr;
    TButton* BtnCustomize = nullptr;
    TLabel* LblFile = nullptr;
    TKvRegIniFile* KvRegIniFile1 = nullptr;

private:
    void FormCreate() {
        KvRegIniFile1->SetFileName(gSettingsFile);
        LblFile->SetCaption(u"Layout: " + DisplayFileName(ExpandFileName(gSettingsFile)));
        KvToolbar1->RestoreLayout();
    }

    void BtnCustomizeClick() {
        KvToolbar1->Customize(true);
        KvToolbar1->SaveLayout();
    }
};

void RegisterDemoClasses() {
    RegisterKvButtonClasses();
    RegisterKvToolbarFormClasses();
    RegisterImageListClasses();
    RegisterLabelClasses();
    TClassBuilder<TDemoForm>(u"TDemoForm", u"TForm");
}

// --- the picture -------------------------------------------------------------------

constexpr int kFrame = 4;     // a window's border
constexpr int kTitle = 19;    // its title bar

// A window's frame around its client picture, placed with the client's
// top-left corner at `at`: a raised border and a title bar.
void DrawWindow(TCanvas& canvas, TPoint at, const TBitmap& picture, const String& caption) {
    const TRect client = Bounds(at.X, at.Y, picture.Width(), picture.Height());
    TRect outer = InflateRect(client, kFrame, kFrame);
    outer.Top -= kTitle;
    canvas.Brush().SetColor(clBtnFace);
    canvas.FillRect(outer);
    DrawBorder(canvas, outer, fsRaised);
    const TRect title = Rect(client.Left, outer.Top + kFrame, client.Right, client.Top - 1);
    canvas.GradientFillRect(title, clActiveCaption, RGB(166, 202, 240), false);
    canvas.Font().SetName(u"Tahoma");
    canvas.Font().SetHeight(-11);
    canvas.Font().SetStyle(TFontStyles{fsBold});
    canvas.Font().SetColor(clCaptionText);
    canvas.Brush().SetStyle(bsClear);
    canvas.TextOut(title.Left + 4, title.Top + (title.Height() - canvas.TextHeight(caption)) / 2, caption);
    canvas.Brush().SetStyle(bsSolid);
    canvas.Draw(client.Left, client.Top, picture);
}

bool WriteScreenshot(TCustomForm& window, TCustomForm& dialog, const std::string& path) {
    TBitmap windowPicture, dialogPicture;
    window.GetWindowImage(windowPicture);
    dialog.GetWindowImage(dialogPicture);
    const TPoint windowAt = {kFrame, kFrame + kTitle};
    // The dialog stands where it is on the screen relative to the window.
    const TPoint dialogOrigin = dialog.ClientOrigin(), windowOrigin = window.ClientOrigin();
    const TPoint dialogAt = {windowAt.X + dialogOrigin.X - windowOrigin.X, windowAt.Y + dialogOrigin.Y - windowOrigin.Y};
    const int width = std::max(windowAt.X + windowPicture.Width(), dialogAt.X + dialogPicture.Width()) + kFrame;
    const int height = std::max(windowAt.Y + windowPicture.Height(), dialogAt.Y + dialogPicture.Height()) + kFrame;
    TBitmap sheet(width, height);
    sheet.Canvas().Brush().SetColor(clAppWorkSpace);
    sheet.Canvas().FillRect(Rect(0, 0, width, height));
    DrawWindow(sheet.Canvas(), windowAt, windowPicture, window.Caption());
    DrawWindow(sheet.Canvas(), dialogAt, dialogPicture, dialog.Caption());
    return sheet.SaveToFile(S(path));
}

int Usage() {
    std::fprintf(stderr, "usage: customizedemo [--screenshot OUT.png] SETTINGS.ini\n");
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    std::string screenshot, settings;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--screenshot" && i + 1 < argc) screenshot = argv[++i];
        else if (arg.rfind("--", 0) == 0 || !settings.empty()) return Usage();
        else settings = arg;
    }
    if (settings.empty()) return Usage();
    gSettingsFile = FileNameFromBytes(settings);
    const bool offscreen = !screenshot.empty();
    if (!offscreen && !DisplayAvailable()) {
        std::fprintf(stderr, "customizedemo: no display available; use --screenshot to run without one\n");
        return 1;
    }
    StartPlatform(argc, argv, offscreen ? TPlatformMode::Offscreen : TPlatformMode::Desktop);
    if (offscreen) UseClassicPalette();
    RegisterDemoClasses();
    Application->Initialize();
    Application->SetMainFormOnTaskBar(true);
    TDemoForm* window = nullptr;
    int status = 0;
    if (!offscreen) {
        Application->CreateForm(window);
        Application->Run();
    } else {
        Application->SetErrorDisplay(TErrorDisplay::StandardError);
        Application->CreateForm(window);
        window->Show();
        ProcessPendingEvents();
        bool written = false;
        TCustomForm::SetModalAutomation([&](TCustomForm& dialog) {
            ProcessPendingEvents();
            written = WriteScreenshot(*window, dialog, screenshot);
            dialog.SetModalResult(mrOk);
        });
        GuardEvent([window] { window->BtnCustomize->Click(); });
        TCustomForm::SetModalAutomation(nullptr);
        if (!written) {
            std::fprintf(stderr, "customizedemo: cannot write the screenshot '%s'\n", screenshot.c_str());
            status = 1;
        } else if (Application->ErrorCount() > 0) {
            status = 2;
        }
    }
    Application->Free();
    StopPlatform();
    return status;
}
