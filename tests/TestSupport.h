#pragma once

#include <QString>
#include <QStringList>

// Shared helpers of the tests. Every test runs in its own scratch folder
// (tests/run-isolated), so the error log is Levrun.VNL in the current directory.
namespace testsupport {

// The lines of the error log in dir (the current directory when empty),
// without their CR LF; empty when there is no log.
QStringList logLines(const QString &dir = {});

// Removes the error log of the current directory.
void clearLog();

// The procedure label of a log line: ", Unit, Procedure, ".
QString labelOf(const QString &line);

// The message at the end of a log line.
QString messageOf(const QString &line);

// Sets the application's names the way main() does.
void setUpApplication();

} // namespace testsupport
