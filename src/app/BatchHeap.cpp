#include "app/BatchHeap.h"

#include <climits>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace tessoly {

#if defined(__GLIBC__)
namespace {

// glibc's documented defaults (mallopt(3)); setting them, as leaving does, only turns off the
// library's own rising of the mmap threshold, which a desktop window does not need.
constexpr int kDefaultMmapMax = 65536;
constexpr int kDefaultTrimThreshold = 128 * 1024;

} // namespace

void EnterBatchHeap() {
    mallopt(M_MMAP_MAX, 0);
    mallopt(M_TRIM_THRESHOLD, INT_MAX);
}

void LeaveBatchHeap() {
    mallopt(M_MMAP_MAX, kDefaultMmapMax);
    mallopt(M_TRIM_THRESHOLD, kDefaultTrimThreshold);
    malloc_trim(0);
}
#else
void EnterBatchHeap() {}
void LeaveBatchHeap() {}
#endif

} // namespace tessoly
