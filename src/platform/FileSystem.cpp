// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FileSystem.h"

#include "platform/ErrorCatalogue.h"
#include "platform/TestSeams.h"
#include "platform/Text.h"

#include <QFile>
#include <QFileInfo>

#ifndef LEVRUN_PORTABLE
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace platform {

namespace {

namespace fs = std::filesystem;
constexpr bool NamesAreBytes = std::is_same_v<fs::path::value_type, char>;

QString nameOf(const fs::path &name)
{
    return NamesAreBytes ? fromNativeName(name.string()) : QString::fromStdWString(name.wstring());
}

// Fails with the error's number, if there is one.
void failCode(const std::error_code &error)
{
    if (error)
        failErrno(error.default_error_condition().value());
}

} // namespace

std::filesystem::path fsPath(const QString &path)
{
    return NamesAreBytes ? fs::path(toNativeName(path).toStdString())
                         : fs::path(path.toStdWString());
}

void FolderScan::close()
{
#ifndef LEVRUN_PORTABLE
    if (m_folder >= 0)
        ::close(m_folder);
#endif
    m_folder = -1, m_entries = {}, m_open = false, m_batchLength = m_position = 0;
    m_lastEntry = nullptr;
}

QString FolderScan::findFirst(const QString &pattern, int attributes)
{
    const qsizetype slash = pattern.lastIndexOf(u'/');
    const QString names = pattern.mid(slash + 1);
    // One "*", first.
    if (attributes != 0 || names.lastIndexOf(u'*') != 0 || names.contains(u'?'))
        fail(InvalidProcedureCall);
    close();
    // The root keeps its slash.
    const QString folder = slash < 0 ? QString(u'.') : pattern.left(std::max<qsizetype>(slash, 1));
    m_prefix = pattern.left(slash + 1);
    m_ending = toNativeName(names.mid(1));
    if (m_path == Portable) {
        std::error_code error;
        m_entries = fs::directory_iterator(fsPath(folder), error);
        failCode(error);
    } else {
#ifndef LEVRUN_PORTABLE
        m_folder = ::open(toNativeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (m_folder < 0)
            failErrno(errno);
#endif
    }
    m_open = true;
    return findNext();
}

QString FolderScan::findNext()
{
    if (!m_open)
        fail(InvalidProcedureCall);
    return m_path == Portable ? nextPortable() : nextFast();
}

bool FolderScan::matches(QByteArrayView name) const
{
    return !name.startsWith('.') && name.size() >= m_ending.size() &&
           qstrnicmp(name.last(m_ending.size()).data(), m_ending.constData(), m_ending.size()) == 0;
}

QString FolderScan::nextPortable()
{
    std::error_code error;
    for (; m_entries != fs::directory_iterator(); m_entries.increment(error)) {
        if (error)
            break;
        const QString name = nameOf(m_entries->path().filename());
        std::error_code ignored; // a broken link is no file
        if (matches(toNativeName(name)) && m_entries->is_regular_file(ignored)) {
            m_entries.increment(error);
            if (error) // this name is listed; the failure shows at the next call
                m_entries = {};
            return name;
        }
    }
    close();
    failCode(error);
    return {};
}

QString FolderScan::nextFast()
{
#ifndef LEVRUN_PORTABLE
    for (;;) {
        if (m_position >= m_batchLength) {
            m_batchLength = ::getdents64(m_folder, m_batch.get(), BatchSize);
            m_position = 0;
            if (m_batchLength <= 0) {
                const int error = m_batchLength < 0 ? errno : 0;
                close();
                if (error)
                    failErrno(error);
                return {};
            }
        }
        const auto *entry = reinterpret_cast<const dirent64 *>(m_batch.get() + m_position);
        m_position += entry->d_reclen;
        const QByteArrayView name(entry->d_name, qsizetype(std::strlen(entry->d_name)));
        // A link counts by what it points to; a broken one is no file.
        struct stat status;
        if (matches(name) &&
            (entry->d_type == DT_REG ||
             ((entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) &&
              ::fstatat(m_folder, name.data(), &status, 0) == 0 && S_ISREG(status.st_mode)))) {
            m_lastEntry = entry->d_name;
            return m_lastName = fromNativeName(name);
        }
    }
#endif
    return {};
}

qint64 FolderScan::fileLength(const QString &path) const
{
    if (seams::lengthQuery)
        seams::lengthQuery(path);
#ifndef LEVRUN_PORTABLE
    if (m_path == Fast) {
        // The name just listed is looked up in the open folder, by the bytes it came as.
        const bool listed = m_lastEntry && path.size() == m_prefix.size() + m_lastName.size() &&
                            path.startsWith(m_prefix) && path.endsWith(m_lastName);
        struct stat status;
        if ((listed ? ::fstatat(m_folder, m_lastEntry, &status, 0)
                    : ::stat(toNativeName(path).constData(), &status)) != 0)
            errno == ENOENT || errno == ENOTDIR ? fail(FileNotFound) : failErrno(errno);
        return qint64(status.st_size);
    }
#endif
    std::error_code error;
    const std::uintmax_t length = fs::file_size(fsPath(path), error);
    if (error)
        error == std::errc::no_such_file_or_directory || error == std::errc::not_a_directory
            ? fail(FileNotFound)
            : failCode(error);
    return qint64(length);
}

void changeDirectory(const QString &path)
{
    std::error_code error;
    fs::current_path(fsPath(path), error);
    failCode(error);
}

bool appendToFile(const QString &file, const QByteArray &bytes)
{
#ifndef LEVRUN_PORTABLE
    // A pipe that nobody reads fails the open instead of holding the program.
    const int out = ::open(QFile::encodeName(file).constData(),
                           O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666);
    const bool written = out >= 0 && ::write(out, bytes.data(), bytes.size()) == bytes.size();
    if (out >= 0)
        ::close(out);
    return written;
#else
    // Only a plain file, or none yet: opening a pipe would wait for a reader.
    if (const QFileInfo about(file); about.exists() && !about.isFile())
        return false;
    QFile out(file);
    return out.open(QIODevice::Append) && out.write(bytes) == bytes.size() && out.flush();
#endif
}

} // namespace platform
