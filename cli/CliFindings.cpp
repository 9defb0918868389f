#include "cli/CliFindings.h"

#include <nlohmann/json.hpp>

#include <cstdio>

#include "doctree/DocumentVerdict.h"
#include "doctree/TextCodec.h"
#include "doctree/clsTreeDCheck.h"

namespace orr {
namespace {

// Keys in alphabetical order (nlohmann::json keeps them sorted).
using Json = nlohmann::json;

// EDI text is 8-bit; Latin-1 keeps every byte.
std::string Text(const std::string& s) { return TextCodec::Utf8(s); }

void Print(const Json& o) { std::printf("%s\n", o.dump(4).c_str()); }

std::string Position(const EdiFinding& f)
{
    const std::string sRef = clsTreeDCheck::Reference(f);
    return f.nElement > 0 ? sRef.substr(f.sSegmentId.size()) : std::string();
}

const char* Severity(const EdiFinding& f) { return f.IsError() ? "error" : "warning"; }

Json Of(const EdiFinding& f)
{
    return {{"line", f.nLine > 0 ? Json(f.nLine) : Json()},
            {"segment", f.nSegment},
            {"segmentId", Text(f.sSegmentId)},
            {"element", f.nElement},
            {"component", f.nComponent},
            {"repetition", f.nRepetition},
            {"loop", Text(f.sLoopPath)},
            {"severity", Severity(f)},
            {"message", Text(f.sMessage)}};
}

}  // namespace

std::string gfFindingLine(const EdiFinding& f)
{
    return (f.nLine > 0 ? std::to_string(f.nLine) : std::string()) + ":" + std::to_string(f.nSegment) + ":" +
           f.sSegmentId + ":" + Position(f) + ": " + Severity(f) + ": " + f.sMessage;
}

void gfReportUnread(const std::string& sError)
{
    Print({{"valid", false},
           {"verdict", Text(DocumentVerdict::Of(false, {}).Text())},
           {"error", Text(sError.empty() ? std::string("The file could not be read.") : sError)}});
}

int gfReportValidation(bool bReadBack, const std::string& sBuildError, const std::optional<EdiFindings>& findings,
                       bool bJson)
{
    const DocumentVerdict verdict = DocumentVerdict::Of(bReadBack, findings ? *findings : EdiFindings());
    if (bJson) {
        Json o = {{"valid", verdict.bValid}, {"verdict", Text(verdict.Text())}, {"error", Text(sBuildError)}};
        if (findings) {
            o["findings"] = Json::array();
            for (const EdiFinding& f : *findings)
                o["findings"].push_back(Of(f));
        }
        Print(o);
    } else {
        std::printf("%s\n", verdict.Text().c_str());
        if (!sBuildError.empty())
            std::printf("%s\n", sBuildError.c_str());
        if (findings)
            for (const EdiFinding& f : *findings)
                std::printf("%s\n", gfFindingLine(f).c_str());
    }
    return verdict.bValid ? 0 : 1;
}

}  // namespace orr
