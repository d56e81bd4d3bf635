#include "bigmemory.h"

#include <cstdint>
#include <cstdlib>
#include <new>
#include <sys/mman.h>

namespace vg {

namespace {
constexpr std::size_t kHugePage = std::size_t{2} << 20;
} // namespace

void TBigMemoryFree::operator()(unsigned char* p) const noexcept {
    std::free(p);
}

TBigMemory AllocateBig(std::size_t bytes) {
    void* p = std::malloc(bytes == 0 ? 1 : bytes);
    if (!p) throw std::bad_alloc();
#if defined(MADV_HUGEPAGE)
    // Advice only, on the whole pages inside: the kernel backs every aligned 2 MiB of them with one huge page
    // where it can, and with small pages as before where huge pages are off.
    if (bytes >= 2 * kHugePage) {
        constexpr std::uintptr_t kPage = 4096;
        const auto begin = (reinterpret_cast<std::uintptr_t>(p) + kPage - 1) & ~(kPage - 1);
        const auto end = (reinterpret_cast<std::uintptr_t>(p) + bytes) & ~(kPage - 1);
        madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
    }
#endif
    return TBigMemory(static_cast<unsigned char*>(p));
}

} // namespace vg
