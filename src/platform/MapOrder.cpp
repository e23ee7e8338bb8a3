#include "platform/MapOrder.h"

#include <QChar>

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
        if (isDigit(a[i]) && isDigit(b[j])) {
            // Without leading zeros the longer run is the larger.
            const std::string_view runA = digitRun(a, i), runB = digitRun(b, j);
            if (runA.size() != runB.size())
                return runA.size() < runB.size() ? -1 : 1;
            if (const int order = runA.compare(runB))
                return order;
        } else if (const char32_t x = nextFolded(a, i), y = nextFolded(b, j); x != y) {
            // A digit meets another character by its own code: none lies
            // between '0' and '9', so every run stands alike.
            return x < y ? -1 : 1;
        }
    }
    if (i < a.size() || j < b.size())
        return i < a.size() ? 1 : -1;
    return a.compare(b); // std::char_traits<char> compares as unsigned char
}

// One byte a character, letters folded: 0 the end, 1 to 0x30 the characters
// before '0', then a run of digits as 0x31 plus its length and its digits two
// a byte, then the characters after '9' from 0x96: ordered as they compare.
bool mapKey(std::string_view name, quint64 &high, quint64 &low) noexcept
{
    unsigned char key[16] = {};
    size_t n = 0;
    const auto put = [&](unsigned byte) {
        if (n < sizeof key)
            key[n++] = static_cast<unsigned char>(byte);
    };
    for (size_t i = 0; i < name.size() && n < sizeof key;) {
        const auto c = static_cast<unsigned char>(name[i]);
        if (c >= 0x80)
            return false;
        if (isDigit(c)) {
            const std::string_view run = digitRun(name, i);
            if (run.size() > 100)
                return false;
            put(0x31 + unsigned(run.size()));
            for (size_t k = 0; k < run.size(); k += 2)
                put(unsigned(run[k] - '0') * 10 + (k + 1 < run.size() ? run[k + 1] - '0' : 0));
        } else {
            const unsigned folded = nextFolded(name, i);
            put(folded < '0' ? folded + 1 : folded - ':' + 0x96);
        }
    }
    high = low = 0;
    for (size_t k = 0; k < 8; ++k)
        high = high << 8 | key[k], low = low << 8 | key[k + 8];
    return true;
}

} // namespace platform
