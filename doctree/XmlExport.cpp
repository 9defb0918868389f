#include "doctree/XmlExport.h"

#include <libxml/xmlwriter.h>

#include <ostream>
#include <stdexcept>

#include "doctree/TextCodec.h"

namespace orr {
namespace {

const xmlChar* X(const char* s) { return reinterpret_cast<const xmlChar*>(s); }

std::string Hex(std::string_view s)
{
    static const char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : s) {
        const auto u = static_cast<unsigned char>(c);
        out += kDigits[u >> 4];
        out += kDigits[u & 15];
    }
    return out;
}

}  // namespace

// libxml2's writer into a memory buffer, emptied into the stream as it fills.
struct XmlExport::Writer {
    Writer() : buffer(xmlBufferCreate()), writer(buffer ? xmlNewTextWriterMemory(buffer, 0) : nullptr)
    {
        if (!writer)
            throw std::runtime_error("cannot start the XML writer");
    }
    ~Writer()
    {
        xmlFreeTextWriter(writer);
        xmlBufferFree(buffer);
    }
    void Start(const char* sName) { xmlTextWriterStartElement(writer, X(sName)); }
    void End() { xmlTextWriterEndElement(writer); }
    void Attribute(const char* sName, std::string_view sLatin1)
    {
        xmlTextWriterWriteAttribute(writer, X(sName), X(TextCodec::Utf8(sLatin1).c_str()));
    }
    void Text(std::string_view sLatin1) { xmlTextWriterWriteString(writer, X(TextCodec::Utf8(sLatin1).c_str())); }
    void Raw(const char* s) { xmlTextWriterWriteRaw(writer, X(s)); }
    void Leaf(const char* sName, std::string_view sLatin1)
    {
        Start(sName);
        Text(sLatin1);
        End();
    }

    xmlBufferPtr buffer;
    xmlTextWriterPtr writer;
};

XmlExport::XmlExport() : mWriter(std::make_unique<Writer>()) {}

XmlExport::~XmlExport() = default;

bool XmlExport::Holds(std::string_view s)
{
    for (const char c : s) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 && u != '\t')
            return false;
    }
    return true;
}

void XmlExport::Flush(std::ostream& out)
{
    xmlTextWriterFlush(mWriter->writer);
    out.write(reinterpret_cast<const char*>(xmlBufferContent(mWriter->buffer)),
              std::streamsize(xmlBufferLength(mWriter->buffer)));
    xmlBufferEmpty(mWriter->buffer);
}

void XmlExport::Begin(std::ostream& out, const std::string& sType, const Separators& separators)
{
    Writer& w = *mWriter;
    xmlTextWriterStartDocument(w.writer, nullptr, "UTF-8", nullptr);
    w.Start("edi");
    w.Attribute("xmlns", kNamespace);
    w.Attribute("version", std::to_string(kFormatVersion));
    w.Attribute("type", sType);
    w.Raw("\n ");
    w.Start("separators");
    w.Attribute("element", std::to_string(separators.nElement));
    w.Attribute("segment", std::to_string(separators.nSegment));
    w.Attribute("lineEnd", separators.sLineEnd);
    w.End();
    Flush(out);
}

void XmlExport::BeginLoop(std::ostream&, const Loop& loop, int nDepth)
{
    Writer& w = *mWriter;
    w.Raw(("\n" + std::string(std::size_t(nDepth), ' ')).c_str());
    w.Start(loop.sKind);
    w.Attribute("name", loop.sName);
    w.Attribute("id", loop.sId);
}

void XmlExport::EndLoop(std::ostream& out, const Loop&, int nDepth)
{
    mWriter->Raw(("\n" + std::string(std::size_t(nDepth), ' ')).c_str());
    xmlTextWriterFullEndElement(mWriter->writer);
    Flush(out);
}

void XmlExport::Segment(std::ostream& out, const SegmentValues& values, bool bMatched, int nDepth)
{
    Writer& w = *mWriter;
    w.Raw(("\n" + std::string(std::size_t(nDepth), ' ')).c_str());
    w.Start("segment");
    w.Attribute("id", values.Id());
    if (!bMatched)
        w.Attribute("matched", "false");
    for (std::size_t n = 1; n <= values.Count(); ++n) {
        w.Start("element");
        w.Attribute("position", std::to_string(n));
        const std::string_view sValue = values.Element(n);
        const SegmentValues::Repetitions parts = values.Parts(n);
        if (!Holds(sValue)) {
            w.Attribute("hex", Hex(sValue));
        } else if (parts.size() > 1) {
            for (const SegmentValues::Components& c : parts) {
                w.Start("repetition");
                if (c.size() > 1)
                    for (std::string_view s : c)
                        w.Leaf("component", s);
                else
                    w.Text(c.front());
                xmlTextWriterFullEndElement(w.writer);
            }
        } else if (parts.size() == 1 && parts.front().size() > 1) {
            for (std::string_view s : parts.front())
                w.Leaf("component", s);
        } else {
            w.Text(sValue);
        }
        w.End();
    }
    xmlTextWriterFullEndElement(w.writer);
    if (xmlBufferLength(w.buffer) > (1 << 16))
        Flush(out);
}

void XmlExport::End(std::ostream& out)
{
    mWriter->Raw("\n");
    xmlTextWriterEndDocument(mWriter->writer);
    Flush(out);
}

}  // namespace orr
