// tessoly-cli: the batch pipeline of Tessoly without a window.

#include <climits>
#include <csignal>
#include <cstdio>
#include <malloc.h>
#include <string>
#include <vector>

#include "cli/CliOptions.h"
#include "cli/CliRun.h"
#include "cli/StopSignals.h"
#include "imageio/FreeImageLibrary.h"

int main(int argc, char** argv) {
    using namespace tessoly;
    // A file size limit then fails the write (EFBIG) instead of killing the process mid-batch.
    std::signal(SIGXFSZ, SIG_IGN);
    cli::InstallStopHandlers();
    // Every image of a batch needs the same few full-size frames. Served by mmap, each one would
    // be returned to the kernel when freed and faulted back in, zero-filled, for the next image;
    // from the one main heap (worker arenas map large blocks whatever the settings), with no
    // trimming, the next image reuses the same resident pages.
    mallopt(M_ARENA_MAX, 1);
    mallopt(M_MMAP_MAX, 0);
    mallopt(M_TRIM_THRESHOLD, INT_MAX);

    cli::CliOptions options;
    try {
        options = cli::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const cli::UsageError& error) {
        std::fprintf(stderr, "tessoly-cli: %s\nTry 'tessoly-cli --help'.\n", error.what());
        return 2;
    }
    for (const std::string& warning : options.warnings)
        std::fprintf(stderr, "tessoly-cli: %s\n", warning.c_str());
    if (options.help) {
        std::fputs(cli::UsageText().c_str(), stdout);
        return 0;
    }
    int status = 0;
    try {
        FreeImageLibrary library;
        status = cli::RunCommandLineBatch(options);
    } catch (const cli::UsageError& error) {
        // Found before any image was touched: a list that cannot be read, a folder that cannot be
        // made or written.
        std::fprintf(stderr, "tessoly-cli: %s\n", error.what());
        return 2;
    }
    if (const int sig = cli::StopSignal())
        cli::EndBySignal(sig);
    return status;
}
