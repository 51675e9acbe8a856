#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <optional>

#include "Graphics.h"
#include "Platform.h"
#include "TempDir.h"

namespace {

// Every test runs with a home of its own: HOME and the per-user XDG folders
// point into a private, empty folder, so that no test reads the user's real
// settings or writes beside them (and the programs a test runs inherit it).
// A test that runs this binary again may hand it a prepared home in
// LUMIVAR_TEST_HOME.
void UsePrivateHome(const std::filesystem::path& home) {
    ::setenv("HOME", home.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (home / ".config").c_str(), 1);
    ::setenv("XDG_CACHE_HOME", (home / ".cache").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (home / ".local/share").c_str(), 1);
    ::setenv("XDG_STATE_HOME", (home / ".local/state").c_str(), 1);
}

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    std::optional<TTempDir> ownHome;
    const char* given = std::getenv("LUMIVAR_TEST_HOME");
    if (!given || !*given) ownHome.emplace("lumivar-test-home");
    UsePrivateHome(ownHome ? ownHome->Path() : std::filesystem::path(given));
    // Off-screen windowing, the classic palette, then the tests.
    StartPlatform(argc, argv, TPlatformMode::Offscreen);
    UseClassicPalette();
    const int result = RUN_ALL_TESTS();
    StopPlatform();
    return result;
}
