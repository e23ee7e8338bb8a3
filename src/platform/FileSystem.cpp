// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FileSystem.h"

#include "platform/ErrorCatalogue.h"

#include <QStringList>

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

// A byte that is not part of a character: a low surrogate of U+DC80 to U+DCFF with
// no high one before it.
bool isRawByte(QStringView name, qsizetype i)
{
    const char16_t c = name[i].unicode();
    return c >= 0xDC80 && c <= 0xDCFF && (i == 0 || !name[i - 1].isHighSurrogate());
}

} // namespace

QString fromNativeName(QByteArrayView name)
{
    if (name.isValidUtf8())
        return QString::fromUtf8(name);
    QString text;
    for (qsizetype i = 0; i < name.size();) {
        const uchar lead = uchar(name[i]);
        const qsizetype length = lead < 0x80   ? 1
                                 : lead < 0xC2 ? 0
                                 : lead < 0xE0 ? 2
                                 : lead < 0xF0 ? 3
                                               : 4;
        if (length > 0 && i + length <= name.size() && name.sliced(i, length).isValidUtf8()) {
            text += QString::fromUtf8(name.sliced(i, length));
            i += length;
        } else {
            text += QChar(0xDC00 + lead);
            ++i;
        }
    }
    return text;
}

bool holdsRawBytes(QStringView name)
{
    for (qsizetype i = 0; i < name.size(); ++i)
        if (isRawByte(name, i))
            return true;
    return false;
}

QByteArray toNativeName(QStringView name)
{
    if (!holdsRawBytes(name))
        return name.toUtf8();
    QByteArray bytes;
    for (qsizetype i = 0, text = 0; i <= name.size(); ++i) {
        if (i < name.size() && !isRawByte(name, i))
            continue;
        bytes += name.sliced(text, i - text).toUtf8();
        if (i < name.size())
            bytes += char(name[i].unicode() - 0xDC00);
        text = i + 1;
    }
    return bytes;
}

QString nativePath(const QString &shown)
{
    if (!shown.contains(QChar::ReplacementCharacter))
        return shown;
    QStringList parts = shown.split(u'/');
    QString path = parts.takeFirst(); // empty for a path from the root
    for (const QString &part : std::as_const(parts)) {
        QString match = part;
        int matches = 0;
        DIR *dir = part.contains(QChar::ReplacementCharacter)
                       ? ::opendir(path.isEmpty() ? "/" : toNativeName(path).constData())
                       : nullptr;
        while (dirent *entry = dir ? ::readdir(dir) : nullptr)
            if (QString::fromUtf8(entry->d_name) == part && ++matches == 1)
                match = fromNativeName(entry->d_name);
        if (dir)
            ::closedir(dir);
        path += u'/' + (matches > 1 ? part : match);
    }
    return path;
}

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
            return fromNativeName(QByteArrayView(name, qsizetype(size)));
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
                                         : toNativeName(pattern.left(slash));
    folder = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0)
        failErrno(errno);
    prefix = toNativeName(pattern.left(slash + 1));
    ending = toNativeName(names.mid(1));
    return findNext();
}

qint64 fileLength(const QString &path)
{
    if (lengthQueryHook)
        lengthQueryHook(path);
    const QByteArray native = toNativeName(path);
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
    if (::chdir(toNativeName(path).constData()) != 0)
        failErrno(errno);
}

} // namespace platform
