#include "platform/ListView.h"

#include "platform/ErrorCatalogue.h"
#include "platform/MapOrder.h"

#include <QEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QListView>
#include <QMouseEvent>
#include <QStackedWidget>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <functional>
#include <numeric>

namespace platform {

namespace {

constexpr float TwipsPerPixel = 15.0f;
constexpr int ColumnCount = 2;

// A view that asks before it opens an in-place editor.
template <typename Base>
class LabelEditView : public Base
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
    return m_owner->entry(m_index).text;
}

void ListItem::setText(const QString &text)
{
    if (!m_owner)
        fail(ObjectNotSet);
    m_owner->entry(m_index).text = text;
    m_owner->changed();
}

QString ListItem::SubItems(int index) const
{
    if (!m_owner)
        fail(ObjectNotSet);
    if (index != 1)
        fail(InvalidPropertyValue);
    return m_owner->entry(m_index).size;
}

void ListItem::setSubItems(int index, const QString &text)
{
    if (!m_owner)
        fail(ObjectNotSet);
    if (index != 1)
        fail(InvalidPropertyValue);
    m_owner->entry(m_index).size = text;
    m_owner->changed();
}

void ListItem::setIcon(int image)
{
    if (!m_owner)
        fail(ObjectNotSet);
    if (image < 0 || image > 1)
        fail(SubscriptOutOfRange);
    m_owner->entry(m_index).icon = qint8(image);
    m_owner->changed();
}

void ListItem::setSmallIcon(int image)
{
    if (!m_owner)
        fail(ObjectNotSet);
    if (image < 0 || image > 1)
        fail(SubscriptOutOfRange);
    m_owner->entry(m_index).smallIcon = qint8(image);
    m_owner->changed();
}

// ListItems

ListItems::ListItems(QObject *parent)
    : QAbstractTableModel(parent)
{
}

ListItems::Entry &ListItems::entry(qsizetype index)
{
    if (index < 0 || size_t(index) >= m_entries.size())
        fail(ObjectNotSet); // the item went with a Clear
    return m_entries[size_t(index)];
}

void ListItems::changed()
{
    m_dirty = true;
    if (m_flushPending)
        return;
    m_flushPending = true;
    QMetaObject::invokeMethod(this, &ListItems::flush, Qt::QueuedConnection);
}

void ListItems::flush()
{
    m_flushPending = false;
    if (!m_dirty)
        return;
    m_dirty = false;
    beginResetModel();
    m_order.resize(m_entries.size());
    std::iota(m_order.begin(), m_order.end(), qsizetype(0));
    std::stable_sort(m_order.begin(), m_order.end(), [this](qsizetype a, qsizetype b) {
        return mapNameLess(m_entries[size_t(a)].text, m_entries[size_t(b)].text);
    });
    endResetModel();
    emit refilled();
}

void ListItems::Clear()
{
    beginResetModel();
    m_entries.clear();
    m_order.clear();
    m_dirty = false;
    endResetModel();
}

ListItem ListItems::Add()
{
    m_entries.emplace_back();
    changed();
    return ListItem(this, qsizetype(m_entries.size() - 1));
}

qsizetype ListItems::Count()
{
    flush();
    return qsizetype(m_order.size());
}

ListItem ListItems::Item(qsizetype row)
{
    flush();
    if (row < 0 || size_t(row) >= m_order.size())
        fail(SubscriptOutOfRange);
    return ListItem(this, m_order[size_t(row)]);
}

void ListItems::setImages(const QPixmap &large, const QPixmap &small)
{
    m_largeIcon = QIcon(large);
    m_smallIcon = QIcon(small);
    if (!m_order.empty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::DecorationRole});
}

void ListItems::setLargeIcons(bool large)
{
    m_largeIcons = large;
}

int ListItems::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_order.size());
}

int ListItems::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ListItems::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || size_t(index.row()) >= m_order.size())
        return {};
    const Entry &e = m_entries[m_order[size_t(index.row())]];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return index.column() == 0 ? e.text : e.size;
    case Qt::DecorationRole:
        if (index.column() != 0)
            return {};
        if (m_largeIcons)
            return e.icon ? m_largeIcon : QIcon();
        return e.smallIcon ? m_smallIcon : QIcon();
    case Qt::TextAlignmentRole:
        if (index.column() == 1)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return {};
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
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() == 0)
        f |= Qt::ItemIsEditable;
    return f;
}

