#pragma once
// The two process-wide job flags. The window owns them through a shared pointer and hands a copy
// to every job it starts, so a job that outlives the window still writes to live memory.

#include <atomic>

namespace tessoly {

struct JobFlags {
    //! True while the batch job runs: the render entry writes the output and leaves out the guide
    //! lines. Written by the batch job's worker, read on the user-interface thread.
    std::atomic<bool> BatchRunning{false};
    //! True while the facts reading job runs. Written by its worker, read on the user-interface
    //! thread (Start button, tab change).
    std::atomic<bool> ReadingInProgress{false};
};

} // namespace tessoly
