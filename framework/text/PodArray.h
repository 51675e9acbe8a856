// A growable array of plain values kept in one malloc block. Large blocks
// grow through realloc, which the C library moves by remapping pages rather
// than copying, so a big index or text buffer never exists twice while it
// grows; new elements are not zero-filled, so untouched capacity costs no
// memory.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>
#include <utility>

template <class T>
class TPodArray {
    static_assert(std::is_trivially_copyable_v<T>, "TPodArray holds plain values only");

public:
    TPodArray() = default;
    ~TPodArray() { std::free(data_); }
    TPodArray(const TPodArray&) = delete;
    TPodArray& operator=(const TPodArray&) = delete;
    TPodArray(TPodArray&& other) noexcept { Swap(other); }
    TPodArray& operator=(TPodArray&& other) noexcept {
        TPodArray(std::move(other)).Swap(*this);
        return *this;
    }

    void Swap(TPodArray& other) noexcept {
        std::swap(data_, other.data_);
        std::swap(size_, other.size_);
        std::swap(capacity_, other.capacity_);
    }

    T* Data() { return data_; }
    const T* Data() const { return data_; }
    std::size_t Size() const { return size_; }
    std::size_t Capacity() const { return capacity_; }
    bool Empty() const { return size_ == 0; }
    T& operator[](std::size_t i) { return data_[i]; }
    const T& operator[](std::size_t i) const { return data_[i]; }
    T& Back() { return data_[size_ - 1]; }
    const T& Back() const { return data_[size_ - 1]; }

    void Reserve(std::size_t capacity) {
        if (capacity <= capacity_) return;
        void* grown = std::realloc(data_, capacity * sizeof(T));
        if (!grown) throw std::bad_alloc();
        data_ = static_cast<T*>(grown);
        capacity_ = capacity;
    }
    // Gives unused capacity back (the tail pages of a remapped block).
    void ShrinkToFit() {
        if (size_ == capacity_) return;
        if (size_ == 0) {
            Clear();
            return;
        }
        if (void* shrunk = std::realloc(data_, size_ * sizeof(T))) {
            data_ = static_cast<T*>(shrunk);
            capacity_ = size_;
        }
    }
    // New elements are left uninitialised.
    void Resize(std::size_t size) {
        if (size > capacity_) Reserve(GrowthFor(size));
        size_ = size;
    }
    void PushBack(T value) {
        if (size_ == capacity_) Reserve(GrowthFor(size_ + 1));
        data_[size_++] = value;
    }
    void Append(const T* values, std::size_t count) {
        if (size_ + count > capacity_) Reserve(GrowthFor(size_ + count));
        if (count) std::memcpy(data_ + size_, values, count * sizeof(T));
        size_ += count;
    }
    // Opens a gap of `count` uninitialised elements at `at`.
    void InsertGap(std::size_t at, std::size_t count) {
        Resize(size_ + count);
        std::memmove(data_ + at + count, data_ + at, (size_ - count - at) * sizeof(T));
    }
    void Erase(std::size_t at, std::size_t count) {
        std::memmove(data_ + at, data_ + at + count, (size_ - at - count) * sizeof(T));
        size_ -= count;
    }
    void Clear() {
        std::free(data_);
        data_ = nullptr;
        size_ = capacity_ = 0;
    }

private:
    std::size_t GrowthFor(std::size_t needed) const {
        const std::size_t grown = capacity_ + capacity_ / 2 + 16;
        return grown > needed ? grown : needed;
    }

    T* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};
