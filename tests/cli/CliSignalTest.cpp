// An interrupted tessoly-cli and one whose reader goes away: every output it leaves is whole,
// no temporary file remains, and an interrupted run ends by the signal that stopped it.

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include <FreeImage.h>

#include "CliTestSupport.h"
#include "imageio/FreeImageHandle.h"
#include "support/TestSupport.h"

namespace tessoly {
namespace {

//! Starts the built tool with args, stdout on stdoutFd and stderr into errPath, with the
//! default action of every signal the tool handles, as a shell would start it.
pid_t StartCli(const std::vector<std::string>& args, int stdoutFd, const std::string& errPath) {
    const pid_t child = ::fork();
    if (child == 0) {
        const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(stdoutFd, 1);
        ::dup2(err, 2);
        for (const int sig : {SIGINT, SIGTERM, SIGHUP, SIGPIPE})
            std::signal(sig, SIG_DFL);
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        test::ExecCli(args);
    }
    return child;
}

//! count sources, all links to one JPEG of width x height, named p000.jpg, p001.jpg, ...
std::vector<std::string> LinkedSources(const test::ScratchDir& dir, int count, int width, int height) {
    const FreeImagePtr image(FreeImage_Allocate(width, height, 24));
    RGBQUAD colour{40, 140, 90, 0};
    FreeImage_FillBackground(image.get(), &colour);
    EXPECT_TRUE(FreeImage_Save(FIF_JPEG, image.get(), dir.file("source.jpg").c_str(), 0));
    std::vector<std::string> sources;
    for (int i = 0; i < count; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "p%03d.jpg", i);
        std::filesystem::create_symlink("source.jpg", dir.path() / name);
        sources.push_back(dir.file(name));
    }
    return sources;
}

//! Every file in folder: whole JPEGs of the expected size, no hidden temporary file. Returns
//! the number of outputs.
std::size_t CheckOutputs(const std::string& folder, int width, int height) {
    std::size_t outputs = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        EXPECT_NE(name.front(), '.') << "left behind: " << name;
        const FreeImagePtr written(FreeImage_Load(FIF_JPEG, entry.path().c_str(), 0));
        EXPECT_TRUE(written) << name;
        if (written) {
            EXPECT_EQ(FreeImage_GetWidth(written.get()), static_cast<unsigned>(width)) << name;
            EXPECT_EQ(FreeImage_GetHeight(written.get()), static_cast<unsigned>(height)) << name;
        }
        ++outputs;
    }
    return outputs;
}

std::size_t CountLines(const std::string& text) {
    std::size_t lines = 0;
    for (const char c : text)
        lines += c == '\n';
    return lines;
}

// The signal arrives as soon as the first image is reported, with well over a hundred still to
// go: the images in hand are finished and reported, nothing more is started.
TEST(CliSignalTest, AnInterruptedRunFinishesTheImagesInHandAndEndsByItsSignal) {
    struct Case {
        int sig;
        const char* jobs;
    };
    for (const Case c : {Case{SIGTERM, "1"}, Case{SIGINT, "2"}, Case{SIGHUP, "1"}}) {
        SCOPED_TRACE(strsignal(c.sig));
        test::ScratchDir dir;
        const int total = 150;
        const std::vector<std::string> sources = LinkedSources(dir, total, 1200, 800);
        std::filesystem::create_directory(dir.path() / "out");
        std::vector<std::string> args = {"--jobs",          c.jobs,         "--format", "JPEG",
                                         "--output-folder", dir.file("out")};
        args.insert(args.end(), sources.begin(), sources.end());

        int pipeFds[2];
        ASSERT_EQ(::pipe(pipeFds), 0);
        const pid_t child = StartCli(args, pipeFds[1], dir.file("stderr.txt"));
        ::close(pipeFds[1]);
        std::string out;
        char buffer[4096];
        bool signalled = false;
        for (;;) {
            const ssize_t got = ::read(pipeFds[0], buffer, sizeof buffer);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                break;
            out.append(buffer, static_cast<std::size_t>(got));
            if (!signalled && out.find('\n') != std::string::npos) {
                ::kill(child, c.sig);
                signalled = true;
            }
        }
        ::close(pipeFds[0]);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(signalled);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == c.sig) << "status " << status;

        const std::size_t reported = CountLines(out);
        EXPECT_GE(reported, 1u);
        EXPECT_LT(reported, static_cast<std::size_t>(total));
        EXPECT_EQ(CheckOutputs(dir.file("out"), 1200, 800), reported);
        // The reported images are the first ones of the list.
        for (std::size_t i = 0; i < reported && i < sources.size(); ++i) {
            EXPECT_NE(out.find("Successful\t" + sources[i] + "\t"), std::string::npos) << sources[i];
        }
        const std::string err = test::ReadFileBytes(dir.file("stderr.txt"));
        EXPECT_NE(err.find("interrupted after " + std::to_string(reported) + " of 150 images"),
                  std::string::npos)
            << err;
    }
}

// A reader that closes the pipe at once (as `head` does once it has its lines) ends the status
// lines; every image is still written whole.
TEST(CliSignalTest, AClosedStdoutEndsTheStatusLinesButNotTheBatch) {
    test::ScratchDir dir;
    const std::vector<std::string> sources = LinkedSources(dir, 12, 300, 200);
    std::filesystem::create_directory(dir.path() / "out");
    std::vector<std::string> args = {"--jobs", "2", "--format", "JPEG", "--output-folder", dir.file("out")};
    args.insert(args.end(), sources.begin(), sources.end());

    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    ::close(pipeFds[0]);
    const pid_t child = StartCli(args, pipeFds[1], dir.file("stderr.txt"));
    ::close(pipeFds[1]);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << "status " << status << ": " << test::ReadFileBytes(dir.file("stderr.txt"));
    EXPECT_EQ(CheckOutputs(dir.file("out"), 300, 200), sources.size());
}

} // namespace
} // namespace tessoly
