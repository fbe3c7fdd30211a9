// tessoly-cli: the batch pipeline of Tessoly without a window.

#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/CliOptions.h"
#include "cli/CliRun.h"
#include "imageio/FreeImageLibrary.h"

int main(int argc, char** argv) {
    using namespace tessoly;
    // A file size limit then fails the write (EFBIG) instead of killing the process mid-batch.
    std::signal(SIGXFSZ, SIG_IGN);

    cli::CliOptions options;
    try {
        options = cli::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const cli::UsageError& error) {
        std::fprintf(stderr, "tessoly-cli: %s\nTry 'tessoly-cli --help'.\n", error.what());
        return 2;
    }
    if (options.help) {
        std::fputs(cli::UsageText().c_str(), stdout);
        return 0;
    }
    FreeImageLibrary library;
    return cli::RunCommandLineBatch(options);
}
