#pragma once

#include <QLocale>
#include <QString>

namespace platform {

// A count shown as "###,###,###": ASCII digits grouped in threes from the right
// with the locale's group separator, no unit; zero gives empty text. Threes
// always, whatever grouping the locale itself prefers.
QString formatGrouped(qint64 value, const QLocale &locale = QLocale::system());

} // namespace platform
