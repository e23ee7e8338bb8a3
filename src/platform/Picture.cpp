// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Picture.h"

#include "platform/ErrorCatalogue.h"

#include <QPainter>
#include <QPixmap>

namespace platform {

void paintPicture(QPainter &painter, const QPoint &at, const QPixmap &picture)
{
    if (picture.isNull())
        fail(InvalidPicture);
    if (!painter.isActive())
        fail(InvalidProcedureCall);
    painter.drawPixmap(at, picture);
}

} // namespace platform
