#include "FileWatcher.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cerrno>
#include <filesystem>
#include <optional>

#include "Controls.h"
#include "SysUtils.h"

namespace {

constexpr std::uint32_t kFileEvents = IN_MODIFY | IN_ATTRIB | IN_MOVE_SELF | IN_DELETE_SELF;
constexpr std::uint32_t kFolderEvents = IN_CREATE | IN_MOVED_TO | IN_MOVED_FROM | IN_DELETE;

}  // namespace

struct TFileWatcher::TImpl {
    int fd = -1;
    int fileWatch = -1;
    int folderWatch = -1;
    std::string path;  // the file's name as the system takes it
    std::string name;  // its last part, as folder events name it
    std::optional<QSocketNotifier> notifier;

    ~TImpl() {
        notifier.reset();
        if (fd >= 0) ::close(fd);
    }

    void WatchFile() { fileWatch = ::inotify_add_watch(fd, path.c_str(), kFileEvents); }

    // Reads every pending notification; true when one concerns the file.
    bool Drain() {
        alignas(inotify_event) char buffer[16 * 1024];
        bool concerned = false;
        bool nameReused = false;
        for (;;) {
            const ssize_t got = ::read(fd, buffer, sizeof buffer);
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) break;
            for (ssize_t at = 0; at < got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
                if (event->mask & IN_Q_OVERFLOW) {
                    concerned = true;  // notifications were lost: look anyway
                } else if (event->wd == fileWatch) {
                    concerned = true;
                    if (event->mask & IN_IGNORED) fileWatch = -1;  // the file went
                } else if (event->wd == folderWatch && event->len > 0 && name == event->name) {
                    concerned = true;
                    if (event->mask & (IN_CREATE | IN_MOVED_TO)) nameReused = true;
                }
            }
        }
        // The name now stands for another file (rotation): watch that one,
        // and stop hearing about the one that was renamed away.
        if (nameReused) {
            if (fileWatch >= 0) ::inotify_rm_watch(fd, fileWatch);
            WatchFile();
        }
        return concerned;
    }
};

TFileWatcher::TFileWatcher() = default;

TFileWatcher::~TFileWatcher() = default;

bool TFileWatcher::Watch(const String& fileName) {
    Stop();
    auto impl = std::make_unique<TImpl>();
    impl->fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (impl->fd < 0) return false;
    impl->path = FileNameToBytes(ExpandFileName(fileName));
    const std::filesystem::path path(impl->path);
    impl->name = path.filename().string();
    impl->folderWatch = ::inotify_add_watch(impl->fd, path.parent_path().c_str(), kFolderEvents | IN_ONLYDIR);
    if (impl->folderWatch < 0) return false;
    impl->WatchFile();  // the file itself may be missing for now
    impl->notifier.emplace(impl->fd, QSocketNotifier::Read);
    TImpl* watching = impl.get();
    QObject::connect(&*impl->notifier, &QSocketNotifier::activated, [this, watching] {
        if (!watching->Drain() || !OnChange) return;
        delivering_ = watching;
        GuardEvent([this] { OnChange(); });
        delivering_ = nullptr;
    });
    impl_ = std::move(impl);
    return true;
}

void TFileWatcher::Stop() {
    if (impl_ && impl_.get() == delivering_) {
        impl_->notifier->setEnabled(false);
        retired_ = std::move(impl_);
        return;
    }
    impl_.reset();
    if (!delivering_) retired_.reset();
}

bool TFileWatcher::Watching() const { return impl_ != nullptr; }