bool ListItems::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || index.column() != 0)
        return false;
    m_entries[m_order[size_t(index.row())]].text = value.toString();
    emit dataChanged(index, index);
    return true;
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

    auto *listView = new LabelEditView<QListView>;
    listView->mayEdit = mayEdit;
    m_listView = listView;
    m_listView->setModel(m_items);
    m_listView->setUniformItemSizes(true);
    m_listView->setLayoutMode(QListView::Batched);
    m_listView->setBatchSize(2000);
    m_listView->setResizeMode(QListView::Adjust);
    m_listView->setMovement(QListView::Static);
    m_listView->setWrapping(true);

    auto *reportView = new LabelEditView<QTreeView>;
    reportView->mayEdit = mayEdit;
    m_reportView = reportView;
    m_reportView->setModel(m_items);
    m_reportView->setSelectionModel(m_listView->selectionModel());
    m_reportView->setRootIsDecorated(false);
    m_reportView->setItemsExpandable(false);
    m_reportView->setUniformRowHeights(true);
    m_reportView->setAllColumnsShowFocus(true);
    m_reportView->setSortingEnabled(false);
    m_reportView->header()->setSectionsClickable(false);
    m_reportView->header()->setSectionsMovable(false);
    m_reportView->header()->setStretchLastSection(false);
    m_reportView->header()->setSectionResizeMode(QHeaderView::Interactive);
    m_reportView->header()->setDefaultSectionSize(96);
    m_reportView->header()->resizeSection(0, 96);
    m_reportView->header()->resizeSection(1, 96);

    for (QAbstractItemView *view : {static_cast<QAbstractItemView *>(m_listView),
                                    static_cast<QAbstractItemView *>(m_reportView)}) {
        view->setSelectionMode(QAbstractItemView::SingleSelection);
        view->setSelectionBehavior(QAbstractItemView::SelectRows);
        // The in-place edit gestures of a list view: a slow second click and F2.
        view->setEditTriggers(QAbstractItemView::SelectedClicked |
                              QAbstractItemView::EditKeyPressed);
        m_stack->addWidget(view);
        watch(view);
    }

    connect(m_items, &ListItems::refilled, this, &ListView::selectFirstIfNone);
    m_view = -1;
    setView(3);
}

void ListView::watch(QAbstractItemView *view)
{
    view->installEventFilter(this);
    view->viewport()->installEventFilter(this);
}

QAbstractItemView *ListView::currentView() const
{
    return static_cast<QAbstractItemView *>(m_stack->currentWidget());
}

bool ListView::eventFilter(QObject *watched, QEvent *event)
{
    const bool onViewport =
        watched == m_listView->viewport() || watched == m_reportView->viewport();
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        if (onViewport) {
            auto *mouse = static_cast<QMouseEvent *>(event);
            const QPointF at = mouse->position() * TwipsPerPixel;
            emit MouseDown(buttonCode(mouse->button()), shiftCode(mouse->modifiers()), int(at.x()),
                           int(at.y()));
        }
        break;
    case QEvent::MouseButtonDblClick:
        // The first press of the double click has already selected the item under the pointer.
        if (onViewport && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton)
            emit DblClick();
        break;
    case QEvent::KeyPress:
        if (!onViewport) {
            const QString text = static_cast<QKeyEvent *>(event)->text();
            if (!text.isEmpty()) {
                int keyAscii = text.at(0).unicode();
                emit KeyPress(keyAscii);
            }
        }
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
    m_items->setLargeIcons(view == 0);
    if (view == 3) {
        m_stack->setCurrentWidget(m_reportView);
    } else {
        m_listView->setViewMode(view == 0 ? QListView::IconMode : QListView::ListMode);
        m_listView->setIconSize(view == 0 ? QSize(32, 32) : QSize(16, 16));
        m_listView->setFlow(view == 2 ? QListView::TopToBottom : QListView::LeftToRight);
        m_listView->setWrapping(true);
        m_listView->setWordWrap(view == 0);
        m_listView->setMovement(QListView::Static);
        m_listView->setSpacing(view == 0 ? 6 : 1);
        m_stack->setCurrentWidget(m_listView);
    }
    setFocusProxy(currentView());
    if (hadFocus)
        currentView()->setFocus();
    currentView()->viewport()->update();
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

void ListView::selectFirstIfNone()
{
    QItemSelectionModel *selection = m_listView->selectionModel();
    if (m_items->rowCount() == 0 || selection->hasSelection())
        return;
    selection->setCurrentIndex(m_items->index(0, 0),
                               QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

} // namespace platform
