#include "TickCount.h"

#include <chrono>

namespace {

std::function<std::uint32_t()>& TickSource() {
    static std::function<std::uint32_t()> source;
    return source;
}

std::uint32_t SystemTicks() {
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    // Only the low 32 bits count: the value wraps as the system's does.
    return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

}  // namespace

std::uint32_t GetTickCount() { return TickSource() ? TickSource()() : SystemTicks(); }

void SetTickCountSource(std::function<std::uint32_t()> source) { TickSource() = std::move(source); }
