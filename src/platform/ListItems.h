// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Text.h"

#include <QAbstractTableModel>
#include <QIcon>
#include <QPixmap>

#include <algorithm>
#include <deque>
#include <string>
#include <vector>

namespace platform {

// The four view modes of the map list, by the numbers they are stored as.
enum class ViewMode : int { Icons = 0, SmallIcons = 1, List = 2, Report = 3 };

// One item: its name's bytes as the folder gave them, its size text in UTF-8; most fit a
// string's own buffer.
struct ListEntry
{
    std::string name;
    std::string size;
};

class ListItem;

// The items and the model the list's views show, in the order of compareMapNames, sorted
// after a burst of changes: when the event loop comes round, or when the program reads them.
class ListItems : public QAbstractTableModel
{
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    void Clear();
    ListItem Add();
    qsizetype count() { return flush(), qsizetype(m_rows.size()); }
    ListItem item(qsizetype row); // by display row, 0-based

    const std::deque<ListEntry> &entries() const { return m_entries; } // as added
    int rowOf(quint32 id) const { return int(std::ranges::find(m_rows, id) - m_rows.begin()); }

    // An entry by its place as added: ObjectNotSet once gone with a Clear, InvalidPropertyValue
    // for a sub-item other than 1. A change sorts the items anew.
    const ListEntry &entry(quint32 id, int subItem = 1) const;
    ListEntry &change(quint32 id, int subItem = 1);
    enum Image : quint8 { SmallImage = 1, LargeImage = 2 };
    void setImage(quint32 id, Image image, int number); // 1 the list's image, 0 none

    void setImages(const QPixmap &large, const QPixmap &small);

    // What a view mode shows: the size column in Report only, so that a screen reader meets
    // one item a map in the others; the views are told.
    void setShownFor(ViewMode mode);

    int rowCount(const QModelIndex &p = {}) const override { return p.isValid() ? 0 : rows(); }
    int columnCount(const QModelIndex &p = {}) const override
    {
        return p.isValid() ? 0 : m_sizeShown ? 2 : 1;
    }
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void flush(); // sorts pending changes into the rows shown

signals:
    void refilled();

private:
    void changed();
    int rows() const { return int(m_rows.size()); }

    std::deque<ListEntry> m_entries; // as added, never moved: a ListItem holds the index
    std::vector<quint8> m_images;    // by entry: its Image bits
    std::vector<quint32> m_rows;     // the entries shown, in order
    bool m_dirty = false;
    bool m_sizeShown = true;
    QIcon m_icons[4]; // by an entry's Image bits
};

// A reference to one item, as ListItems::Add hands it out; a null one fails with ObjectNotSet.
class ListItem
{
public:
    ListItem() = default;
    ListItem(ListItems *owner, quint32 id)
        : m_owner(owner)
        , m_id(id)
    {
    }
    bool isNull() const { return m_owner == nullptr; }

    // The name as fromNativeName reads it, so that the bytes come back; shown as UTF-8.
    QString Text() const { return fromNativeName(owner().entry(m_id).name); }
    void setText(const QString &text) { owner().change(m_id).name = toNativeString(text); }
    // The size text is sub-item 1, the only one.
    QString SubItems(int i) const { return QString::fromStdString(owner().entry(m_id, i).size); }
    void setSubItems(int i, const QString &text)
    {
        owner().change(m_id, i).size = toNativeString(text);
    }
    // Image number 1 is the first image of the list, 0 none.
    void setIcon(int image) { owner().setImage(m_id, ListItems::LargeImage, image); }
    void setSmallIcon(int image) { owner().setImage(m_id, ListItems::SmallImage, image); }

private:
    ListItems &owner() const;

    ListItems *m_owner = nullptr;
    quint32 m_id = 0;
};

} // namespace platform
