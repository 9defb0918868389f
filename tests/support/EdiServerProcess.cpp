#include "tests/support/EdiServerProcess.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <chrono>
#include <stdexcept>

extern char** environ;

namespace orr::test {

EdiServerProcess::EdiServerProcess(const std::string& sSaveDir, const std::vector<std::string>& extra)
{
    std::vector<std::string> args = {"python3", ORRINDALE_EDISERVER, "--port", "0", "--save-dir", sSaveDir,
                                     "--connections", "1", "--timeout", "60"};
    args.insert(args.end(), extra.begin(), extra.end());
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    const int rc = posix_spawnp(&mPid, "python3", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    mFd = fds[0];
    if (rc != 0)
        throw std::runtime_error("python3 could not be started");

    // The first line names the port.
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (msOutput.find('\n') == std::string::npos && std::chrono::steady_clock::now() < until)
        ReadAvailable(100);
    const std::string sFirst = msOutput.substr(0, msOutput.find('\n'));
    const auto nColon = sFirst.rfind(':');
    if (sFirst.rfind("listening on ", 0) != 0 || nColon == std::string::npos)
        throw std::runtime_error("the test server did not start: " + msOutput);
    mnPort = std::stoi(sFirst.substr(nColon + 1));
    msOutput.erase(0, sFirst.size() + 1);
}

EdiServerProcess::~EdiServerProcess()
{
    if (!WaitForEnd(0)) {
        ::kill(mPid, SIGTERM);
        ::waitpid(mPid, nullptr, 0);
    }
    ::close(mFd);
}

bool EdiServerProcess::ReadAvailable(int nTimeoutMs)
{
    pollfd p{mFd, POLLIN, 0};
    if (::poll(&p, 1, nTimeoutMs) <= 0)
        return false;
    char buf[4096];
    const ssize_t n = ::read(mFd, buf, sizeof buf);
    if (n > 0)
        msOutput.append(buf, std::size_t(n));
    return n > 0;
}

bool EdiServerProcess::WaitForEnd(int nSeconds)
{
    if (mPid < 0)
        return true;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(nSeconds);
    do {
        ReadAvailable(50);
        if (::waitpid(mPid, nullptr, WNOHANG) == mPid) {
            mPid = -1;
            while (ReadAvailable(0)) {
            }
            return true;
        }
    } while (std::chrono::steady_clock::now() < until);
    return false;
}

}  // namespace orr::test
