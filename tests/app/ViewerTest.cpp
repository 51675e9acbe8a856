#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "AllocationLimit.h"
#include "Clipbrd.h"
#include "Dialogs.h"
#include "FileLines.h"
#include "FifoWriter.h"
#include "Forms.h"
#include "PixelPicture.h"
#include "Platform.h"
#include "SysUtils.h"
#include "TempDir.h"
#include "TextFile.h"
#include "Unit1.h"

namespace {

namespace fs = std::filesystem;

// A scratch directory of log files for one test.
class TLogFiles {
public:
    String Write(const std::string& name, const std::string& bytes) const {
        return S(dir_.Write(name, bytes).string());
    }
    String Path(const std::string& name) const { return S((dir_ / name).string()); }

private:
    TTempDir dir_{"lumivar-viewer"};
};

std::string Line(const std::string& level, const std::string& message) {
    return "2026-12-10 08:00:00.000 [" + level + "] " + message;
}

// Makes a hook of the view's document fail once, as running out of memory
// there would, when armed; puts the hook back when it goes.
class TFailingHook {
public:
    explicit TFailingHook(std::function<void()>& hook) : hook_(hook), original_(hook) {
        hook_ = [this] {
            if (std::exchange(armed, false)) throw std::bad_alloc();
            original_();
        };
    }
    ~TFailingHook() { hook_ = std::move(original_); }
    TFailingHook(const TFailingHook&) = delete;
    TFailingHook& operator=(const TFailingHook&) = delete;

