// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SettingsStore.h"

#include "platform/ErrorCatalogue.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <QUuid>

#include <filesystem>

namespace platform {

namespace {

// The store is opened by its file name: QSettings keyed by organization and application
// would also read $XDG_CONFIG_HOME/<application>.ini and the /etc/xdg files for
// missing keys, and write what it found there into the user's own file.
QString storeFile(const QString &appName)
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QLatin1Char('/') + appName + QLatin1Char('/') + appName + QStringLiteral(".ini");
}

// Moves from over to, replacing whatever is there; whether it did.
bool renameOver(const QString &from, const QString &to)
{
    std::error_code error;
    std::filesystem::rename(fsPath(from), fsPath(to), error);
    return !error;
}

// Sets a damaged store aside: the failure it is, or 0 when the store is sound or missing.
int setAsideDamaged(const QString &appName)
{
    // A pipe or a device in place of the store would hold QSettings for ever, or
    // fill memory without end, as soon as it opens the store: such a thing is set
    // aside unread.
    const QString file = storeFile(appName);
    if (const QFileInfo about(file); about.exists() && !about.isFile() && !about.isDir()) {
        renameOver(file, file + QStringLiteral(".bad"));
        return PathFileAccessError;
    }
    QSettings settings(file, QSettings::IniFormat);
    // Sections are parsed lazily: a damaged one would show only when it is
    // reached, or at the next write, which keeps failing on it.
    settings.allKeys();
    if (settings.status() == QSettings::NoError)
        return 0;
    renameOver(file, file + QStringLiteral(".bad"));
    return settings.status() == QSettings::FormatError ? InvalidFileFormat : PathFileAccessError;
}

// Whether the file just written, under a name of its own, gives back every key and value of
// settings. It is read under another name new to this process: QSettings caches what it read
// and wrote by file name, and would answer from that cache, not from the disk.
bool readsBack(const QSettings &settings)
{
    const QString name = settings.fileName() + QStringLiteral(".check");
    QFile::remove(name);
    if (!QFile::copy(settings.fileName(), name))
        return false;
    const QSettings written(name, QSettings::IniFormat); // read only: it writes nothing back
    bool same = written.status() == QSettings::NoError && written.allKeys() == settings.allKeys();
    for (const QString &key : settings.allKeys())
        same = same && written.value(key) == settings.value(key);
    QFile::remove(name);
    return same;
}

} // namespace

QString readSetting(const QString &appName, const QString &section, const QString &key,
                    const QString &defaultValue)
{
    if (const int failure = setAsideDamaged(appName))
        fail(failure); // once: from then on the store starts afresh
    const QSettings settings(storeFile(appName), QSettings::IniFormat);
    const QVariant value = settings.value(section + u'/' + key);
    if (!value.isValid())
        return defaultValue;
    // An unquoted value with commas reads as a list; "1234,5" is a number in
    // many regions. The store itself quotes such values when it writes them.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(','));
    if (value.typeId() == QMetaType::QByteArray) // a folder name that is not text
        return fromNativeName(value.toByteArray());
    return value.toString();
}

void writeSetting(const QString &appName, const QString &section, const QString &key,
                  const QString &value)
{
    // A damaged file would make QSettings drop what it cannot parse and
    // report the write as failed: keep it aside and start afresh instead.
    setAsideDamaged(appName);
    // QSettings writes through QSaveFile, a temporary file renamed over the old
    // one; but a write cut short by a full disk or a file size limit is still
    // renamed over it and reported as done. So the new store is written under a
    // name of its own, from what the store held and the new value, read back
    // whole, and only then renamed over the store: until then the store is the
    // old one, whatever happens to the program.
    const QString file = storeFile(appName);
    const QString next =
        file + QStringLiteral(".new-") + QUuid::createUuid().toString(QUuid::Id128);
    const QSettings existing(file, QSettings::IniFormat);
    QSettings settings(next, QSettings::IniFormat);
    for (const QString &name : existing.allKeys())
        settings.setValue(name, existing.value(name));
    // A text holding bytes that are not characters is kept as those bytes: as
    // text, the store would write U+FFFD in their place.
    settings.setValue(section + u'/' + key,
                      holdsRawBytes(value) ? QVariant(toNativeName(value)) : QVariant(value));
    // Once synced, settings holds nothing more to write: its end writes nothing.
    settings.sync();
    if (settings.status() == QSettings::NoError && readsBack(settings) && renameOver(next, file))
        return;
    QFile::remove(next);
    fail(settings.status() == QSettings::FormatError ? InvalidFileFormat : PathFileAccessError);
}

} // namespace platform
