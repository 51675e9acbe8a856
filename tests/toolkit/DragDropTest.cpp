#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DragDrop.h"
#include "Forms.h"
#include "Platform.h"

namespace {

// A shown window that takes dropped files and records what it is given;
// errors shown by the application are collected.
class Dropping : public ::testing::Test {
protected:
    void SetUp() override {
        Application->Initialize();
        Application->SetErrorDisplay(TErrorDisplay::StandardError);
        Application->OnErrorShown = [this](const String&, const String& message) { errors.push_back(message); };
        form->SetBounds(0, 0, 200, 100);
        form->Show();
        AcceptDroppedFiles(form.get(), [this](TObject* sender, const std::vector<String>& files) {
            EXPECT_EQ(sender, form.get());
            dropped.push_back(files);
        });
    }
    void TearDown() override { Application->OnErrorShown = nullptr; }

    TOwned<TForm> form{new TForm(nullptr)};
    std::vector<std::vector<String>> dropped;
    std::vector<String> errors;
};

// The handler runs from the event loop after the drop has returned, so that
// the program the files came from is not kept waiting; it gets every local
// file in order.
TEST_F(Dropping, TheHandlerRunsAfterTheDropWithEveryLocalFile) {
    ASSERT_TRUE(SimulateDropUris(form.get(), 50, 50, {"file:///var/a.log", "http://x/y", "file://localhost/b%20c.log"}));
    EXPECT_TRUE(dropped.empty());
    ProcessPendingEvents();
    EXPECT_EQ(dropped, (std::vector<std::vector<String>>{{u"/var/a.log", u"/b c.log"}}));
}

// An error of the handler goes to the error box like any event's.
TEST_F(Dropping, AnErrorInTheHandlerIsShown) {
    AcceptDroppedFiles(form.get(), [](TObject*, const std::vector<String>&) {
        throw EFOpenError(u"Cannot open file \"/a\". Gone");
    });
    ASSERT_TRUE(SimulateDropUris(form.get(), 50, 50, {"file:///a"}));
    ProcessPendingEvents();
    EXPECT_EQ(errors, std::vector<String>{u"Cannot open file \"/a\". Gone."});
}

// Without a handler the window refuses drops; a window freed before the
// handler's turn is left alone.
TEST_F(Dropping, NoHandlerNoDropAndAFreedWindowGetsNone) {
    AcceptDroppedFiles(form.get(), nullptr);
    EXPECT_FALSE(SimulateDropUris(form.get(), 50, 50, {"file:///a"}));

    auto* other = new TForm(nullptr);
    other->SetBounds(0, 0, 200, 100);
    other->Show();
    bool called = false;
    AcceptDroppedFiles(other, [&](TObject*, const std::vector<String>&) { called = true; });
    ASSERT_TRUE(SimulateDropUris(other, 50, 50, {"file:///a"}));
    other->Free();
    ProcessPendingEvents();
    EXPECT_FALSE(called);
    EXPECT_TRUE(dropped.empty());
}

}  // namespace