    bool armed = false;

private:
    std::function<void()>& hook_;
    std::function<void()> original_;
};

// The viewer's window with the error boxes collected instead of shown.
class Viewer : public ::testing::Test {
protected:
    void SetUp() override {
        Application->Initialize();
        Application->SetErrorDisplay(TErrorDisplay::StandardError);
        Application->OnErrorShown = [this](const String&, const String& message) { errors.push_back(message); };
    }
    void TearDown() override {
        Application->OnErrorShown = nullptr;
        TOpenDialog::SetAutomation(nullptr);
        TForm1::SetStartupFileName(String());
    }
    TOwned<TForm1> Open(const String& fileName) {
        TForm1::SetStartupFileName(fileName);
        TOwned<TForm1> form(new TForm1(nullptr));
        form->DoCreate();
        return form;
    }
    static std::vector<String> Panes(TForm1& f) {
        return {f.KvStatusPane1->Caption(), f.KvStatusPane2->Caption(), f.KvStatusPane3->Caption()};
    }
    static std::vector<String> ViewLines(TForm1& f) {
        std::vector<String> out;
        for (int i = 0; i < f.RichEdit1->Lines()->Count(); ++i) out.push_back(f.RichEdit1->Lines()->Get(i));
        return out;
    }
    std::vector<String> errors;
    TLogFiles files;
};

TEST(Levels, LevelIsTheFiveCharactersFromColumn26) {
    auto form = TOwned<TForm1>(new TForm1(nullptr));
    struct Case {
        std::string line;
        std::string level;
    } cases[] = {
        {"", ""},
        {std::string(25, 'x'), ""},
        {std::string(25, 'x') + "AV", "AV"},
        {std::string(25, 'x') + "AVISO", "AVISO"},
        {std::string(25, 'x') + "AVISO]tail", "AVISO"},
    };
    for (const auto& c : cases) EXPECT_EQ(form->getLevel(S(c.line)), S(c.level)) << c.line;
}

TEST(Levels, ColourOfEachLevelAndBlackForAnythingElse) {
    auto form = TOwned<TForm1>(new TForm1(nullptr));
    EXPECT_EQ(form->getColorLevel(u"INFO "), clBlue);
    EXPECT_EQ(form->getColorLevel(u"ERRO "), clRed);
    EXPECT_EQ(form->getColorLevel(u"AVISO"), clOlive);
    for (const char16_t* other : {u"", u"info ", u"INFO\t", u" INFO", u"INFO", u"DEBUG"})
        EXPECT_EQ(form->getColorLevel(other), clBlack) << StringToUtf8(other);
}

TEST_F(Viewer, ACountOfTheOldTextIsNeverShownForTheNew) {
    std::string text;
    for (int i = 0; i < 300000; ++i) text += Line(i % 3 ? "INFO " : "ERRO ", "record") + "\n";
    const String big = files.Write("big.log", text);
    const String small = files.Write("small.log", Line("ERRO ", "one") + "\n" + Line("INFO ", "two") + "\n");
    auto form = Open(big);
    TViewSearch& search = form->Search();
    search.SetQuery(u"ERRO ", {});
    EXPECT_TRUE(search.Counting());
    EXPECT_FALSE(search.Count());
    // The text changes while the worker counts: the count goes, not to come back.
    form->RichEdit1->Lines()->LoadFromFile(small);
    EXPECT_FALSE(search.Counting());
    EXPECT_FALSE(search.Count());
    search.WaitForCount();
    EXPECT_FALSE(search.Count());
    // Counted anew for the new text.
    search.ResumeCount();
    search.WaitForCount();
    EXPECT_EQ(search.Count(), 1u);
    EXPECT_EQ(search.FindNext().Line, 0);
    EXPECT_EQ(search.CurrentNumber(), 1u);
    // A new query replaces the count too.
    search.SetQuery(u"record|one|two", {false, true, false});
    search.WaitForCount();
    EXPECT_EQ(search.Count(), 2u);
    EXPECT_FALSE(search.CurrentNumber());  // the selection is not a match of this query yet
}

TEST_F(Viewer, StoredLayoutGivesTheWindowItsPlaces) {
    auto form = Open(files.Path("none.log"));
    EXPECT_EQ(form->Caption(), u"Lumivar");
    EXPECT_EQ(form->ClientWidth(), 1025);
    EXPECT_EQ(form->ClientHeight(), 527);
    EXPECT_EQ(form->Position(), poScreenCenter);
    EXPECT_TRUE(form->ScreenSnap());
    EXPECT_EQ(form->Font().Name(), u"Tahoma");
    EXPECT_EQ(form->Font().Height(), -11);
    EXPECT_EQ(form->KvToolbar1->BoundsRect(), Rect(0, 0, 1025, 29));
    EXPECT_EQ(form->RichEdit1->BoundsRect(), Rect(0, 29, 1025, 508));
    EXPECT_EQ(form->KvStatusBar1->BoundsRect(), Rect(0, 508, 1025, 527));
    EXPECT_EQ(form->RichEdit1->Font().Name(), u"Consolas");
    EXPECT_EQ(form->RichEdit1->Font().Height(), -13);
    EXPECT_TRUE(form->RichEdit1->ReadOnly());
    EXPECT_EQ(form->RichEdit1->ScrollBars(), ssVertical);
    EXPECT_FALSE(form->RichEdit1->WordWrap());
    EXPECT_FALSE(form->KvProgressStatus1->Visible());
    // The view's font is fixed pitch wherever "Consolas" is not installed.
    TCanvas measure;
    measure.Font().Assign(form->RichEdit1->Font());
    EXPECT_EQ(measure.TextWidth(u"iiii"), measure.TextWidth(u"WWWW"));
    const String hints[] = {form->BtnExecute->Hint(), form->BtnOpen->Hint(), form->BtnInformation->Hint(),
                            form->BtnWarning->Hint(), form->BtnError->Hint(), form->BtnSelectAll->Hint(),
                            form->BtnCopy->Hint()};
    const String expected[] = {u"Atualizar", u"Abrir", u"Filtrar Info", u"Filtrar Aviso", u"Filtrar Erro",
                               u"Select All", u"Copy"};
    for (size_t i = 0; i < 7; ++i) EXPECT_EQ(hints[i], expected[i]);
}

TEST_F(Viewer, LoadCountsEachLevelExactly) {
    const std::string text = Line("INFO ", "one") + "\n" + Line("AVISO", "two") + "\n" + Line("ERRO ", "three") + "\n" +
                             Line("INFO ", "four") + "\n" + Line("DEBUG", "five") + "\n" + Line("info ", "six") + "\n" +
                             "2026-12-10 08:00:00.000 [INFO] shifted\n" + "\n" + "short\n" +
                             std::string(25, '-') + "AVISO\n";  // exactly 30 characters: still a warning
    auto form = Open(files.Write("a.log", text));
    EXPECT_EQ(Panes(*form), (std::vector<String>{u"Info: 2", u"Warn: 2", u"Error: 1"}));
    EXPECT_EQ(form->RichEdit1->Lines()->Count(), 10);
    EXPECT_TRUE(errors.empty());
}

TEST_F(Viewer, MissingFileAtStartLeavesAnEmptyViewAndZeroCounts) {
    auto form = Open(files.Path("nowhere.log"));
    EXPECT_EQ(form->RichEdit1->Lines()->Count(), 0);
    EXPECT_EQ(Panes(*form), (std::vector<String>{u"Info: 0", u"Warn: 0", u"Error: 0"}));
    EXPECT_EQ(form->FileName(), files.Path("nowhere.log"));
    EXPECT_TRUE(errors.empty());
}

TEST_F(Viewer, DefaultPathIsUsedWithoutAStartupFile) {
    auto form = Open(String());
    EXPECT_EQ(form->FileName(), u"c:\\Talvenor\\kel_7\\kel7.log");
}

// Colour on columns 25 to 31, bold from column 32 through the line break;
// a short line keeps only the part of the colour run inside it and gets no
// bold, so nothing spills into the next line.
TEST_F(Viewer, ColouringStaysInsideEachLine) {
    const std::string info = Line("INFO ", "message");             // 39 characters
    const std::string thirty = std::string(24, '.') + "[ERRO ";     // colour on columns 25 to 30 only
    const std::string thirtyOne = std::string(24, '.') + "[ERRO ]";  // bold on the break only
    const std::string text = info + "\n" + thirty + "\n" + thirtyOne + "\n" + "tiny\n" + info + "\n";
    auto form = Open(files.Write("b.log", text));
    std::vector<TStyledRun> runs;

    auto check = [&](int line, std::vector<TStyledRun> expected) {
        form->RichEdit1->LineRuns(line, runs);
        ASSERT_EQ(runs.size(), expected.size()) << "line " << line;
        for (size_t i = 0; i < runs.size(); ++i) {
            EXPECT_EQ(runs[i].Start, expected[i].Start) << "line " << line << " run " << i;
            EXPECT_EQ(runs[i].Length, expected[i].Length) << "line " << line << " run " << i;
            EXPECT_EQ(runs[i].Color, expected[i].Color) << "line " << line << " run " << i;
            EXPECT_EQ(runs[i].Style, expected[i].Style) << "line " << line << " run " << i;
        }
    };
    const TFontStyles bold{fsBold}, plain;
    // Line 0 at 0: 39 characters and its break.
    check(0, {{0, 24, clBlack, plain}, {24, 7, clBlue, plain}, {31, 9, clBlack, bold}});
    // Line 1 at 40: 30 characters; the red run stops at the line's end.
    check(1, {{40, 24, clBlack, plain}, {64, 6, clRed, plain}, {70, 1, clBlack, plain}});
    // Line 2 at 71: 31 characters; bold covers only the break.
    check(2, {{71, 24, clBlack, plain}, {95, 7, clRed, plain}, {102, 1, clBlack, bold}});
    // Line 3 at 103: "tiny" gets nothing, and nothing of it reaches line 4.
    check(3, {{103, 5, clBlack, plain}});
    // Line 4 at 108, the last: no break.
    check(4, {{108, 24, clBlack, plain}, {132, 7, clBlue, plain}, {139, 8, clBlack, bold}});
    EXPECT_EQ(form->RichEdit1->SelStart(), 0);
    EXPECT_EQ(form->RichEdit1->SelLength(), 0);
}

TEST_F(Viewer, FilterKeepsOneLevelAndLeavesTheCounts) {
    const std::string text = Line("INFO ", "a") + "\n" + Line("ERRO ", "b") + "\n" + Line("AVISO", "c") + "\n" +
                             Line("ERRO ", "d") + "\n";
    auto form = Open(files.Write("c.log", text));
    form->BtnError->Click();
    EXPECT_EQ(ViewLines(*form), (std::vector<String>{S(Line("ERRO ", "b")), S(Line("ERRO ", "d"))}));
    EXPECT_EQ(Panes(*form), (std::vector<String>{u"Info: 1", u"Warn: 1", u"Error: 2"}));
    EXPECT_FALSE(form->KvProgressStatus1->Visible());
    EXPECT_EQ(form->KvProgressStatus1->PartsComplete(), 4);
    EXPECT_EQ(form->KvProgressStatus1->Percent(), 100);
    std::vector<TStyledRun> runs;
    form->RichEdit1->LineRuns(1, runs);
    ASSERT_GE(runs.size(), 2u);
    EXPECT_EQ(runs[1].Color, clRed);

    // Filtering again starts from the whole file; refresh shows it all.
    form->BtnWarning->Click();
    EXPECT_EQ(ViewLines(*form), (std::vector<String>{S(Line("AVISO", "c"))}));
    form->BtnInformation->Click();
    EXPECT_EQ(ViewLines(*form), (std::vector<String>{S(Line("INFO ", "a"))}));
    form->BtnExecute->Click();
    EXPECT_EQ(form->RichEdit1->Lines()->Count(), 4);
    EXPECT_TRUE(errors.empty());
}

TEST_F(Viewer, FilterMatchingNothingLeavesAnEmptyView) {
    auto form = Open(files.Write("d.log", Line("INFO ", "a") + "\n"));
    form->BtnError->Click();
    EXPECT_EQ(form->RichEdit1->Lines()->Count(), 0);
    EXPECT_EQ(form->RichEdit1->SelStart(), 0);
}

TEST_F(Viewer, FilterOfAFileThatCannotBeOpenedShowsTheErrorAndKeepsTheView) {
    auto form = Open(files.Write("e.log", Line("ERRO ", "kept") + "\n"));
    const String dir = files.Path("adir");
    fs::create_directories(StringToUtf8(dir));
    // The refresh finds no file there and keeps the view; the filter reads
    // again without checking and fails.
    TOpenDialog::SetAutomation([&](TFileDialogDriver& d) { d.Accept(dir + u"/missing.log"); });
    form->BtnOpen->Click();
    EXPECT_EQ(form->FileName(), dir + u"/missing.log");
    EXPECT_EQ(form->RichEdit1->Lines()->Count(), 1);
    EXPECT_TRUE(errors.empty());

    GuardEvent([&] { form->BtnError->Click(); });
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], u"Cannot open file \"" + dir + u"/missing.log\". No such file or directory.");
    EXPECT_EQ(ViewLines(*form), (std::vector<String>{S(Line("ERRO ", "kept"))}));
    // The progress pane stays up with what it showed before, until a filter completes.
    EXPECT_TRUE(form->KvProgressStatus1->Visible());
}

