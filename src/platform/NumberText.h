#pragma once

#include <QLocale>
#include <QString>

namespace platform {

// Numbers as text in the user's regional format: the locale's digits, sign and
// decimal separator, never a thousands separator (1440 stays "1440", so the
// text reads back the same). Texts that are no number fail with "Type
// mismatch", numbers beyond the type's range with "Overflow".

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
