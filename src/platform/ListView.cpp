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
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <numeric>

#ifdef __GLIBC__
#include <malloc.h>
#endif

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

// ItemStore

// The items' texts and icons, one record an item, packed one after another into
// large blocks: a byte of flags (the two icons, and which texts take two bytes
// a character), then the name and then the size text, each as its length and
// its characters, one byte each where all of them fit in Latin-1. A million
// maps take some 30 MB this way instead of some 150 MB as two QStrings each.
// A change to the newest item, which is every change a scan makes, rewrites its
// record in place; a change to an older one writes a new record, and the space
// of the old one comes back when the list is cleared or packed anew.
class ItemStore
{
public:
    enum Field { Name, Size };
    enum Flag : uchar { LargeIcon = 1, SmallIcon = 2, WideName = 4, WideSize = 8 };

    qsizetype count() const { return qsizetype(m_records.size()); }
    void add() { m_records.push_back(nullptr); }

    QString text(qsizetype item, Field field) const
    {
        const Span s = span(m_records[size_t(item)], field);
        if (!s.wide)
            return latin1(s);
        QString text(s.length, Qt::Uninitialized);
        std::memcpy(text.data(), s.data, size_t(s.length) * 2);
        return text;
    }

    void setText(qsizetype item, Field field, QStringView text)
    {
        uchar *&record = m_records[size_t(item)];
        const size_t most = MaxLengthBytes + size_t(text.size()) * 2;
        bool wide = false;
        // The two changes a scan makes are written where they belong: the name
        // of a new item at the top of the block, the size text of the newest
        // item after its name.
        if (field == Name && !record && size_t(m_end - m_top) >= 1 + most + 1) {
            uchar *out = putText(m_top + 1, text, wide);
            *out++ = 0; // no size text yet
            m_top[0] = wide ? WideName : 0;
            record = m_last = m_top;
            m_lastSize = size_t(out - m_top);
            m_used += m_lastSize;
            m_top = out;
            return;
        }
        if (field == Size && record && record == m_last && m_last + m_lastSize == m_top) {
            uchar *const sizeAt = record + (span(record, Name).end() - record);
            if (size_t(m_end - sizeAt) >= most) {
                uchar *out = putText(sizeAt, text, wide);
                record[0] = uchar((record[0] & ~WideSize) | (wide ? WideSize : 0));
                m_used = m_used - m_lastSize + size_t(out - record);
                m_lastSize = size_t(out - record);
                m_top = out;
                return;
            }
        }
        const Span kept = span(record, field == Name ? Size : Name);
        const size_t size = 1 + MaxLengthBytes + most + size_t(kept.end() - kept.data);
        if (m_scratch.size() < size)
            m_scratch.resize(size);
        uchar *out = m_scratch.data() + 1;
        if (field == Size)
            out = copy(out, kept);
        out = putText(out, text, wide);
        if (field == Name)
            out = copy(out, kept);
        const uchar wideFlag = field == Name ? WideName : WideSize;
        m_scratch[0] = uchar(((record ? record[0] : 0) & ~wideFlag) | (wide ? wideFlag : 0));
        place(item, size_t(out - m_scratch.data()));
    }

    bool icon(qsizetype item, Flag which) const
    {
        const uchar *record = m_records[size_t(item)];
        return record && (record[0] & which);
    }

    void setIcon(qsizetype item, Flag which, bool on)
    {
        if (!m_records[size_t(item)])
            setText(item, Name, {});
        uchar &flags = m_records[size_t(item)][0];
        flags = uchar(on ? flags | which : flags & ~which);
    }

    // mapNameLess on two items' names.
    bool nameLess(qsizetype a, qsizetype b) const
    {
        const Span nameA = span(m_records[size_t(a)], Name);
        const Span nameB = span(m_records[size_t(b)], Name);
        if (!nameA.wide && !nameB.wide)
            return mapNameLess(latin1(nameA), latin1(nameB));
        return mapNameLess(text(a, Name), text(b, Name));
    }

    MapKey key(qsizetype item) const
    {
        const Span s = span(m_records[size_t(item)], Name);
        if (!s.wide)
            return mapKey(latin1(s));
        return mapKey(QStringView(text(item, Name)));
    }

private:
    static constexpr size_t BlockSize = 256 * 1024;

