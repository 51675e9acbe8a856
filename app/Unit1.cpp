#include "Unit1.h"

#include <unistd.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

#include "Dialogs.h"
#include "DragDrop.h"
#include "GoToLine.h"
#include "Resources.h"
#include "Strings.h"
#include "SysUtils.h"
#include "TextFile.h"
#include "ToolkitClasses.h"
#include "uLumivarCommons.h"

TForm1* Form1 = nullptr;

namespace {

String gStartupFileName;

// What a view without lines shows in its middle.
const String kEmptyViewHint = u"No log lines \u2014 open a file with Ctrl+O or drop one here";

// Raises the loaders' own error ("Cannot open file ...") for a file that
// they cannot open.
void RaiseOpenError(const String& fileName) { ::close(OpenForReading(fileName)); }

// Posted to the window once it is shown, when the load at start failed.
constexpr unsigned WM_SHOWSTARTERROR = WM_USER + 1;

// Columns of the level field (1-based 25 to 31) as 0-based offsets.
constexpr int kLevelFieldStart = 24;  // the character before the level code
constexpr int kLevelCodeStart = 25;   // first character of the code
constexpr int kLevelCodeLength = 5;
constexpr int kLevelFieldLength = 7;  // code and one character on each side
constexpr int kMessageStart = 31;     // first character of the message

// The level code of line Index, read straight from the list's line store:
// getLevel(Lines[Index]) without building the whole line.
String LevelCode(const TStrings& lines, int index) { return lines.Mid(index, kLevelCodeStart, kLevelCodeLength); }

constexpr std::string_view kLayout = R"(object Form1: TForm1
  Left = 0
  Top = 0
  Caption = 'Lumivar'
  ClientHeight = 527
  ClientWidth = 1025
  Color = clBtnFace
  Font.Charset = DEFAULT_CHARSET
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'Tahoma'
  Font.Style = []
  Position = poScreenCenter
  ScreenSnap = True
  PixelsPerInch = 96
  OnCreate = FormCreate
  object KvToolbar1: TKvToolbar
    Left = 0
    Top = 0
    Width = 1025
    Height = 29
    Images = ImageList1
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
      Left = 29
      Top = 2
      Hint = 'Abrir'
      Caption = 'Open'
      ImageIndex = 3
      DisabledIndex = 4
      OnClick = BtnOpenClick
    end
    object BtnInformation: TKvToolButton
      Left = 62
      Top = 2
      Hint = 'Filtrar Info'
      Caption = 'Information'
      ImageIndex = 5
      DisabledIndex = 6
      OnClick = BtnInformationClick
    end
    object BtnWarning: TKvToolButton
      Left = 87
      Top = 2
      Hint = 'Filtrar Aviso'
      Caption = 'Warning'
      ImageIndex = 7
      DisabledIndex = 8
      OnClick = BtnWarningClick
    end
    object BtnError: TKvToolButton
      Left = 112
      Top = 2
      Hint = 'Filtrar Erro'
      Caption = 'Error'
      ImageIndex = 9
      DisabledIndex = 10
      OnClick = BtnErrorClick
    end
    object KvSpacer1: TKvSpacer
      Left = 54
      Top = 2
    end
    object KvSpacer2: TKvSpacer
      Left = 137
      Top = 2
    end
    object BtnSelectAll: TKvToolButton
      Left = 145
      Top = 2
      Hint = 'Select All'
      Caption = 'Select All'
      ImageIndex = 12
      DisabledIndex = 13
      OnClick = BtnSelectAllClick
    end
    object BtnCopy: TKvToolButton
      Left = 170
      Top = 2
      Hint = 'Copy'
      Caption = 'Copy'
      ImageIndex = 14
      DisabledIndex = 15
      OnClick = BtnCopyClick
    end
    object BtnExecute: TKvToolButton
      Left = 4
      Top = 2
      Hint = 'Atualizar'
      Caption = 'Execute'
      ImageIndex = 16
      DisabledIndex = 17
      OnClick = BtnExecuteClick
    end
  end
  object RichEdit1: TRichEdit
    Left = 0
    Top = 29
    Width = 1025
    Height = 479
    Align = alClient
    Font.Charset = ANSI_CHARSET
    Font.Color = clWindowText
    Font.Height = -13
    Font.Name = 'Consolas'
    Font.Style = []
    ParentFont = False
    ReadOnly = True
    ScrollBars = ssVertical
    TabOrder = 1
    WordWrap = False
  end
  object KvStatusBar1: TKvStatusBar
    Left = 0
    Top = 508
    Width = 1025
    Height = 19
    Align = alBottom
    BorderInner = fsNone
    BorderOuter = fsNone
    BorderSides = [sdLeft, sdTop, sdRight, sdBottom]
    BorderWidth = 0
    TabOrder = 2
    object KvStatusPane1: TKvStatusPane
      Left = 0
      Top = 0
      Width = 100
      Height = 19
      Align = alLeft
    end
    object KvStatusPane2: TKvStatusPane
      Left = 100
      Top = 0
      Width = 100
      Height = 19
      Align = alLeft
    end
    object KvStatusPane3: TKvStatusPane
      Left = 200
      Top = 0
      Width = 100
      Height = 19
      Align = alLeft
    end
    object KvProgressStatus1: TKvProgressStatus
      Left = 300
      Top = 0
      Width = 100
      Height = 19
      Align = alLeft
      Visible = False
      ShowPercent = True
      ShowParts = True
      PartsComplete = 0
      TotalParts = 0
      Percent = 0
      ParentShowHint = False
    end
  end
  object ImageList1: TImageList
    Bitmap = {)";
// The rest of the layout after ImageList1's pictures, which are the
// program's embedded strip (see LayoutText).
constexpr std::string_view kLayoutAfterImages = R"(}
  end
end
)";

