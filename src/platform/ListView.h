// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/ListItems.h"

#include <QWidget>

class QAbstractItemView;
class QListView;
class QStackedWidget;
class QTreeView;

namespace platform {

template <typename Base>
class ItemView;

// The map list: one model shown by an icon/list view (Icons, SmallIcons, List) or a
// report view (Report), which share one selection.
class ListView : public QWidget
{
    Q_OBJECT
public:
    explicit ListView(QWidget *parent = nullptr);

    ListItems &items() { return *m_items; }
    ListItem SelectedItem();

    ViewMode viewMode() const { return m_mode; }
    void setViewMode(ViewMode mode);

    // Column widths in twips (15 to a pixel); columns count from 1.
    float columnWidth(int column) const;
    void setColumnWidth(int column, float twips);

    QAbstractItemView *currentView() const;

signals:
    // Reported for user actions only.
    void BeforeLabelEdit(bool &cancel);
    void DblClick();
    void KeyPress(int &keyAscii);
    void MouseDown(int button, int shift, int x, int y);
    void menuKeyPressed(); // the Menu key or Shift+F10

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    ListItems *m_items;
    QStackedWidget *m_stack;
    ItemView<QListView> *m_listView;
    ItemView<QTreeView> *m_reportView;
    ViewMode m_mode = ViewMode::Report;
    int m_sizeWidth = 0; // in pixels: the size column's, while it is out of the report
};

} // namespace platform
