// Renders the program's SVG icon as square PNG files for the icon theme:
// iconrender ICON.svg OUTDIR SIZE... writes OUTDIR/SIZExSIZE/apps/orrindale.png.
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QSvgRenderer>
#include <cstdio>

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: iconrender ICON.svg OUTDIR SIZE...\n");
        return 2;
    }
    QSvgRenderer svg(QString::fromLocal8Bit(argv[1]));
    if (!svg.isValid()) {
        std::fprintf(stderr, "iconrender: cannot read %s\n", argv[1]);
        return 1;
    }
    for (int i = 3; i < argc; ++i) {
        const int nSize = QString::fromLocal8Bit(argv[i]).toInt();
        QImage image(nSize, nSize, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        svg.render(&painter);
        painter.end();
        const QString sDir = QStringLiteral("%1/%2x%2/apps").arg(QString::fromLocal8Bit(argv[2])).arg(nSize);
        if (!QDir().mkpath(sDir) || !image.save(sDir + QStringLiteral("/orrindale.png"))) {
            std::fprintf(stderr, "iconrender: cannot write %s\n", qPrintable(sDir));
            return 1;
        }
    }
    return 0;
}
