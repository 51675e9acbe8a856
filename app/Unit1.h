// The viewer's main window: loads a log file into the read-only view, colours
// each line's level field, counts the levels into the status panes and
// narrows the view to the lines of one level.
#pragma once

#include <exception>
#include <memory>

#include "FileWatcher.h"
#include "Forms.h"
#include "ImgList.h"
#include "KvButton.h"
#include "KvPanel.h"
#include "KvStatus.h"
#include "Menus.h"
#include "RichEdit.h"
#include "FindBar.h"
#include "ViewSearch.h"
#include "uLumivarCommons.h"

// Where the viewer looks for a log file when it starts.
inline const String DEFAULT_LOG_FILE = u"c:\\Talvenor\\kel_7\\kel7.log";

class TForm1 : public TForm {
public:
    LV_CLASS_NAME(TForm1)
    explicit TForm1(TComponent* AOwner);

    TKvToolbar* KvToolbar1 = nullptr;
    TImageList* ImageList1 = nullptr;
    TKvToolButton* BtnOpen = nullptr;
    TKvToolButton* BtnInformation = nullptr;
    TKvToolButton* BtnWarning = nullptr;
    TKvToolButton* BtnError = nullptr;
    TKvSpacer* KvSpacer1 = nullptr;
    TRichEdit* RichEdit1 = nullptr;
    TKvSpacer* KvSpacer2 = nullptr;
    TKvToolButton* BtnSelectAll = nullptr;
    TKvToolButton* BtnCopy = nullptr;
    TKvToolButton* BtnExecute = nullptr;
    TKvStatusBar* KvStatusBar1 = nullptr;
    TKvStatusPane* KvStatusPane1 = nullptr;
    TKvStatusPane* KvStatusPane2 = nullptr;
    TKvStatusPane* KvStatusPane3 = nullptr;
    TKvProgressStatus* KvProgressStatus1 = nullptr;

    void FormCreate(TObject* Sender);
    void BtnExecuteClick(TObject* Sender);
    void BtnOpenClick(TObject* Sender);
    void BtnInformationClick(TObject* Sender);
    void BtnWarningClick(TObject* Sender);
    void BtnErrorClick(TObject* Sender);
    void BtnSelectAllClick(TObject* Sender);
    void BtnCopyClick(TObject* Sender);

    void loadFile();
    void filterFile(const String& level);
    void colorFile();

    String getLevel(const String& line) const;
    TColor getColorLevel(const String& level) const;
    int getLevelCount(const String& level) const;
    int getInfoCount() const;
    int getWarnCount() const;
    int getErrorCount() const;

    const String& FileName() const { return FFileName; }
    // Searching the view, and the find bar (made when first asked for).
    TViewSearch& Search();
    TFindBar& FindBar();
    // Asks for a line number and puts the caret at the start of that line.
    void GoToLine();
    // After a level filter: reloads the whole file as Refresh does and puts
    // the caret on the record that the caret was on, in the middle of the
    // view. Nothing happens when the view is not a filter's result.
    void ShowInFullLog();
    bool CanShowInFullLog() const;
    // The view's context menu (made when first asked for): Copy, Select
    // All, Find..., Go to Line..., Show in full log (enabled after a filter),
    // Follow File (checked while following).
    TPopupMenu& ViewMenu();
    // The window's keys: Ctrl+F find, F3 / Shift+F3 next and previous,
    // Ctrl+G go to line, Ctrl+Enter show in full log, F5 refresh, Ctrl+O open.
    void FormKeyDown(TObject* Sender, unsigned short& Key, TShiftState Shift);

    void WndProc(TMessage& Message) override;
    // Follow mode (off at start; the key F in the view toggles it): while
    // on, whole lines appended to the file join the view as they are
    // written, coloured and counted as a load would, only those of the
    // filtered level after a filter; the view stays at the end when it was
    // there. A file that shrank or was replaced is loaded again from its
    // start, with a note in the status bar's hint.
    void ToggleFollow();
    bool Following() const { return FWatcher != nullptr; }

    // The file the window opens at start instead of the default path (the
    // command line's FILE); empty for the default.
    static void SetStartupFileName(const String& fileName);

protected:
    // Stops the count and unhooks the search from the view before the
    // window's controls go.
    void BeforeDestruction() override;

private:
    // FFileName := fileName and loadFile: what a confirmed open dialog and a
    // file dropped on the window do.
    void OpenFile(const String& fileName);
    // The view now holds the text of fileName: the title names it ("a.log —
    // Lumivar") and the status bar's hint gives its full path (the window's
    // title has no hint of its own).
    void ShowFileName(const String& fileName);
    // The error of the load at start, shown once the window is on screen.
    void ShowStartError();

    // How many of the view's lines carry each level.
    struct TLevelCounts {
        int Info = 0;
        int Warn = 0;
        int Error = 0;
        void Add(const String& level) {
            if (level == INFO_LEVEL) ++Info;
            else if (level == WARN_LEVEL) ++Warn;
            else if (level == ERROR_LEVEL) ++Error;
        }
    };
    // The colouring pass of colorFile; it reads every line's level anyway,
    // so it also counts them.
    TLevelCounts ColourAndCountLines();
    void ShowCounts(const TLevelCounts& counts);

    // Follow mode: one step on every notification of the watcher.
    void ViewKeyDown(TObject* Sender, unsigned short& Key, TShiftState Shift);
    void FollowFile();
    TFileGrowth TakeAppendedLines();
    // Colours the view's lines from First on as colorFile does, leaving the
    // selection and the scroll position alone.
    void ColourNewLines(int First);
    // Loads the followed file again as the view shows it (whole or filtered).
    void ReloadFollowed();
    bool ViewAtEnd() const;

    String FFileName;
    // The file whose text the view holds (empty before one is shown), and
    // the window's stored caption, the program's name.
    String FShownFileName;
    String FProgramName;
    std::exception_ptr FStartError;
    std::unique_ptr<TViewSearch> FSearch;
    TFindBar* FFindBar = nullptr;
    TPopupMenu* FViewMenu = nullptr;
    TMenuItem* FShowInFullLogItem = nullptr;
    TMenuItem* FFollowItem = nullptr;
    // The view holds a level filter's lines (not the whole file).
    bool FFiltered = false;
    // The counts the panes show, kept up to date by follow mode.
    TLevelCounts FCounts;
    // The level of the last filter (empty when the view holds the whole
    // file), and the filter's lines of the whole file, from which follow
    // mode takes the appended lines of that level.
    String FFilterLevel;
    std::unique_ptr<TStringList> FFilterSource;
    std::unique_ptr<TFileWatcher> FWatcher;  // while following
    String FWatchedName;
};

extern TForm1* Form1;

// Registers the window's classes for its stored layout.
void RegisterViewerClasses();
