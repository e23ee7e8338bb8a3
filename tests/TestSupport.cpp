#include "TestSupport.h"

#include "platform/AppInfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>

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

void clearLog()
{
    QFile::remove(QStringLiteral("Levrun.VNL"));
}

QString labelOf(const QString &line)
{
    return linePattern.match(line).captured(1);
}

QString messageOf(const QString &line)
{
    return linePattern.match(line).captured(2);
}

void setUpApplication()
{
    QCoreApplication::setApplicationName(platform::appTitle());
    QCoreApplication::setOrganizationName(platform::appTitle());
}

} // namespace testsupport
