// SPDX-License-Identifier: GPL-3.0-or-later
#include "BrowseForFolder.h"

#include "errlog/ErrLog.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"

#include <QFileDialog>

namespace {

// A path as Qt's chooser gives it, with U+FFFD for bytes that are not text, as the
// path it stands for: each part that reads so is the one entry of its folder that does.
// Unchanged where no or several entries do.
QString nativePath(const QString &shown)
{
    if (!shown.contains(QChar::ReplacementCharacter))
        return shown;
    QStringList parts = shown.split(u'/');
    QString path = parts.takeFirst(); // empty for a path from the root
    for (const QString &part : std::as_const(parts)) {
        QStringList found; // the entries that read as part does
        std::error_code error;
        if (part.contains(QChar::ReplacementCharacter))
            for (const auto &entry : std::filesystem::directory_iterator(
                     platform::fsPath(path.isEmpty() ? QStringLiteral("/") : path), error))
                if (const std::string name = entry.path().filename().string();
                    QString::fromStdString(name) == part)
                    found << platform::fromNativeName(name);
        path += u'/' + (found.size() == 1 ? found.first() : part);
    }
    return path;
}

// Qt's chooser shows a name that is not text with U+FFFD, and then finds no
// such folder: the one on disk that it stands for is the one chosen.
class FolderChooser : public QFileDialog
{
public:
    using QFileDialog::QFileDialog;
    QString chosen;

    void accept() override
    {
        chosen = nativePath(selectedFiles().value(0));
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