// The view shows the file as it was loaded: lines whose bytes changed on
// disk afterwards read as unavailable, the user is told once, and Refresh
// shows the new content.
TEST_F(Viewer, AFileChangedOnDiskAfterLoadingIsShownAsUnavailableAndReported) {
    // Large enough that loading leaves its early blocks out of the small
    // cache, so that reading them again checks them against the file.
    std::string text;
    for (int i = 0; text.size() < (std::size_t{12} << 20); ++i) text += Line("INFO ", "record " + std::to_string(i)) + "\n";
    const String path = files.Write("changing.log", text);
    auto form = Open(path);
    TStrings& lines = *form->RichEdit1->Lines();
    const std::size_t changedAt = text.find('\n', std::size_t{1} << 20) + 1;
    const int changed = static_cast<int>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(changedAt), '\n'));
    const String loaded = S(Line("INFO ", "record " + std::to_string(changed)));
    {
        std::fstream file(StringToUtf8(path), std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(static_cast<std::streamoff>(changedAt));
        file.write("2027", 4);
    }
    EXPECT_EQ(lines.Get(changed), String(loaded.size(), u'\uFFFD'));
    EXPECT_EQ(lines.Length(changed), static_cast<int>(loaded.size()));
    lines.Get(changed + 1);
    ProcessPendingEvents();
    EXPECT_EQ(errors, std::vector<String>{FileChangedMessage(path) + u"."});
    // Lines of unchanged blocks still read as loaded.
    const int middle = lines.Count() / 2;
    EXPECT_EQ(lines.Get(middle), S(Line("INFO ", "record " + std::to_string(middle))));

    form->BtnExecute->Click();
    EXPECT_EQ(lines.Get(changed), u"2027" + loaded.substr(4));
    ProcessPendingEvents();
    EXPECT_EQ(errors.size(), 1u);
}

