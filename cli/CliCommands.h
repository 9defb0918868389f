#pragma once
// One function per orrindale-cli command; each returns the exit status and
// throws UsageError for bad arguments.
#include "cli/CliCommon.h"

namespace orr {

int gfCmdDefs(const CliArgs& args);
int gfCmdPack(const CliArgs& args);
int gfCmdSchema(const CliArgs& args);
int gfCmdAck(const CliArgs& args);
int gfCmdDetect(const CliArgs& args);
int gfCmdTree(const CliArgs& args);
int gfCmdValidate(const CliArgs& args);
int gfCmdConvert(const CliArgs& args);
int gfCmdExport(const CliArgs& args);
int gfCmdNew(const CliArgs& args);
int gfCmdConnect(const CliArgs& args);

}  // namespace orr
