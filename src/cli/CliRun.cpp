#include "cli/CliRun.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "batch/ParallelBatch.h"
#include "cli/CliReport.h"
#include "cli/DryRun.h"
#include "cli/OutputFolders.h"
#include "cli/SourceCheck.h"
#include "cli/SourceList.h"
#include "cli/StopSignals.h"

namespace tessoly::cli {

namespace {

//! The folder each item's output goes to: the output folder, or under --keep-folders its copy of
//! the item's sub-folder.
std::vector<std::string> ItemFolders(const std::vector<SourceItem>& items, const CliOptions& options) {
    const std::string& top = options.output.outputFolder;
    std::vector<std::string> folders;
    folders.reserve(items.size());
    for (const SourceItem& item : items) {
        if (!options.keepFolders || item.subFolder.empty() || top.empty())
            folders.push_back(top);
        else
            folders.push_back(top + (top.back() == '/' ? "" : "/") + item.subFolder);
    }
    return folders;
}

bool SamePath(const std::string& a, const std::string& b) {
    std::error_code error;
    return std::filesystem::equivalent(a, b, error);
}

ReportLine LineOfResult(const PipelineResult& result) {
    ReportLine line;
    line.status = ItemStatusName(result.status);
    line.source = result.sourcePath;
    line.target = result.targetPath;
    line.seconds = result.seconds;
    if (result.status == ItemStatus::Successful)
        return line;
    switch (result.failedStage) {
    case PipelineStage::Decode:
        line.reason = result.sourcePath + ": " + SourceProblem(result.sourcePath);
        line.shortfall = Shortfall::NotRead;
        break;
    case PipelineStage::Output:
        if (result.status == ItemStatus::Skipped) {
            line.shortfall = Shortfall::Skipped;
            line.reason = "skipped " + result.sourcePath + ": " +
                          (SamePath(result.sourcePath, result.targetPath)
                               ? "the output would replace the source itself (give --output-folder, "
                                 "or --existing rename or overwrite)"
                               : result.reason);
        } else {
            line.shortfall = Shortfall::NotWritten;
            line.reason = result.sourcePath + ": " + result.reason;
        }
        break;
    default:
        line.shortfall = Shortfall::NotDrawn;
        line.reason = result.sourcePath + ": " + result.reason;
    }
    return line;
}

//! The folders to make and check: each distinct one once.
std::vector<std::string> DistinctFolders(std::vector<std::string> folders) {
    std::sort(folders.begin(), folders.end());
    folders.erase(std::unique(folders.begin(), folders.end()), folders.end());
    return folders;
}

int DryRun(const std::vector<SourceItem>& items, const std::vector<std::string>& folders,
           const CliOptions& options) {
    Reporter reporter(options.json);
    PlannedTargets planned;
    const SettingsProblems problems = FindSettingsProblems(options.output);
    for (std::size_t i = 0; i < items.size() && StopSignal() == 0; ++i)
        reporter.Result(PlanItem(items[i].path, folders[i], options.output, problems, planned));
    return reporter.Finish(items.size(), true) == 0 ? 0 : 1;
}

} // namespace

int RunCommandLineBatch(const CliOptions& options) {
    const std::vector<SourceItem> all = CollectSourceItems(options);
    if (all.empty()) {
        std::fputs("tessoly-cli: Could not found any images!\n", stderr);
        return 1;
    }
    // A shard with nothing to do (more machines than images) has done all of its share.
    const std::vector<SourceItem> items = ShardOf(all, options.shardIndex, options.shardCount);
    if (items.empty())
        return 0;
    const std::vector<std::string> folders = ItemFolders(items, options);
    if (options.dryRun) {
        CheckOutputFoldersWouldWork(DistinctFolders(folders));
        return DryRun(items, folders, options);
    }
    PrepareOutputFolders(DistinctFolders(folders));

    int jobs = options.jobs;
    if (jobs <= 0)
        jobs = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    std::vector<std::string> sources;
    sources.reserve(items.size());
    for (const SourceItem& item : items)
        sources.push_back(item.path);

    Reporter reporter(options.json);
    ParallelBatchCallbacks callbacks;
    callbacks.onResult = [&](std::size_t, const PipelineResult& result) {
        reporter.Result(LineOfResult(result));
    };
    callbacks.onProgress = [&](std::size_t finished, std::size_t total) {
        reporter.Progress(finished, total);
    };
    callbacks.stopRequested = [] { return StopSignal() != 0; };
    reporter.Progress(0, sources.size());
    const std::size_t done =
        RunParallelBatch(sources, folders, options.watermark, options.output, jobs, callbacks);
    const std::size_t shortCount = reporter.Finish(done, false);
    if (done < sources.size())
        std::fprintf(stderr, "tessoly-cli: interrupted after %zu of %zu images\n", done, sources.size());
    return shortCount == 0 ? 0 : 1;
}

} // namespace tessoly::cli
