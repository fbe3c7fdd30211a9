#pragma once
// The gauge position of the two jobs.

namespace tessoly {

//! round(done / total * 100) with halves to the even neighbour: 1 of 8 gives 12, 3 of 8 gives 38.
//! 0 when total is not positive; done is clamped to 0..total.
int ProgressPercent(int done, int total);

} // namespace tessoly
