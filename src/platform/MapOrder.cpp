#include "platform/MapOrder.h"

#include <QChar>

namespace platform {

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
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

// The run of digits at i without its leading zeros; i moves past the run.
std::string_view digitRun(std::string_view s, size_t &i)
{
    while (i < s.size() && s[i] == '0')
        ++i;
    const size_t start = i;
    while (i < s.size() && isDigit(s[i]))
        ++i;
    return s.substr(start, i - start);
}

} // namespace

int compareMapNames(std::string_view a, std::string_view b) noexcept
{
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        // A digit meets another character by its own code: no character lies
        // between '0' and '9', so every run of digits stands in the same place.
        if (!isDigit(a[i]) || !isDigit(b[j])) {
            if (const char32_t x = nextFolded(a, i), y = nextFolded(b, j); x != y)
                return x < y ? -1 : 1;
            continue;
        }
        const std::string_view x = digitRun(a, i), y = digitRun(b, j);
        if (x.size() != y.size()) // no leading zeros: the longer is the larger
            return x.size() < y.size() ? -1 : 1;
        if (const int order = x.compare(y))
            return order;
    }
    if (i < a.size() || j < b.size())
        return i < a.size() ? 1 : -1;
    return a.compare(b); // std::char_traits<char> compares as unsigned char
}

} // namespace platform
