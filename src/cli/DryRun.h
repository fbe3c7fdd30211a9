#pragma once
// --dry-run: the target and existing-file decision each image of a run would get, found from the
// names, the file system and each source's header only; nothing is decoded or written.

#include <set>
#include <string>

#include "cli/CliReport.h"
#include "imageio/OutputSettings.h"

namespace tessoly::cli {

//! The outputs the earlier items of a dry run would have written, so a later item with the same
//! target sees it as existing, as in a real run.
using PlannedTargets = std::set<std::string>;

//! The line of one source written into outputFolder under output's format and policy.
ReportLine PlanItem(const std::string& source, const std::string& outputFolder, const OutputSettings& output,
                    PlannedTargets& planned);

} // namespace tessoly::cli
