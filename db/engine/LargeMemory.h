// Memory for tables of tens of megabytes looked up at scattered places: from a large
// page up, aligned on the processor's large pages and asked to be backed by them, so
// that such lookups miss the address cache far less often and the memory is mapped
// in far fewer faults. Smaller requests are plain memory.
#pragma once

#include <cstddef>
#include <cstdlib>

namespace pelmora::engine {

// `bytes` bytes, never null (std::bad_alloc instead); freed by std::free.
void* allocateLarge(size_t bytes);

// An allocator for the containers of such tables.
template <typename T>
struct LargeAllocator {
    using value_type = T;
    LargeAllocator() = default;
    template <typename U>
    LargeAllocator(const LargeAllocator<U>&) {}
    T* allocate(size_t n) { return static_cast<T*>(allocateLarge(n * sizeof(T))); }
    void deallocate(T* p, size_t) { std::free(p); }
    template <typename U>
    bool operator==(const LargeAllocator<U>&) const {
        return true;
    }
};

}  // namespace pelmora::engine
