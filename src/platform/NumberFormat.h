// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLocale>
#include <QString>

namespace platform {

// A count shown as "###,###,###": ASCII digits grouped in threes from the right
// with the locale's group separator, no unit; zero gives empty text. Threes
// always, whatever grouping the locale itself prefers.
QString formatGrouped(qint64 value, const QLocale &locale);

// The same in the user's regional format. Its separator is read once for each
// folder scan (findFirst) rather than once a number: a scan lists a million
// sizes, and the regional settings cannot change in the middle of one.
QString formatGrouped(qint64 value);

} // namespace platform
