// The open-file dialog.
#pragma once

#include <functional>
#include <vector>

#include "Classes.h"

enum TOpenOption { ofReadOnly, ofOverwritePrompt, ofHideReadOnly, ofNoChangeDir, ofShowHelp, ofNoValidate,
                   ofAllowMultiSelect, ofExtensionDifferent, ofPathMustExist, ofFileMustExist, ofCreatePrompt,
                   ofShareAware, ofNoReadOnlyReturn, ofNoTestFileCreate, ofNoNetworkButton, ofNoLongNames,
                   ofOldStyleDialog, ofNoDereferenceLinks, ofEnableIncludeNotify, ofEnableSizing };
using TOpenOptions = Set<TOpenOption>;

// What a test (or a batch run) can do with a dialog that is on screen.
class TFileDialogDriver {
public:
    virtual ~TFileDialogDriver() = default;
    virtual String Title() const = 0;
    // The filters as the dialog shows them, e.g. "Lumivar (*.log)".
    virtual std::vector<String> NameFilters() const = 0;
    // The folder the dialog shows.
    virtual String Directory() const = 0;
    // Confirms a file name as typed (a relative one against the working
    // directory), whether or not it names a file; an empty name confirms
    // nothing and cancels.
    virtual void Accept(const String& fileName) = 0;
    virtual void Cancel() = 0;
};

class TOpenDialog : public TComponent {
public:
    LV_CLASS_NAME(TOpenDialog)
    explicit TOpenDialog(TComponent* AOwner);

    const String& Title() const { return title_; }
    void SetTitle(const String& v) { title_ = v; }
    // Pairs of a label and a pattern, each followed by "|" except the last.
    const String& Filter() const { return filter_; }
    void SetFilter(const String& v) { filter_ = v; }
    const String& FileName() const { return fileName_; }
    void SetFileName(const String& v) { fileName_ = v; }
    const String& InitialDir() const { return initialDir_; }
    void SetInitialDir(const String& v) { initialDir_ = v; }
    const String& DefaultExt() const { return defaultExt_; }
    void SetDefaultExt(const String& v) { defaultExt_ = v; }
    TOpenOptions Options() const { return options_; }
    void SetOptions(TOpenOptions v) { options_ = v; }

    // Shows the dialog modally; true when the user confirmed a file, whose
    // full path is then in FileName.
    bool Execute();

    // Called with a driver each time a dialog has been shown (tests).
    static void SetAutomation(std::function<void(TFileDialogDriver&)> automation);

private:
    String title_;
    String filter_;
    String fileName_;
    String initialDir_;
    String defaultExt_;
    TOpenOptions options_{ofHideReadOnly, ofEnableSizing};
};

// "Lumivar|*.log" -> {"Lumivar (*.log)"}.
std::vector<String> FilterToNameFilters(const String& filter);
