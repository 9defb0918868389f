#pragma once
// One function per orrindale-cli command; each returns the exit status and
// throws UsageError for bad arguments.
#include "cli/CliCommon.h"

namespace orr {

class EdiDocument;

// Reads the positional FILE against --type as the tree command does: the
// separators given (--delimiter, --selimiter) or detected, no question
// asked; the builder's error text on stderr. False (reason on stderr) when
// the definition, the separators or the file cannot be had.
bool gfCliLoadDocument(const CliArgs& args, EdiDocument& doc);
// Usage error without -o FILE; an error when FILE is the input file itself.
void gfRequireOutput(const CliArgs& args);
// Separator detection for the command line: the reason on stderr when it
// fails, and for an unknown separator the options that name it.
bool gfCliGuessSeparators(const std::string& sFile, SepCode& nDelimiter, SepCode& nSelimiter);
// False (said on stderr) when nothing could be read from the document's
// file: writing commands then write nothing.
bool gfCliDocumentRead(const EdiDocument& doc);
// The exit status of a command that wrote sOut; a failed write leaves no part of it.
int gfCliKeepOnlyWhole(const std::string& sOut, bool bWritten);

int gfCmdDefs(const CliArgs& args);
int gfCmdPack(const CliArgs& args);
int gfCmdSchema(const CliArgs& args);
int gfCmdAck(const CliArgs& args);
int gfCmdDetect(const CliArgs& args);
int gfCmdTree(const CliArgs& args);
int gfCmdEdit(const CliArgs& args);
int gfCmdHL(const CliArgs& args);
int gfCmdValidate(const CliArgs& args);
int gfCmdStats(const CliArgs& args);
int gfCmdConvert(const CliArgs& args);
int gfCmdExport(const CliArgs& args);
int gfCmdNew(const CliArgs& args);
int gfCmdDiff(const CliArgs& args);
// export: --format json|xml here, --separator by gfCmdExport.
int gfCmdExportAny(const CliArgs& args);
int gfCmdImport(const CliArgs& args);
int gfCmdCheck(const CliArgs& args);
int gfCmdFind(const CliArgs& args);
// In orrindale-cli-io. print needs a Qt Gui application (fonts), which that
// program starts for it.
int gfCmdPrint(const CliArgs& args);
int gfCmdMail(const CliArgs& args);
int gfCmdConnect(const CliArgs& args);
int gfCmdLoad(const CliArgs& args);

}  // namespace orr
