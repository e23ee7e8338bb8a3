#include "platform/SettingsStore.h"

#include "platform/ErrorCatalogue.h"

#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>

#include <cstdio>

#include <sys/stat.h>

namespace platform {

namespace {

QSettings::Status openStatus(QSettings &settings)
{
    // Sections are parsed lazily: a damaged one would show only when it is
    // reached, or at the next write, which keeps failing on it.
    settings.allKeys();
    return settings.status();
}

void setAside(const QString &file)
{
    const QByteArray from = QFile::encodeName(file);
    const QByteArray to = QFile::encodeName(file + QStringLiteral(".bad"));
    std::rename(from.constData(), to.constData());
}

QString storeFile(const QString &appName)
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QLatin1Char('/') + appName + QLatin1Char('/') + appName + QStringLiteral(".ini");
}

// The store by its file name: QSettings keyed by organization and application
// would also read $XDG_CONFIG_HOME/<application>.ini and the /etc/xdg files for
// missing keys, and write what it found there into the user's own file.
class Store : public QSettings
{
public:
    explicit Store(const QString &appName)
        : QSettings(storeFile(appName), QSettings::IniFormat)
    {
    }
};

// A pipe or a device in place of the store would hold QSettings for ever, or
// fill memory without end, as soon as it opens the store: such a thing is set
// aside unread. True when it was.
bool setAsideUnreadable(const QString &appName)
{
    const QString file = storeFile(appName);
    struct stat status;
    if (::stat(QFile::encodeName(file).constData(), &status) != 0 || S_ISREG(status.st_mode) ||
        S_ISDIR(status.st_mode))
        return false;
    setAside(file);
    return true;
}

// Fails once for a damaged store, after moving it out of the way.
void checkReadable(const QString &appName)
{
    if (setAsideUnreadable(appName))
        fail(PathFileAccessError);
    Store settings(appName);
    switch (openStatus(settings)) {
    case QSettings::NoError:
        return;
    case QSettings::FormatError:
        setAside(settings.fileName());
        fail(InvalidFileFormat);
    case QSettings::AccessError:
        setAside(settings.fileName());
        fail(PathFileAccessError);
    }
}

} // namespace

QString GetSetting(const QString &appName, const QString &section, const QString &key,
                   const QString &defaultValue)
{
    checkReadable(appName);
    Store settings(appName);
    settings.beginGroup(section);
    const QVariant value = settings.value(key);
    if (!value.isValid())
        return defaultValue;
    // An unquoted value with commas reads as a list; "1234,5" is a number in
    // many regions. The store itself quotes such values when it writes them.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

void SaveSetting(const QString &appName, const QString &section, const QString &key,
                 const QString &value)
{
    setAsideUnreadable(appName);
    {
        // A damaged file would make QSettings drop what it cannot parse and
        // report the write as failed: keep it aside and start afresh instead.
        Store existing(appName);
        if (openStatus(existing) != QSettings::NoError)
            setAside(existing.fileName());
    }
    // QSettings writes through QSaveFile and, its atomic sync being on, never in
    // place: a temporary file in the same folder, flushed to disk, then renamed
    // over the old one. A crash or a full disk leaves the earlier file whole.
    Store settings(appName);
    settings.beginGroup(section);
    settings.setValue(key, value);
    settings.sync();
    switch (settings.status()) {
    case QSettings::NoError:
        return;
    case QSettings::FormatError:
        fail(InvalidFileFormat);
    case QSettings::AccessError:
        fail(PathFileAccessError);
    }
}

} // namespace platform
