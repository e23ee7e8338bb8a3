#include "TestSupport.h"

#include "platform/AppInfo.h"
#include "platform/ListView.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTest>

#include <optional>

#include <sys/stat.h>

namespace testsupport {

namespace {
// "date", "time", Unit, Procedure, message
const QRegularExpression
    linePattern(QStringLiteral(R"(^"[^"]*", "\d\d:\d\d:\d\d"(, \w+, \w+, )(.*)$)"));
} // namespace

QStringList logLines(const QString &dir)
{
    QFile log(
        QDir(dir.isEmpty() ? QDir::currentPath() : dir).filePath(QStringLiteral("Levrun.VNL")));
    if (!log.open(QIODevice::ReadOnly))
        return {};
    QStringList lines = QString::fromUtf8(log.readAll()).split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

QStringList logged(const QString &dir)
{
    QStringList found;
    for (const QString &line : logLines(dir))
        found << (linePattern.match(line).hasMatch() ? labelOf(line) + messageOf(line) : line);
    return found;
}

QString labelOf(const QString &line)
{
    return linePattern.match(line).captured(1);
}

QString messageOf(const QString &line)
{
    return linePattern.match(line).captured(2);
}

void clearLog()
{
    QFile::remove(QStringLiteral("Levrun.VNL"));
}

// Run by hand, a test would make its files in the root folder and its settings
// in the user's own: only tests/run-isolated gives it folders of its own.
static QString scratchFolder()
{
    const QString folder = qEnvironmentVariable("LEVRUN_TEST_SCRATCH");
    if (folder.isEmpty())
        qFatal("no scratch folder: run the tests through ctest (tests/run-isolated)");
    return folder;
}

void setUpApplication()
{
    scratchFolder();
    QCoreApplication::setApplicationName(platform::appTitle());
    QCoreApplication::setOrganizationName(platform::appTitle());
}

QString scratch(const QString &relative)
{
    return QDir(scratchFolder()).filePath(relative);
}

QString storeFile()
{
    return qEnvironmentVariable("XDG_CONFIG_HOME") + "/Levrun/Levrun.ini";
}

void makeEntries(const QString &dir, const QStringList &entries)
{
    for (const QString &entry : entries) {
        const QString name = entry.section(u'=', 0, 0);
        const QString what = entry.section(u'=', 1);
        const QString path = dir + u'/' + name;
        QDir().mkpath(QFileInfo(path).path());
        if (what == "/") {
            QVERIFY(QDir().mkpath(path));
        } else if (what == "|") {
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0644), 0);
        } else if (what.startsWith("->")) {
            QVERIFY(QFile::link(what.mid(2), path));
        } else {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.resize(what.toLongLong()));
        }
    }
}

platform::ListView *mapList(QWidget &window)
{
    return window.findChild<platform::ListView *>(QStringLiteral("lvwMaps"));
}

QLineEdit *folderBox(QWidget &window)
{
    return window.findChild<QLineEdit *>(QStringLiteral("txtDukePath"));
}

QStringList listed(QWidget &window)
{
    return listed(mapList(window));
}

QStringList listed(platform::ListView *list)
{
    QStringList rows;
    platform::ListItems &items = list->ListItemsRef();
    for (qsizetype row = 0; row < items.Count(); ++row)
        rows << items.Item(row).Text() + u'|' + items.Item(row).SubItems(1);
    return rows;
}

// Tests whose link step wraps PlayWaveRes (tests/CMakeLists.txt) get the
// windows' requests here: no sound device is needed and the log holds only
// the windows' own lines.
QStringList &soundRequests()
{
    static QStringList requests;
    return requests;
}

} // namespace testsupport

extern "C" void __wrap__Z11PlayWaveResRK7QStringSt8optionalIiE(const QString &clip,
                                                               std::optional<int> flags)
{
    testsupport::soundRequests() << (flags ? QStringLiteral("%1 %2").arg(clip).arg(*flags) : clip);
}
