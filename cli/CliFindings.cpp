#include "cli/CliFindings.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>

#include "doctree/DocumentVerdict.h"
#include "doctree/clsTreeDCheck.h"

namespace orr {
namespace {

// EDI text is 8-bit; Latin-1 keeps every byte.
QString Text(const std::string& s) { return QString::fromLatin1(s.data(), qsizetype(s.size())); }

std::string Position(const EdiFinding& f)
{
    const std::string sRef = clsTreeDCheck::Reference(f);
    return f.nElement > 0 ? sRef.substr(f.sSegmentId.size()) : std::string();
}

const char* Severity(const EdiFinding& f) { return f.IsError() ? "error" : "warning"; }

QJsonObject Json(const EdiFinding& f)
{
    QJsonObject o;
    o[QStringLiteral("line")] = f.nLine > 0 ? QJsonValue(qint64(f.nLine)) : QJsonValue();
    o[QStringLiteral("segment")] = qint64(f.nSegment);
    o[QStringLiteral("segmentId")] = Text(f.sSegmentId);
    o[QStringLiteral("element")] = f.nElement;
    o[QStringLiteral("component")] = f.nComponent;
    o[QStringLiteral("repetition")] = f.nRepetition;
    o[QStringLiteral("loop")] = Text(f.sLoopPath);
    o[QStringLiteral("severity")] = QString::fromLatin1(Severity(f));
    o[QStringLiteral("message")] = Text(f.sMessage);
    return o;
}

}  // namespace

std::string gfFindingLine(const EdiFinding& f)
{
    return (f.nLine > 0 ? std::to_string(f.nLine) : std::string()) + ":" + std::to_string(f.nSegment) + ":" +
           f.sSegmentId + ":" + Position(f) + ": " + Severity(f) + ": " + f.sMessage;
}

void gfReportUnread(const std::string& sError)
{
    QJsonObject o;
    o[QStringLiteral("valid")] = false;
    o[QStringLiteral("verdict")] = Text(DocumentVerdict::Of(false, {}).Text());
    o[QStringLiteral("error")] = Text(sError.empty() ? std::string("The file could not be read.") : sError);
    std::printf("%s", QJsonDocument(o).toJson(QJsonDocument::Indented).constData());
}

int gfReportValidation(bool bReadBack, const std::string& sBuildError, const std::optional<EdiFindings>& findings,
                       bool bJson)
{
    const DocumentVerdict verdict = DocumentVerdict::Of(bReadBack, findings ? *findings : EdiFindings());
    if (bJson) {
        QJsonObject o;
        o[QStringLiteral("valid")] = verdict.bValid;
        o[QStringLiteral("verdict")] = Text(verdict.Text());
        o[QStringLiteral("error")] = Text(sBuildError);
        if (findings) {
            QJsonArray list;
            for (const EdiFinding& f : *findings)
                list.append(Json(f));
            o[QStringLiteral("findings")] = list;
        }
        std::printf("%s", QJsonDocument(o).toJson(QJsonDocument::Indented).constData());
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
