// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLocale>
#include <QString>

namespace platform {

// Numbers as text in the user's regional format: written with ASCII digits and
// sign and the locale's decimal separator, never a thousands separator (1440
// is "1440" in every language, so a store written in one reads in any other);
// read with ASCII digits or the locale's own. Texts that are no number fail
// with "Type mismatch", numbers beyond the type's range with "Overflow".

// A single-precision number from text; blanks around the number are allowed.
float CSng(const QString &text, const QLocale &locale = QLocale::system());

// A 32-bit integer from text; a fraction is rounded half to even (2.5 gives 2).
qint32 CLng(const QString &text, const QLocale &locale = QLocale::system());

// Up to seven significant digits, the precision of a single.
QString CStr(float value, const QLocale &locale = QLocale::system());
QString CStr(qint32 value, const QLocale &locale = QLocale::system());
// A double would silently pick one of the two above.
QString CStr(double value, const QLocale &locale = QLocale::system()) = delete;

} // namespace platform
