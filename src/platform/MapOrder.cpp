#include "platform/MapOrder.h"

#include <QChar>

#include <algorithm>

namespace platform {

namespace {

inline bool isDigit(char c)
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
inline std::string_view digitRun(std::string_view s, size_t &i)
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
    // Bytes alike at the start are alike however they are read: skip them, back
    // to the start of a character and of a run of digits that goes on after them.
    size_t i = std::mismatch(a.begin(), a.end(), b.begin(), b.end()).first - a.begin();
    while (i > 0 && ((i < a.size() && (a[i] & 0xc0) == 0x80) || isDigit(a[i - 1])))
        --i;
    size_t j = i;
    while (i < a.size() && j < b.size()) {
        const auto x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[j]);
        if (isDigit(x) && isDigit(y)) {
            const std::string_view runA = digitRun(a, i), runB = digitRun(b, j);
            if (runA.size() != runB.size()) // no leading zeros: the longer is the larger
                return runA.size() < runB.size() ? -1 : 1;
            for (size_t k = 0; k < runA.size(); ++k) // short: quicker than memcmp
                if (runA[k] != runB[k])
                    return runA[k] < runB[k] ? -1 : 1;
        } else if (x < 0x80 && y < 0x80) {
            // The usual case, and quick. A digit meets another character by its
            // own code: none lies between '0' and '9', so every run stands alike.
            const int foldedA = x >= 'A' && x <= 'Z' ? x + 32 : x;
            const int foldedB = y >= 'A' && y <= 'Z' ? y + 32 : y;
            if (foldedA != foldedB)
                return foldedA < foldedB ? -1 : 1;
            ++i, ++j;
        } else if (const char32_t foldedA = nextFolded(a, i), foldedB = nextFolded(b, j);
                   foldedA != foldedB) {
            return foldedA < foldedB ? -1 : 1;
        }
    }
    if (i < a.size() || j < b.size())
        return i < a.size() ? 1 : -1;
    return a.compare(b); // std::char_traits<char> compares as unsigned char
}

} // namespace platform
