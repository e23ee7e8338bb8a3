// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCursor>
#include <QFont>
#include <QLabel>
#include <QList>
#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>

class QPainter;
class QPixmap;

namespace platform {

// Window positions and sizes are given in twips: 15 to a pixel at 96 dots per inch.
inline constexpr int twipsPerPixel = 15;

// A drawing position in twips, from the client area's top-left corner.
struct TwipPoint
{
    float x = 0;
    float y = 0;
};

// Where the background tile goes: column by column from the left, each column
// from the top, the tile's width and height as the steps. Both bounds are
// inclusive (a column starting exactly at the width is still drawn) and are
// the window's outer size, so the tiles always reach past the client area.
// Positions are summed in single precision. A tile without width or height
// gives no positions at all: it cannot be a step.
QList<TwipPoint> tilePositions(float tileWidth, float tileHeight, float width, float height);

// The same positions for a tile and a window measured in pixels, as pixels.
QList<QPoint> tilePixels(const QSize &tile, const QSize &bounds);

// Draws a picture whole, at its natural size, with its top-left corner at the
// given pixel position; clipping is left to the painter. Fails with "Invalid
// picture" when there is no picture, and with "Invalid procedure call" when
// the painter cannot draw (outside a paint event, say).
void paintPicture(QPainter &painter, const QPoint &at, const QPixmap &picture);

// Where a window's client area goes so that the whole window, frame included,
// sits in the middle of the available area.
QPoint centredClientPosition(const QRect &available, const QSize &client, const QMargins &frame);

// Centres a top-level window on its screen's available area now, and once more
// when the window manager has framed it: only then is the frame's size known.
// A user who moves the window afterwards keeps it where they put it.
void centreOnScreen(QWidget *window);

// A font of the design: the family, a size in points (fractions too) and the weight.
QFont designFont(const QString &family, double points, bool bold);

// The pointing hand that the buttons and links show.
QCursor handCursor();

// A label that reports a click: the left button pressed and released over it.
// A double click is one click.
class LinkLabel : public QLabel
{
    Q_OBJECT
public:
    using QLabel::QLabel;

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    bool m_pressed = false;
};

} // namespace platform
