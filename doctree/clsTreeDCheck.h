#pragma once
// Checks the values of a document against its definition: required
// elements, lengths, data types (numbers, dates, times), code lists (the
// definition's, else the release dictionary's), composites component by
// component (from the release dictionary) and repetitions cut at the
// interchange's own separators, the envelope counts and control numbers, and
// the envelope rules of the group's release (ST03, AK103, GS04). Every finding is located (line,
// segment number, element, schema loop). The document is only read; segments
// whose elements were never shown stay unmade.
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <deque>
#include <vector>

#include "app/clsConfig.h"
#include "edi/EdiFinding.h"
#include "edi/modGuessEdi.h"
#include "schema/ElementDictionary.h"
#include "schema/SchemaIndex.h"
#include "store/TreeIds.h"

namespace orr {

class EdiDocument;
class clsTree;

class clsTreeDCheck {
public:
    // Keeps at most nLimit findings (0: all of them).
    explicit clsTreeDCheck(std::size_t nLimit = 0) : mnLimit(nLimit) {}

    // The findings of the document's tree, in file order.
    EdiFindings Check(EdiDocument& doc);
    // True when findings were left out for the limit.
    bool Truncated() const { return mbTruncated; }

    // Reads a file the way the command line does (separators detected, the
    // definition chosen from its transaction sets) and checks it, lines
    // located. Nothing when it cannot be read (the reason shown).
    static std::optional<EdiFindings> CheckFile(const std::string& sFile);
    // The same, read into the document fnDocument gives for the type chosen
    // and the file's separators (its definition loaded; null: none), so that
    // a caller checking many files builds each schema once. A composed type
    // reads the file's groups, with those separators.
    using DocumentFor = std::function<EdiDocument*(const std::string& sType, SeparatorPair separators)>;
    static std::optional<EdiFindings> CheckFileIn(const std::string& sFile, const DocumentFor& fnDocument);
    // Sets the line of each finding from the file the document was read
    // from (nOrdinal counts the file's segments); a file without line
    // breaks leaves them 0. Nothing is shown when the file cannot be read.
    static void LocateLines(EdiFindings& findings, const std::string& sFile, SepCode nDelimiter, SepCode nSelimiter);
    // The node a finding names: its element's node when it names an
    // element (made if need be), else its segment's.
    static NodeId NodeOf(clsTree& tree, const EdiFinding& finding);
    // "N1", "N101", "CLM05-01".
    static std::string Reference(const EdiFinding& finding);

private:
    enum class ValueType : std::uint8_t { Text, Integer, Decimal, Date, Time, Composite };
    // What the check needs of one schema element, read once per dictionary.
    struct ElementFacts {
        SchemaIx ix;  // none: the definition has no element here
        ValueType type = ValueType::Text;
        bool bRequired = false, bNotUsed = false;
        // The valid codes, sorted: the definition's own, else the release
        // dictionary's for an ID element; null: any value.
        const std::vector<std::string>* codes = nullptr;
        // A composite's components from the release dictionary; null: unknown.
        const ElementDictionary::Composite* composite = nullptr;
    };
    // What the check needs of the segments of one document tag.
    struct SegmentFacts {
        char cKind = 0;
        bool bKnown = false;
        SchemaIx segment;                    // none: not matched
        std::vector<ElementFacts> elements;  // by position
        std::string sLoopPath, sLoopId;
        std::uint32_t nDictionary = 0;  // the dictionary they were read with
    };
    // Where the walk is in the envelopes.
    struct Position {
        std::uint32_t nOrdinal = 0, nInInterchange = 0, nInSet = 0;
        std::uint32_t nInterchange = 0, nGroup = 0, nSet = 0;
        bool bInterchangeOpen = false, bGroupOpen = false;  // no IEA, no GE yet
        std::string sIsa12, sIsa13, sGs06, sSt02;
        std::string sRelease;  // "004010": of GS08, before a group of ISA12; "" unknown
    };
    // The limits of a simple value: an element's, or a component's.
    struct Limits {
        ValueType type = ValueType::Text;
        std::string_view sType;
        int nMin = 0, nMax = 0;
        const std::vector<std::string>* codes = nullptr;
    };
    struct Problem {
        FindingKind kind = FindingKind::InvalidCharacter;
        std::string sMessage;  // after the element's (or component's) name and value
        std::uint16_t nComponent = 0;
        // Set when the problem is one component's: it names the component.
        const ElementDictionary::Element* component = nullptr;
        std::string_view sComponentValue;
        bool bMissing = false;  // no value to show
    };

