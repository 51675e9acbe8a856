// A writer on the far end of a FIFO, on a thread of its own: it sends a text
// once and closes its end (the reader then sees the end of the file), or
// sends it over and over until it is destroyed (a writer that never ends).
// The FIFO is opened for reading and writing at once, before any reader
// comes, so that a reader never finds it without a writer; the writer
// closes only once a reader has taken every byte.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <thread>

class TFifoWriter {
public:
    enum TMode { Once, Forever };

    TFifoWriter(const std::filesystem::path& fifo, std::string text, TMode mode) : text_(std::move(text)) {
        fd_ = ::open(fifo.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
        if (fd_ < 0) throw std::runtime_error("cannot open the FIFO " + fifo.string());
        thread_ = std::thread([this, mode] { mode == Once ? SendOnce() : SendForever(); });
    }
    ~TFifoWriter() {
        stop_ = true;
        thread_.join();
        if (fd_ >= 0) ::close(fd_);
    }
    TFifoWriter(const TFifoWriter&) = delete;
    TFifoWriter& operator=(const TFifoWriter&) = delete;
    // Bytes the reader has been sent so far (some may still wait in the pipe).
    std::size_t BytesSent() const { return sent_; }

private:
    // Waits (a bounded time, so that a reader that never comes cannot hang
    // the test) until the pipe takes more; false when it is time to stop.
    bool WaitForRoom() {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!stop_ && std::chrono::steady_clock::now() < deadline) {
            pollfd p{fd_, POLLOUT, 0};
            if (::poll(&p, 1, 10) > 0) return true;
        }
        return false;
    }
    bool Send() {
        for (std::size_t at = 0; at < text_.size();) {
            if (!WaitForRoom()) return false;
            const ssize_t n = ::write(fd_, text_.data() + at, text_.size() - at);
            if (n > 0) {
                at += static_cast<std::size_t>(n);
                sent_ += static_cast<std::size_t>(n);
            }
        }
        return true;
    }
    void SendOnce() {
        if (!Send()) return;
        // Closing while bytes wait in the pipe with no reader would drop them.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        int waiting = 1;
        while (!stop_ && std::chrono::steady_clock::now() < deadline && ::ioctl(fd_, FIONREAD, &waiting) == 0 &&
               waiting > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ::close(fd_);
        fd_ = -1;
    }
    void SendForever() {
        while (!stop_ && Send()) {
        }
    }

    std::string text_;
    int fd_ = -1;
    std::atomic<bool> stop_{false};
    std::atomic<std::size_t> sent_{0};
    std::thread thread_;
};