// The window's stored layout, ImageList1's pictures written in as the
// binary value of its "Bitmap".
const std::string& LayoutText() {
    static const std::string text =
        std::string(kLayout) + BinaryToText(ImageList1Png, ImageList1PngSize) + std::string(kLayoutAfterImages);
    return text;
}

// Ends a view's update bracket on every way out of a scope. Closing it
// scrolls to the caret and repaints, which can fail (memory may be short);
// the bracket is closed all the same, and since no error may leave a
// destructor, the failure goes to the error box from here.
class TUpdateBracket {
public:
    explicit TUpdateBracket(TStrings& lines) : lines_(lines) { lines_.BeginUpdate(); }
    ~TUpdateBracket() {
        RunCleanup([this] { lines_.EndUpdate(); });
    }
    TUpdateBracket(const TUpdateBracket&) = delete;
    TUpdateBracket& operator=(const TUpdateBracket&) = delete;

private:
    TStrings& lines_;
};

}  // namespace

void TForm1::SetStartupFileName(const String& fileName) { gStartupFileName = fileName; }

TForm1::TForm1(TComponent* AOwner) : TForm(AOwner) {
    RegisterViewerClasses();
    RegisterField(u"KvToolbar1", KvToolbar1);
    RegisterField(u"ImageList1", ImageList1);
    RegisterField(u"BtnOpen", BtnOpen);
    RegisterField(u"BtnInformation", BtnInformation);
    RegisterField(u"BtnWarning", BtnWarning);
    RegisterField(u"BtnError", BtnError);
    RegisterField(u"KvSpacer1", KvSpacer1);
    RegisterField(u"RichEdit1", RichEdit1);
    RegisterField(u"KvSpacer2", KvSpacer2);
    RegisterField(u"BtnSelectAll", BtnSelectAll);
    RegisterField(u"BtnCopy", BtnCopy);
    RegisterField(u"BtnExecute", BtnExecute);
    RegisterField(u"KvStatusBar1", KvStatusBar1);
    RegisterField(u"KvStatusPane1", KvStatusPane1);
    RegisterField(u"KvStatusPane2", KvStatusPane2);
    RegisterField(u"KvStatusPane3", KvStatusPane3);
    RegisterField(u"KvProgressStatus1", KvProgressStatus1);
    RegisterMethod(u"FormCreate", [this](TObject* s) { FormCreate(s); });
    RegisterMethod(u"BtnExecuteClick", [this](TObject* s) { BtnExecuteClick(s); });
    RegisterMethod(u"BtnOpenClick", [this](TObject* s) { BtnOpenClick(s); });
    RegisterMethod(u"BtnInformationClick", [this](TObject* s) { BtnInformationClick(s); });
    RegisterMethod(u"BtnWarningClick", [this](TObject* s) { BtnWarningClick(s); });
    RegisterMethod(u"BtnErrorClick", [this](TObject* s) { BtnErrorClick(s); });
    RegisterMethod(u"BtnSelectAllClick", [this](TObject* s) { BtnSelectAllClick(s); });
    RegisterMethod(u"BtnCopyClick", [this](TObject* s) { BtnCopyClick(s); });
    ReadLayout(LayoutText());
    FProgramName = Caption();
    RichEdit1->SetEmptyHint(kEmptyViewHint);
    AcceptDroppedFiles(this, [this](TObject*, const std::vector<String>& files) { OpenFile(files.front()); });
    OnKeyDown = [this](TObject* s, unsigned short& key, TShiftState shift) { FormKeyDown(s, key, shift); };
    RichEdit1->OnContextPopup = [this](TObject*, TPoint at) { ViewMenu().Popup(at.X, at.Y); };
    RichEdit1->OnKeyDown = [this](TObject* s, unsigned short& key, TShiftState shift) { ViewKeyDown(s, key, shift); };
}

