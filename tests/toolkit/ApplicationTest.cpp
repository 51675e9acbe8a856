#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <stdexcept>
#include <vector>

#include "Dialogs.h"
#include "Forms.h"
#include "Platform.h"

namespace {

TEST(Application, ErrorMessagesGetAFullStopUnlessTheyEndWithOneOrLess) {
    struct Case {
        const char16_t* message;
        const char16_t* shown;
    } cases[] = {
        {u"Cannot open file", u"Cannot open file."},
        {u"Done.", u"Done."},
        {u"Ends in a comma,", u"Ends in a comma,"},   // ',' sorts before '.'
        {u"Ends in a blank ", u"Ends in a blank "},
        {u"Ends in a slash/", u"Ends in a slash/."},  // '/' sorts after '.'
        {u"Ends in 9", u"Ends in 9."},
        {u"", u""},
    };
    for (const auto& c : cases) EXPECT_EQ(MessageWithFullStop(c.message), c.shown) << StringToUtf8(c.message);
}

// Every error that escapes a command, or a window's creation handler,
// reaches the error box through one place; running out of memory reads as
// such there, not as the library's name for it.
TEST(Application, EscapingErrorsAreShownWithTheirMessages) {
    std::vector<String> shown;
    Application->Initialize();
    Application->SetErrorDisplay(TErrorDisplay::StandardError);
    Application->OnErrorShown = [&](const String&, const String& message) { shown.push_back(message); };
    struct Case {
        std::function<void()> fail;
        const char16_t* message;
    } cases[] = {
        {[] { throw EFOpenError(u"Cannot open file \"x\". Gone"); }, u"Cannot open file \"x\". Gone."},
        {[] { throw std::bad_alloc(); }, u"Out of memory."},
        {[] { throw std::bad_array_new_length(); }, u"Out of memory."},
        {[] { throw std::runtime_error("disk on fire"); }, u"disk on fire."},
    };
    for (const Case& c : cases) {
        shown.clear();
        GuardEvent(c.fail);
        TOwned<TForm> form(new TForm(nullptr));
        form->OnCreate = [&](TObject*) { c.fail(); };
        form->DoCreate();
        EXPECT_EQ(shown, (std::vector<String>{c.message, c.message}));
    }
    Application->OnErrorShown = nullptr;
}

// A window moved to within SnapBuffer pixels of a work-area edge is pulled
// onto it; further away, or without ScreenSnap, it stays where it was put.
TEST(Forms, ScreenSnapPullsAMovedWindowOntoANearbyEdge) {
    TOwned<TForm> form(new TForm(nullptr));
    form->SetBounds(100, 100, 300, 200);
    form->Show();
    ProcessPendingEvents();
    const TRect area = Screen->WorkAreaRect();
    struct Case {
        bool snap;
        TPoint movedTo;
        TPoint settled;
    } cases[] = {
        {true, {area.Left + 7, area.Top + 10}, {area.Left, area.Top}},
        {true, {area.Left + 11, area.Top + 40}, {area.Left + 11, area.Top + 40}},
        {false, {area.Left + 7, area.Top + 10}, {area.Left + 7, area.Top + 10}},
    };
    for (const Case& c : cases) {
        form->SetScreenSnap(c.snap);
        SimulateWindowMove(form.get(), c.movedTo.X, c.movedTo.Y);
        ProcessPendingEvents();
        EXPECT_EQ(Point(form->Left(), form->Top()), c.settled) << c.movedTo.X << "," << c.movedTo.Y;
    }
    // Right and bottom: the window's frame meets the edge, so two nearby
    // places settle on the same one.
    form->SetScreenSnap(true);
    const TPoint nearer(area.Right - 300 - 3, area.Bottom - 200 - 3), further(area.Right - 300 - 8, area.Bottom - 200 - 8);
    SimulateWindowMove(form.get(), further.X, further.Y);
    ProcessPendingEvents();
    const TPoint settled(form->Left(), form->Top());
    EXPECT_NE(settled.X, further.X);
    EXPECT_NE(settled.Y, further.Y);
    SimulateWindowMove(form.get(), nearer.X, nearer.Y);
    ProcessPendingEvents();
    EXPECT_EQ(Point(form->Left(), form->Top()), settled);
}

TEST(Application, TitleIsTheProgramNameWithoutDirectoryOrExtension) {
    TApplication app(nullptr);
    struct Case {
        const char16_t* exe;
        const char16_t* title;
    } cases[] = {
        {u"/usr/local/bin/lumivar", u"lumivar"},
        {u"/opt/LumiVAR.bin", u"Lumivar"},
        {u"/opt/viewer.tar.gz", u"viewer"},
        {u"/opt/v", u"v"},
    };
    for (const auto& c : cases) {
        app.SetExeName(c.exe);
        EXPECT_EQ(app.Title(), c.title) << StringToUtf8(c.exe);
    }
}

TEST(Dialogs, FilterPairsBecomeNamedPatterns) {
    EXPECT_EQ(FilterToNameFilters(u"Lumivar|*.log"), std::vector<String>{u"Lumivar (*.log)"});
    EXPECT_EQ(FilterToNameFilters(u"Logs|*.log;*.txt|All|*"),
              (std::vector<String>{u"Logs (*.log *.txt)", u"All (*)"}));
    EXPECT_TRUE(FilterToNameFilters(u"").empty());
}

}  // namespace
