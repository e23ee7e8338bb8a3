#pragma once

#include <QAbstractTableModel>
#include <QIcon>
#include <QWidget>

#include <string>
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
    ListItem(ListItems *owner, quint32 id)
        : m_owner(owner)
        , m_id(id)
    {
    }
    ListItems *m_owner = nullptr;
    quint32 m_id = 0;
};

// The items of the map list and the model that both views show, in the order
// of mapNameLess. A burst of changes is sorted once, when the event loop comes
// round or when the program reads the list back, so filling it stays n log n.
class ListItems : public QAbstractTableModel
{
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    void Clear();
    ListItem Add();
    qsizetype Count();
    ListItem Item(qsizetype row); // by display row, 0-based

    // The two image lists: the large icons and the small ones.
    void setImages(const QPixmap &large, const QPixmap &small);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    // Sorts pending changes into the rows the views show.
    void flush();
    // The row whose name is widest in font, by the advances of its characters.
    int widestRow(const QFont &font) const;

signals:
    void refilled();

private:
    friend class ListItem;
    // Texts in UTF-8: most names and every size text fit a std::string's own
    // buffer, which keeps a million maps in some 80 MB and the sort in cache.
    struct Entry
    {
        std::string name;
        std::string size;
        quint32 id = 0; // its number among the items, as ListItem holds it
        bool icon = false;
        bool smallIcon = false;
    };
    Entry &item(quint32 id);
    void changed();

    std::vector<Entry> m_items;   // the rows the views show, then items added since
    std::vector<quint32> m_rowOf; // id -> index in m_items
    size_t m_shown = 0;           // the rows the views know of
    bool m_dirty = false;
    bool m_largeIcons = false;
    QIcon m_largeIcon;
    QIcon m_smallIcon;
    friend class ListView;
};

// The map list control: one model shown by an icon/list view (modes 0 to 2) or
// by a report view (mode 3), with one selection shared between them.
class ListView : public QWidget
{
    Q_OBJECT
public:
    explicit ListView(QWidget *parent = nullptr);
    ~ListView() override;

    ListItems &ListItemsRef() { return *m_items; }
    ListItem SelectedItem();

    int View() const { return m_view; }
    void setView(int view);

    // Column widths in twips (15 to a pixel); columns count from 1.
    float ColumnWidth(int column) const;
    void setColumnWidth(int column, float twips);

    QAbstractItemView *currentView() const;
    // Where a menu asked for by keyboard opens: beside the current item, in
    // screen coordinates (the list's corner when no item is current).
    QPoint menuPoint() const;

signals:
    // Reported for user actions only.
    void BeforeLabelEdit(bool &cancel);
    void DblClick();
    void KeyPress(int &keyAscii);
    void MouseDown(int button, int shift, int x, int y);
    // The Menu key or Shift+F10.
    void MenuKey();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void refilled();
    void layOut();

    ListItems *m_items;
    QStackedWidget *m_stack;
    QListView *m_listView;
    QTreeView *m_reportView;
    int m_view = -1;
    int m_widestRow = -1;
};

} // namespace platform
