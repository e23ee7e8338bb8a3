// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

#include <array>
#include <string_view>

namespace platform {

// The order of the map list, over names in UTF-8: letter case ignored, runs of
// ASCII digits compared by their value, so E1L2 comes before E1L10. Names that
// are alike that way are ordered by their bytes, so the order is total.
// Negative, zero (the same bytes) or positive, as a comes before, with or after b.
int compareMapNames(std::string_view a, std::string_view b);

// The start of a name's place in that order, most significant first: unequal keys order
// their names; equal ones leave it to compareMapNames. 16 bytes, 32 as a 128-bit number.
std::array<quint32, 4> mapKey(std::string_view name);

} // namespace platform
