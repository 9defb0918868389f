#include "shell/IconCache.h"

#include <QFile>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

namespace orr {
namespace {

// Rendered once per size so the overlays can be painted onto pixmaps.
const int kSizes[] = {16, 24, 32, 48};

QPixmap Render(QSvgRenderer& svg, int nSize)
{
    QPixmap pm(nSize, nSize);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    svg.render(&p);
    return pm;
}

// A node cut to the clipboard looks faded, as it will leave its place.
QPixmap Cut(const QPixmap& base)
{
    QPixmap pm(base.size());
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setOpacity(0.4);
    p.drawPixmap(0, 0, base);
    return pm;
}

// A copied node keeps its look and gets a small plus badge.
QPixmap Copied(const QPixmap& base)
{
    QPixmap pm = base;
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = pm.width() * 0.5;
    const QRectF badge(pm.width() - s, pm.height() - s, s, s);
    p.setPen(QPen(QColor(0x1f, 0x4e, 0x89), pm.width() / 16.0));
    p.setBrush(QColor(0x2f, 0x6f, 0xb5));
    p.drawEllipse(badge.adjusted(0.5, 0.5, -0.5, -0.5));
    p.setPen(QPen(Qt::white, pm.width() / 10.0));
    const QPointF c = badge.center();
    const qreal r = s * 0.28;
    p.drawLine(QPointF(c.x() - r, c.y()), QPointF(c.x() + r, c.y()));
    p.drawLine(QPointF(c.x(), c.y() - r), QPointF(c.x(), c.y() + r));
    return pm;
}

}  // namespace

const QStringList& IconCache::BaseKeys()
{
    static const QStringList keys = {
        // frame and toolbar
        // "open" is shared with the trees (an open folder) and listed there.
        QStringLiteral("new"), QStringLiteral("save"), QStringLiteral("print"),
        QStringLiteral("edit"), QStringLiteral("validate"), QStringLiteral("insertchild"),
        QStringLiteral("shownull"), QStringLiteral("insertbefore"), QStringLiteral("insertafter"),
        QStringLiteral("cut"), QStringLiteral("copy"), QStringLiteral("paste"), QStringLiteral("delete"),
        QStringLiteral("down"), QStringLiteral("up"), QStringLiteral("expand"), QStringLiteral("collapse"),
        QStringLiteral("defaultwindow"), QStringLiteral("undo"), QStringLiteral("redo"),
        // document types and list views
        QStringLiteral("doc"), QStringLiteral("viewlarge"), QStringLiteral("viewsmall"),
        QStringLiteral("viewlist"), QStringLiteral("viewdetail"),
    };
    static const QStringList all = keys + TreeKeys();
    return all;
}

const QStringList& IconCache::TreeKeys()
{
    static const QStringList keys = {
        QStringLiteral("closedschema"), QStringLiteral("openschema"), QStringLiteral("closed"),
        QStringLiteral("open"), QStringLiteral("de"), QStringLiteral("deoptional"), QStringLiteral("denotused"),
        QStringLiteral("derelational"), QStringLiteral("deunknown"), QStringLiteral("closeddata"),
        QStringLiteral("opendata"), QStringLiteral("errclosed"), QStringLiteral("erropen"),
        QStringLiteral("nullsegment"), QStringLiteral("closednull"),
    };
    return keys;
}

const IconCache& IconCache::Instance()
{
    static const IconCache cache;
    return cache;
}

IconCache::IconCache()
{
    for (const QString& key : BaseKeys()) {
        QSvgRenderer svg(QStringLiteral(":/icons/%1.svg").arg(key));
        if (!svg.isValid())
            continue;  // a missing file leaves the key without an image
        QIcon icon, cut, cop;
        const bool bTree = TreeKeys().contains(key);
        for (int nSize : kSizes) {
            const QPixmap pm = Render(svg, nSize);
            icon.addPixmap(pm);
            if (bTree) {
                cut.addPixmap(Cut(pm));
                cop.addPixmap(Copied(pm));
            }
        }
        Add(key, icon);
        if (bTree) {
            Add(QStringLiteral("cut") + key, cut);
            Add(QStringLiteral("cop") + key, cop);
        }
    }
    // Document elements look like the schema's data elements.
    for (const auto& [alias, base] : {std::pair{QStringLiteral("dde"), QStringLiteral("de")},
                                      std::pair{QStringLiteral("ddeoptional"), QStringLiteral("deoptional")},
                                      std::pair{QStringLiteral("ddenotused"), QStringLiteral("denotused")},
                                      // text after the last terminator is shown like a segment that failed
                                      std::pair{QStringLiteral("trailing"), QStringLiteral("errclosed")},
                                      std::pair{QStringLiteral("trailingopen"), QStringLiteral("erropen")}})
        for (const QString& prefix : {QString(), QStringLiteral("cut"), QStringLiteral("cop")})
            if (Has(prefix + base))
                Add(prefix + alias, Icon(prefix + base));
}

void IconCache::Add(const QString& sKey, const QIcon& icon)
{
    mIndex.insert(sKey, int(mIcons.size()));
    mIcons.push_back(icon);
}

QIcon IconCache::ProgramIcon()
{
    QSvgRenderer svg(QStringLiteral(":/icons/orrindale.svg"));
    QIcon icon;
    for (int nSize : kSizes)
        icon.addPixmap(Render(svg, nSize));
    return icon;
}

QIcon IconCache::Icon(const QString& sKey) const
{
    const int n = IndexOf(sKey);
    return n < 0 ? QIcon() : mIcons[std::size_t(n)];
}

}  // namespace orr
