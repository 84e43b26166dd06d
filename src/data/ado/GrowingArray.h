#pragma once

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>
#include <utility>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace ado {

// A growing array of plain values, for the row store's columns. A small array lives on the heap;
// a large one lives in a mapping of its own that grows by moving its pages (mremap), so a column
// of a million rows is never copied to a bigger buffer, never needs twice its size while it
// grows, and its pages, once touched, never fault again (a vector's growth touches twice the
// final size, and a page fault costs microseconds on a virtual machine).
template <typename T>
class GrowingArray {
    static_assert(std::is_trivially_copyable_v<T>);

public:
    GrowingArray() = default;
    GrowingArray(const GrowingArray&) = delete;
    GrowingArray& operator=(const GrowingArray&) = delete;
    GrowingArray(GrowingArray&& other) noexcept { swap(other); }
    GrowingArray& operator=(GrowingArray&& other) noexcept {
        GrowingArray moved(std::move(other));
        swap(moved);
        return *this;
    }
    ~GrowingArray() { release(); }

    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    // Bytes reserved (for the benchmarks' accounting).
    std::size_t capacityBytes() const { return capacity_ * sizeof(T); }

    T& operator[](std::size_t i) { return data_[i]; }
    const T& operator[](std::size_t i) const { return data_[i]; }
    T* data() { return data_; }
    const T* data() const { return data_; }

    void push_back(const T& value) {
        if (size_ == capacity_) reserve(size_ + 1);
        data_[size_++] = value;
    }
    // Appends `count` values, copied from `values`.
    void append(const T* values, std::size_t count) {
        if (count == 0) return;
        if (size_ + count > capacity_) reserve(size_ + count);
        std::memcpy(data_ + size_, values, count * sizeof(T));
        size_ += count;
    }
    // Resizes, new values set to `fill`.
    void resize(std::size_t count, const T& fill = T{}) {
        if (count > capacity_) reserve(count);
        for (std::size_t i = size_; i < count; ++i)
            data_[i] = fill;
        size_ = count;
    }
    void erase(std::size_t i) {
        std::memmove(data_ + i, data_ + i + 1, (size_ - i - 1) * sizeof(T));
        --size_;
    }
    void clear() {
        release();
        data_ = nullptr;
        size_ = capacity_ = 0;
        mapped_ = false;
    }
    // Gives back the spare room of a heap array (a mapping's untouched room holds no memory).
    void shrink_to_fit() {
        if (mapped_ || size_ == capacity_) return;
        if (size_ == 0) {
            clear();
            return;
        }
        if (void* p = std::realloc(data_, size_ * sizeof(T))) {
            data_ = static_cast<T*>(p);
            capacity_ = size_;
        }
    }

    // Room for at least `count` values, growing by doubling.
    void reserve(std::size_t count) {
        if (count <= capacity_) return;
        std::size_t capacity = capacity_ < 16 ? 16 : capacity_ * 2;
        while (capacity < count)
            capacity *= 2;
        reallocate(capacity);
    }

private:
    static constexpr std::size_t mapFrom = std::size_t(4) << 20; // bytes

    void swap(GrowingArray& other) noexcept {
        std::swap(data_, other.data_);
        std::swap(size_, other.size_);
        std::swap(capacity_, other.capacity_);
        std::swap(mapped_, other.mapped_);
    }

    void release() {
        if (!data_) return;
#ifdef __linux__
        if (mapped_) {
            munmap(data_, capacity_ * sizeof(T));
            return;
        }
#endif
        std::free(data_);
    }

    void reallocate(std::size_t capacity) {
        const std::size_t bytes = capacity * sizeof(T);
#ifdef __linux__
        if (bytes >= mapFrom) {
            void* p = nullptr;
            if (mapped_) {
                p = mremap(data_, capacity_ * sizeof(T), bytes, MREMAP_MAYMOVE);
            } else {
                p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1,
                         0);
                if (p != MAP_FAILED) {
                    if (size_ != 0) std::memcpy(p, data_, size_ * sizeof(T));
                    std::free(data_);
                }
            }
            if (p == MAP_FAILED) throw std::bad_alloc();
            data_ = static_cast<T*>(p);
            capacity_ = capacity;
            mapped_ = true;
            return;
        }
#endif
        void* p = std::realloc(data_, bytes);
        if (!p) throw std::bad_alloc();
        data_ = static_cast<T*>(p);
        capacity_ = capacity;
    }

    T* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0; // values
    bool mapped_ = false;
};

} // namespace ado
