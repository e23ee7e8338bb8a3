// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/NumberText.h"

#include "platform/ErrorCatalogue.h"

#include <cmath>
#include <limits>

namespace platform {

namespace {

double number(const QString &text, const QLocale &locale)
{
    bool ok = false;
    const double value = locale.toDouble(text.trimmed(), &ok); // ASCII digits or the locale's own
    // QLocale reads "inf" and "nan" as numbers; no user writes those as a width.
    if (!ok || !std::isfinite(value))
        fail(TypeMismatch);
    return value;
}

} // namespace

float CSng(const QString &text, const QLocale &locale)
{
    const double value = number(text, locale);
    if (std::fabs(value) > double(std::numeric_limits<float>::max()))
        fail(Overflow);
    return float(value);
}

qint32 CLng(const QString &text, const QLocale &locale)
{
    const double rounded = std::nearbyint(number(text, locale)); // half to even by default
    if (rounded < double(std::numeric_limits<qint32>::min()) ||
        rounded > double(std::numeric_limits<qint32>::max()))
        fail(Overflow);
    return qint32(rounded);
}

QString CStr(float value, const QLocale &locale)
{
    return QLocale::c().toString(double(value), 'g', 7).replace(u'.', locale.decimalPoint());
}

QString CStr(qint32 value, const QLocale &)
{
    return QString::number(value);
}

} // namespace platform
