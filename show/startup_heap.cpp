// startup_heap.cpp - the main heap grown once and marked for huge pages (see startup_heap.h).
#include "show/startup_heap.h"

#include <cstdlib> // defines __GLIBC__

#if defined(__linux__) && defined(__GLIBC__)
#include <cstddef>
#include <cstdint>
#include <malloc.h>
#include <sys/mman.h>

namespace {

// What start-up's large blocks may reach (untouched pages cost nothing), grown in steps that stay under
// the largest block glibc lets the heap serve; blocks from kLargeBlockBytes up still get mappings of
// their own, and a free top of the heap under kKeptHeapBytes stays with the process.
constexpr size_t kStartupHeapBytes = 256u << 20;
constexpr size_t kGrowStepBytes = 16u << 20;
constexpr size_t kLargeBlockBytes = 32u << 20;
constexpr size_t kKeptHeapBytes = 1u << 30;
constexpr uintptr_t kHugePageBytes = 2u << 20;

} // namespace

void prepareStartupHeap() {
    static bool prepared = false;
    if (prepared) return;
    prepared = true;
    // Blocks under 32 MiB come from the heap, and what is freed at its top stays for the next ones.
    mallopt(M_MMAP_THRESHOLD, (int)kLargeBlockBytes);
    mallopt(M_TRIM_THRESHOLD, (int)kKeptHeapBytes);
    // Every thread takes from this one heap: a buffer the image decoders free is reused by the
    // driver's storage instead of staying in an arena of the decoding thread.
    mallopt(M_ARENA_MAX, 1);
    constexpr int kSteps = (int)(kStartupHeapBytes / kGrowStepBytes);
    void* steps[kSteps] = {};
    uintptr_t first = UINTPTR_MAX, end = 0;
    for (int i = 0; i < kSteps; ++i) {
        steps[i] = std::malloc(kGrowStepBytes);
        if (!steps[i]) break;
        const uintptr_t at = (uintptr_t)steps[i];
        first = at < first ? at : first;
        end = at + kGrowStepBytes > end ? at + kGrowStepBytes : end;
    }
    for (void* step : steps) std::free(step);
    const uintptr_t from = (first + kHugePageBytes - 1) & ~(kHugePageBytes - 1);
    const uintptr_t to = end & ~(kHugePageBytes - 1);
    if (from < to) madvise((void*)from, to - from, MADV_HUGEPAGE);
}

#else

void prepareStartupHeap() {}

#endif
