#pragma once
// --dry-run: the target and existing-file decision each image of a run would get, found from the
// names, the file system and each source's header only; nothing is decoded or written.

#include <set>
#include <string>

#include "cli/CliReport.h"
#include "imageio/OutputSettings.h"

namespace tessoly::cli {

//! The outputs the earlier items of a dry run would have written (NormalisedPath of each), so a
//! later item with the same target sees it as existing and as this run's own, as in a real run.
using PlannedTargets = std::set<std::string>;

//! The failures the output stage would meet on every image whatever its pixels (a resolution or
//! size that is not a number), found once by converting a 1 x 1 picture as a real run converts.
struct SettingsProblems {
    //! An error raised before the target is chosen: no image gets a target.
    std::string beforeTarget;
    //! A conversion that loses the picture: told after the existing-file policy, as in a run.
    std::string afterTarget;
};

SettingsProblems FindSettingsProblems(const OutputSettings& output);

//! The line of one source written into outputFolder under output's format and policy.
ReportLine PlanItem(const std::string& source, const std::string& outputFolder, const OutputSettings& output,
                    const SettingsProblems& problems, PlannedTargets& planned);

} // namespace tessoly::cli
