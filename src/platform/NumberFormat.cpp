// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/NumberFormat.h"

#include "platform/FileSystem.h"

#include <QVarLengthArray>

#include <algorithm>

namespace platform {

namespace {

QString grouped(qint64 value, QStringView separator)
{
    if (value == 0)
        return {};
    quint64 magnitude = value < 0 ? 0 - quint64(value) : quint64(value);
    // Written from the right: up to 20 digits and a separator between groups.
    QVarLengthArray<QChar, 64> buffer(1 + 20 + 6 * separator.size());
    QChar *const end = buffer.data() + buffer.size();
    QChar *out = end;
    for (int inGroup = 0;; ++inGroup) {
        if (inGroup == 3) {
            out -= separator.size();
            std::copy(separator.begin(), separator.end(), out);
            inGroup = 0;
        }
        *--out = QChar(char16_t(u'0' + magnitude % 10));
        magnitude /= 10;
        if (!magnitude)
            break;
    }
    if (value < 0)
        *--out = u'-';
    return QString(out, end - out);
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
    if (readForScan != scansStarted) {
        readForScan = scansStarted;
        separator = QLocale::system().groupSeparator();
    }
    return grouped(value, separator);
}

} // namespace platform
