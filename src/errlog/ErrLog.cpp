// SPDX-License-Identifier: GPL-3.0-or-later
#include "errlog/ErrLog.h"

#include "platform/AppInfo.h"

#include <QFile>

#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

namespace errlog {

QString logLine(const QDate &date, const QTime &time, const QLocale &locale, const char *label,
                const QString &message)
{
    const QChar quote(u'"');
    return quote + locale.toString(date, QLocale::ShortFormat) + quote + QStringLiteral(", ") +
           quote + time.toString(QStringLiteral("HH:mm:ss")) + quote + QString::fromUtf8(label) +
           message;
}

void LogError(const char *label, int number) noexcept
{
    try {
        const QByteArray line = logLine(QDate::currentDate(), QTime::currentTime(),
                                        QLocale::system(), label, platform::errorMessage(number))
                                    .toUtf8() +
                                "\r\n";
        // Never waits: a pipe in place of the log that nobody reads fails the
        // open instead of holding the program.
        const QByteArray name = QFile::encodeName(platform::appTitle() + QStringLiteral(".VNL"));
        const int log =
            ::open(name.constData(), O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666);
        const bool written =
            log >= 0 && ::write(log, line.constData(), size_t(line.size())) == ssize_t(line.size());
        if (log >= 0)
            ::close(log);
        if (!written)
            std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
    } catch (...) {
        // Out of memory while logging: nothing sensible is left to do.
    }
}

} // namespace errlog
