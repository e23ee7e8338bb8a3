#include "platform/NumberFormat.h"

namespace platform {

QString formatGrouped(qint64 value, const QLocale &locale)
{
    if (value == 0)
        return {};
    const quint64 magnitude = value < 0 ? 0 - quint64(value) : quint64(value);
    const QString digits = QString::number(magnitude);
    const QString separator = locale.groupSeparator();
    QString text;
    text.reserve(digits.size() + (digits.size() / 3) * separator.size() + 1);
    if (value < 0)
        text += u'-';
    qsizetype group = digits.size() % 3;
    if (group == 0)
        group = 3;
    text += QStringView(digits).left(group);
    for (qsizetype i = group; i < digits.size(); i += 3) {
        text += separator;
        text += QStringView(digits).mid(i, 3);
    }
    return text;
}

} // namespace platform
