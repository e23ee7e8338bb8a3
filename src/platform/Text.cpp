// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Text.h"

#include "platform/ErrorCatalogue.h"

#include <QStringEncoder>
#include <QVarLengthArray>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <ranges>
#include <string>

namespace platform {

namespace {

// A byte that is not part of a character: a low surrogate of U+DC80 to U+DCFF with
// no high one before it.
bool isRawByte(QStringView name, qsizetype i)
{
    const char16_t c = name[i].unicode();
    return c >= 0xDC80 && c <= 0xDCFF && (i == 0 || !name[i - 1].isHighSurrogate());
}

// The character at i, case folded; i moves past it.
char32_t nextFolded(std::string_view s, size_t &i)
{
    const auto lead = static_cast<unsigned char>(s[i++]);
    if (lead < 0x80)
        return lead >= 'A' && lead <= 'Z' ? lead + ('a' - 'A') : lead;
    const int more = lead >= 0xf0 ? 3 : lead >= 0xe0 ? 2 : 1;
    char32_t code = lead & (0x3f >> more);
    for (int k = 0; k < more && i < s.size(); ++k)
        code = code << 6 | (static_cast<unsigned char>(s[i++]) & 0x3f);
    return QChar::toCaseFolded(code);
}

// The name as bytes in the same order, about the first limit of them: 1 to 0x30 the
// characters before '0'; a digit run as 0x31 plus its length without leading zeros (0x95
// and four bytes from 100 on), then its digits two a byte; from 0x96 the characters after
// '9'; 0xdc and three bytes one beyond ASCII. A digit meets another character by its code.
std::string sortKey(std::string_view name, size_t limit = std::string::npos)
{
    const auto digit = [name](size_t k) { return k < name.size() && unsigned(name[k] - '0') < 10; };
    std::string key;
    for (size_t i = 0; i < name.size() && key.size() < limit;) {
        if (digit(i)) {
            while (digit(i) && name[i] == '0')
                ++i;
            const size_t start = i;
            while (digit(i))
                ++i;
            const auto n = unsigned(i - start);
            if (n < 100)
                key += char(0x31 + n);
            else
                key += {char(0x95), char(n >> 24), char(n >> 16), char(n >> 8), char(n)};
            for (size_t k = start; k < i && key.size() < limit; k += 2)
                key += char((name[k] - '0') * 10 + (k + 1 < i ? name[k + 1] - '0' : 0));
        } else if (const char32_t c = nextFolded(name, i); c < 0x80) {
            key += char(c < '0' ? c + 1 : c - ':' + 0x96);
        } else {
            key += {char(0xdc), char(c >> 16), char(c >> 8), char(c)};
        }
    }
    return key;
}

// The text as a T: TypeMismatch, or Overflow beyond T's range. An integer is rounded first.
template <typename T>
T number(const QString &text, const QLocale &locale)
{
    bool ok = false;
    double value = locale.toDouble(text.trimmed(), &ok); // ASCII digits or the locale's own
    // QLocale reads "inf" and "nan" as numbers; no user writes those as a width.
    if (!ok || !std::isfinite(value))
        fail(TypeMismatch);
    if constexpr (std::is_integral_v<T>)
        value = std::nearbyint(value); // half to even by default
    if (value < std::numeric_limits<T>::lowest() || value > std::numeric_limits<T>::max())
        fail(Overflow);
    return T(value);
}

} // namespace

QString fromNativeName(QByteArrayView name)
{
    if (name.isValidUtf8())
        return QString::fromUtf8(name);
    QString text;
    for (qsizetype i = 0; i < name.size();) {
        // A character's bytes are valid UTF-8, and no shorter beginning of them is.
        qsizetype length = 1;
        while (length < 4 && i + length < name.size() && !name.sliced(i, length).isValidUtf8())
            ++length;
        if (const QByteArrayView character = name.sliced(i, length); character.isValidUtf8()) {
            text += QString::fromUtf8(character);
            i += length;
        } else {
            text += QChar(0xDC00 + uchar(name[i++]));
        }
    }
    return text;
}

bool holdsRawBytes(QStringView name)
{
    const auto at = std::views::iota(qsizetype(0), name.size());
    return std::ranges::any_of(at, [name](qsizetype i) { return isRawByte(name, i); });
}

QByteArray toNativeName(QStringView name)
{
    QByteArray bytes;
    for (qsizetype i = 0, text = 0; i <= name.size(); ++i) {
        if (i < name.size() && !isRawByte(name, i))
            continue;
        bytes += name.sliced(text, i - text).toUtf8();
        if (i < name.size())
            bytes += char(name[i].unicode() - 0xDC00);
        text = i + 1;
    }
    return bytes;
}

std::string toNativeString(QStringView text)
{
    if (!text.isValidUtf16()) // raw bytes, or a half character written as toNativeName does
        return toNativeName(text).toStdString();
    QVarLengthArray<char, 256> buffer(text.size() * 3);
    QStringEncoder toUtf8(QStringEncoder::Utf8);
    return std::string(buffer.data(), toUtf8.appendToBuffer(buffer.data(), text));
}

int compareMapNames(std::string_view a, std::string_view b)
{
    const int order = sortKey(a).compare(sortKey(b));
    return order ? order : a.compare(b); // std::char_traits<char> compares as unsigned char
}

std::pair<quint64, quint64> mapKey(std::string_view name)
{
    const std::string key = sortKey(name, 15); // in the string's own buffer, mostly
    std::pair<quint64, quint64> number{};
    for (size_t k = 0; k < key.size() && k < 16; ++k)
        (k < 8 ? number.first : number.second) |= quint64(uchar(key[k])) << (56 - 8 * (k % 8));
    return number;
}

QString GroupedFormat::operator()(qint64 value) const
{
    if (value == 0)
        return {};
    char digits[24];
    const char *const end = std::to_chars(digits, std::end(digits), value).ptr;
    QVarLengthArray<QChar, 64> text; // on the stack: the text is allocated once, whole
    for (const char *at = digits; at != end; ++at) {
        text.append(QLatin1Char(*at));
        if (const auto after = end - at - 1; after > 0 && after % 3 == 0 && *at != '-')
            text.append(m_separator.constData(), m_separator.size());
    }
    return QString(text.constData(), text.size());
}

float toSingle(const QString &text, const QLocale &locale)
{
    return number<float>(text, locale);
}

qint32 toLong(const QString &text, const QLocale &locale)
{
    return number<qint32>(text, locale);
}

} // namespace platform
