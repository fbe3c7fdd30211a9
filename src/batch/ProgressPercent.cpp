#include "batch/ProgressPercent.h"

#include <algorithm>
#include <cstdint>

namespace tessoly {

int ProgressPercent(int done, int total) {
    if (total <= 0) {
        return 0;
    }
    // Exact in integers, so no binary fraction can tip a half either way.
    const std::int64_t scaled = std::int64_t(std::clamp(done, 0, total)) * 100;
    std::int64_t quotient = scaled / total;
    const std::int64_t twiceRemainder = (scaled % total) * 2;
    if (twiceRemainder > total || (twiceRemainder == total && quotient % 2 != 0)) {
        ++quotient;
    }
    return static_cast<int>(quotient);
}

} // namespace tessoly
