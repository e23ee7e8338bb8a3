// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ErrorCatalogue.h"

#include <cerrno>
#include <utility>

namespace platform {

QString errorMessage(int number)
{
    static constexpr std::pair<int, const char *> Messages[] = {
        {InvalidProcedureCall, "Invalid procedure call or argument"},
        {Overflow, "Overflow"},
        {OutOfMemory, "Out of memory"},
        {SubscriptOutOfRange, "Subscript out of range"},
        {TypeMismatch, "Type mismatch"},
        {BadFileName, "Bad file name or number"},
        {FileNotFound, "File not found"},
        {DeviceIOError, "Device I/O error"},
        {DiskFull, "Disk full"},
        {PermissionDenied, "Permission denied"},
        {PathFileAccessError, "Path/File access error"},
        {PathNotFound, "Path not found"},
        {ObjectNotSet, "Object variable or With block variable not set"},
        {InvalidFileFormat, "Invalid file format"},
        {ResourceNotFound, "Resource with this identifier not found"},
        {InvalidPropertyValue, "Invalid property value"},
        {InvalidPicture, "Invalid picture"},
    };
    for (const auto &[known, text] : Messages)
        if (known == number)
            return QString::fromLatin1(text);
    return QStringLiteral("Application-defined or object-defined error");
}

void fail(int number)
{
    throw Failure(number);
}

void failErrno(int error)
{
    static constexpr std::pair<int, ErrorNumber> Numbers[] = {
        {ENOENT, PathNotFound},      {ENOTDIR, PathNotFound},   {EACCES, PermissionDenied},
        {EPERM, PermissionDenied},   {EROFS, PermissionDenied}, {ENOSPC, DiskFull},
#ifdef EDQUOT // not on every system
        {EDQUOT, DiskFull},
#endif
        {ENAMETOOLONG, BadFileName}, {ENOMEM, OutOfMemory},     {EIO, DeviceIOError},
    };
    for (const auto &[known, number] : Numbers)
        if (known == error)
            fail(number);
    fail(PathFileAccessError);
}

} // namespace platform
