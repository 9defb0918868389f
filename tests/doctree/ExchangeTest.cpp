// The JSON and XML shapes of a document: every public sample and example
// that reads without error comes back with the same segments, the exports
// hold to the published schemas, and imports of hand-made exports (empty
// positions left out, other separators, values XML cannot carry) write what
// they say or refuse with the reason.
#include <gtest/gtest.h>

#include <libxml/xmlschemas.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/GlobalsScope.h"
#include "doctree/BatchOpen.h"
#include "doctree/DocumentImport.h"
#include "doctree/EdiDocument.h"
#include "doctree/JsonExport.h"
#include "doctree/JsonImport.h"
#include "doctree/XmlExport.h"
#include "doctree/XmlImport.h"
#include "edi/clsEdiAsyncParser.h"
#include "edi/modGuessEdi.h"
#include "schema/clsDefFiles.h"
#include "tests/support/TestEnv.h"

namespace orr {
namespace {

namespace fs = std::filesystem;
using test::TestEnv;

// The shipped definitions, loaded for one test.
struct RealDefinitions : TestEnv {
    RealDefinitions()
    {
        config->DefinitionFile = ORRINDALE_EDIDEF;
        EXPECT_TRUE(files.RefreshBinFile());
    }
    clsDefFiles files;
    GlobalsScope defs{&files};
};

// A text's segments as the parser cuts them, "*" between elements.
std::vector<std::string> Segments(const std::string& sText, const clsConfig& config)
{
    struct Collect final : EdiParserListener {
        void TriggerIsa(bool, std::string_view s) override { Add(s); }
        void TriggerGs(bool, std::string_view s) override { Add(s); }
        void TriggerSt(bool, std::string_view s) override { Add(s); }
        void TriggerSeg(std::string_view s) override { Add(s); }
        void Add(std::string_view s)
        {
            std::string t(s);
            std::replace(t.begin(), t.end(), c, '*');
            out.push_back(t);
        }
        char c = '*';
        std::vector<std::string> out;
    } collect;
    const GuessResult g = gfGuessText(sText.substr(0, kGuessLength), "text", config);
    EXPECT_TRUE(g.bFound) << g.sMessage;
    collect.c = char(g.nDelimiter);
    clsEdiAsyncParser parser(&collect);
    parser.SetDelimiter(g.nDelimiter);
    parser.SetSelimiter(g.nSelimiter);
    parser.bIsaTrigger = parser.bGsTrigger = parser.bStTrigger = parser.bSegTrigger = true;
    parser.bIsaSeparators = parser.bReportTrailing = true;  // as documents are read
    parser.ParseData(sText);
    parser.EndData();
    return collect.out;
}

std::vector<fs::path> SampleFiles()
{
    std::vector<fs::path> files;
    for (const char* sDir : {"tests/data/public", "examples"})
        for (const auto& item : fs::recursive_directory_iterator(fs::path(ORRINDALE_SOURCE_DIR) / sDir)) {
            const std::string sName = item.path().filename().string();
            if (item.is_regular_file() && !sName.starts_with("LICENSE") && item.path().extension() != ".md")
                files.push_back(item.path());
        }
    std::sort(files.begin(), files.end());
    return files;
}

TEST(Exchange, SamplesRoundTripAndHoldToTheSchemas)
{
    RealDefinitions env;
    xmlSchemaParserCtxtPtr parser = xmlSchemaNewParserCtxt(ORRINDALE_SOURCE_DIR "/docs/orrindale-edi.xsd");
    xmlSchemaPtr schema = xmlSchemaParse(parser);
    ASSERT_NE(schema, nullptr);
    xmlSchemaValidCtxtPtr valid = xmlSchemaNewValidCtxt(schema);
    std::vector<std::string> jsonFiles;
    int nRoundTrips = 0, nSameBytes = 0;
    for (const fs::path& file : SampleFiles()) {
        EdiDocument doc;
        if (!BatchOpen::Open(doc, file.string(), BatchOpen::TypeFor("auto", file.string())) || doc.BuildError())
            continue;
        const std::string sOriginal = TestEnv::ReadFile(file.string());
        for (const char* sFormat : {"json", "xml"}) {
            const std::string sExport = env.Path(file.stem().string() + "." + sFormat);
            const std::string sBack = env.Path(file.stem().string() + "." + sFormat + ".edi");
            const bool bJson = std::string_view(sFormat) == "json";
            JsonExport json;
            XmlExport xml;
            ASSERT_TRUE((bJson ? static_cast<DocumentExport&>(json) : xml).ToFile(doc, sExport));
            const DocumentImport::Result r = DocumentImport::ConvertFile(sExport, sBack, {});
            EXPECT_EQ(r.sType, doc.Type());
            const std::string sText = TestEnv::ReadFile(sBack);
            EXPECT_EQ(Segments(sText, *env.config), Segments(sOriginal, *env.config)) << file << " " << sFormat;
            nSameBytes += sText == sOriginal;
            ++nRoundTrips;
            if (bJson)
                jsonFiles.push_back(sExport);
            else
                EXPECT_EQ(xmlSchemaValidateFile(valid, sExport.c_str(), 0), 0) << sExport;
        }
    }
    xmlSchemaFreeValidCtxt(valid);
    xmlSchemaFree(schema);
    xmlSchemaFreeParserCtxt(parser);
    // Every example and most public samples read without error.
    EXPECT_GE(nRoundTrips, 2 * 50);
    // Files with one line end style throughout (most) come back byte for byte.
    EXPECT_GE(nSameBytes, nRoundTrips * 2 / 3);
    std::string sCommand = "python3 -c 'import json,sys,jsonschema; s=json.load(open(sys.argv[1])); "
                           "[jsonschema.validate(json.load(open(f)), s) for f in sys.argv[2:]]' " ORRINDALE_SOURCE_DIR
                           "/docs/orrindale-edi.schema.json";
    for (const std::string& f : jsonFiles)
        sCommand += " " + f;
    EXPECT_EQ(std::system(sCommand.c_str()), 0) << "an export does not hold to the JSON Schema";
}

TEST(Exchange, ShapeOfValuesAndSeparators)
{
    RealDefinitions env;
    // Version 00501: ISA11 "^" repeats, ISA16 ":" joins components.
    const std::string sFile = env.Path("in.edi");
    TestEnv::WriteFile(sFile,
                       "ISA*00*          *00*          *ZZ*A              *ZZ*B              *240101*1200*^*00501*"
                       "000000001*0*T*:~\r\nGS*PO*A*B*20240101*1200*1*X*005010~\r\nST*850*0001~\r\n"
                       "BEG*00*SA*PO1**20240101~\r\nREF*ZZ*A:B:*X^Y:Z~\r\nN1*ST*\xC9TOILE~\r\nSE*5*0001~\r\n"
                       "GE*1*1~\r\nIEA*1*000000001~\r\n");
    EdiDocument doc;
    ASSERT_TRUE(BatchOpen::Open(doc, sFile, "850"));
    std::ostringstream json, xml;
    JsonExport().Write(doc, json);
    XmlExport().Write(doc, xml);
    const std::string sJson = json.str(), sXml = xml.str();
    EXPECT_NE(sJson.find(R"("separators":{"element":42,"segment":126,"lineEnd":"crlf"})"), std::string::npos);
    EXPECT_NE(sJson.find(R"({"kind":"transaction","name":)"), std::string::npos) << sJson;
    EXPECT_NE(sJson.find(R"({"position":2,"components":["A","B",""]},{"position":3,"repetitions":["X",["Y","Z"]]})"),
              std::string::npos);
    EXPECT_NE(sJson.find(R"({"position":4,"value":""})"), std::string::npos);
    EXPECT_NE(sJson.find("\"\xC3\x89TOILE\""), std::string::npos) << "Latin-1 becomes UTF-8";
    EXPECT_NE(sXml.find("<element position=\"3\"><repetition>X</repetition><repetition><component>Y</component>"
                        "<component>Z</component></repetition></element>"),
              std::string::npos)
        << sXml;
    EXPECT_NE(sXml.find("lineEnd=\"crlf\""), std::string::npos);

    // Other separators on the way back, the segments the same.
    const std::string sJsonFile = env.Path("doc.json"), sOut = env.Path("out.edi");
    TestEnv::WriteFile(sJsonFile, sJson);
    DocumentImport::Options options;
    options.nElement = '|';
    options.nSegment = '\n';
    DocumentImport::ConvertFile(sJsonFile, sOut, options);
    const std::string sBack = TestEnv::ReadFile(sOut);
    EXPECT_TRUE(sBack.starts_with("ISA|00|")) << sBack;
    EXPECT_NE(sBack.find("\nREF|ZZ|A:B:|X^Y:Z\n"), std::string::npos) << sBack;
    EXPECT_NE(sBack.find("N1|ST|\xC9TOILE\n"), std::string::npos);
    options.nSegment = '|';
    EXPECT_THROW(DocumentImport::ConvertFile(sJsonFile, sOut, options), std::runtime_error);
}

TEST(Exchange, HandMadeExportsAndRefusals)
{
    TestEnv env;
    const auto import = [&](const std::string& sName, const std::string& sText) {
        TestEnv::WriteFile(env.Path(sName), sText);
        DocumentImport::ConvertFile(env.Path(sName), env.Path("out.edi"), {});
        return TestEnv::ReadFile(env.Path("out.edi"));
    };
    const std::string sHead = R"({"format":"orrindale-edi","version":1,"type":"850",
        "separators":{"element":42,"segment":126,"lineEnd":"lf"},"nodes":[)";
    // Positions left out are empty; a file without an ISA joins components with ":".
    EXPECT_EQ(import("a.json", sHead + R"({"kind":"segment","id":"N1","elements":[{"position":1,"value":"ST"},
        {"position":4,"components":["92","X"]}]}]})"),
              "N1*ST***92:X~\n");
    EXPECT_THROW(import("b.json", sHead + R"({"kind":"segment","id":"N1","elements":[{"position":1,
        "repetitions":["A","B"]}]}]})"),
                 std::runtime_error)
        << "repetitions need a repetition separator";
    EXPECT_THROW(import("c.json", sHead + R"({"kind":"segment","id":"N1","elements":[{"position":1,"value":"€"}]}]})"),
                 std::runtime_error);
    EXPECT_THROW(import("d.json", R"({"format":"other","version":1})"), std::runtime_error);
    EXPECT_THROW(import("e.txt", "ISA*00"), std::runtime_error);
    // XML: a value in hex, components, loops around segments.
    EXPECT_EQ(import("f.xml", R"(<?xml version="1.0"?>
<edi xmlns="urn:orrindale:edi" version="1" type="X">
 <separators element="124" segment="0" lineEnd="none"/>
 <loop name="L" id="1"><segment id="BIN"><element position="1">3</element><element position="2" hex="41090D"/></segment>
  <segment id="N1"><element position="1"><component> a </component><component/></element></segment></loop>
</edi>)"),
              "BIN|3|A\t\r\r\nN1| a :\r\n");
    EXPECT_THROW(import("g.xml", "<edi version=\"1\" type=\"X\"/>"), std::runtime_error) << "no namespace";
    EXPECT_THROW(import("h.xml", "<edi"), std::runtime_error);
}

}  // namespace
}  // namespace orr
