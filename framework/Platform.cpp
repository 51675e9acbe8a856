#include "Platform.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

#include "Graphics.h"

namespace {

// Freed by StopPlatform only: tearing Qt down from a static destructor is unsafe.
QApplication* gApp = nullptr;
bool gOffscreen = false;

QtMessageHandler gPreviousHandler = nullptr;

// The off-screen back end warns whenever a window with size hints (a dialog)
// is shown; the warning says nothing about the program, so batch runs and
// tests leave it out of their error stream.
void QuietOffscreenMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.contains(QLatin1String("does not support propagateSizeHints"))) return;
    if (gPreviousHandler) {
        gPreviousHandler(type, context, message);
        return;
    }
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

void EnsureRuntimeDir() {
    if (std::getenv("XDG_RUNTIME_DIR")) return;
    const std::string dir = "/tmp/lumivar-runtime-" + std::to_string(getuid());
    std::filesystem::create_directories(dir);
    std::filesystem::permissions(dir, std::filesystem::perms::owner_all, std::filesystem::perm_options::replace);
    setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
}

}  // namespace

void StartPlatform(int& argc, char** argv, TPlatformMode mode) {
    if (gApp || qApp) return;
    EnsureRuntimeDir();
    gOffscreen = mode == TPlatformMode::Offscreen;
    if (gOffscreen) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        gPreviousHandler = qInstallMessageHandler(QuietOffscreenMessages);
    }
    gApp = new QApplication(argc, argv);
    UseDesktopPalette();
}

void StopPlatform() {
    delete gApp;
    gApp = nullptr;
}

bool PlatformStarted() { return qApp != nullptr; }
bool PlatformIsOffscreen() { return gOffscreen; }

bool DisplayAvailable() {
    const char* display = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (display && *display) || (wayland && *wayland);
}

void ProcessPendingEvents() {
    if (qApp) QApplication::processEvents();
}
