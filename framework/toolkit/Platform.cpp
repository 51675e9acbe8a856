#include "Platform.h"

#include <QApplication>
#include <QSettings>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "Graphics.h"

namespace {

// Freed by StopPlatform only: tearing Qt down from a static destructor is unsafe.
QApplication* gApp = nullptr;
bool gOffscreen = false;

QtMessageHandler gPreviousHandler = nullptr;

// The off-screen back end warns whenever a window with size hints (a dialog)
// is shown, and whenever a pop-up (a menu, a drop-down panel) is raised or
// takes the keyboard or mouse; the warnings say nothing about the program,
// so batch runs and tests leave them out of their error stream.
bool IsOffscreenLimitNote(const QString& message) {
    static const char* const kNotes[] = {"does not support propagateSizeHints", "does not support raise()",
                                         "does not support grabbing"};
    for (const char* note : kNotes)
        if (message.contains(QLatin1String(note))) return true;
    return false;
}

void QuietOffscreenMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (IsOffscreenLimitNote(message)) return;
    if (gPreviousHandler) {
        gPreviousHandler(type, context, message);
        return;
    }
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

// The runtime folder this process made for itself; empty while the
// environment's own is in use.
std::string& OwnRuntimeDir() {
    static std::string dir;
    return dir;
}

void RemoveOwnRuntimeDir() {
    if (OwnRuntimeDir().empty()) return;
    std::error_code ec;
    std::filesystem::remove_all(OwnRuntimeDir(), ec);
    OwnRuntimeDir().clear();
    ::unsetenv("XDG_RUNTIME_DIR");
}

// The toolkit needs a per-user runtime folder. When the environment names
// none it would make one of a fixed name in the shared temporary folder,
// which any local user can create first; so the process makes a private
// one of a random name (mkdtemp: mode 0700, never an existing path) and
// removes it at exit. Should even that fail, the variable stays unset and
// the toolkit warns and goes on: start-up never fails for want of it.
void EnsureRuntimeDir() {
    const char* given = std::getenv("XDG_RUNTIME_DIR");
    if (given && *given) return;
    const char* tmp = std::getenv("TMPDIR");
    std::string dir = std::string(tmp && *tmp ? tmp : "/tmp") + "/lumivar-runtime-XXXXXX";
    if (!::mkdtemp(dir.data())) return;
    OwnRuntimeDir() = dir;
    [[maybe_unused]] static const bool removedAtExit = std::atexit(RemoveOwnRuntimeDir) == 0;
    ::setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
}

// The toolkit's own widgets keep state in a per-user settings file: the file
// dialog stores its history and last folder there when it is destroyed. The
// viewer never writes a file, so that store is pointed below /dev/null,
// where no folder or file can be created: reads find nothing and writes
// fail without a word.
void KeepToolkitSettingsUnwritten() {
    const QString nowhere = QStringLiteral("/dev/null");
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, nowhere);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, nowhere);
}

std::vector<void (*)()>& StartHandlers() {
    static std::vector<void (*)()> handlers;
    return handlers;
}

}  // namespace

void WhenPlatformStarts(void (*handler)()) {
    StartHandlers().push_back(handler);
    if (PlatformStarted()) handler();
}

void StartPlatform(int& argc, char** argv, TPlatformMode mode) {
    if (gApp || qApp) return;
    EnsureRuntimeDir();
    gOffscreen = mode == TPlatformMode::Offscreen;
    if (gOffscreen) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        gPreviousHandler = qInstallMessageHandler(QuietOffscreenMessages);
    }
    gApp = new QApplication(argc, argv);
    KeepToolkitSettingsUnwritten();
    UseDesktopPalette();
    for (void (*handler)() : StartHandlers()) handler();
}

void StopPlatform() {
    delete gApp;
    gApp = nullptr;
    RemoveOwnRuntimeDir();
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
