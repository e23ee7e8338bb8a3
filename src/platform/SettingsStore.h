// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace platform {

// The per-user settings store: text values keyed by application, section and
// key, kept in an INI file under the user's configuration folder
// ($XDG_CONFIG_HOME/<application>/<application>.ini) and nowhere else: no
// other file supplies missing keys. Each call opens the store afresh; nothing
// is held between calls.
//
// A store file that cannot be read or parsed is set aside as <file>.bad and
// the call fails once ("Invalid file format", "Path/File access error"); from
// then on the store starts empty, so reads give their defaults and the next
// write makes a good file.

// The stored text of key, or defaultValue when the key, its section or the
// whole store is missing. A read creates nothing.
QString readSetting(const QString &appName, const QString &section, const QString &key,
                    const QString &defaultValue);

// Stores value under key, replacing any earlier text; creates the folder, the
// file and the section as needed. The file is replaced as a whole, so an
// interrupted write leaves the earlier file; so does a write cut short by a
// full disk or a file size limit. Fails with "Path/File access error" when
// the store cannot be written whole.
void writeSetting(const QString &appName, const QString &section, const QString &key,
                  const QString &value);

} // namespace platform
