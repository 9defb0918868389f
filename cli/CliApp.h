#pragma once
// orrindale-cli: the engines in batch, without windows.
//
// The commands that need Qt Gui, Qt Network, libcurl or the database
// clients (print, mail, connect, load) are built into a second program,
// orrindale-cli-io, so that the
// others start without those libraries (some 14 MB of memory and their
// start-up): orrindale-cli hands those commands to it, with the same
// arguments, before it starts anything.
#include "cli/CliCommon.h"

namespace orr {

// What orrindale-cli-io adds: its commands. orrindale-cli itself starts
// no Qt application; orrindale-cli-io makes the one its commands need
// (gfCliNeedsGui) before it calls gfCliMain.
struct CliIo {
    using Command = int (*)(const CliArgs& args);
    Command fnPrint = nullptr, fnMail = nullptr, fnConnect = nullptr;
    Command fnLoad = nullptr;  // the database clients
};

// True when the command the arguments name lays out text with fonts (a Qt Gui application).
bool gfCliNeedsGui(int argc, char** argv);

// Exit status: 0 success, 1 failure (reason on stderr), 2 usage error.
// Without io, the commands of orrindale-cli-io start that program in place
// of this one.
int gfCliMain(int argc, char** argv, const CliIo* io = nullptr);

}  // namespace orr
