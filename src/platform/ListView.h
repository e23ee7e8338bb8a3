// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/FileSystem.h"

#include <QAbstractTableModel>
#include <QIcon>
#include <QPixmap>
#include <QWidget>

#include <deque>
#include <string>
#include <vector>

class QAbstractItemView;
class QListView;
class QStackedWidget;
class QTreeView;

namespace platform {

class ListItems;
// One item: its name's bytes as the folder gave them, its size text in UTF-8; most fit a
// string's own buffer.
struct ListEntry
{
    std::string name;
    std::string size;
    bool icon = false;
    bool smallIcon = false;
};

// A reference to one item, as ListItems::Add hands it out; a null one fails with ObjectNotSet.
class ListItem
{
public:
    ListItem() = default;
    bool isNull() const { return m_owner == nullptr; }

    // The name as fromNativeName reads it, so that the bytes come back; shown as UTF-8.
    QString Text() const { return fromNativeName(entry(false).name); }
    void setText(const QString &text) { entry(true).name = toNativeName(text).toStdString(); }
    QString SubItems(int index) const { return QString::fromStdString(entry(false, index).size); }
    void setSubItems(int index, const QString &s) { entry(true, index).size = s.toStdString(); }
    void setIcon(int image) { setImage(&ListEntry::icon, image); }
    void setSmallIcon(int image) { setImage(&ListEntry::smallIcon, image); }

private:
    friend class ListItems;
    ListEntry &entry(bool changing, int subItem = 1) const;
    void setImage(bool ListEntry::*image, int number);
    ListItem(ListItems *owner, quint32 id) { m_owner = owner, m_id = id; }
    ListItems *m_owner = nullptr;
    quint32 m_id = 0;
};

// The items and the model both views show, in the order of compareMapNames, sorted after
// a burst of changes: when the event loop comes round, or when the program reads the list.
class ListItems : public QAbstractTableModel
{
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    void Clear();
    ListItem Add();
    qsizetype Count() { return flush(), qsizetype(m_rows.size()); }
    ListItem Item(qsizetype row); // by display row, 0-based

    void setImages(const QPixmap &large, const QPixmap &small);

    int rowCount(const QModelIndex &p = {}) const override { return p.isValid() ? 0 : rows(); }
    int columnCount(const QModelIndex &p = {}) const override
    {
        return p.isValid() ? 0 : m_sizeShown ? 2 : 1;
    }
    // What a view mode shows: the size column in Report only, so that a screen reader meets
    // one item a map in the others. Views are told of the change.
    void setShownFor(int view);
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void flush(); // sorts pending changes into the rows shown

signals:
    void refilled();

private:
    friend class ListItem;
    void changed();
    int rows() const { return int(m_rows.size()); }

    std::deque<ListEntry> m_entries; // as added, never moved: a ListItem holds the index
    std::vector<quint32> m_rows;     // the entries shown, in order
    bool m_dirty = false;
    bool m_sizeShown = true;
    QIcon m_icons[4]; // by an item's images: small 1, large 2
    friend class ListView;
};

// The map list: one model shown by an icon/list view (modes 0 to 2) or a
// report view (3), which share one selection.
class ListView : public QWidget
{
    Q_OBJECT
public:
    explicit ListView(QWidget *parent = nullptr);

    ListItems &ListItemsRef() { return *m_items; }
    ListItem SelectedItem();

    int View() const { return m_view; }
    void setView(int view);

    // Column widths in twips (15 to a pixel); columns count from 1.
    float ColumnWidth(int column) const;
    void setColumnWidth(int column, float twips);

    QAbstractItemView *currentView() const;

signals:
    // Reported for user actions only.
    void BeforeLabelEdit(bool &cancel);
    void DblClick();
    void KeyPress(int &keyAscii);
    void MouseDown(int button, int shift, int x, int y);
    void MenuKey(); // the Menu key or Shift+F10

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void refilled();

    ListItems *m_items;
    QStackedWidget *m_stack;
    QListView *m_listView;
    QTreeView *m_reportView;
    int m_view = -1;
    int m_sizeWidth = 0; // in pixels: the size column's, while it is out of the report
};

} // namespace platform
