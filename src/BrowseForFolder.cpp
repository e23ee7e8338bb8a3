// SPDX-License-Identifier: GPL-3.0-or-later
#include "BrowseForFolder.h"

#include "errlog/ErrLog.h"

#include <QFileDialog>

QString sBrowseForFolder(QWidget *owner, const QString &title)
{
    errlog::Guard guard(", BrowseForFolder, sBrowseForFolder, ");
    QString path;
    // Qt's own chooser rather than the desktop's: the same modal, owned dialog
    // on every desktop, also where no portal or platform dialog exists. The
    // path comes back as the chooser gives it, of any length. Choosing the game
    // folder changes nothing on disk: no renaming, deleting or new folders.
    guard.attempt([&] {
        path = QFileDialog::getExistingDirectory(
            owner, title, QStringLiteral("/"),
            QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog | QFileDialog::ReadOnly);
    });
    return path;
}
