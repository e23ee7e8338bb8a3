#include "errlog/ErrLog.h"

#include "platform/AppInfo.h"

#include <QFile>

#include <cstdio>

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
        QFile log(platform::appTitle() + QStringLiteral(".VNL"));
        const bool written = log.open(QIODevice::WriteOnly | QIODevice::Append) &&
                             log.write(line) == line.size() && log.flush();
        log.close();
        if (!written)
            std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
    } catch (...) {
        // Out of memory while logging: nothing sensible is left to do.
    }
}

} // namespace errlog
