#include "tests/support/SmtpTestServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <stdexcept>

#include "net/modMail.h"
#include "tests/support/TestEnv.h"

extern char** environ;

namespace orr::test {
namespace {

namespace fs = std::filesystem;

// Debian's interpreter: the one that python3-aiosmtpd installs into.
constexpr const char* kPython = "/usr/bin/python3";
constexpr int kStartMillis = 15000;

int BoundPort(int fd)
{
    sockaddr_in addr{};
    socklen_t len = sizeof addr;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    return ntohs(addr.sin_port);
}

int LoopbackSocket()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0)
        throw std::runtime_error("no loopback socket");
    return fd;
}

// The first line the server prints, or "" when none comes in time.
std::string ReadLine(int fd, int nMillis)
{
    std::string s;
    pollfd p{fd, POLLIN, 0};
    char c = 0;
    while (::poll(&p, 1, nMillis) > 0 && ::read(fd, &c, 1) == 1 && c != '\n')
        s += c;
    return s;
}

}  // namespace

std::string ReceivedMail::Part(const std::string& sName) const
{
    const auto it = parts.find(sName);
    return it == parts.end() ? std::string("<missing>") : it->second;
}

SmtpTestServer::SmtpTestServer(const std::string& sDir, const std::string& sAuth) : mOut(sDir + "/smtp")
{
    fs::create_directories(mOut);
    const std::string sScript = std::string(ORRINDALE_SOURCE_DIR) + "/tests/support/smtp_server.py";
    std::vector<std::string> args = {kPython, sScript, mOut};
    if (!sAuth.empty())
        args.insert(args.end(), {"--auth", sAuth});
    std::vector<char*> argv;
    for (std::string& s : args)
        argv.push_back(s.data());
    argv.push_back(nullptr);

    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    if (posix_spawn(&mPid, kPython, &actions, nullptr, argv.data(), environ) != 0)
        mPid = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    const std::string sPort = mPid > 0 ? ReadLine(pipeFds[0], kStartMillis) : std::string();
    ::close(pipeFds[0]);
    mnPort = sPort.empty() ? 0 : std::stoi(sPort);
}

SmtpTestServer::~SmtpTestServer()
{
    if (mPid > 0) {
        ::kill(mPid, SIGKILL);
        ::waitpid(mPid, nullptr, 0);
    }
}

std::vector<ReceivedMail> SmtpTestServer::Messages() const
{
    std::vector<ReceivedMail> mails;
    for (int n = 1; fs::is_directory(mOut + "/" + std::to_string(n)); ++n) {
        ReceivedMail mail;
        for (const auto& entry : fs::directory_iterator(mOut + "/" + std::to_string(n)))
            mail.parts[entry.path().filename().string()] = TestEnv::ReadFile(entry.path().string());
        mails.push_back(std::move(mail));
    }
    return mails;
}

SilentPort::SilentPort() : mFd(LoopbackSocket())
{
    ::listen(mFd, 4);
    mnPort = BoundPort(mFd);
}

SilentPort::~SilentPort() { ::close(mFd); }

int gfClosedPort()
{
    // Bound but never listening: connections are refused.
    const int fd = LoopbackSocket();
    const int nPort = BoundPort(fd);
    ::close(fd);
    return nPort;
}

void gfUseMailServer(int nPort, const std::string& sUser)
{
    gfSaveMailSettings({"127.0.0.1", nPort, "none", sUser, "edi@example.test"});
}

}  // namespace orr::test
