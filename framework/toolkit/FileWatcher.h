// Tells when a file may have changed: written, truncated, renamed or
// deleted, or another file put under its name. It listens to the system's
// file notifications on the event loop (never polls) and says only that
// something happened; what did is for the listener to find out.
#pragma once

#include <functional>
#include <memory>

#include "Types.h"

class TFileWatcher {
public:
    TFileWatcher();
    ~TFileWatcher();
    TFileWatcher(const TFileWatcher&) = delete;
    TFileWatcher& operator=(const TFileWatcher&) = delete;

    // Watches fileName (and its folder, for a file put under its name) in
    // place of what was watched before. False when the system refuses (no
    // such folder, no watches left); nothing is watched then.
    bool Watch(const String& fileName);
    void Stop();
    bool Watching() const;

    // Once per batch of notifications that concern the file, on the event
    // loop; an error it raises goes to the application's error box.
    std::function<void()> OnChange;

private:
    struct TImpl;
    std::unique_ptr<TImpl> impl_;
    // A listener may stop or move the watch while it is being told (but not
    // free the watcher); the notifier that is telling it is freed by a
    // later Watch or Stop, or with the watcher, never inside its own signal.
    TImpl* delivering_ = nullptr;
    std::unique_ptr<TImpl> retired_;
};
