#include "schema/SchemaCache.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <system_error>
#include <vector>

#include "app/UiService.h"
#include "app/clsConfig.h"
#include "app/modGlobals.h"
#include "schema/clsDefFiles.h"
#include "schema/clsTreeS.h"
#include "schema/modFileArchive.h"
#include "store/clsFileMapping.h"

namespace orr {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kMagic = "Orrindale schema 1\n";

// This program's file; empty when it cannot be told.
fs::path ProgramFile()
{
    std::error_code ec;
    fs::path path = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::path() : path;
}

// What a kept schema was made from: the type, this program and every
// definition container in the order names are looked up in. "" when any of
// them cannot be told, and then nothing is kept.
std::string Stamp(const std::string& sDocType)
{
    if (!gDefFiles)
        return {};
    std::string sStamp = sDocType + '\n';
    const auto add = [&sStamp](const fs::path& path) {
        std::error_code ec;
        const auto nSize = fs::file_size(path, ec);
        if (ec)
            return false;
        const auto time = fs::last_write_time(path, ec);
        if (ec)
            return false;
        sStamp +=
            path.string() + '\n' + std::to_string(nSize) + ' ' + std::to_string(time.time_since_epoch().count()) + '\n';
        return true;
    };
    if (!add(ProgramFile()))
        return {};
    std::vector<std::string_view> containers;
    for (const DefEntry& e : gDefFiles->Entries())
        if (std::find(containers.begin(), containers.end(), e.sContainer) == containers.end())
            containers.push_back(e.sContainer);
    for (std::string_view sContainer : containers)
        if (!add(fs::path(sContainer)))
            return {};
    return sStamp;
}

// FNV-1a over eight bytes at a time: a damaged file is told from a whole one.
std::uint64_t Checksum(std::string_view s)
{
    std::uint64_t n = 14695981039346656037ull;
    std::size_t i = 0;
    for (; i + 8 <= s.size(); i += 8) {
        std::uint64_t w;
        std::memcpy(&w, s.data() + i, 8);
        n = (n ^ w) * 1099511628211ull;
    }
    for (; i < s.size(); ++i)
        n = (n ^ static_cast<unsigned char>(s[i])) * 1099511628211ull;
    return n;
}

void PutNumber(std::string& s, std::uint64_t n, std::size_t nBytes)
{
    for (std::size_t i = 0; i < nBytes; ++i)
        s += char((n >> (8 * i)) & 0xFF);
}

void PutText(std::string& s, std::string_view sText)
{
    PutNumber(s, sText.size(), 4);
    s += sText;
}

// Reads what PutNumber and PutText wrote; once anything is missing it
// stays failed and gives zeros and "".
class Reader {
public:
    explicit Reader(std::string_view s) : ms(s) {}
    std::uint64_t Number(std::size_t nBytes)
    {
        if (ms.size() - mnAt < nBytes) {
            mbOk = false;
            return 0;
        }
        std::uint64_t n = 0;
        for (std::size_t i = 0; i < nBytes; ++i)
            n |= std::uint64_t(static_cast<unsigned char>(ms[mnAt + i])) << (8 * i);
        mnAt += nBytes;
        return n;
    }
    std::string_view Text()
    {
        const std::uint64_t n = Number(4);
        if (!mbOk || ms.size() - mnAt < n) {
            mbOk = false;
            return {};
        }
        const std::string_view s = ms.substr(mnAt, n);
        mnAt += n;
        return s;
    }
    bool Ok() const { return mbOk; }
    bool AtEnd() const { return mnAt == ms.size(); }

private:
    std::string_view ms;
    std::size_t mnAt = 0;
    bool mbOk = true;
};

constexpr std::uint32_t kNoParent = 0xFFFFFFFFu;

// The nodes of a whole file made for sStamp: a reader at its node count,
// or none when the file is damaged, cut or made for other files.
std::optional<Reader> Nodes(std::string_view sFile, const std::string& sStamp)
{
    if (sFile.size() < kMagic.size() + 8 || !sFile.starts_with(kMagic))
        return std::nullopt;
    const std::string_view sBody = sFile.substr(0, sFile.size() - 8);
    if (Reader(sFile.substr(sBody.size())).Number(8) != Checksum(sBody))
        return std::nullopt;
    Reader in(sBody.substr(kMagic.size()));
    if (in.Text() != sStamp)
        return std::nullopt;
    return in;
}

ImageId ImageOf(clsTree& tree, std::string_view sImage)
{
    return sImage.empty() ? ImageId{} : tree.InternImage(sImage);
}

}  // namespace

SchemaCache::SchemaCache(std::string sDir) : msDir(std::move(sDir)) {}

std::string SchemaCache::Path(const std::string& sDocType) const
{
    // Each program keeps its own files: the stamp names the program, and two
    // programs sharing a file would build it again in turn. Other characters
    // than these would make other paths; the stamp tells two types of one
    // file name apart.
    std::string sName = sDocType + '-' + ProgramFile().filename().string();
    for (char& c : sName)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '-')
            c = '_';
    return (fs::path(msDir) / ("schema-" + sName + ".bin")).string();
}

