// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ErrorCatalogue.h"

#include <cerrno>

namespace platform {

QString errorMessage(int number)
{
    switch (number) {
    case InvalidProcedureCall:
        return QStringLiteral("Invalid procedure call or argument");
    case Overflow:
        return QStringLiteral("Overflow");
    case OutOfMemory:
        return QStringLiteral("Out of memory");
    case SubscriptOutOfRange:
        return QStringLiteral("Subscript out of range");
    case TypeMismatch:
        return QStringLiteral("Type mismatch");
    case BadFileName:
        return QStringLiteral("Bad file name or number");
    case FileNotFound:
        return QStringLiteral("File not found");
    case FileAlreadyOpen:
        return QStringLiteral("File already open");
    case DeviceIOError:
        return QStringLiteral("Device I/O error");
    case DiskFull:
        return QStringLiteral("Disk full");
    case PermissionDenied:
        return QStringLiteral("Permission denied");
    case PathFileAccessError:
        return QStringLiteral("Path/File access error");
    case PathNotFound:
        return QStringLiteral("Path not found");
    case ObjectNotSet:
        return QStringLiteral("Object variable or With block variable not set");
    case InvalidFileFormat:
        return QStringLiteral("Invalid file format");
    case ResourceNotFound:
        return QStringLiteral("Resource with this identifier not found");
    case InvalidPropertyValue:
        return QStringLiteral("Invalid property value");
    case InvalidPicture:
        return QStringLiteral("Invalid picture");
    default:
        return QStringLiteral("Application-defined or object-defined error");
    }
}

void fail(int number)
{
    throw Failure(number);
}

void failErrno(int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        fail(PathNotFound);
    case EACCES:
    case EPERM:
    case EROFS:
        fail(PermissionDenied);
    case ENOSPC:
    case EDQUOT:
        fail(DiskFull);
    case ENAMETOOLONG:
        fail(BadFileName);
    case ENOMEM:
        fail(OutOfMemory);
    case EIO:
        fail(DeviceIOError);
    default:
        fail(PathFileAccessError);
    }
}

} // namespace platform
