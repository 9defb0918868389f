// load: reads EDI files and writes each into a database (db/DocumentLoader),
// one transaction per file. Prints one line per loaded file:
// FILE<TAB>interchanges<TAB>groups<TAB>transactions<TAB>segments.
// Exit status 0 when every file loaded, 1 when one could not be read or
// written (the others still load), 2 when the database cannot be opened.
#include <cstdio>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/CliCommands.h"
#include "cli/ConsoleUi.h"
#include "db/DatabaseSettings.h"
#include "db/DocumentLoader.h"
#include "db/ReadDocument.h"
#include "doctree/EdiDocument.h"

namespace orr {
namespace {

// The FILE arguments with every "-" replaced by the lines of standard input.
std::vector<std::string> FileNames(const CliArgs& args)
{
    std::vector<std::string> files;
    for (std::size_t i = 1; i < args.positional.size(); ++i) {
        if (args.positional[i] != "-") {
            files.push_back(args.positional[i]);
            continue;
        }
        for (std::string sLine; std::getline(std::cin, sLine);) {
            if (!sLine.empty() && sLine.back() == '\r')
                sLine.pop_back();
            if (!sLine.empty())
                files.push_back(sLine);
        }
    }
    return files;
}

// Reads and writes one file; false (reason on stderr) when it failed.
bool LoadFile(DocumentLoader& loader, const std::string& sFile, const std::string& sType)
{
    EdiDocument doc;
    std::string sError;
    if (!gfReadDocument(doc, sFile, sType, sError)) {
        std::fprintf(stderr, "error: %s: %s\n", sFile.c_str(), ConsoleUi::OneLine(sError).c_str());
        return false;
    }
    try {
        const LoadCounts c = loader.Load(doc, sFile);
        std::printf("%s\t%zu\t%zu\t%zu\t%zu\n", sFile.c_str(), c.nInterchanges, c.nGroups, c.nTransactions,
                    c.nSegments);
        std::fflush(stdout);
        return true;
    } catch (const DatabaseError& e) {
        std::fprintf(stderr, "error: %s: %s\n", sFile.c_str(), ConsoleUi::OneLine(e.what()).c_str());
        return false;
    }
}

}  // namespace

int gfCmdLoad(const CliArgs& args)
{
    args.Require(std::max<std::size_t>(args.positional.size(), 2), {"--type", "--db"});
    const std::string sType = args.Option("--type").empty() ? "auto" : args.Option("--type");
    const std::string sTarget = args.Option("--db");
    if (args.options.count("--db") && !gfIsDatabaseTarget(sTarget))
        throw UsageError("--db takes sqlite:PATH or postgresql://...");
    CliSession session(args);
    if (!session.Start())
        return 1;
    std::unique_ptr<Database> db;
    std::unique_ptr<DocumentLoader> loader;
    try {
        // Batch: a PostgreSQL password comes from libpq's PGPASSWORD or ~/.pgpass.
        db = gfOpenDatabase(sTarget.empty() ? gfReadDatabaseSettings().Target() : sTarget);
        loader = std::make_unique<DocumentLoader>(*db);
    } catch (const DatabaseError& e) {
        std::fprintf(stderr, "error: the database cannot be opened: %s\n", ConsoleUi::OneLine(e.what()).c_str());
        return 2;
    }
    int rc = 0;
    for (const std::string& sFile : FileNames(args))
        if (!LoadFile(*loader, sFile, sType))
            rc = 1;
    return rc;
}

}  // namespace orr
