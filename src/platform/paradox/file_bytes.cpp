#include "platform/paradox/file_bytes.h"

#include <cstdlib>
#include <sys/mman.h>

namespace marlovex::paradox::file_bytes_detail {

void* allocateLarge(std::size_t bytes) {
    const std::size_t rounded = (bytes + hugePageSize - 1) / hugePageSize * hugePageSize;
    void* memory = std::aligned_alloc(hugePageSize, rounded);
    if (memory == nullptr) {
        throw std::bad_alloc();
    }
    ::madvise(memory, rounded, MADV_HUGEPAGE);
    ::madvise(memory, rounded, MADV_POPULATE_WRITE);
    return memory;
}

void releaseLarge(void* memory) noexcept {
    std::free(memory);
}

} // namespace marlovex::paradox::file_bytes_detail