NodeId SchemaCache::Build(clsTree& tree, const std::string& sDocType) const
{
    // Tracing writes the flattening's files: only a build makes them.
    const bool bKeep = !msDir.empty() && !(gConfig && gConfig->bTrace);
    if (bKeep)
        if (const NodeId root = Read(tree, sDocType))
            return root;
    const std::uint64_t nMessages = gfMessageCount();
    const NodeId root = clsTreeS().Build(tree, sDocType);
    // A schema that showed a message would show it again when built: kept, it would not.
    if (bKeep && root && gfMessageCount() == nMessages)
        Write(tree, root, sDocType);
    return root;
}

NodeId SchemaCache::Read(clsTree& tree, const std::string& sDocType) const
{
    if (msDir.empty())
        return {};
    const std::string sStamp = Stamp(sDocType);
    if (sStamp.empty())
        return {};
    // Mapped rather than copied: the file is read once, straight from the
    // page cache. Where it cannot be mapped it is read.
    const std::string sPath = Path(sDocType);
    const std::unique_ptr<clsFileMapping> mapped = clsFileMapping::Open(sPath);
    std::string sCopy;
    if (!mapped) {
        try {
            sCopy = gfReadFileBytes(sPath);
        } catch (const std::system_error&) {
            return {};  // none kept yet
        }
    }
    const std::string_view sFile = mapped ? mapped->Text() : std::string_view(sCopy);
    std::optional<Reader> in = Nodes(sFile, sStamp);
    if (!in)
        return {};
    // A node takes 25 bytes at least: a damaged count reserves no more than the file holds.
    const std::uint64_t nNodes = in->Number(4);
    std::vector<NodeId> ids;
    ids.reserve(std::size_t(std::min<std::uint64_t>(nNodes, sFile.size() / 25)));
    tree.ReserveDistinctNodes(ids.capacity());
    // Each node comes after its parent; anything else, or a file that ends
    // early or goes on, leaves nothing of it in the tree.
    const auto readNode = [&] {
        const std::uint64_t nParent = in->Number(4);
        NodeInit init;
        init.bExpanded = in->Number(1) != 0;
        init.sKey = in->Text();
        init.sText = in->Text();
        init.sTag = in->Text();
        init.image = ImageOf(tree, in->Text());
        init.expandedImage = ImageOf(tree, in->Text());
        if (!in->Ok() || ids.empty() != (nParent == kNoParent) || (!ids.empty() && nParent >= ids.size()))
            return false;
        ids.push_back(tree.Add(ids.empty() ? NodeId{} : ids[nParent], Relation::Child, init));
        return true;
    };
    bool bWhole = true;
    try {
        for (std::uint64_t i = 0; bWhole && i < nNodes; ++i)
            bWhole = readNode();
    } catch (const TreeError&) {
        bWhole = false;  // whole and checked, yet refused (a key twice): built afresh instead
    }
    bWhole = bWhole && in->AtEnd() && !ids.empty();
    if (!bWhole && !ids.empty())
        tree.Remove(ids.front());
    return bWhole ? ids.front() : NodeId{};
}

bool SchemaCache::Write(const clsTree& tree, NodeId root, const std::string& sDocType) const
{
    const std::string sStamp = Stamp(sDocType);
    if (msDir.empty() || sStamp.empty() || !tree.IsValid(root))
        return false;
    std::string s(kMagic);
    PutText(s, sStamp);
    // A build numbers its nodes one after the other from the root: in that
    // order each comes after its parent and after its earlier siblings.
    const std::size_t nNodes = tree.NodeCount();
    PutNumber(s, nNodes, 4);
    for (std::uint32_t i = 0; i < nNodes; ++i) {
        const NodeId node{root.value + i};
        const NodeId parent = tree.IsValid(node) ? tree.Parent(node) : NodeId{};
        if (!tree.IsValid(node) || (i == 0) != !parent || (parent && (parent < root || parent >= node)))
            return false;
        PutNumber(s, i == 0 ? kNoParent : parent.value - root.value, 4);
        PutNumber(s, tree.Expanded(node) ? 1 : 0, 1);
        PutText(s, tree.Key(node));
        PutText(s, tree.Text(node));
        PutText(s, tree.Tag(node));
        PutText(s, tree.Image(node));
        PutText(s, tree.ExpandedImage(node));
    }
    PutNumber(s, Checksum(s), 8);
    // Written aside and renamed: a reader never sees half a file, and two
    // programs keeping the same schema at once leave one whole.
    std::error_code ec;
    fs::create_directories(msDir, ec);
    const std::string sPath = Path(sDocType);
    const std::string sAside = sPath + "." + std::to_string(::getpid()) + ".new";
    try {
        gfWriteTextFile(sAside, s);
    } catch (const std::system_error&) {
        fs::remove(sAside, ec);
        return false;
    }
    fs::rename(sAside, sPath, ec);
    if (ec)
        fs::remove(sAside, ec);
    return !ec;
}

}  // namespace orr
