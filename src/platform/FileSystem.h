// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace platform {

// Directory enumeration, one at a time. findFirst takes "folder/*ENDING"
// (letter case ignored; another form fails with InvalidProcedureCall) and the
// attribute mask 0: regular files and links to them, no hidden names (".x").
// It returns the first bare name, findNext the next, empty text at the end;
// bytes that are not UTF-8 read as U+FFFD. PathNotFound, PermissionDenied; a
// failed read ends the enumeration and fails; findNext without one fails.
QString findFirst(const QString &pattern, int attributes);
QString findNext();

// Enumerations started (findFirst counts them): what holds for a scan (its regional
// settings) is read once a scan.
inline quint64 scansStarted = 0;

// The length in bytes of the file at path, links followed: FileNotFound, PermissionDenied.
qint64 fileLength(const QString &path);
inline void (*lengthQueryHook)(const QString &path) = nullptr; // tests: sees each path first

void changeDrive(const QString &path); // one file tree, no drive letters: nothing to change
// Makes path the current directory: PathNotFound, or PermissionDenied.
void changeDirectory(const QString &path);

} // namespace platform
