#pragma once

#include <QLatin1String>
#include <QStringView>

namespace platform {

// The order the map list keeps its items in: letter case ignored, runs of
// digits compared by their value, so E1L2 comes before E1L10. Ties fall back
// to the exact text, so the order is total and stable across scans.
bool mapNameLess(QStringView a, QStringView b) noexcept;
bool mapNameLess(QLatin1String a, QLatin1String b) noexcept;

// The start of a name in an encoding whose byte order is mapNameLess's order:
// ASCII letters folded to lower case, each run of digits as a marker, the count
// of its digits without leading zeros and those digits, zero bytes past the end.
// Encoding stops at the 15th byte or at a character it does not cover (beyond
// ASCII); exactBytes tells how many bytes hold. Sorting a million names by these
// keys needs mapNameLess only where two keys cannot tell the names apart.
struct MapKey
{
    quint64 high = 0; // bytes 0 to 7, the first in the highest byte
    quint64 low = 0;  // bytes 8 to 14, then exactBytes in the lowest byte
    int exactBytes() const { return int(low & 0xff); }
};

MapKey mapKey(QStringView name) noexcept;
MapKey mapKey(QLatin1String name) noexcept;

// Negative or positive when the keys order their names as mapNameLess does, 0
// when they cannot tell. Inline: sorting a million names calls it 20 million times.
inline int compareMapKeys(const MapKey &a, const MapKey &b) noexcept
{
    if ((a.low & b.low & 0xff) == 15) { // both exact to the end, nearly every key
        if (a.high != b.high)
            return a.high < b.high ? -1 : 1;
        return a.low == b.low ? 0 : a.low < b.low ? -1 : 1;
    }
    const int exact = a.exactBytes() < b.exactBytes() ? a.exactBytes() : b.exactBytes();
    // The first bytes of a key, the rest cleared.
    const auto keep = [](quint64 word, int bytes) {
        return bytes >= 8 ? word : bytes <= 0 ? 0 : word & ~(~quint64(0) >> (8 * bytes));
    };
    const quint64 highA = keep(a.high, exact);
    const quint64 highB = keep(b.high, exact);
    if (highA != highB)
        return highA < highB ? -1 : 1;
    const quint64 lowA = keep(a.low, exact - 8) >> 8;
    const quint64 lowB = keep(b.low, exact - 8) >> 8;
    if (lowA != lowB)
        return lowA < lowB ? -1 : 1;
    return 0;
}

} // namespace platform
