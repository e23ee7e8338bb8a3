// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLocale>
#include <QString>

#include <array>
#include <string>
#include <string_view>

namespace platform {

// File names by their bytes. A name that is not UTF-8 still names its own file:
// each byte that is not part of a character reads as one of U+DC80 to U+DCFF,
// which no UTF-8 text holds, and goes back to that byte. Paths given to the
// file system and to startProgram are taken the same way.
QString fromNativeName(QByteArrayView name);
QByteArray toNativeName(QStringView name);
// Whether name holds such a byte: no text of its own shows it.
bool holdsRawBytes(QStringView name);
// A text as UTF-8 (its raw bytes as those bytes) straight into a string: most names and sizes
// fit the string's own buffer.
std::string toNativeString(QStringView text);

// The order of the map list, over names in UTF-8: letter case ignored, runs of
// ASCII digits compared by their value, so E1L2 comes before E1L10. Names that
// are alike that way are ordered by their bytes, so the order is total.
// Negative, zero (the same bytes) or positive, as a comes before, with or after b.
int compareMapNames(std::string_view a, std::string_view b);

// The start of a name's place in that order, most significant first: unequal keys order
// their names; equal ones leave it to compareMapNames. 16 bytes, as a 128-bit number.
std::pair<quint64, quint64> mapKey(std::string_view name);

// A count shown as "###,###,###": ASCII digits grouped in threes from the right
// with the locale's group separator, no unit; zero gives empty text. Threes
// always, whatever grouping the locale itself prefers. The separator is read
// once: a scan formats a million sizes, and the regional settings cannot change
// in the middle of one.
class GroupedFormat
{
public:
    explicit GroupedFormat(const QLocale &locale = QLocale::system())
        : m_separator(locale.groupSeparator())
    {
    }
    QString operator()(qint64 value) const;

private:
    QString m_separator;
};

// Numbers as text in the user's regional format: written with ASCII digits and
// sign and the locale's decimal separator, never a thousands separator (1440
// is "1440" in every language, so a store written in one reads in any other);
// read with ASCII digits or the locale's own. Texts that are no number fail
// with "Type mismatch", numbers beyond the type's range with "Overflow".

// A single-precision number from text; blanks around the number are allowed.
float toSingle(const QString &text, const QLocale &locale = QLocale::system());

// A 32-bit integer from text; a fraction is rounded half to even (2.5 gives 2).
qint32 toLong(const QString &text, const QLocale &locale = QLocale::system());

// Up to seven significant digits, the precision of a single.
inline QString toText(float value, const QLocale &locale = QLocale::system())
{
    return QLocale::c().toString(double(value), 'g', 7).replace(u'.', locale.decimalPoint());
}
inline QString toText(qint32 value, const QLocale & = QLocale::system())
{
    return QString::number(value);
}
// A double would silently pick one of the two above.
QString toText(double value, const QLocale &locale = QLocale::system()) = delete;

} // namespace platform
