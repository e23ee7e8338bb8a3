// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <filesystem>
#include <memory>

namespace platform {

// Paths are taken by their bytes (Text.h), as std::filesystem takes them here.
std::filesystem::path fsPath(const QString &path);

// The enumeration of one folder, which it keeps open from findFirst to the end or to its
// own: the kernel's entries read in large batches (Linux), or std::filesystem (all systems).
class FolderScan
{
public:
    enum Path { Fast, Portable };
    ~FolderScan() { close(); }
    explicit FolderScan([[maybe_unused]] Path path = Fast)
#ifdef LEVRUN_PORTABLE
        : m_path(Portable) // the build has no fast path
#else
        : m_path(path)
#endif
    {
    }
    Q_DISABLE_COPY(FolderScan)

    // findFirst takes "folder/*ENDING" (case ignored; another form: InvalidProcedureCall) and
    // the mask 0: regular files and links to them, no hidden names (".x"); it gives the first
    // bare name, findNext the next, "" at the end, as fromNativeName reads them. PathNotFound,
    // PermissionDenied; a failed read ends the enumeration and fails; so does findNext alone.
    QString findFirst(const QString &pattern, int attributes);
    QString findNext();

    // The length in bytes of the file at path, links followed: FileNotFound, PermissionDenied.
    // The name just given is looked up in the open folder: the kernel walks no path for it.
    qint64 fileLength(const QString &path) const;

private:
    bool matches(QByteArrayView name) const;
    void close();
    QString nextFast();
    QString nextPortable();

    Path m_path;
    QString m_prefix;    // the pattern up to its last "/", as the length queries begin
    QByteArray m_ending; // "*.MAP" without its "*"
    bool m_open = false;
    std::filesystem::directory_iterator m_entries;
    int m_folder = -1;
    static constexpr qsizetype BatchSize = 64 * 1024;
    // The latest batch of entries, read up to m_position; made once, for every enumeration.
    std::unique_ptr<char[]> m_batch = std::make_unique<char[]>(BatchSize);
    qsizetype m_batchLength = 0, m_position = 0;
    QString m_lastName; // the name given last, and its bytes in the batch
    const char *m_lastEntry = nullptr;
};

inline void changeDrive(const QString &) {} // one file tree, no drive letters: nothing to change
// Makes path the current directory: PathNotFound, or PermissionDenied.
void changeDirectory(const QString &path);

// Appends bytes to the file, made when missing; false when it cannot be written
// whole. Never waits: a pipe or a device in place of the file is not written.
bool appendToFile(const QString &file, const QByteArray &bytes);

} // namespace platform
