// Container reader: any bytes as the definition container. The
// directory and every contained file must read without a crash, and reading
// lines must end.
#include <algorithm>
#include <vector>

#include "app/modGlobals.h"
#include "fuzz/FuzzSupport.h"
#include "schema/clsDefFiles.h"

using namespace orr;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::FuzzEnv& env = fuzz::Env();
    fuzz::WriteFile(env.config->DefinitionFile, {reinterpret_cast<const char*>(data), size});
    clsDefFiles files;
    try {
        if (!files.RefreshBinFile())
            return 0;
        std::vector<std::string> list;
        files.GetEdiDefFiles(list);
        files.GetAllDefFiles(list);
        const auto entries = files.Entries();
        // Entries of one name share the first one's content: the guard uses
        // the longest entry.
        std::int64_t nLongest = 0;
        for (const DefEntry& e : entries)
            nLongest = std::max(nLongest, e.nLength);
        std::size_t nOpened = 0;
        for (const DefEntry& e : entries) {
            if (++nOpened > 64)
                break;
            const int h = files.OpenDefFile(e.sName);
            if (h == 0)
                continue;
            // Every call moves forward or reaches the end: never more calls
            // than the content has bytes, plus one.
            std::int64_t nGuard = nLongest + 2;
            while (!files.DefFileAtEof(h)) {
                files.ReadLineFromDefFile(h);
                if (--nGuard < 0)
                    __builtin_trap();  // a read that does not advance: a hang
            }
            files.CloseDefFile(h);
        }
    } catch (const fuzz::SystemIllogicEnd&) {
    }
    return 0;
}
