// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/ListItems.h"

#include <QKeyEvent>
#include <QListView>
#include <QScrollBar>
#include <QStyledItemDelegate>

#include <functional>
#include <queue>
#include <type_traits>

namespace platform {

inline constexpr auto SelectRow = QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows;

// A view of the map list's model, hidden until it is the one on show. Its rows are selected whole,
// one at most (the views' own default), and edited in place on a slow second click or F2 when
// mayEdit allows. The keys that move the current item select it, even when it is current
// already (Home after a click on empty space), and the view keeps the current item in sight
// after a move or a change of mode, until the user scrolls: the item is scrolled to whenever
// a layout, built in batches, has placed it.
template <typename Base>
class ItemView : public Base
{
public:
    ItemView(QAbstractItemModel *model, QWidget *parent)
        : Base(parent)
    {
        this->hide();
        this->setModel(model);
        this->setSelectionBehavior(QAbstractItemView::SelectRows);
        this->setEditTriggers(Base::SelectedClicked | Base::EditKeyPressed);
        // A scroll bar moved: the user looks elsewhere. The bars go with the view.
        for (QScrollBar *bar : {this->horizontalScrollBar(), this->verticalScrollBar()})
            Base::connect(bar, &QScrollBar::actionTriggered, [this] { m_followCurrent = false; });
    }
    std::function<bool()> mayEdit;

    // Scrolls to the current item, from now on when told to follow it, until the user scrolls.
    void keepCurrentInSight(bool follow = false)
    {
        m_followCurrent |= follow;
        if (m_followCurrent && this->currentIndex().isValid() && this->isVisible())
            this->scrollTo(this->currentIndex()); // nothing moves while it is in sight
    }

protected:
    bool edit(const QModelIndex &index, typename Base::EditTrigger trigger, QEvent *event) override
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
                this->selectionModel()->select(current, SelectRow);
            keepCurrentInSight(true);
        }
    }

    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override
    {
        Base::currentChanged(current, previous);
        keepCurrentInSight(true);
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
    bool m_followCurrent = false;
};

// Every item takes the size told for one of them: the widest name's, so that none is cut.
// Icons wrap their names on up to two lines in a cell of their own width.
class ItemDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    int widestRow = -1;

    // Finds the widest name in font. A name's width is its characters' advances (in 1/64 pixel)
    // give or take kerning: the names of the widest estimates are measured whole, shaped as
    // drawn. The entries are read as they lie in memory, not in the order shown.
    void measure(const ListItems &items, const QFont &font)
    {
        const QFontMetricsF metrics(font);
        const auto whole = [&](quint32 id) {
            return metrics.horizontalAdvance(QString::fromStdString(items.entries()[id].name));
        };
        qint32 ascii[128];
        for (int c = 0; c < 128; ++c)
            ascii[c] = qRound(metrics.horizontalAdvance(QChar(c)) * 64);
        using Estimate = std::pair<qint32, quint32>; // (width, entry)
        std::priority_queue<Estimate, std::vector<Estimate>, std::greater<>> widest; // 64 of them
        for (quint32 id = 0; id < items.entries().size(); ++id) {
            const std::string &name = items.entries()[id].name;
            qint32 width = 0;
            for (size_t i = 0; i < name.size() && width >= 0; ++i)
                width = uchar(name[i]) < 0x80 ? width + ascii[uchar(name[i])] : -1;
            if (width < 0) // rare: measured whole
                width = qRound(whole(id) * 64);
            if (widest.size() < 64 || width > widest.top().first)
                widest.emplace(width, id);
            if (widest.size() > 64)
                widest.pop();
        }
        qreal most = -1;
        quint32 widestId = 0;
        for (; !widest.empty(); widest.pop())
            if (const qreal width = whole(widest.top().second); width > most)
                most = width, widestId = widest.top().second;
        widestRow = most < 0 ? -1 : items.rowOf(widestId);
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
