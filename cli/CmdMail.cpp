// Mails a message, optionally with a file, through the configured server.
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "cli/CliCommands.h"
#include "net/modMail.h"

namespace orr {
namespace {

// Reads a line from standard input, not echoed when it is a terminal.
std::optional<std::string> ReadSecret()
{
    termios saved{};
    const bool bTerminal = ::isatty(STDIN_FILENO) && ::tcgetattr(STDIN_FILENO, &saved) == 0;
    if (bTerminal) {
        termios quiet = saved;
        quiet.c_lflag &= ~tcflag_t(ECHO);
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    std::string sLine;
    const bool bRead = static_cast<bool>(std::getline(std::cin, sLine));
    if (bTerminal) {
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
        std::fputc('\n', stderr);
    }
    return bRead ? std::optional<std::string>(sLine) : std::nullopt;
}

std::optional<std::string> AskPassword(const MailSettings& settings)
{
    if (const char* sPassword = std::getenv("ORRINDALE_MAIL_PASSWORD"))
        return std::string(sPassword);
    std::fprintf(stderr, "Password for %s on %s: ", settings.sUser.c_str(), settings.sServer.c_str());
    std::fflush(stderr);
    std::optional<std::string> sPassword = ReadSecret();
    if (!sPassword)
        std::fprintf(stderr, "\nerror: no password given (ORRINDALE_MAIL_PASSWORD or the prompt)\n");
    return sPassword;
}

}  // namespace

int gfCmdMail(const CliArgs& args)
{
    args.Require(1, {"--to", "--subject", "--body", "--attach"});
    if (args.Option("--to").empty() || !args.options.count("--subject"))
        throw UsageError("mail needs --to ADDRESS and --subject TEXT");
    // Settings only: mailing needs no definitions.
    CliSession session(args);
    if (!gfSendMail({args.Option("--to"), args.Option("--subject"), args.Option("--body"), args.Option("--attach")},
                    &AskPassword))
        return 1;
    std::printf("Message sent.\n");
    return 0;
}

}  // namespace orr