void TForm1::WndProc(TMessage& Message) {
    if (Message.Msg == WM_SHOWSTARTERROR) {
        ShowStartError();
        return;
    }
    TForm::WndProc(Message);
    if (Message.Msg == CM_VISIBLECHANGED && Visible() && FStartError) PostMessage(this, WM_SHOWSTARTERROR, 0, 0);
}

void TForm1::ShowStartError() {
    if (!FStartError) return;
    std::rethrow_exception(std::exchange(FStartError, nullptr));
}

void TForm1::OpenFile(const String& fileName) {
    FFileName = fileName;
    loadFile();
}

void TForm1::ShowFileName(const String& fileName) {
    FShownFileName = fileName;
    SetCaption(DisplayFileName(ExtractFileName(fileName)) + u" \u2014 " + FProgramName);
    KvStatusBar1->SetHint(DisplayFileName(ExpandFileName(fileName)));
    KvStatusBar1->SetShowHint(true);
}

// --- event handlers --------------------------------------------------------

void TForm1::FormCreate(TObject*) {
    FFileName = gStartupFileName.empty() ? DEFAULT_LOG_FILE : gStartupFileName;
    // A load that fails is reported once the window is on screen, not
    // before it. A FILE named on the command line that is missing, or is no
    // file, is reported too (the view stays empty, the counts 0); the
    // default path stays silent.
    try {
        loadFile();
        if (!gStartupFileName.empty() && !FileExists(FFileName)) RaiseOpenError(FFileName);
    } catch (const std::exception&) {
        FStartError = std::current_exception();
    }
}

void TForm1::BtnExecuteClick(TObject*) { loadFile(); }

void TForm1::BtnOpenClick(TObject*) {
    std::unique_ptr<TOpenDialog, TComponentDeleter> dialog(new TOpenDialog(this));
    dialog->SetTitle(u"Abrir Arquivo de Log");
    dialog->SetFilter(u"Lumivar|*.log");
    if (!FShownFileName.empty()) dialog->SetInitialDir(ExtractFileDir(ExpandFileName(FShownFileName)));
    if (dialog->Execute()) OpenFile(dialog->FileName());
}

void TForm1::BtnInformationClick(TObject*) { filterFile(INFO_LEVEL); }
void TForm1::BtnWarningClick(TObject*) { filterFile(WARN_LEVEL); }
void TForm1::BtnErrorClick(TObject*) { filterFile(ERROR_LEVEL); }
void TForm1::BtnSelectAllClick(TObject*) { RichEdit1->SelectAll(); }
void TForm1::BtnCopyClick(TObject*) { RichEdit1->CopyToClipboard(); }

// --- loading, colouring, filtering -------------------------------------------

void TForm1::loadFile() {
    if (FileExists(FFileName)) {
        RichEdit1->Lines()->LoadFromFile(FFileName);
        ShowFileName(FFileName);
        FFiltered = false;
        FFilterLevel.clear();
        FFilterSource.reset();
    }
    // The counts are those of getInfoCount, getWarnCount and getErrorCount,
    // taken by the colouring pass: a gigabyte log is read once, not four
    // times. Nothing paints between the captions and the colours.
    ShowCounts(ColourAndCountLines());
    // Another file may have been opened.
    if (FWatcher && FWatchedName != FFileName) {
        FWatchedName = FFileName;
        FWatcher->Watch(FFileName);
    }
}

void TForm1::ShowCounts(const TLevelCounts& counts) {
    FCounts = counts;
    KvStatusPane1->SetCaption(u"Info: " + IntToStr(counts.Info));
    KvStatusPane2->SetCaption(u"Warn: " + IntToStr(counts.Warn));
    KvStatusPane3->SetCaption(u"Error: " + IntToStr(counts.Error));
}

