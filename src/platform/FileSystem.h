#pragma once

#include <QString>

namespace platform {

// Directory enumeration in two calls, one enumeration at a time.
//
// findFirst takes a pattern, a folder and "*" followed by the end of the names
// wanted, joined by "/" ("dir/*.MAP"; letter case ignored), and an attribute
// mask; it returns the first matching bare name, or empty text when nothing
// matches. findNext returns the next name of the same enumeration, empty text
// at its end. A pattern of another form fails with InvalidProcedureCall.
//
// Mask 0 gives ordinary files: regular files and links to regular files, never
// folders, devices, pipes, sockets or hidden names (those beginning with ".").
// Names come in the order the file system hands them out; bytes that are not
// UTF-8 read as U+FFFD.
//
// A folder that does not exist fails with PathNotFound, one that cannot be read
// with PermissionDenied; a read that fails later ends the enumeration and fails.
// findNext without a running enumeration fails with InvalidProcedureCall.
QString findFirst(const QString &pattern, int attributes);
QString findNext();

// How many enumerations findFirst has started, so that what holds for one scan
// (the regional settings its size texts are written in) is read once a scan.
quint64 scanNumber();

// The length in bytes of the file at path, links followed. A file that is not
// there fails with FileNotFound, one that cannot be looked at with PermissionDenied.
qint64 fileLength(const QString &path);

// Tests: hook is called with the path just before every length query
// (a file can then vanish between its listing and its query); nullptr: none.
void setLengthQueryHook(void (*hook)(const QString &path));

// Makes the drive named by the first character of path the current one. Linux
// has one file tree and no drive letters, so there is nothing to change.
void changeDrive(const QString &path);

// Makes path the current directory. Fails with PathNotFound, or PermissionDenied
// when the folder may not be entered.
void changeDirectory(const QString &path);

} // namespace platform
