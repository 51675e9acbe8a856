// Allocation failure on demand, as on a machine short of memory: while a
// TAllocationLimit lives, every allocation through operator new of more
// than its limit, made on the thread that created it, fails with
// std::bad_alloc. (Other threads, such as the toolkit's own, are left alone.)
#pragma once

#include <cstddef>

class TAllocationLimit {
public:
    explicit TAllocationLimit(std::size_t largestAllowed);
    ~TAllocationLimit();
    TAllocationLimit(const TAllocationLimit&) = delete;
    TAllocationLimit& operator=(const TAllocationLimit&) = delete;

private:
    std::size_t previous_;
};
