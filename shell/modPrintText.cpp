#include "shell/modPrintText.h"

#include <QAbstractTextDocumentLayout>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPainter>
#include <QPdfWriter>
#include <QTextDocument>

namespace orr {
namespace {

constexpr int kDefaultPoints = 10;

void DrawHeader(QPainter& painter, const QFont& font, const QString& sTitle, int nPage, int nPages, qreal width)
{
    const QFontMetricsF fm(font, painter.device());
    const QString sPage = QStringLiteral("Page %1 of %2").arg(nPage).arg(nPages);
    const qreal pageWidth = fm.horizontalAdvance(sPage);
    // A long path gives way to the page number.
    const QString sShown = fm.elidedText(sTitle, Qt::ElideMiddle, width - pageWidth - fm.averageCharWidth() * 4);
    painter.setFont(font);
    painter.drawText(QPointF(0, fm.ascent()), sShown);
    painter.drawText(QPointF(width - pageWidth, fm.ascent()), sPage);
    const qreal ruleY = fm.height() * 1.3;
    painter.drawLine(QPointF(0, ruleY), QPointF(width, ruleY));
}

}  // namespace

QFont gfDefaultPrintFont()
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setStyleHint(QFont::Monospace);
    font.setPointSize(kDefaultPoints);
    return font;
}

QString gfPrintableText(const QByteArray& bytes)
{
    QString s = QString::fromLatin1(bytes);
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    s.replace(u'\r', u'\n');
    return s;
}

int gfPrintText(QPagedPaintDevice& device, const QString& sText, const QFont& font, const QString& sTitle)
{
    QPainter painter;
    if (!painter.begin(&device))
        return 0;
    QTextDocument doc;
    doc.documentLayout()->setPaintDevice(&device);  // measured at the device's resolution
    doc.setDefaultFont(font);
    QTextOption option = doc.defaultTextOption();
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    doc.setDefaultTextOption(option);
    doc.setDocumentMargin(0);
    doc.setPlainText(sText);

    const qreal width = device.width();
    const qreal headerHeight = QFontMetricsF(font, &device).height() * 2;
    const QSizeF body(width, device.height() - headerHeight);
    doc.setPageSize(body);  // lines are kept whole on one page
    const int nPages = doc.pageCount();
    for (int i = 0; i < nPages; ++i) {
        if (i > 0)
            device.newPage();
        DrawHeader(painter, font, sTitle, i + 1, nPages, width);
        painter.save();
        painter.translate(0, headerHeight - i * body.height());
        doc.drawContents(&painter, QRectF(QPointF(0, i * body.height()), body));
        painter.restore();
    }
    painter.end();
    return nPages;
}

int gfPrintTextToPdf(const QString& sPdfFile, const QString& sText, const QFont& font, const QString& sTitle)
{
    QPdfWriter writer(sPdfFile);
    writer.setTitle(sTitle);
    writer.setCreator(QStringLiteral("Orrindale"));
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
    return gfPrintText(writer, sText, font, sTitle);
}

}  // namespace orr
