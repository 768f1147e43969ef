#include "shell/ListView.h"

#include "shell/Icons.h"

#include <QHeaderView>
#include <QListView>
#include <QStackedLayout>
#include <QStandardItemModel>
#include <QTreeView>

namespace {
constexpr int kSubItemCountRole = Qt::UserRole + 1;
constexpr int kImageIndexRole = Qt::UserRole + 2;
} // namespace

ListView::ListView(ImageList* images, QWidget* parent)
    : QFrame(parent), m_images(images), m_model(new QStandardItemModel(this)), m_report(new QTreeView),
      m_icons(new QListView), m_stack(new QStackedLayout(this)) {
    m_report->setModel(m_model);
    m_report->setRootIsDecorated(false);
    m_report->setItemsExpandable(false);
    m_report->setUniformRowHeights(true);
    m_report->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_report->setSelectionMode(QAbstractItemView::SingleSelection);
    m_report->setAlternatingRowColors(false);
    m_report->header()->setStretchLastSection(false);
    m_report->setFrameShape(QFrame::NoFrame);
    // Grid lines between the cells.
    m_report->setStyleSheet(QStringLiteral("QTreeView::item { border-right: 1px solid #d0d0d0; "
                                           "border-bottom: 1px solid #d0d0d0; }"));

    m_icons->setModel(m_model);
    m_icons->setViewMode(QListView::IconMode);
    m_icons->setIconSize(QSize(32, 32));
    m_icons->setGridSize(QSize(96, 64));
    m_icons->setResizeMode(QListView::Adjust);
    m_icons->setMovement(QListView::Static);
    m_icons->setWordWrap(true);
    m_icons->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_icons->setFrameShape(QFrame::NoFrame);

    m_stack->setContentsMargins(0, 0, 0, 0);
    m_stack->addWidget(m_icons);
    m_stack->addWidget(m_report);
    m_stack->setCurrentWidget(m_icons);

    connect(m_report, &QAbstractItemView::doubleClicked, this, &ListView::doubleClicked);
    connect(m_icons, &QAbstractItemView::doubleClicked, this, &ListView::doubleClicked);
}

void ListView::setViewStyle(ViewStyle style) {
    m_style = style;
    m_stack->setCurrentWidget(style == ViewStyle::Report ? static_cast<QWidget*>(m_report)
                                                         : static_cast<QWidget*>(m_icons));
}

void ListView::setRowSelect(bool on) {
    m_report->setSelectionBehavior(on ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems);
}

void ListView::beginUpdate() {
    if (m_updates++ == 0)
        setUpdatesEnabled(false);
}

void ListView::endUpdate() {
    if (m_updates > 0 && --m_updates == 0)
        setUpdatesEnabled(true);
}

void ListView::clearColumns() {
    m_model->setColumnCount(0);
}

void ListView::addColumn(const QString& caption, int width) {
    const int column = m_model->columnCount();
    m_model->setColumnCount(column + 1);
    m_model->setHeaderData(column, Qt::Horizontal, caption);
    m_report->header()->resizeSection(column, width);
}

int ListView::columnCount() const {
    return m_model->columnCount();
}

QString ListView::columnCaption(int column) const {
    return m_model->headerData(column, Qt::Horizontal).toString();
}

int ListView::columnWidth(int column) const {
    return m_report->header()->sectionSize(column);
}

void ListView::clearItems() {
    m_model->removeRows(0, m_model->rowCount());
}

int ListView::addItem(const QString& caption, int imageIndex) {
    auto* item = new QStandardItem(caption);
    item->setEditable(false);
    item->setData(imageIndex, kImageIndexRole);
    item->setData(0, kSubItemCountRole);
    if (imageIndex >= 0 && m_images)
        item->setIcon(m_images->image(imageIndex));
    const int row = m_model->rowCount();
    m_model->appendRow(item);
    return row;
}

void ListView::addSubItem(int row, const QString& text) {
    QStandardItem* first = m_model->item(row, 0);
    if (!first)
        return;
    const int sub = first->data(kSubItemCountRole).toInt();
    // A sub-item beyond the list's columns is kept but has no column to show in.
    if (sub + 1 >= m_model->columnCount())
        m_model->setColumnCount(sub + 2);
    auto* cell = new QStandardItem(text);
    cell->setEditable(false);
    m_model->setItem(row, sub + 1, cell);
    first->setData(sub + 1, kSubItemCountRole);
}

int ListView::itemCount() const {
    return m_model->rowCount();
}

QString ListView::itemText(int row, int column) const {
    const QStandardItem* item = m_model->item(row, column);
    return item ? item->text() : QString();
}

int ListView::itemImageIndex(int row) const {
    const QStandardItem* item = m_model->item(row, 0);
    return item ? item->data(kImageIndexRole).toInt() : -1;
}

int ListView::subItemCount(int row) const {
    const QStandardItem* item = m_model->item(row, 0);
    return item ? item->data(kSubItemCountRole).toInt() : 0;
}

QList<int> ListView::selectedRows() const {
    QAbstractItemView* view = m_style == ViewStyle::Report ? static_cast<QAbstractItemView*>(m_report)
                                                           : static_cast<QAbstractItemView*>(m_icons);
    QList<int> rows;
    for (const QModelIndex& index : view->selectionModel()->selectedIndexes()) {
        if (!rows.contains(index.row()))
            rows << index.row();
    }
    return rows;
}

void ListView::selectRow(int row) {
    QAbstractItemView* view = m_style == ViewStyle::Report ? static_cast<QAbstractItemView*>(m_report)
                                                           : static_cast<QAbstractItemView*>(m_icons);
    view->setCurrentIndex(m_model->index(row, 0));
}
