#include "platform/FileSystem.h"

#include "platform/ErrorCatalogue.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

char foldAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c + ('a' - 'A')) : c;
}

// "*" and "?" over the bytes of a name, ASCII letters compared without case.
// Backtracks only to the latest "*", so it stays linear for patterns like "*.MAP".
bool matches(const QByteArray &pattern, const char *name)
{
    const char *p = pattern.constData();
    const char *star = nullptr;
    const char *resume = nullptr;
    while (*name) {
        if (*p == '*') {
            star = ++p;
            resume = name;
        } else if (*p == '?' || (*p && foldAscii(*p) == foldAscii(*name))) {
            ++p;
            ++name;
        } else if (star) {
            p = star;
            name = ++resume;
        } else {
            return false;
        }
    }
    while (*p == '*')
        ++p;
    return *p == '\0';
}

// The literal after a pattern's leading "*" when that is its only wildcard, as
// in "*.MAP": a name matches it when it ends with the literal, letter case
// aside. Empty for any other pattern.
QByteArray suffixOf(const QByteArray &pattern)
{
    if (pattern.size() < 2 || pattern[0] != '*' || pattern.indexOf('*', 1) >= 0 ||
        pattern.contains('?'))
        return {};
    return pattern.mid(1);
}

bool endsWith(const char *name, size_t length, const QByteArray &suffix)
{
    if (length < size_t(suffix.size()))
        return false;
    const char *tail = name + length - size_t(suffix.size());
    for (qsizetype i = 0; i < suffix.size(); ++i) {
        if (foldAscii(tail[i]) != foldAscii(suffix[i]))
            return false;
    }
    return true;
}

// The running enumeration: the open folder and the unread part of the latest
// batch of entries that the kernel handed out.
class Enumeration
{
public:
    ~Enumeration() { close(); }

    // prefix: the pattern up to and including its last "/".
    void open(const QByteArray &folder, const QString &prefix, const QByteArray &pattern)
    {
        close();
        const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            failErrno(errno);
        m_fd = fd;
        m_prefixText = prefix;
        m_prefix = QFile::encodeName(prefix);
        m_pattern = pattern;
        m_suffix = suffixOf(pattern);
        if (!m_buffer)
            m_buffer = std::make_unique<char[]>(BufferSize);
    }

    bool isOpen() const { return m_fd >= 0; }

    // The length query a scan makes for the name it was just given: the path
    // is the pattern's folder part and that name, so the entry's own bytes are
    // looked up without encoding the path. False for any other path.
    bool statListed(const QString &path, struct stat *status, int *result) const
    {
        const qsizetype prefix = m_prefixText.size();
        if (!m_listed || path.size() != prefix + m_listedLength ||
            std::memcmp(path.constData(), m_prefixText.constData(), size_t(prefix) * 2))
            return false;
        const QChar *name = path.constData() + prefix;
        for (qsizetype i = 0; i < m_listedLength; ++i) {
            if (name[i].unicode() != uchar(m_listed[i]))
                return false;
        }
        *result = ::fstatat(m_fd, m_listed, status, 0);
        return true;
    }

    // Looks a path in the enumerated folder up relative to the open folder,
    // which spares the kernel walking the whole path again for every map.
    // False when the path lies elsewhere.
    bool statInFolder(const QByteArray &path, struct stat *status, int *result) const
    {
        if (m_fd < 0 || !path.startsWith(m_prefix))
            return false;
        const char *name = path.constData() + m_prefix.size();
        if (*name == '\0' || std::strchr(name, '/'))
            return false;
        *result = ::fstatat(m_fd, name, status, 0);
        return true;
    }

    QString next()
    {
        for (;;) {
            if (m_position >= m_length && !readBatch())
                return {};
            const auto *entry = reinterpret_cast<const dirent64 *>(m_buffer.get() + m_position);
            m_position += entry->d_reclen;
            const size_t length = std::strlen(entry->d_name);
            if (accepts(entry, length))
                return listed(entry->d_name, qsizetype(length));
        }
    }

    void close()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
        m_position = m_length = 0;
        m_listed = nullptr;
    }

private:
    static constexpr size_t BufferSize = 128 * 1024;

    // The name as findNext hands it out; an ASCII one, nearly every name, is
    // noted for statListed.
    QString listed(const char *name, qsizetype length)
    {
        if (std::all_of(name, name + length, [](char c) { return uchar(c) < 0x80; })) {
            m_listed = name;
            m_listedLength = length;
            return QLatin1String(name, length); // ASCII reads the same in every encoding
        }
        m_listed = nullptr;
        return QString::fromLocal8Bit(QByteArrayView(name, length));
    }

    bool readBatch()
    {
        const ssize_t length = ::getdents64(m_fd, m_buffer.get(), BufferSize);
        if (length <= 0) {
            const int error = errno;
            close();
            if (length < 0)
                failErrno(error);
            return false;
        }
        m_length = length;
        m_position = 0;
        return true;
    }

    bool accepts(const dirent64 *entry, size_t length) const
    {
        if (entry->d_name[0] == '.')
            return false;
        if (m_suffix.isEmpty() ? !matches(m_pattern, entry->d_name)
                               : !endsWith(entry->d_name, length, m_suffix))
            return false;
        if (entry->d_type == DT_REG)
            return true;
        if (entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN)
            return false;
        // A link counts by what it points to; a broken one is no file.
        struct stat status;
        return ::fstatat(m_fd, entry->d_name, &status, 0) == 0 && S_ISREG(status.st_mode);
    }

    int m_fd = -1;
    QString m_prefixText;
    QByteArray m_prefix;
    QByteArray m_pattern;
    QByteArray m_suffix; // see suffixOf
    std::unique_ptr<char[]> m_buffer;
    ssize_t m_length = 0;
    ssize_t m_position = 0;
    const char *m_listed = nullptr; // the ASCII name handed out last, in m_buffer
    qsizetype m_listedLength = 0;
};

Enumeration &enumeration()
{
    static Enumeration running;
    return running;
}

quint64 scansStarted = 0;

} // namespace

QString findFirst(const QString &pattern, int attributes)
{
    if (attributes != 0)
        fail(InvalidProcedureCall); // only ordinary files are ever asked for
    ++scansStarted;
    const qsizetype slash = pattern.lastIndexOf(u'/');
    QByteArray folder;
    if (slash < 0)
        folder = ".";
    else if (slash == 0)
        folder = "/";
    else
        folder = QFile::encodeName(pattern.left(slash));
    Enumeration &running = enumeration();
    running.open(folder, pattern.left(slash + 1), QFile::encodeName(pattern.mid(slash + 1)));
    return running.next();
}

quint64 scanNumber()
{
    return scansStarted;
}

QString findNext()
{
    Enumeration &running = enumeration();
    if (!running.isOpen())
        fail(InvalidProcedureCall);
    return running.next();
}

static void (*lengthQueryHook)(const QString &path) = nullptr;

void setLengthQueryHook(void (*hook)(const QString &path))
{
    lengthQueryHook = hook;
}

qint64 fileLength(const QString &path)
{
    if (lengthQueryHook)
        lengthQueryHook(path);
    struct stat status;
    int result = 0;
    if (!enumeration().statListed(path, &status, &result)) {
        const QByteArray native = QFile::encodeName(path);
        if (!enumeration().statInFolder(native, &status, &result))
            result = ::stat(native.constData(), &status);
    }
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
