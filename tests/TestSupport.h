// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

class QLineEdit;
class QWidget;

// Shared helpers of the tests. Every test runs in its own scratch folder
// (tests/run-isolated), so the error log is Levrun.VNL in the current directory.
namespace testsupport {

// The lines of the error log (or of another file of log lines) after their
// date and time, without their CR LF: ", Unit, Procedure, message" (a line of
// another form stays whole, so that it fails any comparison).
QStringList logged(const QString &file = "Levrun.VNL");

// Fails at once outside run-isolated; from then on clips are recorded, not played.
void setUpApplication();

// A path inside this test's scratch folder.
QString scratch(const QString &relative = {});

// Runs a shell script that knows S, the scratch folder, and STORE, the store;
// true when it succeeds.
bool shell(const QByteArray &script);

// The main window's folder box.
QLineEdit *folderBox(QWidget &window);

// The clips the windows asked for since setUpApplication() put a recorder in
// place of the sound output: "WAV3 1" asynchronous, "WAV2" with the flags left out.
inline QStringList soundRequests;
// While on, the requests also go through the sound output's own decisions: it
// "asks" the server (a test answers), and "WAV6 plays" and "WAV6 stops" at once.
inline bool soundDecides = false;

} // namespace testsupport
