#pragma once
// Printing a plain text on pages: every page starts with a header (the
// document's name on the left, "Page n of m" on the right, a rule below) and
// long lines are wrapped wherever they must break, since EDI text has no
// blanks. The print preview prints through it, and so does the command line,
// which needs Qt Gui only.
#include <QFont>
#include <QString>

class QPagedPaintDevice;

namespace orr {

// The system's fixed-pitch font at 10 points: segments line up in columns.
QFont gfDefaultPrintFont();

// Text as printed and shown: CR LF and lone CR become line feeds.
QString gfPrintableText(const QByteArray& bytes);

// Prints sText on the device in the given font; the number of pages, 0 when
// the device could not be painted on (a file that cannot be written).
int gfPrintText(QPagedPaintDevice& device, const QString& sText, const QFont& font, const QString& sTitle);

// gfPrintText on a PDF file with A4 pages and 15 mm margins.
int gfPrintTextToPdf(const QString& sPdfFile, const QString& sText, const QFont& font, const QString& sTitle);

}  // namespace orr
