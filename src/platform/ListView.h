#pragma once

#include <QAbstractTableModel>
#include <QIcon>
#include <QWidget>

#include <memory>
#include <vector>

class QAbstractItemView;
class QListView;
class QStackedWidget;
class QTreeView;

namespace platform {

class ListItems;

// A reference to one item of the map list, as ListItems::Add hands it out.
// A null reference (no item selected) fails with "Object variable ... not set".
class ListItem
{
public:
    ListItem() = default;
    bool isNull() const { return m_owner == nullptr; }

    QString Text() const;
    void setText(const QString &text);
    QString SubItems(int index) const;
    void setSubItems(int index, const QString &text);
    void setIcon(int image);
    void setSmallIcon(int image);

private:
    friend class ListItems;
    ListItem(ListItems *owner, qsizetype index)
        : m_owner(owner)
        , m_index(index)
    {
    }
    ListItems *m_owner = nullptr;
    qsizetype m_index = 0;
};

// The texts and icons of the items, packed (ListView.cpp).
class ItemStore;

// The items of the map list and the model that both views show. Items are kept
// in the order of their text; the order is brought up to date once per burst of
// changes (deferred to the event loop, or at once when the program reads the
// list back), so filling the list stays linear.
class ListItems : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit ListItems(QObject *parent = nullptr);
    ~ListItems() override;

    void Clear();
    ListItem Add();
    qsizetype Count();
    ListItem Item(qsizetype row); // by display row, 0-based

    // The two image lists: the large icons and the small ones.
    void setImages(const QPixmap &large, const QPixmap &small);
    // Icons view shows the large images, every other mode the small ones.
    void setLargeIcons(bool large);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;

    // Applies pending additions and text changes to the views.
    void flush();

    qsizetype itemIndexOfRow(int row) const { return m_order[size_t(row)]; }

signals:
    void refilled();

private:
    friend class ListItem;
    ItemStore &store(qsizetype index);
    void changed();
    void sortRows();

    std::unique_ptr<ItemStore> m_store;
    std::vector<quint32> m_order; // display row -> item
    bool m_dirty = false;
    bool m_flushPending = false;
    bool m_largeIcons = false;
    QIcon m_largeIcon;
    QIcon m_smallIcon;
};

// The map list control: one model shown by an icon/list view (modes 0 to 2) or
// by a report view (mode 3), with one selection shared between them.
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

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void watch(QAbstractItemView *view);
    void selectFirstIfNone();

    ListItems *m_items;
    QStackedWidget *m_stack;
    QListView *m_listView;
    QTreeView *m_reportView;
    int m_view = 3;
};

} // namespace platform
