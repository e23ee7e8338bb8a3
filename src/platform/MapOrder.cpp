#include "platform/MapOrder.h"

namespace platform {

namespace {

// Compares two runs of digits by value; longer runs of leading zeros sort first
// only when the values are equal (handled by the caller's tie-break).
int compareNumbers(QStringView a, qsizetype &i, QStringView b, qsizetype &j)
{
    while (i < a.size() && a[i] == u'0')
        ++i;
    while (j < b.size() && b[j] == u'0')
        ++j;
    const qsizetype startA = i;
    const qsizetype startB = j;
    while (i < a.size() && a[i].isDigit())
        ++i;
    while (j < b.size() && b[j].isDigit())
        ++j;
    const qsizetype lengthA = i - startA;
    const qsizetype lengthB = j - startB;
    if (lengthA != lengthB)
        return lengthA < lengthB ? -1 : 1;
    for (qsizetype k = 0; k < lengthA; ++k) {
        const char16_t ca = a[startA + k].unicode();
        const char16_t cb = b[startB + k].unicode();
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

} // namespace

bool mapNameLess(QStringView a, QStringView b) noexcept
{
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].isDigit() && b[j].isDigit()) {
            if (const int order = compareNumbers(a, i, b, j))
                return order < 0;
            continue;
        }
        const char16_t ca = foldCase(a[i]);
        const char16_t cb = foldCase(b[j]);
        if (ca != cb)
            return ca < cb;
        ++i;
        ++j;
    }
    if ((a.size() - i) != (b.size() - j))
        return (a.size() - i) < (b.size() - j);
    return a < b;
}

} // namespace platform
