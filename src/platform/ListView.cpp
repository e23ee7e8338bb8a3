// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ListView.h"

#include "platform/ErrorCatalogue.h"
#include "platform/ItemView.h"
#include "platform/Process.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QListView>
#include <QStackedWidget>
#include <QTreeView>
#include <QVBoxLayout>

#include <cmath>
#include <utility>

namespace platform {

constexpr float TwipsPerPixel = 15.0f;

ListView::ListView(QWidget *parent)
    : QWidget(parent)
    , m_items(new ListItems(this))
    , m_stack(new QStackedWidget(this))
    , m_listView(new ItemView<QListView>(m_items, m_stack))
    , m_reportView(new ItemView<QTreeView>(m_items, m_stack))
{
    keepLargeBlocksApart(); // the items' arrays, of a hundred thousand maps and more
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_stack);
    // A list keeps the desktop's own colours, whatever the window behind it paints.
    QPalette colours = QGuiApplication::palette();
    colours.setColor(QPalette::Window, colours.color(QPalette::Window));
    colours.setColor(QPalette::Base, colours.color(QPalette::Base));
    setPalette(colours);

    // Asked before an in-place edit.
    m_listView->mayEdit = m_reportView->mayEdit = [this] {
        bool cancel = false;
        emit BeforeLabelEdit(cancel);
        return !cancel;
    };
    auto *delegate = new ItemDelegate(m_listView);
    m_listView->setItemDelegate(delegate);
    m_listView->setUniformItemSizes(true);
    m_listView->setLayoutMode(QListView::Batched);
    m_listView->setBatchSize(2000);
    m_listView->setResizeMode(QListView::Adjust);
    m_listView->setWrapping(true);
    m_listView->setMovement(QListView::Static);
    m_reportView->setSelectionModel(m_listView->selectionModel());
    m_reportView->setRootIsDecorated(false);
    m_reportView->setUniformRowHeights(true);
    m_reportView->setAllColumnsShowFocus(true);
    QHeaderView *header = m_reportView->header();
    header->setSectionsMovable(false);
    header->setStretchLastSection(false);
    header->setDefaultSectionSize(96);
    for (QWidget *watched : QWidgetList{m_listView, m_listView->viewport(), m_reportView,
                                        m_reportView->viewport(), header->viewport()})
        watched->installEventFilter(this);
    // After a refill: the widest name sets the items' size; the first is selected when none is.
    connect(m_items, &ListItems::refilled, this, [this, delegate] {
        delegate->measure(*m_items, m_listView->font());
        if (m_items->rowCount() > 0 && !m_listView->selectionModel()->hasSelection())
            m_listView->selectionModel()->setCurrentIndex(m_items->index(0, 0), SelectRow);
    });
    setViewMode(ViewMode::Report);
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
    case QEvent::MouseButtonPress: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        const Qt::MouseButton button = mouse->button();
        const bool press = event->type() == QEvent::MouseButtonPress;
        // The first press of the double click has already selected the item under the pointer.
        if (!press && button == Qt::LeftButton && watched != m_reportView->header()->viewport())
            emit DblClick();
        if (!press && button != Qt::RightButton) // a right double click is a second right press
            break;
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
            emit menuKeyPressed();
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
    return rows.isEmpty() ? ListItem() : m_items->item(rows.first().row());
}

void ListView::setViewMode(ViewMode mode)
{
    if (mode < ViewMode::Icons || mode > ViewMode::Report)
        fail(InvalidPropertyValue);
    QAbstractItemView *before = currentView(); // none before the first mode is set up
    if (mode == m_mode && before)
        return;
    const bool hadFocus = before && before->hasFocus();
    // The size column leaves the report and comes back with its width, the row selected whole.
    if (m_mode == ViewMode::Report)
        m_sizeWidth = m_reportView->header()->sectionSize(1);
    const QModelIndex current = m_listView->currentIndex();
    const bool selected = current.isValid() && m_listView->selectionModel()->isSelected(current);
    m_mode = mode;
    m_items->setShownFor(mode);
    const bool report = mode == ViewMode::Report, icons = mode == ViewMode::Icons;
    QAbstractItemView *shown = report ? static_cast<QAbstractItemView *>(m_reportView) : m_listView;
    if (report) {
        m_reportView->header()->resizeSection(1, m_sizeWidth);
        if (selected)
            m_listView->selectionModel()->select(current, SelectRow);
    } else {
        m_listView->setViewMode(icons ? QListView::IconMode : QListView::ListMode);
        m_listView->setIconSize(icons ? QSize(32, 32) : QSize(16, 16));
        m_listView->setFlow(mode == ViewMode::List ? QListView::TopToBottom
                                                   : QListView::LeftToRight);
        m_listView->setWordWrap(icons);
        m_listView->setSpacing(icons ? 6 : 1);
        // Icons get a cell of their own width, the other modes the widest name's.
        const QFontMetrics metrics(m_listView->font());
        const QSize cell(metrics.averageCharWidth() * 12, 2 * metrics.lineSpacing() + 48);
        m_listView->setGridSize(icons ? cell : QSize());
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
    report ? m_reportView->keepCurrentInSight(true) : m_listView->keepCurrentInSight(true);
}

float ListView::columnWidth(int column) const
{
    if (column < 1 || column > 2)
        fail(SubscriptOutOfRange);
    if (column == 2 && m_mode != ViewMode::Report)
        return float(m_sizeWidth) * TwipsPerPixel;
    return float(m_reportView->header()->sectionSize(column - 1)) * TwipsPerPixel;
}

void ListView::setColumnWidth(int column, float twips)
{
    if (column < 1 || column > 2)
        fail(SubscriptOutOfRange);
    // Widths beyond a million twips (some 17 metres of screen) are no widths.
    if (!std::isfinite(twips) || twips < 0.0f || twips > 1.0e6f)
        fail(InvalidPropertyValue);
    const int pixels = int(std::lround(twips / TwipsPerPixel));
    if (column == 2 && m_mode != ViewMode::Report)
        m_sizeWidth = pixels;
    else
        m_reportView->header()->resizeSection(column - 1, pixels);
}

} // namespace platform
