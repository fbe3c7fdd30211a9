#pragma once
// The run of tessoly-cli: collects the images of the PATH arguments, runs the batch pipeline on
// them and reports each result in list order.

#include "cli/CliOptions.h"

namespace tessoly::cli {

//! Runs the batch; returns the exit status (0 every image written, 1 any failed or skipped).
//! A stop signal (StopSignals) ends it after the images in hand; the caller then ends by it.
int RunCommandLineBatch(const CliOptions& options);

} // namespace tessoly::cli
