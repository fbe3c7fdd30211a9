#pragma once
// Helpers of the tests that start the built tessoly-cli.

#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include <FreeImage.h>

#include "imageio/FreeImageHandle.h"
#include "support/TestSupport.h"

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

struct RunResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

//! Runs the built tool with args and input on stdin; stdout and stderr go to files in scratch
//! (not a terminal).
inline RunResult RunCli(const ScratchDir& scratch, const std::vector<std::string>& args,
                        const std::string& input = "") {
    const std::string outPath = scratch.file("stdout.txt"), errPath = scratch.file("stderr.txt"),
                      inPath = scratch.file("stdin.txt");
    WriteFileBytes(inPath, input);
    const pid_t child = ::fork();
    if (child == 0) {
        const int in = ::open(inPath.c_str(), O_RDONLY);
        const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(in, 0);
        ::dup2(out, 1);
        ::dup2(err, 2);
        ExecCli(args);
    }
    RunResult result;
    int status = 0;
    ::waitpid(child, &status, 0);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = ReadFileBytes(outPath);
    result.err = ReadFileBytes(errPath);
    return result;
}

//! A plain picture of one colour.
inline void WritePicture(const std::string& path, FREE_IMAGE_FORMAT format, int width, int height) {
    const FreeImagePtr image(FreeImage_Allocate(width, height, 24));
    RGBQUAD colour{90, 120, 150, 0};
    FreeImage_FillBackground(image.get(), &colour);
    ASSERT_TRUE(FreeImage_Save(format, image.get(), path.c_str(), 0)) << path;
}

//! A status line as the tool prints it.
inline std::string Line(const char* status, const std::string& source, const std::string& target) {
    return std::string(status) + "\t" + source + "\t" + target + "\n";
}

} // namespace tessoly::test
