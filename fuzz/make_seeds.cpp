// Seed maker for the document harnesses: each X12 file given, as it is and
// in the shapes the readers must take, written into a folder:
//   .sep-N        re-separated (element separators, one-byte and UTF-8
//                 terminators, line ends as terminators, CR LF or nothing after them)
//   .bin          a BIN segment whose data holds separators and line ends
//   .trailing     text after the last terminator
//   .unterminated the last segment without its terminator
//   .no-iea .no-ge .no-se .cut-segment .cut-isa   truncated envelopes
//   mixed-N       two files of different separators one after the other
// Large files are cut to their first segments and trailers, so that a seed
// stays near the harnesses' input size.
//
//   make_seeds FOLDER FILE...
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/clsConfig.h"
#include "edi/modGuessEdi.h"

namespace {

using namespace orr;
namespace fs = std::filesystem;

struct Style {
    char cElement;
    std::string sTerminator;  // its bytes; "" when line ends terminate
    std::string sAfter;       // what follows each terminator
};

const Style kStyles[] = {
    {'*', "~", "\n"},      {'|', "'", ""},          {'+', "\n", ""},   {'^', "\r", "\n"},
    {'{', "\x15", ""},     {'!', "\xE2\x80\xA6", "\n"}, {'\x1D', "\x1C", ""}, {'*', "~", "\r\n"},
    {'}', "", "\r\n"},
};

constexpr std::size_t kMaxSegments = 80;

struct Document {
    char cElement = '*';
    std::vector<std::string> segments;  // without terminators
};

std::vector<std::string> Elements(const std::string& sSegment, char c)
{
    std::vector<std::string> out(1);
    for (const char x : sSegment) {
        if (x == c)
            out.emplace_back();
        else
            out.back() += x;
    }
    return out;
}

std::string Id(const std::string& sSegment, char c) { return sSegment.substr(0, sSegment.find(c)); }

bool Split(const std::string& sText, const std::string& sFile, Document& doc)
{
    const clsConfig config(".", ".");
    SepCode nDelimiter = 0, nSelimiter = 0;
    if (const auto isa = gfFixedIsa(sText)) {
        nDelimiter = isa->nDelimiter;
        nSelimiter = isa->nSelimiter;
    } else {
        const GuessResult guess = gfGuessText(sText, sFile, config);
        if (!guess.bFound)
            return false;
        nDelimiter = guess.nDelimiter;
        nSelimiter = guess.nSelimiter;
    }
    if (nDelimiter > 255)
        return false;
    doc.cElement = char(nDelimiter);
    const std::string sTerminator = nSelimiter == 10 || nSelimiter == 13 ? "\n" : gfSeparatorBytes(nSelimiter);
    std::string sRest = sText;
    if (nSelimiter == 13)
        std::replace(sRest.begin(), sRest.end(), '\r', '\n');
    for (std::size_t at = 0; at < sRest.size();) {
        std::size_t end = sRest.find(sTerminator, at);
        if (end == std::string::npos)
            end = sRest.size();
        std::string sSegment = sRest.substr(at, end - at);
        sSegment.erase(0, sSegment.find_first_not_of("\r\n"));
        if (!sSegment.empty())
            doc.segments.push_back(sSegment);
        at = end + sTerminator.size();
    }
    // The first segments and the trailers of a large file.
    if (doc.segments.size() > kMaxSegments)
        doc.segments.erase(doc.segments.begin() + kMaxSegments - 3, doc.segments.end() - 3);
    return !doc.segments.empty();
}

std::string Join(const Document& doc, const Style& style)
{
    std::string out;
    for (const std::string& sSegment : doc.segments) {
        const std::vector<std::string> elements = Elements(sSegment, doc.cElement);
        for (std::size_t i = 0; i < elements.size(); ++i)
            out += (i ? std::string(1, style.cElement) : std::string()) + elements[i];
        out += (style.sTerminator.empty() ? std::string() : style.sTerminator) + style.sAfter;
    }
    return out;
}

Document Without(const Document& doc, std::initializer_list<const char*> ids, bool bFirstOnly)
{
    Document out{doc.cElement, {}};
    bool bDropped = false;
    for (const std::string& s : doc.segments) {
        bool bDrop = false;
        for (const char* id : ids)
            bDrop = bDrop || (Id(s, doc.cElement) == id && !(bFirstOnly && bDropped));
        bDropped = bDropped || bDrop;
        if (!bDrop)
            out.segments.push_back(s);
    }
    return out;
}

void Write(const fs::path& path, const std::string& sBytes)
{
    std::ofstream(path, std::ios::binary) << sBytes;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: make_seeds FOLDER FILE...\n");
        return 2;
    }
    const fs::path out(argv[1]);
    fs::create_directories(out);
    const Style& plain = kStyles[0];
    std::vector<Document> docs;
    for (int i = 2; i < argc; ++i) {
        std::ifstream in(argv[i], std::ios::binary);
        const std::string sText((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const std::string sName = fs::path(argv[i]).filename().string();
        Write(out / sName, sText.substr(0, 16384));
        Document doc;
        if (!Split(sText, argv[i], doc))
            continue;
        for (std::size_t k = 0; k < std::size(kStyles); ++k)
            Write(out / (sName + ".sep-" + std::to_string(k)), Join(doc, kStyles[k]));
        const std::string sJoined = Join(doc, plain);

        Document bin = doc;
        for (std::size_t k = 0; k < bin.segments.size(); ++k)
            if (Id(bin.segments[k], doc.cElement) == "ST") {
                const std::string sData = std::string("a*b~c|d'\r\nISA*\0z", 17);
                bin.segments.insert(bin.segments.begin() + std::ptrdiff_t(k) + 1,
                                    "BIN" + std::string(1, doc.cElement) + std::to_string(sData.size()) +
                                        std::string(1, doc.cElement) + sData);
                break;
            }
        Write(out / (sName + ".bin"), Join(bin, plain));
        Write(out / (sName + ".trailing"), sJoined + "\r\ntext after the last segment");
        Write(out / (sName + ".unterminated"), sJoined.substr(0, sJoined.size() - plain.sTerminator.size() - 1));
        Write(out / (sName + ".no-iea"), Join(Without(doc, {"IEA"}, false), plain));
        Write(out / (sName + ".no-ge"), Join(Without(doc, {"GE", "IEA"}, false), plain));
        Write(out / (sName + ".no-se"), Join(Without(doc, {"SE"}, true), plain));
        Write(out / (sName + ".cut-segment"), sJoined.substr(0, sJoined.size() * 2 / 3));
        Write(out / (sName + ".cut-isa"), sJoined.substr(0, 60));
        docs.push_back(std::move(doc));
    }
    for (std::size_t i = 0; i + 1 < docs.size(); ++i)
        Write(out / ("mixed-" + std::to_string(i)),
              Join(docs[i], kStyles[i % std::size(kStyles)]) + Join(docs[i + 1], kStyles[(i + 3) % std::size(kStyles)]));
    return 0;
}