    struct Span
    {
        const uchar *data = nullptr;
        qsizetype length = 0;
        bool wide = false;
        const uchar *end() const { return data + length * (wide ? 2 : 1); }
    };

    static QLatin1String latin1(const Span &s)
    {
        return QLatin1String(reinterpret_cast<const char *>(s.data), s.length);
    }

    static const uchar *getLength(const uchar *at, qsizetype &length)
    {
        size_t value = 0;
        for (int shift = 0;; shift += 7) {
            const uchar byte = *at++;
            value |= size_t(byte & 0x7f) << shift;
            if (!(byte & 0x80))
                break;
        }
        length = qsizetype(value);
        return at;
    }

    static Span span(const uchar *record, Field field)
    {
        Span s;
        if (!record)
            return s;
        s.wide = record[0] & WideName;
        s.data = getLength(record + 1, s.length);
        if (field == Name)
            return s;
        const uchar *nameEnd = s.end();
        s.wide = record[0] & WideSize;
        s.data = getLength(nameEnd, s.length);
        return s;
    }

    static size_t recordSize(const uchar *record)
    {
        return size_t(span(record, Size).end() - record);
    }

    static constexpr size_t MaxLengthBytes = 10; // a 64-bit length, 7 bits a byte

    static uchar *putLength(uchar *out, size_t length)
    {
        for (; length >= 0x80; length >>= 7)
            *out++ = uchar(length | 0x80);
        *out++ = uchar(length);
        return out;
    }

    // Writes the length and the characters, one byte each when they all fit.
    static uchar *putText(uchar *out, QStringView text, bool &wide)
    {
        out = putLength(out, size_t(text.size()));
        wide = false;
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (text[i].unicode() >= 0x100) {
                wide = true;
                break;
            }
            out[i] = uchar(text[i].unicode());
        }
        if (!wide)
            return out + text.size();
        std::memcpy(out, text.data(), size_t(text.size()) * 2);
        return out + text.size() * 2;
    }

    static uchar *copy(uchar *out, const Span &s)
    {
        out = putLength(out, size_t(s.length));
        const size_t bytes = size_t(s.end() - s.data);
        if (bytes) // an absent field has no data to copy from
            std::memcpy(out, s.data, bytes);
        return out + bytes;
    }

    // Puts the first size bytes of m_scratch in the place of the item's record.
    void place(qsizetype item, size_t size)
    {
        uchar *&record = m_records[size_t(item)];
        if (record && record == m_last && m_last + m_lastSize == m_top) {
            m_top = m_last;
            m_used -= m_lastSize;
        } else if (record) {
            // The old record stays where it is, no longer in use.
            const size_t abandoned = recordSize(record);
            m_used -= abandoned;
            m_unused += abandoned;
        }
        record = allocate(size);
        std::memcpy(record, m_scratch.data(), size);
        m_last = record;
        m_lastSize = size;
        m_used += size;
        if (m_unused > m_used && m_unused > BlockSize * 4)
            pack();
    }

    uchar *allocate(size_t size)
    {
        if (size_t(m_end - m_top) < size) {
            const size_t blockSize = std::max(BlockSize, size);
            m_blocks.push_back(std::make_unique_for_overwrite<uchar[]>(blockSize));
            m_top = m_blocks.back().get();
            m_end = m_top + blockSize;
        }
        uchar *at = m_top;
        m_top += size;
        return at;
    }

    // Copies the records in use into new blocks and drops the old ones.
    void pack()
    {
        const std::vector<std::unique_ptr<uchar[]>> old = std::exchange(m_blocks, {});
        m_top = m_end = m_last = nullptr;
        m_used = m_unused = m_lastSize = 0;
        for (uchar *&record : m_records) {
            if (!record)
                continue;
            const size_t size = recordSize(record);
            uchar *moved = allocate(size);
            std::memcpy(moved, record, size);
            record = moved;
            m_used += size;
        }
    }

    std::vector<uchar *> m_records;
    std::vector<std::unique_ptr<uchar[]>> m_blocks;
    std::vector<uchar> m_scratch;
    uchar *m_top = nullptr;
    uchar *m_end = nullptr;
    uchar *m_last = nullptr;
    size_t m_lastSize = 0;
    size_t m_used = 0;
    size_t m_unused = 0;
};

// ListItem

QString ListItem::Text() const
{
    if (!m_owner)
        fail(ObjectNotSet);
    return m_owner->store(m_index).text(m_index, ItemStore::Name);
}

