#include "platform/ListView.h"

#include "platform/ErrorCatalogue.h"
#include "platform/MapOrder.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QListView>
#include <QStackedWidget>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <functional>

namespace platform {

namespace {

constexpr float TwipsPerPixel = 15.0f;
constexpr int ColumnCount = 2;

// A view that asks before it opens an in-place editor, and whose keys that
// move the current item always select it: Qt selects nothing when the item
// they land on is current already (Home after a click on empty space).
template <typename Base>
class ItemView : public Base
{
public:
    std::function<bool()> mayEdit;

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
        Base::keyPressEvent(event);
        static constexpr int moves[] = {Qt::Key_Up,     Qt::Key_Down,    Qt::Key_Left,
                                        Qt::Key_Right,  Qt::Key_Home,    Qt::Key_End,
                                        Qt::Key_PageUp, Qt::Key_PageDown};
        const QModelIndex current = this->currentIndex();
        if (std::find(std::begin(moves), std::end(moves), event->key()) != std::end(moves) &&
            current.isValid() && !this->selectionModel()->isRowSelected(current.row()))
            this->selectionModel()->select(current, QItemSelectionModel::ClearAndSelect |
                                                        QItemSelectionModel::Rows);
    }
};

// The icon and list modes give every item the size the delegate tells for one
// of them; it is told for the widest name, so that no name is cut. Icons wrap
// their names on up to two lines below the picture.
class ItemDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    int widestRow = -1;

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const bool widest = widestRow >= 0 && widestRow < index.model()->rowCount();
        QSize size =
            QStyledItemDelegate::sizeHint(option, widest ? index.siblingAtRow(widestRow) : index);
        if (option.decorationPosition == QStyleOptionViewItem::Top)
            size.setHeight(std::min(size.height(), option.decorationSize.height() +
                                                       2 * option.fontMetrics.lineSpacing() + 8));
        return size;
    }
};

int buttonCode(Qt::MouseButton button)
{
    switch (button) {
    case Qt::LeftButton:
        return 1;
    case Qt::RightButton:
        return 2;
    case Qt::MiddleButton:
        return 4;
    default:
        return 0;
    }
}

int shiftCode(Qt::KeyboardModifiers modifiers)
{
    return (modifiers & Qt::ShiftModifier ? 1 : 0) | (modifiers & Qt::ControlModifier ? 2 : 0) |
           (modifiers & Qt::AltModifier ? 4 : 0);
}

} // namespace

// ListItem

QString ListItem::Text() const
{
    if (!m_owner)
        fail(ObjectNotSet);
    return QString::fromStdString(m_owner->item(m_id).name);
}

void ListItem::setText(const QString &text)
{
    if (!m_owner)
        fail(ObjectNotSet);
    m_owner->item(m_id).name = text.toStdString();
    m_owner->changed();
}

QString ListItem::SubItems(int index) const
{
    if (!m_owner)
        fail(ObjectNotSet);
    if (index != 1)
        fail(InvalidPropertyValue);
    return QString::fromStdString(m_owner->item(m_id).size);
}

void ListItem::setSubItems(int index, const QString &text)
{
    if (!m_owner)
        fail(ObjectNotSet);
    if (index != 1)
        fail(InvalidPropertyValue);
    m_owner->item(m_id).size = text.toStdString();
    m_owner->changed();
}

void ListItem::setIcon(int image)
{
    if (!m_owner)
        fail(ObjectNotSet);
    if (image < 0 || image > 1)
        fail(SubscriptOutOfRange);
    m_owner->item(m_id).icon = image == 1;
    m_owner->changed();
}

void ListItem::setSmallIcon(int image)
{
    if (!m_owner)
        fail(ObjectNotSet);
    if (image < 0 || image > 1)
        fail(SubscriptOutOfRange);
    m_owner->item(m_id).smallIcon = image == 1;
    m_owner->changed();
}

// ListItems

ListItems::Entry &ListItems::item(quint32 id)
{
    if (id >= m_rowOf.size())
        fail(ObjectNotSet); // the item went with a Clear
    return m_items[m_rowOf[id]];
}

void ListItems::changed()
{
    if (m_dirty)
        return;
    m_dirty = true;
    QMetaObject::invokeMethod(this, &ListItems::flush, Qt::QueuedConnection);
}

void ListItems::flush()
{
    if (!m_dirty)
        return;
    m_dirty = false;
    beginResetModel();
    std::sort(m_items.begin(), m_items.end(), [](const Entry &a, const Entry &b) {
        const int order = compareMapNames(a.name, b.name);
        return order ? order < 0 : a.id < b.id;
    });
    for (size_t row = 0; row < m_items.size(); ++row)
        m_rowOf[m_items[row].id] = quint32(row);
    m_shown = m_items.size();
    endResetModel();
    emit refilled();
}

