// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Resources.h"

#include "platform/ErrorCatalogue.h"

#include <QFile>
#include <QFileInfo>

namespace platform {

QByteArray loadResource(const QString &type, const QString &name)
{
    // A name is one path component: no way out of its type's folder.
    if (name.isEmpty() || name.contains(QLatin1Char('/')) || type.isEmpty() ||
        type.contains(QLatin1Char('/')))
        fail(ResourceNotFound);
    // Resource names are not case-sensitive; the program's are stored in capitals.
    const QString path = QStringLiteral(":/%1/%2").arg(type.toUpper(), name.toUpper());
    QFile resource(path);
    if (!QFileInfo(path).isFile() || !resource.open(QIODevice::ReadOnly))
        fail(ResourceNotFound);
    return resource.readAll();
}

} // namespace platform