TEST_F(Viewer, RefreshWithoutAFileRecountsTheViewAsItIs) {
    const String path = files.Write("f.log", Line("INFO ", "a") + "\n" + Line("ERRO ", "b") + "\n");
    auto form = Open(path);
    form->BtnError->Click();
    fs::remove(StringToUtf8(path));
    form->BtnExecute->Click();
    EXPECT_EQ(Panes(*form), (std::vector<String>{u"Info: 0", u"Warn: 0", u"Error: 1"}));
}

TEST_F(Viewer, OpenLoadsTheChosenFileAndCancelChangesNothing) {
    auto form = Open(files.Write("g.log", Line("INFO ", "first") + "\n"));
    const String second = files.Write("second.log", Line("AVISO", "x") + "\n" + Line("AVISO", "y") + "\n");
    String title;
    std::vector<String> filters;
    TOpenDialog::SetAutomation([&](TFileDialogDriver& d) {
        title = d.Title();
        filters = d.NameFilters();
        d.Accept(second);
    });
    form->BtnOpen->Click();
    EXPECT_EQ(title, u"Abrir Arquivo de Log");
    EXPECT_EQ(filters, std::vector<String>{u"Lumivar (*.log)"});
    EXPECT_EQ(form->FileName(), second);
    EXPECT_EQ(Panes(*form), (std::vector<String>{u"Info: 0", u"Warn: 2", u"Error: 0"}));

    TOpenDialog::SetAutomation([](TFileDialogDriver& d) { d.Cancel(); });
    form->BtnOpen->Click();
    EXPECT_EQ(form->FileName(), second);
}

