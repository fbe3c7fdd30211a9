#include "cli/CliRun.h"

#include <cstdio>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "batch/BatchSummary.h"
#include "batch/ParallelBatch.h"
#include "cli/StopSignals.h"
#include "imagelist/FolderScan.h"

namespace tessoly::cli {

namespace {

bool IsFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

//! Folders give their images as "Add folder" collects them; files are taken as they are, as the
//! "Add image" dialog takes them.
std::vector<std::string> CollectSources(const std::vector<std::string>& paths) {
    std::vector<std::string> sources;
    for (const std::string& path : paths) {
        if (IsFolder(path)) {
            const std::vector<std::string> found = CollectFolderImages(path);
            sources.insert(sources.end(), found.begin(), found.end());
        } else {
            sources.push_back(path);
        }
    }
    return sources;
}

//! Status lines on stdout, reasons on stderr, and while stderr is a terminal one progress line
//! that is cleared before any other line is printed and drawn again after it.
class Reporter {
public:
    Reporter() : progressOnTerminal_(::isatty(STDERR_FILENO) == 1) {}

    void Result(const PipelineResult& result) {
        ClearProgress();
        // A reader that went away (SIGPIPE is ignored) ends the status lines, not the batch.
        if (statusOpen_) {
            std::printf("%s\t%s\t%s\n", ItemStatusName(result.status), result.sourcePath.c_str(),
                        result.targetPath.c_str());
            statusOpen_ = std::fflush(stdout) == 0 && !std::ferror(stdout);
        }
        if (result.status != ItemStatus::Successful)
            std::fprintf(stderr, "tessoly-cli: %s\n", Reason(result).c_str());
        else if (!result.notice.empty())
            std::fprintf(stderr, "tessoly-cli: %s: %s\n", result.sourcePath.c_str(), result.notice.c_str());
        DrawProgress();
    }

    void Progress(std::size_t finished, std::size_t total) {
        finished_ = finished;
        total_ = total;
        ClearProgress();
        DrawProgress();
    }

    void Finish() { ClearProgress(); }

private:
    static std::string Reason(const PipelineResult& result) {
        switch (result.failedStage) {
        case PipelineStage::Decode:
            return "cannot decode " + result.sourcePath;
        case PipelineStage::Output:
            if (result.status == ItemStatus::Skipped)
                return "skipped " + result.sourcePath + ": " + result.reason;
            return result.sourcePath + ": " + result.reason;
        default:
            return result.sourcePath + ": " + result.reason;
        }
    }

    void ClearProgress() {
        if (!progressShown_)
            return;
        std::fputs("\r\033[K", stderr);
        progressShown_ = false;
    }

    void DrawProgress() {
        if (!progressOnTerminal_ || total_ == 0 || finished_ >= total_)
            return;
        std::fprintf(stderr, "%zu of %zu images done", finished_, total_);
        std::fflush(stderr);
        progressShown_ = true;
    }

    const bool progressOnTerminal_;
    bool statusOpen_ = true;
    bool progressShown_ = false;
    std::size_t finished_ = 0;
    std::size_t total_ = 0;
};

} // namespace

int RunCommandLineBatch(const CliOptions& options) {
    const std::vector<std::string> sources = CollectSources(options.paths);
    if (sources.empty()) {
        std::fputs("tessoly-cli: Could not found any images!\n", stderr);
        return 1;
    }
    int jobs = options.jobs;
    if (jobs <= 0)
        jobs = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));

    Reporter reporter;
    int errorCount = 0;
    ParallelBatchCallbacks callbacks;
    callbacks.onResult = [&](std::size_t, const PipelineResult& result) {
        if (CountsAsError(result))
            ++errorCount;
        reporter.Result(result);
    };
    callbacks.onProgress = [&](std::size_t finished, std::size_t total) {
        reporter.Progress(finished, total);
    };
    callbacks.stopRequested = [] { return StopSignal() != 0; };
    reporter.Progress(0, sources.size());
    const std::size_t done = RunParallelBatch(sources, options.watermark, options.output, jobs, callbacks);
    reporter.Finish();
    if (done < sources.size()) {
        std::fprintf(stderr, "tessoly-cli: interrupted after %zu of %zu images\n", done, sources.size());
    }

    if (errorCount == 0)
        return 0;
    // The message is written for a message box; on a terminal its lines end in a plain newline.
    for (const char c : BatchErrorMessage(errorCount)) {
        if (c != '\r')
            std::fputc(c, stderr);
    }
    std::fputc('\n', stderr);
    return 1;
}

} // namespace tessoly::cli
