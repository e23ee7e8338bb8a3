// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ListItems.h"

#include "platform/ErrorCatalogue.h"
#include "platform/Text.h"

#include <algorithm>
#include <utility>

namespace platform {

ListItems &ListItem::owner() const
{
    if (!m_owner)
        fail(ObjectNotSet);
    return *m_owner;
}

const ListEntry &ListItems::entry(quint32 id, int subItem) const
{
    if (id >= m_entries.size())
        fail(ObjectNotSet);
    if (subItem != 1)
        fail(InvalidPropertyValue);
    return m_entries[id];
}

ListEntry &ListItems::change(quint32 id, int subItem)
{
    entry(id, subItem);
    changed();
    return m_entries[id];
}

void ListItems::setImage(quint32 id, Image image, int number)
{
    change(id);
    if (number < 0 || number > 1)
        fail(SubscriptOutOfRange);
    m_images[id] = number ? m_images[id] | image : m_images[id] & ~image;
}

void ListItems::changed()
{
    if (!std::exchange(m_dirty, true))
        QMetaObject::invokeMethod(this, &ListItems::flush, Qt::QueuedConnection);
}

void ListItems::flush()
{
    if (!std::exchange(m_dirty, false))
        return;
    beginResetModel();
    // Most names are told apart by their keys alone, in cache; the rest in full.
    std::vector<std::pair<std::pair<quint64, quint64>, quint32>> keyed(m_entries.size());
    for (quint32 id = 0; id < keyed.size(); ++id)
        keyed[id] = {mapKey(m_entries[id].name), id};
    std::sort(keyed.begin(), keyed.end(), [this](const auto &a, const auto &b) {
        if (const auto order = a.first <=> b.first; order != 0)
            return order < 0;
        const int order = compareMapNames(m_entries[a.second].name, m_entries[b.second].name);
        return order ? order < 0 : a.second < b.second;
    });
    m_rows.resize(keyed.size());
    std::transform(keyed.begin(), keyed.end(), m_rows.begin(), [](auto &k) { return k.second; });
    endResetModel();
    emit refilled();
}

void ListItems::Clear()
{
    beginResetModel();
    std::deque<ListEntry>().swap(m_entries);
    std::vector<quint8>().swap(m_images);
    std::vector<quint32>().swap(m_rows);
    m_dirty = false;
    endResetModel();
}

void ListItems::setShownFor(ViewMode mode)
{
    if (const bool sizeShown = mode == ViewMode::Report; sizeShown != m_sizeShown) {
        sizeShown ? beginInsertColumns({}, 1, 1) : beginRemoveColumns({}, 1, 1);
        m_sizeShown = sizeShown;
        sizeShown ? endInsertColumns() : endRemoveColumns();
    }
}

// An item's icon holds an image for each size a mode draws, so that what the model gives
// stays the same in every mode; an image the item lacks is a blank one of its size.
void ListItems::setImages(const QPixmap &large, const QPixmap &small)
{
    QPixmap blankLarge(large.size()), blankSmall(small.size());
    blankLarge.fill(Qt::transparent);
    blankSmall.fill(Qt::transparent);
    for (int images = 1; images < 4; ++images) {
        m_icons[images] = QIcon(images & 2 ? large : blankLarge);
        m_icons[images].addPixmap(images & 1 ? small : blankSmall);
    }
}

ListItem ListItems::Add()
{
    m_entries.emplace_back();
    m_images.push_back(0);
    changed();
    return ListItem(this, quint32(m_entries.size() - 1));
}

ListItem ListItems::item(qsizetype row)
{
    flush();
    if (row < 0 || size_t(row) >= m_rows.size())
        fail(SubscriptOutOfRange);
    return ListItem(this, m_rows[size_t(row)]);
}

QVariant ListItems::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || size_t(index.row()) >= m_rows.size())
        return {};
    const quint32 id = m_rows[size_t(index.row())];
    const ListEntry &item = m_entries[id];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return QString::fromStdString(index.column() == 0 ? item.name : item.size);
    case Qt::ToolTipRole: { // the whole name, however narrow the column, as plain text
        const QString text =
            QString::fromStdString(item.size.empty() ? item.name : item.name + '\n' + item.size);
        return QStringLiteral("<p style='white-space:pre'>%1</p>").arg(text.toHtmlEscaped());
    }
    case Qt::DecorationRole:
        if (index.column() == 0 && m_images[id])
            return m_icons[m_images[id]];
        return {};
    case Qt::TextAlignmentRole:
        return index.column() == 1 ? QVariant(int(Qt::AlignRight | Qt::AlignVCenter)) : QVariant();
    default:
        return {};
    }
}

QVariant ListItems::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return section == 0 ? QStringLiteral("Map Name") : QStringLiteral("Size");
    if (orientation == Qt::Horizontal && role == Qt::TextAlignmentRole && section == 1)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

} // namespace platform
