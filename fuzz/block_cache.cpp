// Every fuzz run builds a few data tables, each one block of about 400 KB.
// Under AddressSanitizer a block that size is mapped afresh and unmapped
// again every time, and its page faults took most of a run. This keeps a
// few freed large blocks and hands them out again for the same size. A
// cached block stays poisoned, so a use after free is still reported; the
// block itself comes from malloc, so its redzones stay in place.
#include <sanitizer/allocator_interface.h>
#include <sanitizer/asan_interface.h>

#include <cstddef>
#include <cstdlib>
#include <iterator>
#include <new>

namespace {

constexpr std::size_t LargeBlock = 64 * 1024;

struct Slot {
    void* Block = nullptr;
    std::size_t Size = 0;
};
Slot Cache[16];

void* Allocate(std::size_t size) {
    if (size >= LargeBlock)
        for (Slot& slot : Cache)
            if (slot.Block != nullptr && slot.Size == size) {
                void* block = slot.Block;
                slot.Block = nullptr;
                ASAN_UNPOISON_MEMORY_REGION(block, size);
                return block;
            }
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block == nullptr) throw std::bad_alloc();
    return block;
}

void Release(void* block) noexcept {
    if (block == nullptr) return;
    const std::size_t size = __sanitizer_get_allocated_size(block);
    if (size < LargeBlock) {
        std::free(block);
        return;
    }
    // A free slot, else the oldest one gives way: blocks of sizes that do
    // not come again must not hold the cache for good.
    Slot* target = nullptr;
    for (Slot& slot : Cache)
        if (slot.Block == nullptr) {
            target = &slot;
            break;
        }
    if (target == nullptr) {
        static std::size_t oldest = 0;
        target = &Cache[oldest];
        oldest = (oldest + 1) % std::size(Cache);
        ASAN_UNPOISON_MEMORY_REGION(target->Block, target->Size);
        std::free(target->Block);
    }
    target->Block = block;
    target->Size = size;
    ASAN_POISON_MEMORY_REGION(block, size);
}

}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void operator delete(void* block) noexcept { Release(block); }
void operator delete[](void* block) noexcept { Release(block); }
void operator delete(void* block, std::size_t) noexcept { Release(block); }
void operator delete[](void* block, std::size_t) noexcept { Release(block); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return Allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* block, const std::nothrow_t&) noexcept { Release(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { Release(block); }
