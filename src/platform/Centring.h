// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace platform {

// Where a window's client area goes so that the whole window, frame included,
// sits in the middle of the available area.
QPoint centredClientPosition(const QRect &available, const QSize &client, const QMargins &frame);

// Centres a top-level window on its screen's available area now, and once more
// when the window manager has framed it: only then is the frame's size known.
// A user who moves the window afterwards keeps it where they put it.
void centreOnScreen(QWidget *window);

} // namespace platform