void TForm1::colorFile() { ColourAndCountLines(); }

// The two runs colorFile gives line Line of length L at view position Pos:
// the level field's colour, kept inside the line, and the bold message with
// the line's break (none for a line shorter than 31 characters).
struct TLineFormatRuns {
    TTextPosition ColourStart;
    int ColourLength;
    TTextPosition BoldStart;
    int BoldLength;
};

static TLineFormatRuns LineFormatRuns(TTextPosition Pos, int L) {
    return {Pos + kLevelFieldStart, std::clamp(L - kLevelFieldStart, 0, kLevelFieldLength), Pos + kMessageStart, L - 30};
}

TForm1::TLevelCounts TForm1::ColourAndCountLines() {
    TLevelCounts counts;
    TStrings& lines = *RichEdit1->Lines();
    TUpdateBracket bracket(lines);
    long long ii = 0;
    const int n = lines.Count();
    for (int i = 0; i < n; ++i) {
        const int L = lines.Length(i);
        const String level = LevelCode(lines, i);
        counts.Add(level);
        const TLineFormatRuns runs = LineFormatRuns(ii + i, L);
        RichEdit1->SetSelStart(runs.ColourStart);
        // The colour run stays inside its own line: a line too short for the
        // whole field keeps only the part that lies within it, so no line's
        // colour spills into the next record.
        RichEdit1->SetSelLength(runs.ColourLength);
        RichEdit1->SelAttributes().SetColor(getColorLevel(level));
        RichEdit1->SetSelStart(runs.BoldStart);
        ii += L;
        // Negative for lines shorter than 30 characters: an empty selection,
        // so such a line gets no bold run.
        RichEdit1->SetSelLength(runs.BoldLength);
        RichEdit1->SelAttributes().SetStyle(TFontStyles{fsBold});
    }
    RichEdit1->SetSelStart(0);
    RichEdit1->SetSelLength(0);
    return counts;
}

void TForm1::filterFile(const String& level) {
    KvProgressStatus1->SetVisible(true);
    Update();
    auto log = std::make_unique<TStringList>();
    log->LoadFromFile(FFileName);
    KvProgressStatus1->SetTotalParts(log->Count());
    TStrings& lines = *RichEdit1->Lines();
    {
        // A failure part way still closes the bracket and hides the progress
        // pane, so the view does not stay frozen with a stale progress bar.
        TUpdateBracket bracket(lines);
        try {
            lines.Clear();
            FFiltered = true;
            const int n = log->Count();
            for (int i = 0; i < n; ++i) {
                if (LevelCode(*log, i) == level) lines.AddFrom(*log, i);
                KvProgressStatus1->SetPartsComplete(i + 1);
                Update();
            }
        } catch (...) {
            KvProgressStatus1->SetVisible(false);
            throw;
        }
    }
    if (FFileName != FShownFileName) ShowFileName(FFileName);
    colorFile();
    KvProgressStatus1->SetVisible(false);
    // Follow mode takes the lines appended later from the same index; the
    // view shares it with the list whenever a line matched.
    FFilterLevel = level;
    FFilterSource = std::move(log);
}

// --- follow mode ---------------------------------------------------------------

// The status bar's hint after the followed file was loaded again.
static String ReloadNotice(const String& fileName) {
    String notice = u"\"";
    notice += DisplayFileName(ExpandFileName(fileName));
    notice += u"\" was truncated or replaced; loaded again from its start";
    return notice;
}

void TForm1::ViewKeyDown(TObject*, unsigned short& Key, TShiftState Shift) {
    if (Key == 'F' && !Shift.Contains(ssCtrl) && !Shift.Contains(ssAlt) && !Shift.Contains(ssShift)) {
        Key = 0;
        ToggleFollow();
    }
}

void TForm1::ToggleFollow() {
    if (FWatcher) {
        FWatcher.reset();
        FWatchedName.clear();
        return;
    }
    auto watcher = std::make_unique<TFileWatcher>();
    watcher->OnChange = [this] { FollowFile(); };
    watcher->Watch(FFileName);  // a missing folder leaves nothing to follow, but the mode stays on
    FWatcher = std::move(watcher);
    FWatchedName = FFileName;
    // What was appended while the mode was off joins the view at once.
    FollowFile();
}

bool TForm1::ViewAtEnd() const {
    return RichEdit1->TopLine() + RichEdit1->VisibleLineCount() >= RichEdit1->Lines()->Count();
}