// The open dialog of Qt stores its history in the user's configuration
// when it is destroyed; the viewer writes no file. The test main gives the
// process an empty home of its own, which must stay empty.
TEST_F(Viewer, TheOpenDialogWritesNothingIntoTheHome) {
    const char* home = std::getenv("HOME");
    ASSERT_TRUE(home && fs::is_empty(home));
    auto form = Open(files.Path("none.log"));
    const String chosen = files.Write("chosen.log", Line("AVISO", "x") + "\n");
    TOpenDialog::SetAutomation([&](TFileDialogDriver& d) { d.Accept(chosen); });
    form->BtnOpen->Click();
    TOpenDialog::SetAutomation([](TFileDialogDriver& d) { d.Cancel(); });
    form->BtnOpen->Click();
    EXPECT_EQ(form->FileName(), chosen);
    EXPECT_TRUE(fs::is_empty(home));
    EXPECT_FALSE(fs::exists(std::getenv("XDG_CONFIG_HOME")));
}

// A FIFO whose writer never stops ends the start or a filter with "Out of
// memory." once the loader's limit is reached (small here), and the view
// keeps what it showed.
TEST_F(Viewer, AFifoThatNeverEndsStopsWithOutOfMemory) {
    const TTempDir dir("lumivar-viewer-fifo");
    const fs::path fifo = dir / "endless.log";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::uint64_t saved = SetTextSizeLimit(std::uint64_t{1} << 20);
    {
        const TFifoWriter writer(fifo, Line("ERRO ", "again") + "\n", TFifoWriter::Forever);
        auto form = Open(FileNameFromBytes(fifo.string()));
        EXPECT_EQ(errors, std::vector<String>{u"Out of memory."});
        EXPECT_EQ(form->RichEdit1->Lines()->Count(), 0);
        GuardEvent([&] { form->BtnError->Click(); });
        EXPECT_EQ(errors, (std::vector<String>{u"Out of memory.", u"Out of memory."}));
        EXPECT_EQ(form->RichEdit1->Lines()->Count(), 0);
        EXPECT_LT(writer.BytesSent(), std::size_t{16} << 20);
    }
    SetTextSizeLimit(saved);
}

TEST_F(Viewer, SelectAllThenCopyPutsTheWholeTextOnTheClipboard) {
    auto form = Open(files.Write("h.log", "first line\r\nsecond line\r\n"));
    Clipboard().SetAsText(u"before");
    form->BtnCopy->Click();  // nothing selected: nothing changes
    EXPECT_EQ(Clipboard().AsText(), u"before");
    form->BtnSelectAll->Click();
    form->BtnCopy->Click();
    const String copied = Clipboard().AsText();
    EXPECT_EQ(copied.substr(0, 22), u"first line\nsecond line");
}

