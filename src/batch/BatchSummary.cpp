#include "batch/BatchSummary.h"

namespace tessoly {

std::string BatchErrorMessage(int errorCount) {
    return std::to_string(errorCount) + " error(s) occurred during the watermarking process!\r\nProbably "
                                        "disk write error or skipped image.";
}

} // namespace tessoly
