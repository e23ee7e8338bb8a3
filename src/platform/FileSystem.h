// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace platform {

// File names by their bytes. A name that is not UTF-8 still names its own file:
// each byte that is not part of a character reads as one of U+DC80 to U+DCFF,
// which no UTF-8 text holds, and goes back to that byte. Paths given to this
// unit and to startProgram are taken the same way.
QString fromNativeName(QByteArrayView name);
QByteArray toNativeName(QStringView name);
// Whether name holds such a byte: no text of its own shows it.
bool holdsRawBytes(QStringView name);

// A path as Qt's own file dialogs give it, with U+FFFD for bytes that are not
// text, as the native path it stands for: each part that reads so is the one
// entry of its folder that does. Unchanged where no or several entries do.
QString nativePath(const QString &shown);

// Directory enumeration, one at a time. findFirst takes "folder/*ENDING"
// (letter case ignored; another form fails with InvalidProcedureCall) and the
// attribute mask 0: regular files and links to them, no hidden names (".x").
// It returns the first bare name, findNext the next, empty text at the end,
// each as fromNativeName gives it. PathNotFound, PermissionDenied; a failed
// read ends the enumeration and fails; findNext without one fails.
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