// Memory runs out while a load closes the view's update bracket (scrolling
// to the caret): the error box says so, the bracket is closed, the counts
// belong to the text shown, and the view goes on working.
TEST_F(Viewer, ALoadWhoseClosingScrollRunsOutOfMemoryLeavesTheViewWorking) {
    const String path = files.Write("scroll.log", Line("INFO ", "a") + "\n");
    auto form = Open(path);
    std::string longer;
    for (int i = 0; i < 200; ++i) longer += Line(i % 2 ? "ERRO " : "AVISO", std::to_string(i)) + "\n";
    files.Write("scroll.log", longer);
    TRichTextDocument& document = form->RichEdit1->Document();
    TFailingHook scroll(document.OnScrollToCaret);
    scroll.armed = true;
    const auto repaintView = document.OnRepaint;
    int repaints = 0;
    document.OnRepaint = [&] {
        ++repaints;
        repaintView();
    };
    GuardEvent([&] { form->BtnExecute->Click(); });
    EXPECT_EQ(errors, std::vector<String>{u"Out of memory."});
    EXPECT_FALSE(document.Updating());
    EXPECT_EQ(repaints, 1);  // what the bracket held back is shown all the same
    EXPECT_EQ(Panes(*form), (std::vector<String>{u"Info: 0", u"Warn: 100", u"Error: 100"}));
    EXPECT_TRUE(form->RichEdit1->VerticalScrollBarShown());
    form->RichEdit1->SetSelStart(document.LinePosition(199));
    form->RichEdit1->SetSelLength(0);
    EXPECT_GT(form->RichEdit1->TopLine(), 0);
    EXPECT_EQ(errors.size(), 1u);
    document.OnRepaint = repaintView;
}

// Select all and copy of a view too big for the memory left: the error box
// says so, the view keeps its text and the clipboard what it held.
TEST_F(Viewer, RunningOutOfMemoryInSelectAllOrCopyIsReportedAsSuch) {
    std::string text;
    for (int i = 0; i < 2000; ++i) text += Line("INFO ", "line " + std::to_string(i)) + "\n";
    auto form = Open(files.Write("big.log", text));
    TFailingHook change(form->RichEdit1->Document().OnChange);
    Clipboard().SetAsText(u"before");
    struct Case {
        const char* command;
        std::function<void()> run;
    } cases[] = {
        {"select all", [&] {
             change.armed = true;  // the view cannot take the new selection in
             form->BtnSelectAll->Click();
         }},
        {"copy", [&] {
             form->RichEdit1->SelectAll();
             const TAllocationLimit limit(64 * 1024);  // the copied text needs more
             form->BtnCopy->Click();
         }},
    };
    for (const Case& c : cases) {
        errors.clear();
        GuardEvent(c.run);
        EXPECT_EQ(errors, std::vector<String>{u"Out of memory."}) << c.command;
        EXPECT_EQ(form->RichEdit1->Lines()->Count(), 2000) << c.command;
        EXPECT_EQ(Clipboard().AsText(), u"before") << c.command;
    }
}

TEST_F(Viewer, ErrorInTheCreationHandlerStillCreatesTheWindow) {
    TOwned<TForm1> form(new TForm1(nullptr));
    form->OnCreate = [](TObject*) { throw EFOpenError(u"Cannot open file \"x\". Permission denied"); };
    form->DoCreate();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], u"Cannot open file \"x\". Permission denied.");
    EXPECT_EQ(form->KvStatusPane1->Caption(), u"");
}

}  // namespace

