// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QString;

// Where the tests reach into the platform layer; nothing else sets these.
namespace platform::seams {

// Sees each path whose length a scan asks for, before the file system does.
inline void (*lengthQuery)(const QString &path) = nullptr;

} // namespace platform::seams
