// Window and control sizes are given in twips; at 15 twips a pixel they map to
// the screen's pixels. The windows' font is sized in pixels to match, so that
// the captions fit their fixed places on any screen.
#pragma once

#include <QFont>
#include <QRect>

namespace pelmora {

constexpr int kTwipsPorPixel = 15;

constexpr QRect twips(int left, int top, int width, int height) {
    return QRect(left / kTwipsPorPixel, top / kTwipsPorPixel, width / kTwipsPorPixel,
                 height / kTwipsPorPixel);
}

// The toolkit's default family at 11 pixels, the height of the original's
// 8-point window font.
inline QFont fuenteVentanas(QFont base) {
    base.setPixelSize(11);
    base.setStretch(QFont::SemiCondensed);
    return base;
}

}  // namespace pelmora
