#include "doctree/DocumentImport.h"

#include <fstream>
#include <memory>
#include <stdexcept>

#include "doctree/JsonImport.h"
#include "doctree/TextCodec.h"
#include "doctree/XmlImport.h"
#include "edi/modConversion.h"

namespace orr {
namespace {

char FirstCharacter(const std::string& sFile)
{
    std::ifstream in(sFile, std::ios::binary);
    char c = 0;
    while (in.get(c))
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n' && c != '\xEF' && c != '\xBB' && c != '\xBF')
            return c;
    return 0;
}

}  // namespace

bool DocumentImport::LooksLikeExport(const std::string& sFile)
{
    const char c = FirstCharacter(sFile);
    return c == '{' || c == '<';
}

DocumentImport::Result DocumentImport::ConvertFile(const std::string& sIn, const std::string& sOut,
                                                   const Options& options)
{
    const char c = FirstCharacter(sIn);
    std::unique_ptr<DocumentImport> import;
    if (c == '{')
        import = std::make_unique<JsonImport>();
    else if (c == '<')
        import = std::make_unique<XmlImport>();
    else
        throw std::runtime_error(sIn + " is not a JSON or XML export");
    std::ofstream out(sOut, std::ios::binary | std::ios::trunc);
    if (!out)
        throw std::runtime_error("cannot write " + sOut);
    Result r = import->Convert(sIn, out, options);
    out.close();
    if (!out)
        throw std::runtime_error("cannot write " + sOut);
    return r;
}

DocumentExport::Separators DocumentImport::Chosen(DocumentExport::Separators recorded, const Options& options)
{
    if (options.nElement)
        recorded.nElement = *options.nElement;
    if (options.nSegment)
        recorded.nSegment = *options.nSegment;
    const ConversionPlan plan = gfPlanConversion(recorded.nElement, recorded.nSegment, recorded.sLineEnd == "crlf");
    if (!plan.bOk)
        throw std::runtime_error(plan.sMessage);
    return recorded;
}

std::string DocumentImport::Latin1(std::string_view sUtf8)
{
    std::optional<std::string> s = TextCodec::Latin1(sUtf8);
    if (!s)
        throw std::runtime_error("a value holds a character 8-bit EDI text cannot carry: " + std::string(sUtf8));
    return std::move(*s);
}

}  // namespace orr
