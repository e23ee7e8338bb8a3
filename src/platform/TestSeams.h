// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

class QString;

// Where the tests reach into the platform layer; nothing else sets these.
namespace platform::seams {

// Sees each path whose length a scan asks for, before the file system does.
inline void (*lengthQuery)(const QString &path) = nullptr;

// Asked before each guarded statement, with its procedure's label and its place in the
// procedure (from 1): true fails the statement as a failing call would.
inline std::function<bool(const char *label, int statement)> refuseStatement;

} // namespace platform::seams
