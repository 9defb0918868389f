#pragma once
// One function per orrindale-cli command; each returns the exit status and
// throws UsageError for bad arguments.
#include "cli/CliCommon.h"

namespace orr {

int gfCmdDefs(const CliArgs& args);
int gfCmdPack(const CliArgs& args);
int gfCmdSchema(const CliArgs& args);
int gfCmdAck(const CliArgs& args);

}  // namespace orr
