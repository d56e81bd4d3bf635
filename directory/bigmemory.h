#pragma once

#include <cstddef>
#include <memory>

namespace vg {

// Room for large, short-lived or bulk data (an inflated directory, the records' blocks): from the heap as any
// allocation, but marked for the kernel's huge pages when it spans a few, so that
// filling it takes one page fault per 2 MiB instead of one per 4 KiB. The bytes are not cleared.
struct TBigMemoryFree {
    void operator()(unsigned char* p) const noexcept;
};
using TBigMemory = std::unique_ptr<unsigned char[], TBigMemoryFree>;
TBigMemory AllocateBig(std::size_t bytes);

} // namespace vg
