// Memory for the bytes of a whole table file. A quote table runs to megabytes and is read again
// whenever another program commits. In fresh memory of small pages the kernel faults it in page
// by page while it is filled, which costs many times the copy itself; a large buffer is
// therefore aligned to huge pages, asks for them, and has all its pages mapped in one call.
// Both requests are hints: where the kernel ignores them, the buffer works as any other.
// A released large buffer is kept for the next read of the same size, whose pages are then
// mapped already, and a buffer sized for a read is not zeroed first: the read overwrites it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <utility>
#include <vector>

namespace marlovex::paradox {

namespace file_bytes_detail {
inline constexpr std::size_t hugePageSize = 2 * 1024 * 1024;
// Smaller buffers come from the ordinary heap, which usually holds their pages already.
inline constexpr std::size_t largeBufferSize = 1024 * 1024;

void* allocateLarge(std::size_t bytes);
void releaseLarge(void* memory, std::size_t bytes) noexcept;
} // namespace file_bytes_detail

template <typename T> struct FileBytesAllocator {
    using value_type = T;

    FileBytesAllocator() = default;
    template <typename U> FileBytesAllocator(const FileBytesAllocator<U>&) noexcept {}

    T* allocate(std::size_t count) {
        const std::size_t bytes = count * sizeof(T);
        if (bytes >= file_bytes_detail::largeBufferSize) {
            return static_cast<T*>(file_bytes_detail::allocateLarge(bytes));
        }
        return static_cast<T*>(::operator new(bytes));
    }

    void deallocate(T* memory, std::size_t count) noexcept {
        if (count * sizeof(T) >= file_bytes_detail::largeBufferSize) {
            file_bytes_detail::releaseLarge(memory, count * sizeof(T));
        } else {
            ::operator delete(memory);
        }
    }

    // Growth without a value leaves the bytes as they are; growth with one fills them.
    template <typename U> void construct(U* place) noexcept { ::new (static_cast<void*>(place)) U; }
    template <typename U, typename... Args> void construct(U* place, Args&&... args) {
        ::new (static_cast<void*>(place)) U(std::forward<Args>(args)...);
    }

    template <typename U> bool operator==(const FileBytesAllocator<U>&) const noexcept { return true; }
};

using FileBytes = std::vector<std::uint8_t, FileBytesAllocator<std::uint8_t>>;

} // namespace marlovex::paradox
