// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QPainter;
class QPixmap;
class QPoint;

namespace platform {

// Draws a picture whole, at its natural size, with its top-left corner at the
// given pixel position; clipping is left to the painter. Fails with "Invalid
// picture" when there is no picture, and with "Invalid procedure call" when
// the painter cannot draw (outside a paint event, say).
void paintPicture(QPainter &painter, const QPoint &at, const QPixmap &picture);

} // namespace platform
