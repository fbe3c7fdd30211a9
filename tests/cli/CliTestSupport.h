#pragma once
// Helpers of the tests that start the built tessoly-cli.

#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace tessoly::test {

//! Replaces the calling (forked) process with the built tool run with args; exits with 127 when
//! it cannot be started.
[[noreturn]] inline void ExecCli(const std::vector<std::string>& args) {
    // Under the sanitizer build the leak checker would add its summary to stderr.
    const char* lsan = std::getenv("LSAN_OPTIONS");
    const std::string lsanOptions =
        std::string(lsan ? lsan : "") + (lsan ? ":" : "") + "print_suppressions=0";
    ::setenv("LSAN_OPTIONS", lsanOptions.c_str(), 1);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(TESSOLY_CLI_PATH));
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(TESSOLY_CLI_PATH, argv.data());
    ::_exit(127);
}

} // namespace tessoly::test
