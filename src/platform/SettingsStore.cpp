#include "platform/SettingsStore.h"

#include "platform/ErrorCatalogue.h"

#include <QFile>
#include <QSettings>
#include <QStringList>

#include <cstdio>

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

// Fails once for a damaged store, after moving it out of the way.
void checkReadable(const QString &appName)
{
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, appName, appName);
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
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, appName, appName);
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
    {
        // A damaged file would make QSettings drop what it cannot parse and
        // report the write as failed: keep it aside and start afresh instead.
        QSettings existing(QSettings::IniFormat, QSettings::UserScope, appName, appName);
        if (openStatus(existing) != QSettings::NoError)
            setAside(existing.fileName());
    }
    // QSettings writes through QSaveFile and, its atomic sync being on, never in
    // place: a temporary file in the same folder, flushed to disk, then renamed
    // over the old one. A crash or a full disk leaves the earlier file whole.
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, appName, appName);
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
