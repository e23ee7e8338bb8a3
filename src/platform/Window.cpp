// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Window.h"

#include "platform/ErrorCatalogue.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QWidget>

#include <cmath>
#include <utility>

namespace platform {

namespace {

QMargins frameOf(const QWidget *window)
{
    const QRect outer = window->frameGeometry(), client = window->geometry();
    return {client.left() - outer.left(), client.top() - outer.top(),
            outer.right() - client.right(), outer.bottom() - client.bottom()};
}

void centre(QWidget *window)
{
    if (const QScreen *screen = window->screen())
        window->setGeometry(QRect(
            centredClientPosition(screen->availableGeometry(), window->size(), frameOf(window)),
            window->size()));
}

// Centres its window again once a frame shows, or when the window first
// becomes active, whichever comes first; then leaves it alone.
struct FrameWatch : QObject
{
    using QObject::QObject;

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *window = static_cast<QWidget *>(watched);
        const bool framed = event->type() == QEvent::Move && !frameOf(window).isNull();
        if (framed || event->type() == QEvent::WindowActivate) {
            window->removeEventFilter(this);
            deleteLater();
            centre(window);
        }
        return false;
    }
};

} // namespace

QList<TwipPoint> tilePositions(float tileWidth, float tileHeight, float width, float height)
{
    QList<TwipPoint> positions;
    // A step that is not positive would never reach the bound.
    if (!(tileWidth > 0) || !(tileHeight > 0))
        return positions;
    for (float x = 0; x <= width; x += tileWidth)
        for (float y = 0; y <= height; y += tileHeight)
            positions.append({x, y});
    return positions;
}

QList<QPoint> tilePixels(const QSize &tile, const QSize &bounds)
{
    const float step = twipsPerPixel;
    QList<QPoint> pixels;
    for (const TwipPoint &at : tilePositions(tile.width() * step, tile.height() * step,
                                             bounds.width() * step, bounds.height() * step))
        pixels.append(QPoint(int(std::lround(at.x / step)), int(std::lround(at.y / step))));
    return pixels;
}

void paintPicture(QPainter &painter, const QPoint &at, const QPixmap &picture)
{
    if (picture.isNull())
        fail(InvalidPicture);
    if (!painter.isActive())
        fail(InvalidProcedureCall);
    painter.drawPixmap(at, picture);
}

QPoint centredClientPosition(const QRect &available, const QSize &client, const QMargins &frame)
{
    QRect outer(QPoint(), client.grownBy(frame));
    outer.moveCenter(available.center());
    return outer.topLeft() + QPoint(frame.left(), frame.top());
}

void centreOnScreen(QWidget *window)
{
    centre(window);
    window->installEventFilter(new FrameWatch(window));
}

QFont designFont(const QString &family, double points, bool bold)
{
    QFont font(family);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

QCursor handCursor()
{
    return QCursor(QPixmap(QStringLiteral(":/pictures/hand.png")), 12, 6);
}

void LinkLabel::mousePressEvent(QMouseEvent *event)
{
    m_pressed = event->button() == Qt::LeftButton;
    event->accept();
}

// The second press of a double click is not another click.
void LinkLabel::mouseDoubleClickEvent(QMouseEvent *event)
{
    m_pressed = false;
    event->accept();
}

void LinkLabel::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    if (std::exchange(m_pressed, false) && event->button() == Qt::LeftButton &&
        rect().contains(event->position().toPoint()))
        emit clicked();
}

} // namespace platform
