#include "platform/MapOrder.h"

#include <QtEndian>

#include <cstring>

namespace platform {

namespace {

// The character at i of a QStringView or a QLatin1String.
template <typename Name>
QChar at(Name name, qsizetype i)
{
    return QChar(name[i]);
}

// Compares two runs of digits by value; longer runs of leading zeros sort first
// only when the values are equal (handled by the caller's tie-break).
template <typename Name>
int compareNumbers(Name a, qsizetype &i, Name b, qsizetype &j)
{
    while (i < a.size() && at(a, i) == u'0')
        ++i;
    while (j < b.size() && at(b, j) == u'0')
        ++j;
    const qsizetype startA = i;
    const qsizetype startB = j;
    while (i < a.size() && at(a, i).isDigit())
        ++i;
    while (j < b.size() && at(b, j).isDigit())
        ++j;
    const qsizetype lengthA = i - startA;
    const qsizetype lengthB = j - startB;
    if (lengthA != lengthB)
        return lengthA < lengthB ? -1 : 1;
    for (qsizetype k = 0; k < lengthA; ++k) {
        const char16_t ca = at(a, startA + k).unicode();
        const char16_t cb = at(b, startB + k).unicode();
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    return 0;
}

char16_t foldCase(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x80)
        return (u >= 'A' && u <= 'Z') ? char16_t(u + ('a' - 'A')) : u;
    return c.toCaseFolded().unicode();
}

template <typename Name>
bool naturalLess(Name a, Name b) noexcept
{
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (at(a, i).isDigit() && at(b, j).isDigit()) {
            if (const int order = compareNumbers(a, i, b, j))
                return order < 0;
            continue;
        }
        // A digit meets a character that is none: any digit sorts as '0' does,
        // so that digits of every script stand where ASCII ones do and the
        // order has no cycles (A10 < A_ < A\u0661 < A10 it would have otherwise).
        const char16_t ca = at(a, i).isDigit() ? u'0' : foldCase(at(a, i));
        const char16_t cb = at(b, j).isDigit() ? u'0' : foldCase(at(b, j));
        if (ca != cb)
            return ca < cb;
        ++i;
        ++j;
    }
    if ((a.size() - i) != (b.size() - j))
        return (a.size() - i) < (b.size() - j);
    return a < b;
}

} // namespace

bool mapNameLess(QStringView a, QStringView b) noexcept
{
    return naturalLess(a, b);
}

bool mapNameLess(QLatin1String a, QLatin1String b) noexcept
{
    return naturalLess(a, b);
}

namespace {

constexpr int KeyBytes = 15;
constexpr char16_t DigitRun = u'0'; // digits sort among the other characters as '0' to '9' do

template <typename Name>
MapKey encode(Name name) noexcept
{
    uchar bytes[KeyBytes + 1] = {}; // the last for exactBytes
    int filled = 0;
    int exact = KeyBytes;
    const qsizetype size = name.size();
    for (qsizetype i = 0; i < size && filled < KeyBytes;) {
        const char16_t c = name[i].unicode();
        if (c == 0 || c >= 0x80) {
            exact = filled;
            break;
        }
        if (c < u'0' || c > u'9') {
            bytes[filled++] = uchar((c >= u'A' && c <= u'Z') ? c + (u'a' - u'A') : c);
            ++i;
            continue;
        }
        qsizetype start = i;
        while (start < size && name[start].unicode() == u'0')
            ++start;
        qsizetype end = start;
        while (end < size && name[end].unicode() >= u'0' && name[end].unicode() <= u'9')
            ++end;
        // A run that goes on beyond ASCII (another script's digits) or past 255
        // digits is for mapNameLess to weigh.
        if ((end < size && name[end].unicode() >= 0x80) || end - start > 255) {
            exact = filled;
            break;
        }
        bytes[filled++] = uchar(DigitRun);
        if (filled < KeyBytes)
            bytes[filled++] = uchar(end - start);
        for (qsizetype k = start; k < end && filled < KeyBytes; ++k)
            bytes[filled++] = uchar(name[k].unicode());
        i = end;
    }
    bytes[KeyBytes] = uchar(exact);
    MapKey key;
    std::memcpy(&key.high, bytes, 8);
    std::memcpy(&key.low, bytes + 8, 8);
    key.high = qFromBigEndian(key.high);
    key.low = qFromBigEndian(key.low);
    return key;
}

} // namespace

MapKey mapKey(QStringView name) noexcept
{
    return encode(name);
}

MapKey mapKey(QLatin1String name) noexcept
{
    return encode(name);
}

} // namespace platform