void TForm1::FollowFile() {
    const bool atEnd = ViewAtEnd();
    try {
        switch (TakeAppendedLines()) {
            case TFileGrowth::None:
            case TFileGrowth::Lines:
                break;
            case TFileGrowth::Rewritten:
                // Renamed away and nothing under its name yet: wait for the
                // file that takes the name.
                if (!FileExists(FFileName)) break;
                ReloadFollowed();
                KvStatusBar1->SetHint(ReloadNotice(FFileName));
                break;
            case TFileGrowth::NotIndexable: {
                // Grew where the index cannot follow in place (an empty file
                // got its first lines, the last line had no break): load it
                // again quietly, keeping the user's place.
                if (!FileExists(FFileName)) break;
                const int top = RichEdit1->TopLine();
                ReloadFollowed();
                RichEdit1->SetTopLine(top);
                break;
            }
        }
    } catch (const Exception& e) {
        // Told once per change of the file in the hint, never in an error
        // box that each further write of the file would show again.
        KvStatusBar1->SetHint(e.Message());
    }
    if (atEnd) RichEdit1->SetTopLine(RichEdit1->Lines()->Count());
}

TFileGrowth TForm1::TakeAppendedLines() {
    auto& lines = static_cast<TRichTextLines&>(*RichEdit1->Lines());
    const int first = lines.Count();
    TLevelCounts counts = FCounts;
    TFileGrowth growth;
    if (FFilterLevel.empty()) {
        growth = lines.ExtendFromFile();
        for (int i = first; i < lines.Count(); ++i) counts.Add(LevelCode(lines, i));
    } else if (FFilterSource) {
        const int firstOfFile = FFilterSource->Count();
        // The view's lines share the list's file index, which grows here.
        RichEdit1->Document().TextChanging();
        growth = FFilterSource->ExtendFromFile();
        TUpdateBracket bracket(lines);
        for (int i = firstOfFile; i < FFilterSource->Count(); ++i) {
            const String level = LevelCode(*FFilterSource, i);
            counts.Add(level);
            if (level == FFilterLevel) lines.AddFrom(*FFilterSource, i);
        }
    } else {
        growth = TFileGrowth::NotIndexable;
    }
    if (growth == TFileGrowth::Lines) {
        ColourNewLines(first);
        ShowCounts(counts);
    }
    return growth;
}

void TForm1::ColourNewLines(int First) {
    TRichTextDocument& document = RichEdit1->Document();
    TStrings& lines = document.Lines();
    TUpdateBracket bracket(lines);
    // Each run ends where it was applied, so the added lines start from
    // the default format, as loaded lines do.
    TFormatChange colour{TFormatChange::SetColor, clDefault, {}};
    const TFormatChange bold{TFormatChange::SetStyle, clDefault, TFontStyles{fsBold}};
    TTextPosition pos = document.LinePosition(First);
    const int n = lines.Count();
    for (int i = First; i < n; ++i) {
        const int L = lines.Length(i);
        const TLineFormatRuns runs = LineFormatRuns(pos, L);
        colour.Color = ColorToRGB(getColorLevel(LevelCode(lines, i)));
        document.ApplyFormat(runs.ColourStart, runs.ColourStart + runs.ColourLength, colour);
        if (runs.BoldLength > 0) document.ApplyFormat(runs.BoldStart, runs.BoldStart + runs.BoldLength, bold);
        pos += L + 1;
    }
}

void TForm1::ReloadFollowed() {
    const String level = FFilterLevel;
    loadFile();
    if (!level.empty()) filterFile(level);
}

// --- levels ----------------------------------------------------------------

String TForm1::getLevel(const String& line) const {
    if (line.size() <= static_cast<size_t>(kLevelCodeStart)) return String();
    return line.substr(kLevelCodeStart, kLevelCodeLength);
}

TColor TForm1::getColorLevel(const String& level) const {
    if (level == INFO_LEVEL) return clBlue;
    if (level == ERROR_LEVEL) return clRed;
    if (level == WARN_LEVEL) return clOlive;
    return clBlack;
}

int TForm1::getLevelCount(const String& level) const {
    const TStrings& lines = *RichEdit1->Lines();
    const int n = lines.Count();
    int count = 0;
    for (int i = 0; i < n; ++i)
        if (LevelCode(lines, i) == level) ++count;
    return count;
}

