#include "platform/paradox/file_bytes.h"

#include <array>
#include <cstdlib>
#include <mutex>
#include <sys/mman.h>

namespace marlovex::paradox::file_bytes_detail {

namespace {

std::size_t roundedSize(std::size_t bytes) {
    return (bytes + hugePageSize - 1) / hugePageSize * hugePageSize;
}

// A reader that follows another program's commits reads each into a new buffer and then drops
// the one before; two kept buffers serve it and a second view of the same table.
struct KeptBuffer {
    void* memory = nullptr;
    std::size_t size = 0;
};
std::mutex keptMutex;
std::array<KeptBuffer, 2> kept;

} // namespace

void* allocateLarge(std::size_t bytes) {
    const std::size_t rounded = roundedSize(bytes);
    {
        const std::lock_guard lock(keptMutex);
        for (KeptBuffer& buffer : kept) {
            if (buffer.memory != nullptr && buffer.size == rounded) {
                return std::exchange(buffer, {}).memory;
            }
        }
    }
    void* memory = std::aligned_alloc(hugePageSize, rounded);
    if (memory == nullptr) {
        throw std::bad_alloc();
    }
    ::madvise(memory, rounded, MADV_HUGEPAGE);
    ::madvise(memory, rounded, MADV_POPULATE_WRITE);
    return memory;
}

void releaseLarge(void* memory, std::size_t bytes) noexcept {
    KeptBuffer released{.memory = memory, .size = roundedSize(bytes)};
    {
        const std::lock_guard lock(keptMutex);
        // The older kept buffer makes room for the one just released.
        std::swap(released, kept[0]);
        if (released.memory == nullptr) {
            return;
        }
        std::swap(released, kept[1]);
    }
    std::free(released.memory);
}

} // namespace marlovex::paradox::file_bytes_detail