void ListItems::Clear()
{
    beginResetModel();
    std::vector<Entry>().swap(m_items);
    std::vector<quint32>().swap(m_rowOf);
    m_shown = 0;
    m_dirty = false;
    endResetModel();
}

ListItem ListItems::Add()
{
    const auto id = quint32(m_items.size());
    m_items.push_back({});
    m_items.back().id = id;
    m_rowOf.push_back(id);
    changed();
    return ListItem(this, id);
}

qsizetype ListItems::Count()
{
    flush();
    return qsizetype(m_shown);
}

ListItem ListItems::Item(qsizetype row)
{
    flush();
    if (row < 0 || size_t(row) >= m_shown)
        fail(SubscriptOutOfRange);
    return ListItem(this, m_items[size_t(row)].id);
}

void ListItems::setImages(const QPixmap &large, const QPixmap &small)
{
    m_largeIcon = QIcon(large);
    m_smallIcon = QIcon(small);
    if (m_shown)
        emit dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::DecorationRole});
}

int ListItems::widestRow(const QFont &font) const
{
    const QFontMetrics metrics(font);
    int ascii[128];
    for (int c = 0; c < 128; ++c)
        ascii[c] = metrics.horizontalAdvance(QChar(c));
    int widest = -1;
    int most = -1;
    for (size_t row = 0; row < m_shown; ++row) {
        const std::string &name = m_items[row].name;
        int width = 0;
        for (const char c : name) {
            if (uchar(c) >= 0x80) { // rare: measured whole
                width = metrics.horizontalAdvance(QString::fromStdString(name));
                break;
            }
            width += ascii[uchar(c)];
        }
        if (width > most) {
            most = width;
            widest = int(row);
        }
    }
    return widest;
}

int ListItems::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_shown);
}

int ListItems::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ListItems::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || size_t(index.row()) >= m_shown)
        return {};
    const Entry &item = m_items[size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return QString::fromStdString(index.column() == 0 ? item.name : item.size);
    case Qt::ToolTipRole: // the whole name, however narrow the column
        return QString::fromStdString(item.size.empty() ? item.name : item.name + '\n' + item.size);
    case Qt::DecorationRole:
        if (index.column() == 0 && (m_largeIcons ? item.icon : item.smallIcon))
            return m_largeIcons ? m_largeIcon : m_smallIcon;
        return {};
    case Qt::TextAlignmentRole:
        return index.column() == 1 ? QVariant(int(Qt::AlignRight | Qt::AlignVCenter)) : QVariant();
    default:
        return {};
    }
}

QVariant ListItems::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return {};
    if (role == Qt::DisplayRole)
        return section == 0 ? QStringLiteral("Map Name") : QStringLiteral("Size");
    if (role == Qt::TextAlignmentRole && section == 1)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

Qt::ItemFlags ListItems::flags(const QModelIndex &index) const
{
    // Editable, so that the views ask BeforeLabelEdit; no edit is ever written back.
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() == 0)
        f |= Qt::ItemIsEditable;
    return f;
}

