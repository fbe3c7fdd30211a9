#pragma once
// The run of tessoly-cli: collects the images of the PATH arguments and lists, takes this shard's
// share, makes and checks the output folders, runs the batch pipeline on them (or only plans it,
// for a dry run) and reports each result in list order.

#include "cli/CliOptions.h"

namespace tessoly::cli {

//! Runs the batch; returns the exit status (0 every image written, 1 any failed or skipped).
//! Throws UsageError for a list that cannot be read or an output folder that cannot be made or
//! written, before any image is decoded. A stop signal (StopSignals) ends it after the images in
//! hand; the caller then ends by it.
int RunCommandLineBatch(const CliOptions& options);

} // namespace tessoly::cli
