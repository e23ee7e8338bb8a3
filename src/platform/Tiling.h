// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QPoint>
#include <QSize>

namespace platform {

// Window positions and sizes are given in twips: 15 to a pixel at 96 dots per inch.
inline constexpr int twipsPerPixel = 15;

// A drawing position in twips, from the client area's top-left corner.
struct TwipPoint
{
    float x = 0;
    float y = 0;
    friend bool operator==(const TwipPoint &, const TwipPoint &) = default;
};

// Where the background tile goes: column by column from the left, each column
// from the top, the tile's width and height as the steps. Both bounds are
// inclusive (a column starting exactly at the width is still drawn) and are
// the window's outer size, so the tiles always reach past the client area.
// Positions are summed in single precision. A tile without width or height
// gives no positions at all: it cannot be a step.
QList<TwipPoint> tilePositions(float tileWidth, float tileHeight, float width, float height);

int twipsToPixels(float twips);

// The same positions for a tile and a window measured in pixels, as pixels.
QList<QPoint> tilePixels(const QSize &tile, const QSize &bounds);

} // namespace platform
