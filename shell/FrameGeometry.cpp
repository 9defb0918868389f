#include "shell/FrameGeometry.h"

#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

#include "app/SettingsStore.h"
#include "app/clsConfig.h"
#include "app/modGlobals.h"
#include "shell/Twips.h"

namespace orr {
namespace {

const char* const kGeometryKeys[] = {"MainLeft", "MainTop", "MainWidth", "MainHeight"};
const double kGeometryDefaults[] = {1000, 1000, 6500, 6500};
constexpr double kMinimumTwips = 4000;

// Stored positions are the text of a single-precision number.
std::string FloatText(double value)
{
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, float(value));
    return std::string(buf, r.ptr);
}

double ParseTwips(const std::string& sText, double dDefault)
{
    float value = 0;
    const char* first = sText.data();
    const char* last = first + sText.size();
    while (first < last && *first == ' ')
        ++first;
    const auto r = std::from_chars(first, last, value);
    return (r.ec == std::errc() && std::isfinite(value)) ? double(value) : dDefault;
}

}  // namespace

void FrameGeometry::Load(QWidget& frame)
{
    const double dpiX = frame.screen() ? frame.screen()->logicalDotsPerInchX() : 96.0;
    const double dpiY = frame.screen() ? frame.screen()->logicalDotsPerInchY() : 96.0;
    frame.setMinimumSize(gfTwipsToPixels(kMinimumTwips, dpiX), gfTwipsToPixels(kMinimumTwips, dpiY));
    for (int i = 0; i < 4; ++i) {
        std::string sText;
        if (gSettings && gConfig)
            sText = gSettings->Get(gConfig->SettingsApp, gConfig->SectionSystem, kGeometryKeys[i],
                                   FloatText(kGeometryDefaults[i]));
        mLoadedTwips[std::size_t(i)] = ParseTwips(sText, kGeometryDefaults[i]);
        mLoadedPixels[std::size_t(i)] = gfTwipsToPixels(mLoadedTwips[std::size_t(i)], i % 2 ? dpiY : dpiX);
    }
    frame.move(mLoadedPixels[0], mLoadedPixels[1]);
    frame.resize(std::max(mLoadedPixels[2], frame.minimumWidth()), std::max(mLoadedPixels[3], frame.minimumHeight()));
}

void FrameGeometry::Save(const QWidget& frame) const
{
    if (frame.isMinimized() || !gSettings || !gConfig)
        return;
    const double dpiX = frame.screen() ? frame.screen()->logicalDotsPerInchX() : 96.0;
    const double dpiY = frame.screen() ? frame.screen()->logicalDotsPerInchY() : 96.0;
    const int pixels[4] = {frame.x(), frame.y(), frame.width(), frame.height()};
    for (int i = 0; i < 4; ++i) {
        const double twips = pixels[i] == mLoadedPixels[std::size_t(i)]
                                 ? mLoadedTwips[std::size_t(i)]
                                 : gfPixelsToTwips(pixels[i], i % 2 ? dpiY : dpiX);
        gSettings->Save(gConfig->SettingsApp, gConfig->SectionSystem, kGeometryKeys[i], FloatText(twips));
    }
}

}  // namespace orr
