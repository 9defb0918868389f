#pragma once
// The frame's place and size in the settings, in twips as stored. A side the
// user did not change is saved back exactly as it was read, so pixel
// rounding never creeps in from one run to the next.
#include <array>

class QWidget;

namespace orr {

class FrameGeometry {
public:
    // Moves and sizes frame as stored (the defaults for what is not), no
    // smaller than its minimum.
    void Load(QWidget& frame);
    // Stores frame's place and size; nothing while it is minimised.
    void Save(const QWidget& frame) const;

private:
    std::array<double, 4> mLoadedTwips{};
    std::array<int, 4> mLoadedPixels{};
};

}  // namespace orr
