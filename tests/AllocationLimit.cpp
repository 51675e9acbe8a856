#include "AllocationLimit.h"

#include <cstdlib>
#include <limits>
#include <new>

// Every form of the global operator new and delete is replaced together, so
// that memory always goes back the way it came (a sanitizer checks that).

namespace {

thread_local std::size_t tLargestAllowed = std::numeric_limits<std::size_t>::max();

void* Allocate(std::size_t size) {
    if (size > tLargestAllowed) throw std::bad_alloc();
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}

void* AllocateOrNull(std::size_t size) noexcept {
    try {
        return Allocate(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

}  // namespace

TAllocationLimit::TAllocationLimit(std::size_t largestAllowed) : previous_(tLargestAllowed) {
    tLargestAllowed = largestAllowed;
}

TAllocationLimit::~TAllocationLimit() { tLargestAllowed = previous_; }

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return AllocateOrNull(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return AllocateOrNull(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
