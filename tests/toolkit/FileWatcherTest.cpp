// The file watcher: it tells of writes to the watched file and of another
// file put under its name, and a listener may move the watch while it is
// being told.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "FileWatcher.h"
#include "Forms.h"
#include "SysUtils.h"
#include "TempDir.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 5s) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        Application->ProcessMessages();
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

void Append(const fs::path& file, const char* text) { std::ofstream(file, std::ios::app) << text; }

TEST(FileWatcher, TellsOfWritesAndOfAnotherFileUnderTheName) {
    TTempDir dir("lumivar-watch");
    const fs::path file = dir.Write("a.log", "one\n");
    TFileWatcher watcher;
    int told = 0;
    watcher.OnChange = [&] { ++told; };
    ASSERT_TRUE(watcher.Watch(FileNameFromBytes(file.string())));
    Append(file, "two\n");
    ASSERT_TRUE(WaitUntil([&] { return told > 0; }));

    fs::rename(file, dir / "a.log.1");
    dir.Write("a.log", "new\n");
    told = 0;
    ASSERT_TRUE(WaitUntil([&] { return told > 0; }));
    // The new file is the one watched now (its folder tells of no writes).
    WaitUntil([] { return false; }, 100ms);
    told = 0;
    Append(file, "three\n");
    ASSERT_TRUE(WaitUntil([&] { return told > 0; }));
}

TEST(FileWatcher, AListenerMayMoveTheWatchWhileItIsTold) {
    TTempDir dir("lumivar-watch");
    const fs::path first = dir.Write("first.log", "");
    const fs::path second = dir.Write("second.log", "");
    TFileWatcher watcher;
    int told = 0;
    watcher.OnChange = [&] {
        if (++told == 1) watcher.Watch(FileNameFromBytes(second.string()));
    };
    ASSERT_TRUE(watcher.Watch(FileNameFromBytes(first.string())));
    Append(first, "x\n");
    ASSERT_TRUE(WaitUntil([&] { return told == 1; }));
    Append(second, "y\n");
    ASSERT_TRUE(WaitUntil([&] { return told == 2; }));
    watcher.Stop();
    EXPECT_FALSE(watcher.Watching());
}

TEST(FileWatcher, RefusesAFolderThatDoesNotExist) {
    TFileWatcher watcher;
    EXPECT_FALSE(watcher.Watch(u"/nonexistent-folder-of-lumivar/x.log"));
    EXPECT_FALSE(watcher.Watching());
}

}  // namespace
