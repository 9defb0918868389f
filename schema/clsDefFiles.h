#pragma once
// The definition store: directories of the definition container and of the
// registered template files, and contained DEF files opened for reading
// line by line.
#include <array>
#include <cstdint>
#include <deque>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace orr {

struct DefEntry {
    std::string sType;         // two-character type code
    std::string sName;         // trimmed
    std::string sDescription;  // trimmed, "" when absent
    std::string sContainer;    // the file the entry came from
    std::int64_t nPosition = 0;  // 1-based position of the first data byte
    std::int64_t nLength = 0;
};

inline constexpr int kDefSlots = 8;

// The type named by a definition entry: "850" for doc850.def, that is, the
// name without its first three and last four characters; "" for a name of
// seven or fewer.
std::string gfDocTypeOfEntry(const std::string& sEntryName);
inline constexpr int kTemplateSlots = 8;

class clsDefFiles {
public:
    // Reloads every directory; true when the definition container was read.
    bool RefreshBinFile();
    // "name*description*type" of each document definition ("DOC..."), in entry order.
    int GetEdiDefFiles(std::vector<std::string>& list) const;
    // The same form for document definitions, the bare name for every other entry.
    int GetAllDefFiles(std::vector<std::string>& list) const;

    // 1 to 8, or 0 when the file cannot be opened.
    int OpenDefFile(const std::string& sName);
    std::string ReadLineFromDefFile(int nHandle);
    bool DefFileAtEof(int nHandle);
    void CloseDefFile(int nHandle);

    const std::vector<DefEntry>& Entries() const { return mEntries; }
    // The type of each document definition ("850" for doc850.def), in entry order.
    const std::vector<std::string>& DocTypes() const { return mDocTypes; }

    // Lines made from the loaded definitions under a name (a flattened
    // definition), kept for the last names up to a budget and dropped when the
    // directory is loaded again; null when none are kept.
    const std::vector<std::string>* Kept(const std::string& sName) const;
    void Keep(const std::string& sName, std::vector<std::string> lines);
    // Grows whenever any directory of definitions is loaded: what was made
    // from the definitions before may differ from what they make now.
    static std::uint64_t Generation();

private:
    struct Slot {
        bool bInUse = false;
        std::string sName;
        std::string sContent;
        std::size_t nReadPos = 0;  // 0-based here; the content is held whole
    };

    bool LoadDirectory(const std::string& sFile);
    const DefEntry* Find(const std::string& sName) const;
    Slot& CheckedSlot(int nHandle, const char* sOperation);

    void IndexEntries();
    // The container file, kept open while its directory is loaded; null
    // when it cannot be opened (errno says why).
    std::ifstream* Container(const std::string& sPath);

    std::vector<DefEntry> mEntries;
    std::vector<std::string> mDocTypes;
    // Upper-case name to the first entry of that name: definitions are
    // opened by name hundreds of times for every schema built.
    std::unordered_map<std::string, std::size_t> mByName;
    std::map<std::string, std::unique_ptr<std::ifstream>> mContainers;
    std::deque<std::pair<std::string, std::vector<std::string>>> mKept;  // the newest last
    std::size_t mnKeptBytes = 0;
    std::array<Slot, kDefSlots> mSlots;
};

}  // namespace orr
