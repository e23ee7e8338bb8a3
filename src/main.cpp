// SPDX-License-Identifier: GPL-3.0-or-later
#include "Main.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv); // named and versioned by the build as it starts
    QApplication::setOrganizationName(QApplication::applicationName());
    QApplication::setDesktopFileName(QStringLiteral("org.example.Levrun"));

    frmMain window;
    window.showCentred();
    return app.exec();
}
