#pragma once
// What tessoly-cli prints: one line per image on stdout (a tab line, or a JSON object with
// --json), for a failure or skip a reason on stderr (tab lines only: a JSON line carries its
// own), while stderr is a terminal one progress line, and at the end a count of what went wrong.

#include <cstddef>
#include <string>

namespace tessoly::cli {

//! Why an image was not written, for the end-of-run count.
enum class Shortfall { None, NotRead, NotDrawn, NotWritten, Skipped };

//! One image's line.
struct ReportLine {
    //! "Successful", "Unsuccessful", "Skipped"; for a dry run "Write", "Overwrite", "Rename",
    //! "Skip" or "Unsuccessful".
    std::string status;
    std::string source;
    //! The target, or "" when none was chosen.
    std::string target;
    //! Why it failed or was skipped; "" otherwise.
    std::string reason;
    //! Time the image took [seconds]; 0 for a dry run.
    double seconds = 0.0;
    Shortfall shortfall = Shortfall::None;
};

//! The tab line or the JSON object of line, with its newline.
std::string FormatReportLine(const ReportLine& line, bool json);

class Reporter {
public:
    explicit Reporter(bool json);

    void Result(const ReportLine& line);
    void Progress(std::size_t finished, std::size_t total);
    //! Clears the progress line and, when any image fell short, prints the count of why (on a dry
    //! run, of what would). Returns the number that fell short.
    std::size_t Finish(std::size_t total, bool dryRun);

private:
    void ClearProgress();
    void DrawProgress();

    const bool json_;
    const bool progressOnTerminal_;
    bool statusOpen_ = true;
    bool progressShown_ = false;
    std::size_t finished_ = 0;
    std::size_t total_ = 0;
    //! Counts by Shortfall, None unused.
    std::size_t shortfalls_[5] = {};
};

} // namespace tessoly::cli
