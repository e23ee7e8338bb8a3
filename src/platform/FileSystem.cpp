#include "platform/FileSystem.h"

#include "platform/ErrorCatalogue.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <strings.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// The running enumeration: the open folder, the end of the names it lists and
// the unread part of the latest batch of entries from the kernel.
struct Enumeration
{
    int fd = -1;
    QByteArray prefix; // the pattern up to its last "/", as the length queries begin
    QByteArray suffix; // "*.MAP" without its "*"
    alignas(dirent64) char buffer[64 * 1024];
    ssize_t length = 0;
    ssize_t position = 0;

    void close()
    {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
        position = length = 0;
    }

    bool accepts(const dirent64 *entry) const
    {
        const size_t size = std::strlen(entry->d_name);
        if (entry->d_name[0] == '.' || size < size_t(suffix.size()) ||
            strcasecmp(entry->d_name + size - size_t(suffix.size()), suffix.constData()) != 0)
            return false;
        if (entry->d_type == DT_REG)
            return true;
        if (entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN)
            return false;
        // A link counts by what it points to; a broken one is no file.
        struct stat status;
        return ::fstatat(fd, entry->d_name, &status, 0) == 0 && S_ISREG(status.st_mode);
    }

    QString next()
    {
        for (;;) {
            if (position >= length) {
                length = ::getdents64(fd, buffer, sizeof buffer);
                position = 0;
                if (length <= 0) {
                    const int error = errno;
                    close();
                    if (length < 0)
                        failErrno(error);
                    return {};
                }
            }
            const auto *entry = reinterpret_cast<const dirent64 *>(buffer + position);
            position += entry->d_reclen;
            if (accepts(entry))
                return QFile::decodeName(entry->d_name);
        }
    }
};

Enumeration running;
quint64 scansStarted = 0;
void (*lengthQueryHook)(const QString &path) = nullptr;

} // namespace

QString findFirst(const QString &pattern, int attributes)
{
    const qsizetype slash = pattern.lastIndexOf(u'/');
    const QString names = pattern.mid(slash + 1);
    // Only ordinary files and "*" and an ending are ever asked for.
    if (attributes != 0 || !names.startsWith(u'*') || names.indexOf(u'*', 1) >= 0 ||
        names.contains(u'?'))
        fail(InvalidProcedureCall);
    ++scansStarted;
    running.close();
    const QByteArray folder = slash < 0    ? QByteArray(".")
                              : slash == 0 ? QByteArray("/")
                                           : QFile::encodeName(pattern.left(slash));
    running.fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (running.fd < 0)
        failErrno(errno);
    running.prefix = QFile::encodeName(pattern.left(slash + 1));
    running.suffix = QFile::encodeName(names.mid(1));
    return running.next();
}

QString findNext()
{
    if (running.fd < 0)
        fail(InvalidProcedureCall);
    return running.next();
}

quint64 scanNumber()
{
    return scansStarted;
}

void setLengthQueryHook(void (*hook)(const QString &path))
{
    lengthQueryHook = hook;
}

qint64 fileLength(const QString &path)
{
    if (lengthQueryHook)
        lengthQueryHook(path);
    const QByteArray native = QFile::encodeName(path);
    struct stat status;
    // A name in the folder being listed is looked up from the open folder,
    // which spares the kernel walking the whole path again for every map.
    const bool inFolder = running.fd >= 0 && native.size() > running.prefix.size() &&
                          native.startsWith(running.prefix) &&
                          native.indexOf('/', running.prefix.size()) < 0;
    const int result =
        inFolder ? ::fstatat(running.fd, native.constData() + running.prefix.size(), &status, 0)
                 : ::stat(native.constData(), &status);
    if (result != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            fail(FileNotFound);
        failErrno(errno);
    }
    return qint64(status.st_size);
}

void changeDrive(const QString &) {}

void changeDirectory(const QString &path)
{
    if (::chdir(QFile::encodeName(path).constData()) != 0)
        failErrno(errno);
}

} // namespace platform
