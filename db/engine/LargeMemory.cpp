#include "db/engine/LargeMemory.h"

#include <sys/mman.h>

#include <new>

namespace pelmora::engine {

namespace {
constexpr size_t kLargePage = size_t{2} << 20;
}

void* allocateLarge(size_t bytes) {
    void* memory = nullptr;
    if (bytes < kLargePage) {
        memory = std::malloc(bytes == 0 ? 1 : bytes);
    } else {
        bytes = (bytes + kLargePage - 1) / kLargePage * kLargePage;
        memory = std::aligned_alloc(kLargePage, bytes);
        if (memory) ::madvise(memory, bytes, MADV_HUGEPAGE);
    }
    if (!memory) throw std::bad_alloc();
    return memory;
}

}  // namespace pelmora::engine
