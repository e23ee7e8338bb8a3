// SPDX-License-Identifier: GPL-3.0-or-later
#include "Main.h"

#include "platform/AppInfo.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(platform::appTitle());
    QApplication::setOrganizationName(platform::appTitle());
    QApplication::setApplicationVersion(QStringLiteral("%1.%2.%3")
                                            .arg(platform::versionMajor())
                                            .arg(platform::versionMinor())
                                            .arg(platform::versionRevision()));
    QApplication::setDesktopFileName(QStringLiteral("org.example.Levrun"));

    frmMain window;
    window.showCentred();
    return app.exec();
}
