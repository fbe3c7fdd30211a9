#include "cli/CliReport.h"

#include <cstdio>
#include <unistd.h>

#include "cli/JsonText.h"

namespace tessoly::cli {

std::string FormatReportLine(const ReportLine& line, bool json) {
    if (!json)
        return line.status + "\t" + line.source + "\t" + line.target + "\n";
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.6f", line.seconds);
    return "{\"source\":" + JsonString(line.source) + ",\"target\":" + JsonString(line.target) +
           ",\"status\":" + JsonString(line.status) + ",\"reason\":" + JsonString(line.reason) +
           ",\"seconds\":" + seconds + "}\n";
}

Reporter::Reporter(bool json) : json_(json), progressOnTerminal_(::isatty(STDERR_FILENO) == 1) {}

void Reporter::Result(const ReportLine& line) {
    ClearProgress();
    ++shortfalls_[static_cast<int>(line.shortfall)];
    // A reader that went away (SIGPIPE is ignored) ends the status lines, not the batch.
    if (statusOpen_) {
        const std::string text = FormatReportLine(line, json_);
        std::fwrite(text.data(), 1, text.size(), stdout);
        statusOpen_ = std::fflush(stdout) == 0 && !std::ferror(stdout);
    }
    if (!json_ && !line.reason.empty())
        std::fprintf(stderr, "tessoly-cli: %s\n", line.reason.c_str());
    DrawProgress();
}

void Reporter::Progress(std::size_t finished, std::size_t total) {
    finished_ = finished;
    total_ = total;
    ClearProgress();
    DrawProgress();
}

std::size_t Reporter::Finish(std::size_t total, bool dryRun) {
    ClearProgress();
    static const char* const kinds[] = {"", "not read", "not drawn", "not written", "skipped"};
    std::size_t shortCount = 0;
    std::string parts;
    for (int k = 1; k < 5; ++k) {
        if (shortfalls_[k] == 0)
            continue;
        shortCount += shortfalls_[k];
        parts += (parts.empty() ? "" : ", ") + std::to_string(shortfalls_[k]) + " " + kinds[k];
    }
    if (shortCount > 0) {
        std::fprintf(stderr, "tessoly-cli: %zu of %zu images %s (%s)\n", shortCount, total,
                     dryRun ? "would not be written" : "not written", parts.c_str());
    }
    return shortCount;
}

void Reporter::ClearProgress() {
    if (!progressShown_)
        return;
    std::fputs("\r\033[K", stderr);
    progressShown_ = false;
}

void Reporter::DrawProgress() {
    if (!progressOnTerminal_ || total_ == 0 || finished_ >= total_)
        return;
    std::fprintf(stderr, "%zu of %zu images done", finished_, total_);
    std::fflush(stderr);
    progressShown_ = true;
}

} // namespace tessoly::cli
