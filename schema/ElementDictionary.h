#pragma once
// The element dictionary of one X12 release, kept in the definition store
// beside the DEF files ("dict4010.def", "dict5010.def"): every data
// element's type, lengths, name and valid codes, and every composite's
// components. The element check takes code lists and composite structures
// from it; a release without a dictionary has none, and nothing is said
// about what it would give.
//
// Line forms (fields joined by "*"; ";" starts a comment line):
//   element-id*type*min*max*name[*codes]         codes joined by ","
//   composite-id*COMP*min*max*name*components    element:requirement joined
//                                                by "," (128:M,127:M,...)
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace orr {

class ElementDictionary {
public:
    struct Element {
        std::string sId, sType, sName;
        int nMinLength = 0, nMaxLength = 0;
        std::vector<std::string> codes;  // sorted; empty: no list known
        bool HasCode(std::string_view sCode) const;
    };
    struct Component {
        const Element* element = nullptr;  // never null
        bool bRequired = false;
    };
    struct Composite {
        std::string sId, sName;
        std::vector<Component> components;  // in position order
    };

    // Reads the lines; a line of another form, or a component whose element
    // the dictionary lacks, is left out.
    explicit ElementDictionary(const std::vector<std::string>& lines);

    const Element* FindElement(std::string_view sId) const;
    const Composite* FindComposite(std::string_view sId) const;
    bool Empty() const { return mElements.empty(); }

    // The release a group's values follow: GS08's six digits ("004010" of
    // "004010X098A1"), else, as before any group, ISA12's ("00401" gives
    // "004010"); "" when neither tells.
    static std::string Release(std::string_view sGs08, std::string_view sIsa12);

    // The dictionary of the functional groups of a GS08 release ("004010",
    // "005010X222A1"): that of its six-digit release's version and release
    // ("dict4010.def" for 004010 to 004019), read once from the definition
    // store; null when the store has none.
    static std::shared_ptr<const ElementDictionary> ForRelease(std::string_view sVersion);

private:
    std::unordered_map<std::string, std::unique_ptr<Element>> mElements;
    std::unordered_map<std::string, Composite> mComposites;
};

}  // namespace orr
