// DEF flattening and schema build over a fuzzed container.
// Input: one or more DEF files, each introduced by a line "@@name"; text
// before the first such line (or the whole input without one) is docF.def.
// The files are packed into the container and "F" is built.
#include <map>
#include <string>

#include "app/modGlobals.h"
#include "fuzz/FuzzSupport.h"
#include "schema/clsDefFiles.h"
#include "schema/clsTreeS.h"
#include "store/clsTree.h"

using namespace orr;

namespace {

std::map<std::string, std::string> SplitFiles(std::string_view s)
{
    std::map<std::string, std::string> files;
    std::string sName = "docF.def";
    std::size_t pos = 0;
    std::string sText;
    auto flush = [&] {
        if (!sName.empty() && sName.size() <= 40 && sName.find('*') == std::string::npos)
            files[sName] += sText;
        sText.clear();
    };
    while (pos <= s.size()) {
        std::size_t end = s.find('\n', pos);
        if (end == std::string_view::npos)
            end = s.size();
        std::string_view line = s.substr(pos, end - pos);
        if (line.size() > 2 && line[0] == '@' && line[1] == '@') {
            flush();
            sName = std::string(line.substr(2));
            while (!sName.empty() && (sName.back() == '\r' || sName.back() == ' '))
                sName.pop_back();
        } else {
            sText.append(line);
            sText += '\n';
        }
        pos = end + 1;
    }
    flush();
    return files;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > 200000)
        return 0;
    fuzz::FuzzEnv& env = fuzz::Env();
    try {
        fuzz::PackContainer(env.config->DefinitionFile, SplitFiles({reinterpret_cast<const char*>(data), size}));
    } catch (const std::exception&) {
        return 0;  // a name the packer refuses: not the reader's business
    }
    static clsDefFiles files;
    gDefFiles = &files;
    if (!files.RefreshBinFile())
        return 0;
    clsTreeS builder;
    clsTree tree;
    try {
        builder.Build(tree, "F");
    } catch (const fuzz::SystemIllogicEnd&) {
        // A defined end of the program (for example more than 99999 nodes).
    }
    return 0;
}
