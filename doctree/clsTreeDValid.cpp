#include "doctree/clsTreeDValid.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "app/UiService.h"
#include "app/modGlobals.h"
#include "app/modSystem.h"
#include "doctree/clsTreeD.h"
#include "doctree/clsTreeDSave.h"
#include "doctree/modNodeD.h"
#include "store/clsFileMapping.h"

namespace orr {
namespace {

void Unlink(const TreeNode& nd) { nd.SetTag(gfDnodeTagWithLink(nd.Tag(), kUnlinked)); }

}  // namespace

void clsTreeDValid::ClearMapping(const TreeNode& nd)
{
    if (!nd || nd.Tag().find('*') == std::string::npos)
        return;
    Unlink(nd);
    for (TreeNode c = nd.FirstChild(); c; c = c.Next()) {
        const char kind = gfDnodeType(c);
        if (kind == 'S')
            Unlink(c);
        else if (kind != 'E')
            ClearMapping(c);
    }
}

bool clsTreeDValid::WriteWork(const TreeNode& ndRoot, SepCode nDelimiter, SepCode nSelimiter,
                              clsTreeDSave::LineEnd lineEnd, std::ifstream& work)
{
    const std::string sWork = gConfig->TempFile;
    clsTreeDSave writer;
    writer.SetDelimiter(nDelimiter);
    writer.SetSelimiter(nSelimiter);
    // Held open from here: the document cannot vanish with the file.
    std::error_code ec;
    if (writer.WriteX12(sWork, ndRoot, lineEnd) && (work.open(sWork, std::ios::binary), work)) {
        mnWorkBytes = std::filesystem::file_size(sWork, ec);
        if (!ec)
            return true;
    }
    gfMsgBox(writer.Refused() ? writer.sError() : std::string("Disk IO failed."), MsgIcon::Critical);
    std::remove(sWork.c_str());
    return false;
}

bool clsTreeDValid::WorkIs(const std::string& sFile, std::ifstream& work) const
{
    std::error_code ec;
    if (std::filesystem::file_size(sFile, ec) != mnWorkBytes || ec)
        return false;
    std::ifstream file(sFile, std::ios::binary);
    std::vector<char> a(std::size_t(1) << 20), b(a.size());
    bool bSame = bool(file);
    while (bSame && work) {
        work.read(a.data(), std::streamsize(a.size()));
        file.read(b.data(), std::streamsize(b.size()));
        bSame = work.gcount() == file.gcount() && std::equal(a.begin(), a.begin() + work.gcount(), b.begin());
    }
    work.clear();
    work.seekg(0);
    if (bSame)
        Discard(work);
    return bSame;
}

void clsTreeDValid::Discard(std::ifstream& work)
{
    work.close();
    if (!gConfig->bTrace)
        std::remove(gConfig->TempFile.c_str());
}

std::optional<clsTreeDValid::Verdict> clsTreeDValid::Rebuild(std::ifstream& work, clsTree& tree, clsTree& schemaTree,
                                                            const SchemaIndex& index, SepCode nDelimiter,
                                                            SepCode nSelimiter)
{
    const std::string sWork = gConfig->TempFile;
    const auto attempt = [&](const auto& fnBuild) -> std::optional<Verdict> {
        tree.RemoveAll();
        clsTreeD builder;
        builder.SetDelimiter(nDelimiter);
        builder.SetSelimiter(nSelimiter);
        Verdict v;
        try {
            v.ndRoot = fnBuild(builder);
        } catch (const std::exception& e) {
            gfReportRunTimeError(e);
            return std::nullopt;
        }
        if (!v.ndRoot || builder.BytesRead() != mnWorkBytes)  // all of it, or not the document
            return std::nullopt;
        v.nError = builder.nError();
        v.sError = builder.sError();
        v.bValid = v.nError == 0;
        return v;
    };
    const auto fromStream = [&](std::istream& in) {
        return [&](clsTreeD& builder) {
            const TreeNode nd = builder.Build(tree, in, sWork, schemaTree, index);
            return in.bad() ? TreeNode() : nd;
        };
    };
    // In place where the file maps (the document's texts stay out of our
    // memory, as after the open); else, and once more, through a stream.
    std::optional<Verdict> v;
    if (auto file = clsFileMapping::Open(sWork); file && file->Text().size() == mnWorkBytes)
        v = attempt([&](clsTreeD& builder) { return builder.Build(tree, std::move(file), sWork, schemaTree, index); });
    if (!v)
        v = attempt(fromStream(work));
    if (!v) {
        std::ifstream again(sWork, std::ios::binary);
        v = attempt(fromStream(again));
    }
    if (!v) {
        tree.RemoveAll();
        gfMsgBox("The document could not be read back. It was kept in " + sWork + ".", MsgIcon::Critical);
        return std::nullopt;
    }
    Discard(work);
    return v;
}

void clsTreeDValid::ShowVerdict(const Verdict& v)
{
    gfMsgBox(v.bValid ? "Document is valid." : "Document failed validation.", MsgIcon::Information);
}

}  // namespace orr
