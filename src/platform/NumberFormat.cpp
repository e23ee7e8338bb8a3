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
    char16_t digits[20]; // the lowest first
    int count = 0;
    for (; magnitude; magnitude /= 10)
        digits[count++] = char16_t(u'0' + magnitude % 10);
    QString text((value < 0) + count + (count - 1) / 3 * separator.size(), Qt::Uninitialized);
    QChar *out = text.data();
    if (value < 0)
        *out++ = u'-';
    for (int i = count - 1; i >= 0; --i) {
        *out++ = digits[i];
        if (i > 0 && i % 3 == 0)
            out = std::copy(separator.begin(), separator.end(), out);
    }
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
