// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QWidget;

// Shows the modal folder chooser owned by owner and returns the chosen
// folder's full path, or the empty text when nothing was chosen.
QString sBrowseForFolder(QWidget *owner, const QString &title);
