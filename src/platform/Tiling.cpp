// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Tiling.h"

#include <cmath>

namespace platform {

QList<TwipPoint> tilePositions(float tileWidth, float tileHeight, float width, float height)
{
    QList<TwipPoint> positions;
    // A step that is not positive would never reach the bound.
    if (!(tileWidth > 0) || !(tileHeight > 0))
        return positions;
    for (float x = 0; x <= width; x += tileWidth) {
        for (float y = 0; y <= height; y += tileHeight)
            positions.append({x, y});
    }
    return positions;
}

int twipsToPixels(float twips)
{
    return int(std::lround(twips / twipsPerPixel));
}

QList<QPoint> tilePixels(const QSize &tile, const QSize &bounds)
{
    const QList<TwipPoint> twips = tilePositions(
        float(tile.width() * twipsPerPixel), float(tile.height() * twipsPerPixel),
        float(bounds.width() * twipsPerPixel), float(bounds.height() * twipsPerPixel));
    QList<QPoint> pixels;
    pixels.reserve(twips.size());
    for (const TwipPoint &at : twips)
        pixels.append(QPoint(twipsToPixels(at.x), twipsToPixels(at.y)));
    return pixels;
}

} // namespace platform
