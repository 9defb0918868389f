// print: the document as the print preview shows it, one segment to a line,
// into a PDF file. Runs in orrindale-cli-io (it needs Qt Gui).
#include <QFontDatabase>
#include <cstdio>
#include <string>

#include "cli/CliCommands.h"
#include "doctree/EdiDocument.h"
#include "doctree/clsTreeDSave.h"
#include "shell/modPrintText.h"

namespace orr {
namespace {

// The print font: the default fixed-pitch font, or the family and size asked for.
QFont PrintFont(const CliArgs& args)
{
    QFont font = gfDefaultPrintFont();
    if (const std::string sFamily = args.Option("--font"); !sFamily.empty()) {
        const QString family = QString::fromStdString(sFamily);
        if (!QFontDatabase::hasFamily(family))
            std::fprintf(stderr, "warning: font %s is not installed; a similar one is used\n", sFamily.c_str());
        font.setFamily(family);
    }
    if (const std::string sSize = args.Option("--size"); !sSize.empty()) {
        std::size_t nUsed = 0;
        double points = 0;
        try {
            points = std::stod(sSize, &nUsed);
        } catch (const std::exception&) {
        }
        if (nUsed != sSize.size() || !(points >= 1 && points <= 200))
            throw UsageError("--size takes points from 1 to 200");
        font.setPointSizeF(points);
    }
    return font;
}

}  // namespace

int gfCmdPrint(const CliArgs& args)
{
    args.Require(2, {"--type", "--delimiter", "--selimiter", "-o", "--font", "--size"});
    gfRequireOutput(args);
    const QFont font = PrintFont(args);
    CliSession session(args);
    EdiDocument doc;
    if (!session.Start() || !gfCliLoadDocument(args, doc))
        return 1;
    // One segment to a line, as the preview shows a file written with line breaks.
    clsTreeDSave writer;
    writer.SetDelimiter(doc.Delimiter());
    writer.SetSelimiter(doc.Selimiter());
    const QString sText = gfPrintableText(QByteArray::fromStdString(writer.ToText(doc.Root(), true)));
    const std::string sOut = args.Option("-o");
    if (gfPrintTextToPdf(QString::fromStdString(sOut), sText, font, QString::fromStdString(args.positional[1])) == 0) {
        std::fprintf(stderr, "error: could not write %s\n", sOut.c_str());
        return 1;
    }
    return 0;
}

}  // namespace orr
