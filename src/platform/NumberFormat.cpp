#include "platform/NumberFormat.h"

#include "platform/FileSystem.h"

#include <algorithm>

namespace platform {

namespace {

QString grouped(qint64 value, QStringView separator)
{
    if (value == 0)
        return {};
    quint64 magnitude = value < 0 ? 0 - quint64(value) : quint64(value);
    int digits = 1;
    for (quint64 rest = magnitude / 10; rest; rest /= 10)
        ++digits;
    QString text((value < 0) + digits + (digits - 1) / 3 * separator.size(), Qt::Uninitialized);
    QChar *out = text.data() + text.size(); // filled from the right
    for (int written = 0; magnitude; magnitude /= 10) {
        if (written > 0 && written % 3 == 0) {
            out -= separator.size();
            std::copy(separator.begin(), separator.end(), out);
        }
        *--out = QChar(char16_t(u'0' + magnitude % 10));
        ++written;
    }
    if (value < 0)
        *--out = u'-';
    return text;
}

} // namespace

QString formatGrouped(qint64 value, const QLocale &locale)
{
    return grouped(value, locale.groupSeparator());
}

QString formatGrouped(qint64 value)
{
    static quint64 readForScan = ~quint64(0);
    static QString separator;
    if (readForScan != scanNumber()) {
        readForScan = scanNumber();
        separator = QLocale::system().groupSeparator();
    }
    return grouped(value, separator);
}

} // namespace platform
