// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FileSystem.h"

#include "platform/ErrorCatalogue.h"

#include <QFile>

#include <cerrno>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// The running enumeration: the open folder, the pattern's parts and the unread
// part of the latest batch of entries from the kernel.
int folder = -1;
QByteArray prefix; // the pattern up to its last "/", as the length queries begin
QByteArray ending; // "*.MAP" without its "*"
alignas(dirent64) char batch[64 * 1024];
ssize_t batchLength = 0;
ssize_t position = 0;

void closeFolder()
{
    if (folder >= 0)
        ::close(folder);
    folder = -1;
    position = batchLength = 0;
}

} // namespace

QString findNext()
{
    if (folder < 0)
        fail(InvalidProcedureCall);
    for (;;) {
        if (position >= batchLength) {
            batchLength = ::getdents64(folder, batch, sizeof batch);
            position = 0;
            if (batchLength <= 0) {
                const int error = batchLength < 0 ? errno : 0;
                closeFolder();
                if (error)
                    failErrno(error);
                return {};
            }
        }
        const auto *entry = reinterpret_cast<const dirent64 *>(batch + position);
        position += entry->d_reclen;
        const char *name = entry->d_name;
        const size_t size = std::strlen(name);
        // A link counts by what it points to; a broken one is no file.
        struct stat status;
        if (name[0] != '.' && size >= size_t(ending.size()) &&
            strcasecmp(name + size - size_t(ending.size()), ending.constData()) == 0 &&
            (entry->d_type == DT_REG ||
             ((entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) &&
              ::fstatat(folder, name, &status, 0) == 0 && S_ISREG(status.st_mode))))
            return QFile::decodeName(name);
    }
}

QString findFirst(const QString &pattern, int attributes)
{
    const qsizetype slash = pattern.lastIndexOf(u'/');
    const QString names = pattern.mid(slash + 1);
    if (attributes != 0 || !names.startsWith(u'*') || names.indexOf(u'*', 1) >= 0 ||
        names.contains(u'?'))
        fail(InvalidProcedureCall);
    ++scansStarted;
    closeFolder();
    const QByteArray path = slash < 0    ? QByteArray(".")
                            : slash == 0 ? QByteArray("/")
                                         : QFile::encodeName(pattern.left(slash));
    folder = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0)
        failErrno(errno);
    prefix = QFile::encodeName(pattern.left(slash + 1));
    ending = QFile::encodeName(names.mid(1));
    return findNext();
}

qint64 fileLength(const QString &path)
{
    if (lengthQueryHook)
        lengthQueryHook(path);
    const QByteArray native = QFile::encodeName(path);
    // A name in the folder being listed is looked up from the open folder,
    // which spares the kernel walking the whole path again for every map.
    const bool listed = folder >= 0 && native.size() > prefix.size() && native.startsWith(prefix) &&
                        native.indexOf('/', prefix.size()) < 0;
    struct stat status;
    if ((listed ? ::fstatat(folder, native.constData() + prefix.size(), &status, 0)
                : ::stat(native.constData(), &status)) != 0)
        errno == ENOENT || errno == ENOTDIR ? fail(FileNotFound) : failErrno(errno);
    return qint64(status.st_size);
}

void changeDrive(const QString &) {}

void changeDirectory(const QString &path)
{
    if (::chdir(QFile::encodeName(path).constData()) != 0)
        failErrno(errno);
}

} // namespace platform
