#pragma once
// Writes a document tree back as X12 text: one segment per segment node, in
// tree order, or one segment per line with a chosen separator.
#include <iosfwd>
#include <optional>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/clsConfig.h"
#include "store/TreeNode.h"

namespace orr {

class clsTreeDSave {
public:
    // What follows each terminator.
    enum class LineEnd { None, CrLf, Lf, Cr };
    // What follows the first terminator of a file (its first 4 KiB read):
    // the line end its segments end with, None when there is none or no file.
    static LineEnd LineEndOf(const std::string& sFile, SepCode nSelimiter);

    clsTreeDSave();

    void SetDelimiter(SepCode nCode) { mnDelimiter = nCode; }
    // 0: no terminator character.
    void SetSelimiter(SepCode nCode) { mnSelimiter = nCode; }

    // Unless bSilent, asks whether to add CR LF after each terminator (only
    // when the configured terminator is not itself a line end).
    bool SaveAs(const std::string& sFile, const TreeNode& ndRoot, bool& bSilent);
    // SaveAs's question on its own, for a caller that shows progress while it writes.
    static bool AskLineBreaks();
    // X12 text with the given line breaks and no question.
    bool WriteX12(const std::string& sFile, const TreeNode& ndRoot, bool bLineBreaks);
    bool WriteX12(const std::string& sFile, const TreeNode& ndRoot, LineEnd lineEnd);
    // Every segment on its own line, elements joined by sSeparator's first character.
    bool SaveAsText(const std::string& sFile, const TreeNode& ndRoot, const std::string& sSeparator);
    // The same X12 text as SaveAs would write, into a string (no question).
    std::string ToText(const TreeNode& ndRoot, bool bLineBreaks);
    std::string ToText(const TreeNode& ndRoot, LineEnd lineEnd);

    const std::string& sError() const { return msError; }
    // The last write stopped at a value that holds a separator written
    // (sError says which); the caller shows it.
    bool Refused() const { return mbClash; }

private:
    bool WriteFile(const std::string& sFile, const TreeNode& ndRoot);
    void Start();
    void WriteChildren(const TreeNode& nd, std::string& out);
    void WriteSegment(const TreeNode& nd, std::string& out);
    // An untouched segment's text with the same separators: segments that lie
    // one after the other in the text read, with the end this writer writes
    // between them, are written as one piece of it (mRun) instead of joined again.
    void Extend(std::string_view sText, std::string& out);
    void EndRun(std::string& out);
    void FlushIfFull(std::string& out);
    // A value that holds the element separator or the terminator written
    // would come back as other elements or segments: the write stops and
    // says which (the separators of a conversion, or of an interchange read
    // with others, may be in the data).
    bool Clashes(const TreeNode& segment, std::string_view sText, char cSource, std::size_t nElement);
    // An interchange header of the fixed widths is read by its layout, which
    // ends with ISA16, the one-character component separator: written with
    // more elements, or with an ISA16 empty or longer, it would be read with
    // other separators. The write stops and says so.
    bool HeaderRefused(const TreeNode& segment, const std::optional<std::string_view>& payload, char cSource);
    // After a one-byte terminator that may lead a UTF-8 character (written
    // with no line end after it), a segment that begins with a continuation
    // byte would make one character with it, and a header would be read with
    // that character as its terminator. The write stops and says so.
    bool JoinsTerminator(const TreeNode& segment, char cFirst);
    // The quick look before Clashes, for a text read: most hold neither.
    bool MayClash(std::string_view sText, char cSource) const
    {
        return (cSource != char(mnDelimiter) && sText.find(char(mnDelimiter)) != std::string_view::npos) ||
               (!msTerminator.empty() && sText.find(msTerminator) != std::string_view::npos);
    }
    // gfDnodeType of a node, and what its image says, looked up once per tag
    // and image: a document has a few hundred of each and millions of nodes.
    char TypeOf(const TreeNode& nd);
    enum : std::uint8_t { kKnown = 1, kNullSegment = 2, kTrailing = 4 };
    std::uint8_t ImageKind(const TreeNode& nd);

    SepCode mnDelimiter;
    SepCode mnSelimiter;
    std::string msEnd;  // what ends each segment: the terminator's characters and the line end
    LineEnd mLineEnd = LineEnd::None;
    bool mbLineMode = false;
    std::string msError;
    std::string msTerminator;  // the terminator's characters alone
    bool mbClash = false;
    bool mbJoinable = false;  // msEnd is one byte that may lead a UTF-8 character
    std::ofstream* mpFile = nullptr;  // while writing a file: flushed in blocks
    std::string_view mRun;               // text read, to be written with msEnd after it
    bool mbRun = false;                  // mRun holds one
    std::vector<char> mTypes;            // by tag id; 0: not looked up yet
    std::vector<std::uint8_t> mImages;  // by image id
};

}  // namespace orr