    void Walk(NodeId root);
    void CheckSegment(NodeId node, const SegmentFacts& facts);
    const SegmentFacts& FactsOf(NodeId node);
    void LoadFacts(SegmentFacts& facts, NodeId node);
    ElementFacts ElementFactsOf(SchemaIx element) const;
    static ValueType TypeOf(std::string_view sDataType);
    void ReadValues(NodeId node);
    void Advance(std::string_view sId);
    void CheckEnvelope(std::string_view sId);
    // Trailers missing: of the envelopes a new header of level cLevel ('X',
    // 'F', 'T') closes, or, bAtEnd, of all still open at the file's end.
    void ReportOpenEnvelopes(char cLevel, bool bAtEnd);
    void CheckIsaLayout();
    void CheckCountAndControl(FindingKind countKind, std::string_view sContainer, std::uint32_t nCount,
                              const char* sWhat, FindingKind controlKind, std::string_view sHeader,
                              const std::string& sHeaderValue);
    void SetRelease(std::string sRelease);
    void CheckElements(const SegmentFacts& facts);
    void CheckAddedElements(std::size_t& nDefined);
    void CheckElement(const ElementFacts& e, std::uint16_t nPos, std::string_view sValue);
    void CheckRepetition(const ElementFacts& e, std::uint16_t nPos, std::uint16_t nRep, std::string_view sValue);
    bool CheckValue(const ElementFacts& e, std::uint16_t nPos, std::string_view sValue, Problem& problem) const;
    bool CheckComposite(const ElementFacts& e, std::string_view sValue, Problem& problem) const;
    bool CheckSimple(const Limits& limits, std::string_view sValue, Problem& problem) const;
    Limits LimitsOf(const ElementFacts& e, std::uint16_t nPos) const;
    void Add(FindingKind kind, std::string sMessage, std::uint16_t nElement = 0, std::uint16_t nRepetition = 0,
             std::string_view sValue = {}, FindingSeverity severity = FindingSeverity::Error,
             std::uint16_t nComponent = 0);
    std::string Designator(std::uint16_t nElement) const;
    std::string Named(SchemaIx element, std::uint16_t nPos, std::uint16_t nRep) const;
    std::string Subject(std::uint16_t nPos, std::uint16_t nComponent, const std::string& sName,
                        std::uint16_t nRep) const;

    std::size_t mnLimit;
    bool mbTruncated = false;
    EdiFindings mFindings;

    clsTree* mpTree = nullptr;
    clsTree* mpSchema = nullptr;
    const SchemaIndex* mpIndex = nullptr;
    std::shared_ptr<const ElementDictionary> mDictionary;  // of the current release; null: none known
    std::uint32_t mnDictionary = 0;                        // counts the changes of mDictionary
    char mcDelimiter = '*';
    InterchangeSeparators mSeparators;
    // By document tag id; a deque, so that the facts of the segment being
    // checked (mpFacts) stay where they are while later tags are added.
    std::deque<SegmentFacts> mFacts;
    Position mAt;
    NodeId mNode;
    const SegmentFacts* mpFacts = nullptr;
    std::vector<std::string_view> mValues;  // the segment's: 0 is its identifier
    bool mbIsa = false;                     // the segment is an ISA
    bool mbReportedUnmatched = false;
    bool mbUnterminated = false;  // the document's file ends without a terminator
};

}  // namespace orr