namespace {

TEST_F(Viewer, TheToolbarHoldsItsButtonsAndSpacersInTheStoredOrder) {
    auto form = Open(files.Path("none.log"));
    TKvToolbar& toolbar = *form->KvToolbar1;
    // Created in one order, laid out in the stored one.
    const std::vector<String> created{u"BtnOpen",   u"BtnInformation", u"BtnWarning", u"BtnError", u"KvSpacer1",
                                      u"KvSpacer2", u"BtnSelectAll",   u"BtnCopy",    u"BtnExecute"};
    ASSERT_EQ(toolbar.ControlCount(), 9);
    for (int i = 0; i < 9; ++i) EXPECT_EQ(toolbar.Controls(i)->Name(), created[static_cast<size_t>(i)]);
    const std::vector<TControl*> shown{form->BtnExecute, form->BtnOpen,   form->KvSpacer1,    form->BtnInformation,
                                       form->BtnWarning, form->BtnError,  form->KvSpacer2,    form->BtnSelectAll,
                                       form->BtnCopy};
    const int lefts[] = {4, 29, 54, 62, 87, 112, 137, 145, 170};
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(toolbar.ToolbarControls().Items(i)->Control(), shown[static_cast<size_t>(i)]);
        EXPECT_EQ(shown[static_cast<size_t>(i)]->Left(), lefts[i]);
        EXPECT_EQ(shown[static_cast<size_t>(i)]->Top(), 2);
    }
    EXPECT_EQ(form->BtnOpen->BoundsRect(), Rect(29, 2, 54, 27));
    EXPECT_EQ(form->KvSpacer1->BoundsRect(), Rect(54, 2, 62, 27));
    EXPECT_EQ(toolbar.Images(), form->ImageList1);
    EXPECT_TRUE(toolbar.AutoStyle());
    EXPECT_EQ(form->ImageList1->Count(), 18);
    EXPECT_EQ(form->ImageList1->Width(), 16);
    EXPECT_EQ(form->ImageList1->Height(), 16);
    const std::pair<TKvToolButton*, int> glyphs[] = {{form->BtnExecute, 16}, {form->BtnOpen, 3},
                                                     {form->BtnInformation, 5}, {form->BtnWarning, 7},
                                                     {form->BtnError, 9}, {form->BtnSelectAll, 12},
                                                     {form->BtnCopy, 14}};
    for (const auto& [button, index] : glyphs) {
        EXPECT_EQ(button->ImageIndex(), index) << StringToUtf8(button->Name());
        EXPECT_EQ(button->DisabledIndex(), index + 1);
        EXPECT_EQ(button->VisualStyle(), vsWinXP);
        EXPECT_FALSE(button->ShowCaption());
        EXPECT_TRUE(button->ShowHint());
    }
}

TEST_F(Viewer, ButtonsShowTheirHintAndRunTheirCommandWhenClickedWithTheMouse) {
    const std::string text = Line("INFO ", "a") + "\n" + Line("ERRO ", "b") + "\n";
    auto form = Open(files.Write("m.log", text));
    form->Show();
    ProcessPendingEvents();
    const TPoint error = form->BtnError->ClientToParent(Point(12, 12), form.get());
    SimulateMouseMove(form.get(), error.X, error.Y);
    EXPECT_EQ(Application->Hint(), u"Filtrar Erro");
    EXPECT_TRUE(form->BtnError->MouseOverButton());
    SimulateMouseDown(form.get(), mbLeft, error.X, error.Y);
    SimulateMouseUp(form.get(), mbLeft, error.X, error.Y);
    EXPECT_EQ(ViewLines(*form), (std::vector<String>{S(Line("ERRO ", "b"))}));

    const TPoint refresh = form->BtnExecute->ClientToParent(Point(12, 12), form.get());
    SimulateMouseMove(form.get(), refresh.X, refresh.Y);
    EXPECT_EQ(Application->Hint(), u"Atualizar");
    SimulateMouseDown(form.get(), mbLeft, refresh.X, refresh.Y);
    SimulateMouseUp(form.get(), mbLeft, refresh.X, refresh.Y);
    EXPECT_EQ(form->RichEdit1->Lines()->Count(), 2);
    EXPECT_TRUE(errors.empty());
}

TEST_F(Viewer, TheToolbarPaintsItsGlyphsOnTheGroovedBand) {
    auto form = Open(files.Path("none.log"));
    TBitmap shot;
    form->KvToolbar1->GetImage(shot);
    TCanvas& c = shot.Canvas();
    EXPECT_EQ(c.Pixel(100, 0), ColorToRGB(clBtnShadow));
    EXPECT_EQ(c.Pixel(100, 1), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(c.Pixel(500, 15), ColorToRGB(clBtnFace));
    // Each button's glyph sits 4 pixels inside it: the lightning bolt of
    // BtnExecute is yellow somewhere in (8, 6)-(24, 22), nothing is drawn
    // in the spacer gaps.
    bool yellow = false;
    for (int y = 6; y < 22; ++y)
        for (int x = 8; x < 24; ++x) yellow = yellow || c.Pixel(x, y) == RGB(255, 220, 40);
    EXPECT_TRUE(yellow);
    EXPECT_EQ(InkBounds(c, Rect(54, 2, 62, 29), ColorToRGB(clBtnFace)), Rect(62, 29, 54, 2));
    // Everything drawn below the groove lies within the glyphs' band.
    const TRect ink = InkBounds(c, Rect(0, 2, 1025, 29), ColorToRGB(clBtnFace));
    EXPECT_EQ(IntersectRect(ink, Rect(8, 6, 190, 22)), ink);
}

}  // namespace
