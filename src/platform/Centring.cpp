// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Centring.h"

#include <QEvent>
#include <QScreen>
#include <QWidget>

namespace platform {

namespace {

QMargins frameOf(const QWidget *window)
{
    const QRect outer = window->frameGeometry();
    const QRect client = window->geometry();
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
class FrameWatch : public QObject
{
public:
    using QObject::QObject;

protected:
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

} // namespace platform
