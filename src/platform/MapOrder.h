#pragma once

#include <QStringView>

namespace platform {

// The order the map list keeps its items in: letter case ignored, runs of
// digits compared by their value, so E1L2 comes before E1L10. Ties fall back
// to the exact text, so the order is total and stable across scans.
bool mapNameLess(QStringView a, QStringView b) noexcept;

} // namespace platform