void ListItem::setText(const QString &text)
{
    if (!m_owner)
        fail(ObjectNotSet);
    m_owner->store(m_index).setText(m_index, ItemStore::Name, text);
    m_owner->changed();
}

QString ListItem::SubItems(int index) const
{
    if (!m_owner)
        fail(ObjectNotSet);
    if (index != 1)
        fail(InvalidPropertyValue);
    return m_owner->store(m_index).text(m_index, ItemStore::Size);
}

void ListItem::setSubItems(int index, const QString &text)
{
    if (!m_owner)
        fail(ObjectNotSet);
    if (index != 1)
        fail(InvalidPropertyValue);
    m_owner->store(m_index).setText(m_index, ItemStore::Size, text);
    m_owner->changed();
}

void ListItem::setIcon(int image)
{
    if (!m_owner)
        fail(ObjectNotSet);
    if (image < 0 || image > 1)
        fail(SubscriptOutOfRange);
    m_owner->store(m_index).setIcon(m_index, ItemStore::LargeIcon, image == 1);
    m_owner->changed();
}

void ListItem::setSmallIcon(int image)
{
    if (!m_owner)
        fail(ObjectNotSet);
    if (image < 0 || image > 1)
        fail(SubscriptOutOfRange);
    m_owner->store(m_index).setIcon(m_index, ItemStore::SmallIcon, image == 1);
    m_owner->changed();
}

// ListItems

ListItems::ListItems(QObject *parent)
    : QAbstractTableModel(parent)
    , m_store(std::make_unique<ItemStore>())
{
}

ListItems::~ListItems() = default;

ItemStore &ListItems::store(qsizetype index)
{
    if (index < 0 || index >= m_store->count())
        fail(ObjectNotSet); // the item went with a Clear
    return *m_store;
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
    sortRows();
    endResetModel();
    emit refilled();
}

// Sorts by the items' keys, which decide nearly every comparison without
// looking at the texts themselves; equal texts keep the order they came in.
void ListItems::sortRows()
{
    struct Keyed
    {
        MapKey key;
        quint32 item;
    };
    std::vector<Keyed> keyed(size_t(m_store->count()));
    for (size_t i = 0; i < keyed.size(); ++i)
        keyed[i] = {m_store->key(qsizetype(i)), quint32(i)};
    std::sort(keyed.begin(), keyed.end(), [this](const Keyed &a, const Keyed &b) {
        if (const int order = compareMapKeys(a.key, b.key))
            return order < 0;
        if (m_store->nameLess(a.item, b.item))
            return true;
        if (m_store->nameLess(b.item, a.item))
            return false;
        return a.item < b.item;
    });
    m_order.resize(keyed.size());
    for (size_t row = 0; row < keyed.size(); ++row)
        m_order[row] = keyed[row].item;
}

void ListItems::Clear()
{
    const bool large = m_store->count() > 10000;
    beginResetModel();
    m_store = std::make_unique<ItemStore>();
    std::vector<quint32>().swap(m_order);
    m_dirty = false;
    endResetModel();
#ifdef __GLIBC__
    // The items and the views' layouts of a large list leave the heap in pieces
    // that malloc keeps; hand them back, so that refilling the list does not
    // need more memory each time.
    if (large)
        malloc_trim(0);
#endif
}

ListItem ListItems::Add()
{
    m_store->add();
    changed();
    return ListItem(this, m_store->count() - 1);
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
    const qsizetype item = m_order[size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return m_store->text(item, index.column() == 0 ? ItemStore::Name : ItemStore::Size);
    case Qt::DecorationRole:
        if (index.column() != 0)
            return {};
        if (m_largeIcons)
            return m_store->icon(item, ItemStore::LargeIcon) ? m_largeIcon : QIcon();
        return m_store->icon(item, ItemStore::SmallIcon) ? m_smallIcon : QIcon();
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
    m_store->setText(m_order[size_t(index.row())], ItemStore::Name, value.toString());
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
    case QEvent::Show:
        // The view that takes the focus stands for the list: a screen reader names it so.
        if (!onViewport)
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
    // A report view out of sight lays out every row as soon as the current item
    // changes, for the focus mark it draws across its columns. That waits until
    // the view on screen has painted; it is done then all the same, so that a
    // switch to the report shows the next frame at once.
    const bool reportHidden = currentView() != m_reportView;
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