// ListView

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

    const auto mayEdit = [this] {
        bool cancel = false;
        emit BeforeLabelEdit(cancel);
        return !cancel;
    };
    auto *listView = new ItemView<QListView>;
    listView->mayEdit = mayEdit;
    m_listView = listView;
    m_listView->setModel(m_items);
    m_listView->setItemDelegate(new ItemDelegate(m_listView));
    m_listView->setUniformItemSizes(true);
    m_listView->setLayoutMode(QListView::Batched);
    m_listView->setBatchSize(2000);
    m_listView->setResizeMode(QListView::Adjust);
    m_listView->setMovement(QListView::Static);
    m_listView->setWrapping(true);

    auto *reportView = new ItemView<QTreeView>;
    reportView->mayEdit = mayEdit;
    m_reportView = reportView;
    m_reportView->setModel(m_items);
    m_reportView->setSelectionModel(m_listView->selectionModel());
    m_reportView->setRootIsDecorated(false);
    m_reportView->setItemsExpandable(false);
    m_reportView->setUniformRowHeights(true);
    m_reportView->setAllColumnsShowFocus(true);
    QHeaderView *header = m_reportView->header();
    header->setSectionsClickable(false);
    header->setSectionsMovable(false);
    header->setStretchLastSection(false);
    header->resizeSection(0, 96);
    header->resizeSection(1, 96);
    header->viewport()->installEventFilter(this);

    for (QAbstractItemView *view : {static_cast<QAbstractItemView *>(m_listView),
                                    static_cast<QAbstractItemView *>(m_reportView)}) {
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

ListView::~ListView() = default;

QAbstractItemView *ListView::currentView() const
{
    return static_cast<QAbstractItemView *>(m_stack->currentWidget());
}

QPoint ListView::menuPoint() const
{
    const QAbstractItemView *view = currentView();
    const QRect item = view->visualRect(view->currentIndex());
    const QRect shown = view->viewport()->rect();
    if (!item.isValid() || !shown.intersects(item))
        return view->viewport()->mapToGlobal(QPoint());
    return view->viewport()->mapToGlobal(
        QPoint(std::min(item.right(), shown.right()), item.center().y()));
}

bool ListView::eventFilter(QObject *watched, QEvent *event)
{
    const bool isView = watched == m_listView || watched == m_reportView;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        const bool right = mouse->button() == Qt::RightButton;
        if (event->type() == QEvent::MouseButtonDblClick && !right) {
            // The first press of the double click has already selected the item under the pointer.
            if (mouse->button() == Qt::LeftButton && watched != m_reportView->header()->viewport())
                emit DblClick();
            break;
        }
        const QPointF at = mapFromGlobal(mouse->globalPosition()) * TwipsPerPixel;
        emit MouseDown(buttonCode(mouse->button()), shiftCode(mouse->modifiers()), int(at.x()),
                       int(at.y()));
        // A right press asks for the menu and nothing else: the selection stays.
        return right;
    }
    case QEvent::ContextMenu:
        return true; // the press or the key above has answered it
    case QEvent::KeyPress: {
        if (!isView)
            break;
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Menu ||
            (key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier)) {
            emit MenuKey();
            return true;
        }
        if (!key->text().isEmpty()) {
            int keyAscii = key->text().at(0).unicode();
            emit KeyPress(keyAscii);
        }
        break;
    }
    case QEvent::Show:
        // The view on show stands for the list: a screen reader names it so.
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
    if (rows.isEmpty())
        return {};
    return m_items->Item(rows.first().row());
}

void ListView::setView(int view)
{
    if (view < 0 || view > 3)
        fail(InvalidPropertyValue);
    if (view == m_view)
        return;
    QAbstractItemView *before = currentView();
    const bool hadFocus = before && before->hasFocus();
    m_view = view;
    m_items->m_largeIcons = view == 0;
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
        layOut();
    }
    // Only the view on show is in the stack, and so in the accessibility tree.
    if (shown != before) {
        if (before)
            m_stack->removeWidget(before);
        m_stack->addWidget(shown);
        m_stack->setCurrentWidget(shown);
    }
    setFocusProxy(shown);
    if (hadFocus)
        shown->setFocus();
    shown->viewport()->update();
}

void ListView::layOut()
{
    // Icons get a cell of their own width, the other modes the widest name's.
    const QFontMetrics metrics(m_listView->font());
    m_listView->setGridSize(
        m_view == 0 ? QSize(metrics.averageCharWidth() * 12, 32 + 3 * metrics.lineSpacing() + 8)
                    : QSize());
    static_cast<ItemDelegate *>(m_listView->itemDelegate())->widestRow = m_widestRow;
}

float ListView::ColumnWidth(int column) const
{
    if (column < 1 || column > ColumnCount)
        fail(SubscriptOutOfRange);
    return float(m_reportView->header()->sectionSize(column - 1)) * TwipsPerPixel;
}

void ListView::setColumnWidth(int column, float twips)
{
    if (column < 1 || column > ColumnCount)
        fail(SubscriptOutOfRange);
    // Widths beyond a million twips (some 17 metres of screen) are no widths.
    if (!std::isfinite(twips) || twips < 0.0f || twips > 1.0e6f)
        fail(InvalidPropertyValue);
    m_reportView->header()->resizeSection(column - 1, int(std::lround(twips / TwipsPerPixel)));
}

// After a refill: the widest name sets the size of the items, and the first
// item is selected when none is.
void ListView::refilled()
{
    m_widestRow = m_items->widestRow(m_listView->font());
    if (m_view != 3)
        layOut();
    QItemSelectionModel *selection = m_listView->selectionModel();
    if (m_items->rowCount() == 0 || selection->hasSelection())
        return;
    // A report view out of sight lays out every row as soon as the current item
    // changes, for the focus mark it draws across its columns. That waits until
    // the view on screen has painted; it is done then all the same, so that a
    // switch to the report shows the next frame at once.
    const bool reportHidden = m_view != 3;
    if (reportHidden)
        m_reportView->setAllColumnsShowFocus(false);
    selection->setCurrentIndex(m_items->index(0, 0),
                               QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    if (!reportHidden)
        return;
    m_reportView->setAllColumnsShowFocus(true);
    QTimer::singleShot(0, m_reportView, [this] {
        if (m_items->rowCount() > 0)
            m_reportView->visualRect(m_items->index(0, 0));
    });
}

} // namespace platform
