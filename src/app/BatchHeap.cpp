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

// One heap for every thread, as tessoly-cli has: a worker's own arena would map each full-size
// frame afresh whatever the settings below say. glibc fixes the number of arenas when a second
// thread first allocates, so this has to happen before any thread starts: at static
// initialisation of the program.
[[maybe_unused]] const bool kOneArena = [] {
    mallopt(M_ARENA_MAX, 1);
    return true;
}();

} // namespace

void EnterBatchHeap() {
    mallopt(M_MMAP_MAX, 0);
    mallopt(M_TRIM_THRESHOLD, INT_MAX);
}

void LeaveBatchHeap() {
    mallopt(M_MMAP_MAX, kDefaultMmapMax);
    mallopt(M_TRIM_THRESHOLD, kDefaultTrimThreshold);
}

void TrimFreeHeap() {
    malloc_trim(0);
}
#else
void EnterBatchHeap() {}
void LeaveBatchHeap() {}
void TrimFreeHeap() {}
#endif

} // namespace tessoly
