// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/ListItems.h"

#include <QKeyEvent>
#include <QListView>
#include <QScrollBar>
#include <QStyledItemDelegate>

#include <algorithm>
#include <functional>
#include <type_traits>

namespace platform {

// A view that asks mayEdit before an in-place edit, whose keys that move the current
// item select it, even when it is current already (Home after a click on empty space), and
// that keeps the current item in sight after a move or a change of mode, until the user
// scrolls: the item is scrolled to whenever a layout, built in batches, has placed it.
template <typename Base>
class ItemView : public Base
{
public:
    ItemView()
    {
        for (QScrollBar *bar : {this->horizontalScrollBar(), this->verticalScrollBar()})
            QObject::connect(bar, &QAbstractSlider::actionTriggered, bar,
                             [this] { m_followCurrent = false; }); // the user looks elsewhere
    }
    std::function<bool()> mayEdit;

    void followCurrent()
    {
        m_followCurrent = true;
        keepCurrentInSight();
    }

protected:
    bool edit(const QModelIndex &index, QAbstractItemView::EditTrigger trigger,
              QEvent *event) override
    {
        if ((trigger & this->editTriggers()) && index.isValid() && mayEdit && !mayEdit())
            return false;
        return Base::edit(index, trigger, event);
    }

    void keyPressEvent(QKeyEvent *event) override
    {
        // Home, End, the arrows, Page Up and Page Down
        const bool moves = event->key() >= Qt::Key_Home && event->key() <= Qt::Key_PageDown;
        if constexpr (std::is_same_v<Base, QListView>) {
            // A move goes by where the items lie: the ones still waiting for their batch
            // are laid out first, or End would stop at the last one placed.
            const int rows = this->model()->rowCount();
            if (moves && rows > 0 && this->layoutMode() == QListView::Batched &&
                !this->visualRect(this->model()->index(rows - 1, 0)).isValid()) {
                this->setLayoutMode(QListView::SinglePass);
                this->doItemsLayout();
                this->setLayoutMode(QListView::Batched);
            }
        }
        Base::keyPressEvent(event);
        const QModelIndex current = this->currentIndex();
        if (moves && current.isValid()) {
            if (!this->selectionModel()->isRowSelected(current.row()))
                this->selectionModel()->select(current, QItemSelectionModel::ClearAndSelect |
                                                            QItemSelectionModel::Rows);
            followCurrent();
        }
    }

    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override
    {
        Base::currentChanged(current, previous);
        followCurrent();
    }

    // The batches of a layout come on timers; the room to scroll comes with the geometries.
    void timerEvent(QTimerEvent *event) override
    {
        Base::timerEvent(event);
        keepCurrentInSight();
    }

    void updateGeometries() override
    {
        Base::updateGeometries();
        keepCurrentInSight();
    }

private:
    void keepCurrentInSight()
    {
        if (m_followCurrent && this->currentIndex().isValid() && this->isVisible())
            this->scrollTo(this->currentIndex()); // nothing moves while it is in sight
    }

    bool m_followCurrent = false;
};

// Every item takes the size told for one of them: the widest name's, so that none is cut.
// Icons wrap their names on up to two lines in a cell of their own width.
class ItemDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    int widestRow = -1;

    // Finds the widest name in font.
    void measure(const ListItems &items, const QFont &font)
    {
        // A name's width is its characters' advances (in 1/64 pixel) give or take kerning; the
        // names that come within reach of the widest are measured whole, shaped as drawn.
        const QFontMetricsF metrics(font);
        qint32 ascii[128];
        for (int c = 0; c < 128; ++c)
            ascii[c] = qRound(metrics.horizontalAdvance(QChar(c)) * 64);
        constexpr qint32 Reach = 6 * 64;          // more than kerning changes a name by
        constexpr size_t Measured = 64;           // of names that tie, as many as it takes to trust
        std::vector<std::pair<qint32, int>> near; // (estimate, row), the widest first
        qint32 most = 0;
        const auto drop = [&] {
            std::sort(near.begin(), near.end(), std::greater<>());
            while (!near.empty() && (near.size() > Measured || near.back().first < most - Reach))
                near.pop_back();
        };
        for (int row = 0; row < items.rowCount(); ++row) {
            const std::string &name = items.entryAt(row).name;
            qint32 width = 0;
            for (size_t i = 0; i < name.size() && width >= 0; ++i)
                width = uchar(name[i]) < 0x80 ? width + ascii[uchar(name[i])] : -1;
            if (width < 0) // rare: measured whole
                width = qRound(metrics.horizontalAdvance(QString::fromStdString(name)) * 64);
            if (width < most - Reach)
                continue;
            most = std::max(most, width);
            near.emplace_back(width, row);
            if (near.size() > 4 * Measured)
                drop();
        }
        drop();
        widestRow = -1;
        qreal widest = -1;
        for (const auto &[estimate, row] : near)
            if (const qreal width =
                    metrics.horizontalAdvance(QString::fromStdString(items.entryAt(row).name));
                width > widest)
                widest = width, widestRow = row;
    }

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        if (option.decorationPosition == QStyleOptionViewItem::Top) // the cell's width, two lines
            return QSize(option.rect.width(),
                         option.decorationSize.height() + 2 * option.fontMetrics.lineSpacing() + 4);
        const bool known = widestRow >= 0 && widestRow < index.model()->rowCount();
        return QStyledItemDelegate::sizeHint(option, known ? index.siblingAtRow(widestRow) : index);
    }

protected:
    // From the top: a label too long is cut at the end of its last line, not its first.
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (option->decorationPosition == QStyleOptionViewItem::Top)
            option->displayAlignment = Qt::AlignHCenter | Qt::AlignTop;
    }
};

} // namespace platform
