#pragma once
// Window positions are kept in twips (1440 per inch) in the settings; the
// screen's logical DPI converts them.
#include <QScreen>
#include <cmath>

namespace orr {

inline int gfTwipsToPixels(double twips, double dpi) { return int(std::lround(twips * dpi / 1440.0)); }
inline double gfPixelsToTwips(int pixels, double dpi) { return pixels * 1440.0 / dpi; }

// The screen's extent in twips, for the configuration's default window size.
inline QSize gfScreenTwips(const QScreen* screen)
{
    if (!screen)
        return {};
    const QSize px = screen->size();
    return {int(std::lround(gfPixelsToTwips(px.width(), screen->logicalDotsPerInchX()))),
            int(std::lround(gfPixelsToTwips(px.height(), screen->logicalDotsPerInchY())))};
}

}  // namespace orr
