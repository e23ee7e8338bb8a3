#include "BrowseForFolder.h"

#include "errlog/ErrLog.h"

QString sBrowseForFolder(QWidget *owner, const QString &title)
{
    errlog::Guard guard(", BrowseForFolder, sBrowseForFolder, ");
    Q_UNUSED(owner);
    Q_UNUSED(title);
    return {};
}
