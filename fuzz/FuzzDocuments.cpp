#include "fuzz/FuzzDocuments.h"

#include "doctree/clsTreeDSave.h"

#include "doctree/clsTreeD.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>

#include "app/modGlobals.h"
#include "app/modText.h"
#include "doctree/modNodeD.h"
#include "edi/modGuessEdi.h"
#include "fuzz/FuzzSupport.h"
#include "schema/clsDefFiles.h"
#include "schema/clsTreeS.h"

#ifndef ORRINDALE_SOURCE_DIR
#define ORRINDALE_SOURCE_DIR "."
#endif

namespace orr::fuzz {

clsDefFiles& Library()
{
    static clsDefFiles* files = [] {
        FuzzEnv& env = Env();
        auto defs = RealDefinitions();
        defs["docT1.def"] = kDocT1;
        PackContainer(env.config->DefinitionFile, defs);
        auto* f = new clsDefFiles;
        if (!f->RefreshBinFile())
            std::abort();
        gDefFiles = f;
        return f;
    }();
    return *files;
}

const std::vector<std::pair<std::string, std::string>>& ExampleDocuments()
{
    static const auto documents = [] {
        std::vector<std::pair<std::string, std::string>> out;
        for (const auto& e :
             std::filesystem::directory_iterator(std::filesystem::path(ORRINDALE_SOURCE_DIR) / "examples")) {
            const std::string sName = e.path().filename().string();
            if (e.path().extension() == ".edi")
                out.emplace_back(e.path().string(), sName.substr(0, sName.find('-')));
        }
        std::sort(out.begin(), out.end());
        return out;
    }();
    return documents;
}

EditSubject& Subject(std::size_t nExample, bool bFreeForm)
{
    // Never destroyed: the documents outlive every input and the tree memory pools.
    static auto* subjects = new std::map<std::pair<std::size_t, bool>, std::unique_ptr<EditSubject>>;
    auto& slot = (*subjects)[{nExample, bFreeForm}];
    if (!slot) {
        Library();
        const auto& [sFile, sType] = ExampleDocuments().at(nExample);
        slot = std::make_unique<EditSubject>();
        const std::string sRules = bFreeForm ? std::string("FreeForm") : sType;
        static auto* blanks = new std::map<std::string, std::unique_ptr<EdiDocument>>;
        auto& blank = (*blanks)[sRules];
        if (!blank) {
            blank = std::make_unique<EdiDocument>();
            if (!blank->New(sRules, EdiDocument::NewContent::Empty))
                std::abort();
        }
        slot->blank = blank.get();
        for (EdiDocument* doc : {&slot->read, &slot->work})
            doc->SetSeparators('*', '~');
        // The examples open against both rules.
        if (!slot->read.LoadDefinition(sRules) || !slot->work.LoadDefinition(sRules) ||
            !slot->read.Open(sFile, EdiDocument::OpenMode::Batch))
            std::abort();
    }
    return *slot;
}

Schema& SchemaFor(std::string_view sText, SepCode nDelimiter)
{
    static std::map<std::string, std::unique_ptr<Schema>> cache;
    clsDefFiles& files = Library();
    std::string sType = "T1";
    if (nDelimiter < 256) {
        const std::string sKey = std::string("ST") + char(nDelimiter);
        std::size_t pos = sText.find(sKey);
        if (pos != std::string_view::npos) {
            pos += sKey.size();
            std::size_t end = pos;
            while (end < sText.size() && end - pos < 8 && std::isalnum(static_cast<unsigned char>(sText[end])))
                ++end;
            const std::string sCandidate(sText.substr(pos, end - pos));
            const std::vector<std::string>& types = files.DocTypes();
            const bool bKnown = std::any_of(types.begin(), types.end(),
                                            [&](const std::string& s) { return gfSameName(s, sCandidate); });
            if (!sCandidate.empty() && bKnown)
                sType = sCandidate;
        }
    }
    auto& slot = cache[sType];
    if (!slot) {
        slot = std::make_unique<Schema>();
        clsTreeS builder;
        slot->ndRoot = slot->tree.Node(builder.Build(slot->tree, sType));
        if (!slot->ndRoot)
            std::abort();
        slot->index = SchemaIndex(slot->tree, slot->ndRoot.Id());
    }
    // No reset here: the builder resets the repeat counts at the first
    // segment of every build.
    return *slot;
}

void Separators(std::string_view sText, SepCode& nDelimiter, SepCode& nSelimiter)
{
    const GuessResult r = gfGuessText(sText.substr(0, kGuessLength), "fuzz.edi", *Env().config);
    if (r.bFound) {
        nDelimiter = r.nDelimiter;
        nSelimiter = r.nSelimiter;
    } else {
        nDelimiter = '*';
        nSelimiter = '~';
    }
}

namespace {

void DumpInto(const TreeNode& nd, int nDepth, std::string& out, bool& bEmptySegment)
{
    for (TreeNode c = nd.FirstChild(); c; c = c.Next()) {
        out.append(std::size_t(nDepth), ' ');
        out += std::string(c.Text()) + "|" + c.Tag() + "|" + c.Image() + "\n";
        if (gfDnodeType(c) == 'S' && !c.FirstChild())
            bEmptySegment = true;
        DumpInto(c, nDepth + 1, out, bEmptySegment);
    }
}

}  // namespace

std::string Dump(const TreeNode& nd, bool* pEmptySegment)
{
    std::string out;
    bool bEmpty = false;
    DumpInto(nd, 0, out, bEmpty);
    if (pEmptySegment)
        *pEmptySegment = bEmpty;
    return out;
}

TreeNode BuildText(clsTreeD& reader, clsTree& doc, const std::string& sName, std::string_view sText, SepCode nDelimiter,
                   SepCode nSelimiter, Schema& schema)
{
    const std::string sFile = Env().Path(sName);
    WriteFile(sFile, sText);
    reader.SetDelimiter(nDelimiter);
    reader.SetSelimiter(nSelimiter);
    return reader.Build(doc, sFile, schema.tree, schema.index);
}

std::string WriteText(const TreeNode& ndRoot, SepCode nDelimiter, SepCode nSelimiter, std::string* psRefusal)
{
    clsTreeDSave saver;
    saver.SetDelimiter(nDelimiter);
    saver.SetSelimiter(nSelimiter);
    // Line ends as terminators are written as the program writes them: CR LF.
    std::string sText = saver.ToText(ndRoot, nSelimiter == 0);
    if (psRefusal)
        *psRefusal = saver.sError();
    return sText;
}

}  // namespace orr::fuzz
