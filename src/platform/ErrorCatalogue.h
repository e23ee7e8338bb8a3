// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <exception>

namespace platform {

// The numbers of the failures the program can meet. The log shows only the
// message text; the numbers keep the catalogue and the raising code in step.
enum ErrorNumber : int {
    InvalidProcedureCall = 5,
    Overflow = 6,
    OutOfMemory = 7,
    SubscriptOutOfRange = 9,
    TypeMismatch = 13,
    BadFileName = 52,
    FileNotFound = 53,
    DeviceIOError = 57,
    DiskFull = 61,
    PermissionDenied = 70,
    PathFileAccessError = 75,
    PathNotFound = 76,
    ObjectNotSet = 91,
    InvalidPropertyValue = 380,
    InvalidPicture = 481,
    InvalidFileFormat = 321,
    ResourceNotFound = 326,
    ApplicationDefined = 1004,
};

// The standard message for an error number; numbers without an entry of their
// own get the generic text.
QString errorMessage(int number);

// A failing statement. Raised by the platform layer wherever Qt or the system
// report an error by a return value, caught by errlog::Guard.
class Failure : public std::exception
{
public:
    explicit Failure(int number) noexcept
        : m_number(number)
    {
    }
    int number() const noexcept { return m_number; }
    const char *what() const noexcept override { return "Levrun failure"; }

private:
    int m_number;
};

[[noreturn]] void fail(int number);

// The failure that matches the errno value of a failed system call.
[[noreturn]] void failErrno(int error);

} // namespace platform
