// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ListView.h"

#include "platform/ErrorCatalogue.h"
#include "platform/MapOrder.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QListView>
#include <QScrollBar>
#include <QStackedWidget>
#include <QStyledItemDelegate>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <malloc.h>
#include <type_traits>
#include <utility>

namespace platform {

namespace {

constexpr float TwipsPerPixel = 15.0f;

// A view that asks the list before an in-place edit, whose keys that move the current
// item select it, even when it is current already (Home after a click on empty space), and
// that keeps the current item in sight after a move or a change of mode, until the user
// scrolls: the item is scrolled to whenever a layout, built in batches, has placed it.
template <typename Base>
class ItemView : public Base
{
public:
    explicit ItemView(ListView *list)
        : list(list)
    {
        for (QScrollBar *bar : {this->horizontalScrollBar(), this->verticalScrollBar()})
            QObject::connect(bar, &QAbstractSlider::actionTriggered, bar,
                             [this] { m_followCurrent = false; }); // the user looks elsewhere
    }
    ListView *const list;

    void followCurrent()
    {
        m_followCurrent = true;
        keepCurrentInSight();
    }

protected:
    bool edit(const QModelIndex &index, QAbstractItemView::EditTrigger trigger,
              QEvent *event) override
    {
        bool cancel = false;
        if ((trigger & this->editTriggers()) && index.isValid())
            emit list->BeforeLabelEdit(cancel);
        return !cancel && Base::edit(index, trigger, event);
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
        const QModelIndex current = this->currentIndex();
        if (!m_followCurrent || !current.isValid() || !this->isVisible())
            return;
        this->scrollTo(current); // nothing moves while it is in sight
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

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const bool known = widestRow >= 0 && widestRow < index.model()->rowCount();
        QSize size =
            QStyledItemDelegate::sizeHint(option, known ? index.siblingAtRow(widestRow) : index);
        if (option.decorationPosition == QStyleOptionViewItem::Top) // the cell's width, two lines
            size = QSize(option.rect.width(),
                         option.decorationSize.height() + 2 * option.fontMetrics.lineSpacing() + 4);
        return size;
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

} // namespace

// The entry the reference stands for, whose one sub-item is the size; a change sorts anew.
ListEntry &ListItem::entry(bool changing, int subItem) const
{
    if (!m_owner || m_id >= m_owner->m_entries.size()) // none, or gone with a Clear
        fail(ObjectNotSet);
    if (subItem != 1)
        fail(InvalidPropertyValue);
    if (changing)
        m_owner->changed();
    return m_owner->m_entries[m_id];
}

// Image number 1 is the first image of the list, 0 none.
void ListItem::setImage(bool ListEntry::*image, int number)
{
    ListEntry &item = entry(true);
    if (number < 0 || number > 1)
        fail(SubscriptOutOfRange);
    item.*image = number == 1;
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
    std::vector<std::pair<std::array<quint32, 4>, quint32>> keyed(m_entries.size());
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
    std::vector<quint32>().swap(m_rows);
    m_dirty = false;
    endResetModel();
    malloc_trim(0); // the pieces of a large list, which malloc would keep, go back
}

void ListItems::setShownFor(int view)
{
    if (const bool sizeShown = view == 3; sizeShown != m_sizeShown) {
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
    changed();
    return ListItem(this, quint32(m_entries.size() - 1));
}

ListItem ListItems::Item(qsizetype row)
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
    const ListEntry &item = m_entries[m_rows[size_t(index.row())]];
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
        if (index.column() == 0 && (item.icon || item.smallIcon))
            return m_icons[item.icon * 2 + item.smallIcon];
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

ListView::ListView(QWidget *parent)
    : QWidget(parent)
    , m_items(new ListItems(this))
    , m_stack(new QStackedWidget(this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_stack);
    // A list keeps the desktop's own colours, whatever the window behind it paints.
    QPalette colours = QGuiApplication::palette();
    colours.setColor(QPalette::Window, colours.color(QPalette::Window));
    colours.setColor(QPalette::Base, colours.color(QPalette::Base));
    setPalette(colours);

    m_listView = new ItemView<QListView>(this);
    m_reportView = new ItemView<QTreeView>(this);
    m_listView->setModel(m_items);
    m_listView->setItemDelegate(new ItemDelegate(m_listView));
    m_listView->setUniformItemSizes(true);
    m_listView->setLayoutMode(QListView::Batched);
    m_listView->setBatchSize(2000);
    m_listView->setResizeMode(QListView::Adjust);
    m_reportView->setModel(m_items);
    m_reportView->setSelectionModel(m_listView->selectionModel());
    m_reportView->setRootIsDecorated(false);
    m_reportView->setUniformRowHeights(true);
    m_reportView->setAllColumnsShowFocus(true);
    QHeaderView *header = m_reportView->header();
    header->setSectionsMovable(false);
    header->setStretchLastSection(false);
    header->setDefaultSectionSize(96);
    header->viewport()->installEventFilter(this);
    for (QAbstractItemView *view :
         std::initializer_list<QAbstractItemView *>{m_listView, m_reportView}) {
        view->setParent(m_stack);
        view->hide();
        view->setSelectionMode(QAbstractItemView::SingleSelection);
        view->setSelectionBehavior(QAbstractItemView::SelectRows);
        // The in-place edit gestures of a list view: a slow second click and F2.
        view->setEditTriggers(QAbstractItemView::SelectedClicked |
                              QAbstractItemView::EditKeyPressed);
        view->installEventFilter(this);
        view->viewport()->installEventFilter(this);
    }
    connect(m_items, &ListItems::refilled, this, &ListView::refilled);
    setView(3);
}

QAbstractItemView *ListView::currentView() const
{
    return static_cast<QAbstractItemView *>(m_stack->currentWidget());
}

bool ListView::eventFilter(QObject *watched, QEvent *event)
{
    const bool isView = watched == m_listView || watched == m_reportView;
    switch (event->type()) {
    case QEvent::MouseButtonDblClick:
        // The first press of the double click has already selected the item under the pointer.
        if (static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton &&
            watched != m_reportView->header()->viewport())
            emit DblClick();
        if (static_cast<QMouseEvent *>(event)->button() != Qt::RightButton)
            break;
        [[fallthrough]];
    case QEvent::MouseButtonPress: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        const Qt::MouseButton button = mouse->button();
        const QPointF at = mapFromGlobal(mouse->globalPosition()) * TwipsPerPixel;
        // Left 1, right 2, middle 4; Shift 1, Ctrl 2, Alt 4: Qt's flags, shifted for the modifiers
        emit MouseDown(int(button & (Qt::LeftButton | Qt::RightButton | Qt::MiddleButton)),
                       int(mouse->modifiers().toInt() >> 25) & 7, int(at.x()), int(at.y()));
        // A right press asks for the menu and nothing else: the selection stays.
        return button == Qt::RightButton;
    }
    case QEvent::ContextMenu:
        return true; // the press or the key has answered it
    case QEvent::KeyPress: {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (isView && (key->key() == Qt::Key_Menu ||
                       (key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier))) {
            emit MenuKey();
            return true;
        }
        if (isView && !key->text().isEmpty()) {
            int keyAscii = key->text().at(0).unicode();
            emit KeyPress(keyAscii);
        }
        break;
    }
    case QEvent::Show: // the view on show stands for the list: a screen reader names it so
        if (isView)
            static_cast<QWidget *>(watched)->setAccessibleName(accessibleName());
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

ListItem ListView::SelectedItem()
{
    m_items->flush();
    const QModelIndexList rows = m_listView->selectionModel()->selectedRows();
    return rows.isEmpty() ? ListItem() : m_items->Item(rows.first().row());
}

void ListView::setView(int view)
{
    if (view < 0 || view > 3)
        fail(InvalidPropertyValue);
    if (view == m_view)
        return;
    QAbstractItemView *before = currentView();
    const bool hadFocus = before && before->hasFocus();
    // The size column leaves the report and comes back with its width, the row selected whole.
    QHeaderView *header = m_reportView->header();
    if (m_view == 3 || m_view < 0)
        m_sizeWidth = header->sectionSize(1);
    const QModelIndex current = m_listView->currentIndex();
    const bool selected = current.isValid() && m_listView->selectionModel()->isSelected(current);
    m_view = view;
    m_items->setShownFor(view);
    if (view == 3) {
        header->resizeSection(1, m_sizeWidth);
        if (selected)
            m_listView->selectionModel()->select(current, QItemSelectionModel::ClearAndSelect |
                                                              QItemSelectionModel::Rows);
    }
    QAbstractItemView *shown = view == 3 ? static_cast<QAbstractItemView *>(m_reportView)
                                         : static_cast<QAbstractItemView *>(m_listView);
    if (view != 3) {
        m_listView->setViewMode(view == 0 ? QListView::IconMode : QListView::ListMode);
        m_listView->setIconSize(view == 0 ? QSize(32, 32) : QSize(16, 16));
        m_listView->setFlow(view == 2 ? QListView::TopToBottom : QListView::LeftToRight);
        m_listView->setWrapping(true);
        m_listView->setWordWrap(view == 0);
        m_listView->setMovement(QListView::Static);
        m_listView->setSpacing(view == 0 ? 6 : 1);
        // Icons get a cell of their own width, the other modes the widest name's.
        const QFontMetrics metrics(m_listView->font());
        m_listView->setGridSize(
            view == 0 ? QSize(metrics.averageCharWidth() * 12, 2 * metrics.lineSpacing() + 48)
                      : QSize());
    }
    // Only the view on show is in the stack, and so in the accessibility tree.
    if (shown != before) {
        if (before)
            m_stack->removeWidget(before);
        m_stack->addWidget(shown);
    }
    setFocusProxy(shown);
    if (hadFocus)
        shown->setFocus();
    if (view == 3)
        static_cast<ItemView<QTreeView> *>(m_reportView)->followCurrent();
    else
        static_cast<ItemView<QListView> *>(m_listView)->followCurrent();
}

float ListView::ColumnWidth(int column) const
{
    if (column < 1 || column > 2)
        fail(SubscriptOutOfRange);
    const int pixels =
        column == 2 && m_view != 3 ? m_sizeWidth : m_reportView->header()->sectionSize(column - 1);
    return float(pixels) * TwipsPerPixel;
}

void ListView::setColumnWidth(int column, float twips)
{
    if (column < 1 || column > 2)
        fail(SubscriptOutOfRange);
    // Widths beyond a million twips (some 17 metres of screen) are no widths.
    if (!std::isfinite(twips) || twips < 0.0f || twips > 1.0e6f)
        fail(InvalidPropertyValue);
    const int pixels = int(std::lround(twips / TwipsPerPixel));
    if (column == 2 && m_view != 3)
        m_sizeWidth = pixels;
    else
        m_reportView->header()->resizeSection(column - 1, pixels);
}

// After a refill: the widest name sets the items' size; the first is selected when none is.
void ListView::refilled()
{
    // A name's width is its characters' advances (in 1/64 pixel) give or take kerning; the
    // names that come within reach of the widest are measured whole, shaped as drawn.
    const QFontMetricsF metrics(m_listView->font());
    qint32 ascii[128];
    for (int c = 0; c < 128; ++c)
        ascii[c] = qRound(metrics.horizontalAdvance(QChar(c)) * 64);
    constexpr qint32 Reach = 6 * 64;              // more than kerning changes a name by
    constexpr size_t Measured = 64;               // of names that tie, as many as it takes to trust
    std::vector<std::pair<qint32, quint32>> near; // (estimate, id), the widest first
    qint32 most = 0;
    const auto drop = [&] {
        std::sort(near.begin(), near.end(), std::greater<>());
        while (!near.empty() && (near.size() > Measured || near.back().first < most - Reach))
            near.pop_back();
    };
    for (quint32 id = 0; id < m_items->m_entries.size(); ++id) {
        const std::string &name = m_items->m_entries[id].name;
        qint32 width = 0;
        for (size_t i = 0; i < name.size() && width >= 0; ++i)
            width = uchar(name[i]) < 0x80 ? width + ascii[uchar(name[i])] : -1;
        if (width < 0) // rare: measured whole
            width = qRound(metrics.horizontalAdvance(QString::fromStdString(name)) * 64);
        if (width < most - Reach)
            continue;
        most = std::max(most, width);
        near.emplace_back(width, id);
        if (near.size() > 4 * Measured)
            drop();
    }
    drop();
    quint32 widest = 0;
    qreal widestWidth = -1;
    for (const auto &[estimate, id] : near)
        if (const qreal width =
                metrics.horizontalAdvance(QString::fromStdString(m_items->m_entries[id].name));
            width > widestWidth)
            widestWidth = width, widest = id;
    const std::vector<quint32> &rows = m_items->m_rows;
    static_cast<ItemDelegate *>(m_listView->itemDelegate())->widestRow =
        rows.empty() ? -1 : int(std::find(rows.begin(), rows.end(), widest) - rows.begin());
    if (m_items->rowCount() > 0 && !m_listView->selectionModel()->hasSelection())
        m_listView->selectionModel()->setCurrentIndex(
            m_items->index(0, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

} // namespace platform
