#pragma once

#include <QString>

namespace platform {

// Directory enumeration, one at a time. findFirst takes a folder and "*" and
// the end of the names wanted, joined by "/" ("dir/*.MAP", letter case
// ignored; a pattern of another form fails with InvalidProcedureCall), and the
// attribute mask 0: regular files and links to them, never folders, devices,
// pipes, sockets or hidden names (".x"). It returns the first bare name, and
// findNext the next, in the order the file system hands them out; empty text
// at the end. Bytes that are not UTF-8 read as U+FFFD. A folder that does not
// exist fails with PathNotFound, one that cannot be read with PermissionDenied;
// a read that fails later ends the enumeration and fails; findNext without an
// enumeration fails with InvalidProcedureCall.
QString findFirst(const QString &pattern, int attributes);
QString findNext();

// Enumerations started: what holds for a scan (its regional settings) is read once.
quint64 scanNumber();

// The length in bytes of the file at path, links followed. FileNotFound when it
// is not there, PermissionDenied when it cannot be looked at.
qint64 fileLength(const QString &path);

// Tests: called with the path just before every length query; nullptr: none.
void setLengthQueryHook(void (*hook)(const QString &path));

// Linux has one file tree and no drive letters: there is no drive to change.
void changeDrive(const QString &path);

// Makes path the current directory: PathNotFound, or PermissionDenied.
void changeDirectory(const QString &path);

} // namespace platform
