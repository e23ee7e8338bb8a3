// SPDX-License-Identifier: GPL-3.0-or-later
#include "BrowseForFolder.h"

#include "errlog/ErrLog.h"
#include "platform/FileSystem.h"

#include <QFileDialog>

namespace {

// Qt's chooser shows a name that is not text with U+FFFD, and then finds no
// such folder: the one on disk that it stands for is the one chosen.
class FolderChooser : public QFileDialog
{
public:
    using QFileDialog::QFileDialog;
    QString chosen;

    void accept() override
    {
        chosen = platform::nativePath(selectedFiles().value(0));
        if (chosen == selectedFiles().value(0))
            return QFileDialog::accept();
        QDialog::accept();
    }
};

} // namespace

QString sBrowseForFolder(QWidget *owner, const QString &title)
{
    errlog::Guard guard(", BrowseForFolder, sBrowseForFolder, ");
    QString path;
    // Qt's own chooser rather than the desktop's: the same modal, owned dialog
    // on every desktop, also where no portal or platform dialog exists. The
    // path comes back as the chooser gives it, of any length. Choosing the game
    // folder changes nothing on disk: no renaming, deleting or new folders.
    guard.attempt([&] {
        FolderChooser chooser(owner, title, QStringLiteral("/"));
        chooser.setFileMode(QFileDialog::Directory);
        chooser.setOptions(QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog |
                           QFileDialog::ReadOnly);
        if (chooser.exec() == QDialog::Accepted)
            path = chooser.chosen;
    });
    return path;
}
