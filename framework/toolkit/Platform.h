// Start-up of the windowing layer. The GUI application object behind the
// toolkit exists once per process; everything that draws or shows a window
// needs it first.
#pragma once

enum class TPlatformMode {
    Desktop,    // a real display
    Offscreen,  // no display: windows are drawn off screen (batch runs, tests)
};

// Creates the process's GUI application object once; later calls do nothing.
// Offscreen mode selects the off-screen windowing back end. When the
// environment names no runtime directory, a private one of a random name is
// made for the process and removed at exit. The toolkit's own settings
// store is kept from writing anything. Then the handlers registered with
// WhenPlatformStarts run, in the order of registration.
void StartPlatform(int& argc, char** argv, TPlatformMode mode);
// Destroys the GUI application object; the last thing a program does.
void StopPlatform();
// Registers work that needs the running platform: facts of the screen, or
// settings that the program (or a test) may point elsewhere before the
// platform starts. It runs in StartPlatform, or at once when the platform
// already runs. Units register from their own initialisation.
void WhenPlatformStarts(void (*handler)());
bool PlatformStarted();
bool PlatformIsOffscreen();
// True when a display can be reached (used to decide between a window and
// the batch fallback).
bool DisplayAvailable();
// Runs pending events once without waiting (tests use this to let queued
// work, such as posted size messages, happen).
void ProcessPendingEvents();
