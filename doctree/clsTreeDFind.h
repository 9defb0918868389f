#pragma once
// Finds segments by their text (the identifier and the elements joined by
// the element separator): a piece of plain text or a regular expression,
// with or without regard to case. The search runs in document order from a
// given node and wraps round from the end to the top. Segments whose
// elements were never looked at are searched in their stored text, so no
// element node is made and a large document is searched at reading speed.
#include <cstdint>
#include <functional>
#include <optional>
#include <regex>
#include <string>
#include <string_view>

#include "app/clsConfig.h"
#include "store/clsTree.h"

namespace orr {

class clsTreeDFind {
public:
    struct Query {
        std::string sText;
        bool bRegex = false;
        bool bMatchCase = false;
    };
    struct Hit {
        NodeId node;           // null: no segment matches
        bool bWrapped = false;  // found only after going round past the end
    };

    clsTreeDFind() = default;
    // The searcher points into the query's text: no copies.
    clsTreeDFind(const clsTreeDFind&) = delete;
    clsTreeDFind& operator=(const clsTreeDFind&) = delete;

    // The element separator of segments whose text is made from their elements.
    void SetDelimiter(SepCode nCode) { mcDelimiter = char(nCode); }
    // False for an empty text or an expression that does not compile; the
    // reason is in sError().
    bool SetQuery(const Query& query);
    const std::string& sError() const { return msError; }

    bool Matches(std::string_view sSegment) const;
    // The text every match of a regular expression starts with (after a
    // leading "^"): empty when the pattern has an alternative at its top
    // level or starts with something other than plain characters.
    static std::string RequiredLiteral(std::string_view sPattern);
    // The first matching segment after `from` in document order below root
    // (an element counts as its segment), going round to the top after the
    // last one; `from` itself is tried last.
    Hit FindNext(const clsTree& tree, NodeId root, NodeId from) const;

private:
    // The standard traits fold case through the locale for every character
    // compared; segment texts are 8-bit, and this table-free fold is twice
    // as fast.
    struct FoldTraits : std::regex_traits<char> {
        char translate_nocase(char c) const;
    };
    using Regex = std::basic_regex<char, FoldTraits>;

    struct FoldHash {
        std::size_t operator()(char c) const;
    };
    struct FoldEqual {
        bool operator()(char a, char b) const;
    };
    using Searcher = std::boyer_moore_horspool_searcher<std::string::const_iterator, FoldHash, FoldEqual>;

    Query mQuery;
    std::optional<Regex> mRegex;
    std::string msLiteral;            // every matching segment holds it (all of a plain query)
    std::optional<Searcher> mFolded;  // msLiteral without regard to case
    char mcDelimiter = '*';
    std::string msError;
};

}  // namespace orr