int TForm1::getInfoCount() const { return getLevelCount(INFO_LEVEL); }
int TForm1::getWarnCount() const { return getLevelCount(WARN_LEVEL); }
int TForm1::getErrorCount() const { return getLevelCount(ERROR_LEVEL); }

void RegisterViewerClasses() {
    RegisterToolkitClasses();
    RegisterKvButtonClasses();
    RegisterRichEditClasses();
    RegisterKvStatusClasses();
    RegisterClassesOnce([] { TClassBuilder<TForm1>(u"TForm1", u"TForm"); });
}

TViewSearch& TForm1::Search() {
    if (!FSearch) FSearch = std::make_unique<TViewSearch>(*RichEdit1);
    return *FSearch;
}

void TForm1::BeforeDestruction() {
    if (RichEdit1) RichEdit1->OnMarkLine = nullptr;
    FSearch.reset();
    TForm::BeforeDestruction();
}

TFindBar& TForm1::FindBar() {
    if (!FFindBar) FFindBar = new TFindBar(this, KvStatusBar1, RichEdit1, Search());
    return *FFindBar;
}

void TForm1::GoToLine() {
    const int count = RichEdit1->Lines()->Count();
    if (count == 0) return;
    const std::optional<int> line = AskForLine(Application, count);
    if (!line) return;
    RichEdit1->SetSelStart(RichEdit1->Document().LinePosition(*line - 1));
    RichEdit1->SetSelLength(0);  // scrolls the caret into view
    RichEdit1->SetFocus();
}

bool TForm1::CanShowInFullLog() const { return FFiltered; }

TPopupMenu& TForm1::ViewMenu() {
    if (FViewMenu) return *FViewMenu;
    FViewMenu = new TPopupMenu(this);
    auto add = [this](const String& caption, std::function<void()> command) {
        auto* item = new TMenuItem(FViewMenu);
        item->SetCaption(caption);
        if (command) item->OnClick = [command](TObject*) { command(); };
        FViewMenu->Items()->Add(item);
        return item;
    };
    add(u"Copy", [this] { RichEdit1->CopyToClipboard(); });
    add(u"Select All", [this] { RichEdit1->SelectAll(); });
    add(u"-", nullptr);
    add(u"Find\u2026", [this] { FindBar().Open(); });
    add(u"Go to Line\u2026", [this] { GoToLine(); });
    add(u"-", nullptr);
    FShowInFullLogItem = add(u"Show in full log", [this] { ShowInFullLog(); });
    add(u"-", nullptr);
    FFollowItem = add(u"Follow File", [this] { ToggleFollow(); });
    FViewMenu->OnPopup = [this](TObject*) {
        FShowInFullLogItem->SetEnabled(CanShowInFullLog());
        FFollowItem->SetChecked(Following());
    };
    return *FViewMenu;
}

void TForm1::ShowInFullLog() {
    if (!FFiltered) return;
    // The filter's lines share the file's and carry their numbers in it.
    TRichTextDocument& document = RichEdit1->Document();
    const int line = document.LineAtPosition(document.CaretPosition());
    int fileLine = -1;
    if (line >= document.Store().Count() || !document.Store().FileLineOf(line, fileLine)) return;
    loadFile();
    if (fileLine >= document.Store().Count()) return;
    RichEdit1->SetSelStart(document.LinePosition(fileLine));
    RichEdit1->SetSelLength(0);
    RichEdit1->SetTopLine(std::max(0, fileLine - RichEdit1->VisibleLineCount() / 2));
    RichEdit1->SetFocus();
}

void TForm1::FormKeyDown(TObject*, unsigned short& key, TShiftState shift) {
    const bool ctrl = shift.Contains(ssCtrl);
    if (ctrl && (key == 'F' || key == 'f')) {
        FindBar().Open();
    } else if (key == VK_F3 && !ctrl) {
        // Without a bar there is nothing to find yet: F3 opens it.
        if (!FFindBar || !FFindBar->Visible()) FindBar().Open();
        else if (shift.Contains(ssShift)) FFindBar->FindPrevious();
        else FFindBar->FindNext();
    } else if (ctrl && (key == 'G' || key == 'g')) {
        GoToLine();
    } else if (ctrl && key == VK_RETURN) {
        ShowInFullLog();
    } else if (key == VK_F5 && shift.Empty()) {
        BtnExecuteClick(BtnExecute);
    } else if (ctrl && (key == 'O' || key == 'o')) {
        BtnOpenClick(BtnOpen);
    } else {
        return;
    }
    key = 0;
}
