// SPDX-License-Identifier: GPL-3.0-or-later
#include "errlog/ErrLog.h"

#include "platform/FileSystem.h"

#include <QCoreApplication>

#include <cstdio>

namespace errlog {

QString logLine(const QDate &date, const QTime &time, const QLocale &locale, const char *label,
                const QString &message)
{
    return QStringLiteral("\"%1\", \"%2\"%3%4")
        .arg(locale.toString(date, QLocale::ShortFormat), time.toString(QStringLiteral("HH:mm:ss")),
             QString::fromUtf8(label), message);
}

void LogError(const char *label, int number) noexcept
{
    try {
        const QString text = logLine(QDate::currentDate(), QTime::currentTime(), QLocale::system(),
                                     label, platform::errorMessage(number));
        const QByteArray line = text.toUtf8() + "\r\n";
        if (!platform::appendToFile(QCoreApplication::applicationName() + QStringLiteral(".VNL"),
                                    line))
            std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
    } catch (...) {
        // Out of memory while logging: nothing sensible is left to do.
    }
}

} // namespace errlog
