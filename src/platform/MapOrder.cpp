// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/MapOrder.h"

#include <QChar>

#include <string>

namespace platform {

namespace {

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

} // namespace

int compareMapNames(std::string_view a, std::string_view b)
{
    const int order = sortKey(a).compare(sortKey(b));
    return order ? order : a.compare(b); // std::char_traits<char> compares as unsigned char
}

std::array<quint32, 4> mapKey(std::string_view name)
{
    const std::string key = sortKey(name, 15); // in the string's own buffer, mostly
    std::array<quint32, 4> number{};
    for (size_t k = 0; k < key.size() && k < 16; ++k)
        number[k / 4] |= quint32(static_cast<unsigned char>(key[k])) << (24 - 8 * (k % 4));
    return number;
}

} // namespace platform
