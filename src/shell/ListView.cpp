#include "shell/ListView.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QListView>
#include <QStackedLayout>
#include <QTreeView>

// Rows of texts under column captions; in icon style every row shows the one icon.
class ListModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : std::max<int>(1, static_cast<int>(m_columns.size()));
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= rowCount())
            return {};
        const QStringList& row = m_rows[static_cast<size_t>(index.row())];
        switch (role) {
        case Qt::DisplayRole:
        case Qt::ToolTipRole:
            return index.column() < row.size() ? row[index.column()] : QString();
        case Qt::DecorationRole:
            return index.column() == 0 && !m_icon.isNull() ? QVariant(m_icon) : QVariant();
        default:
            return {};
        }
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section < m_columns.size())
            return m_columns[section];
        return {};
    }

    void reset(QStringList columns, std::vector<QStringList> rows, QIcon icon) {
        beginResetModel();
        m_columns = std::move(columns);
        m_rows = std::move(rows);
        m_icon = std::move(icon);
        endResetModel();
    }
    const QStringList& columns() const { return m_columns; }
    QStringList row(int index) const {
        return index >= 0 && index < rowCount() ? m_rows[static_cast<size_t>(index)] : QStringList();
    }

private:
    QStringList m_columns;
    std::vector<QStringList> m_rows;
    QIcon m_icon;
};

ListView::ListView(QWidget* parent)
    : QFrame(parent), m_model(new ListModel(this)), m_report(new QTreeView), m_icons(new QListView),
      m_stack(new QStackedLayout(this)) {
    m_report->setModel(m_model);
    m_report->setRootIsDecorated(false);
    m_report->setItemsExpandable(false);
    m_report->setUniformRowHeights(true);
    m_report->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_report->setSelectionMode(QAbstractItemView::SingleSelection);
    m_report->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_report->header()->setStretchLastSection(false);
    m_report->header()->setSectionResizeMode(QHeaderView::Interactive);
    m_report->setFrameShape(QFrame::NoFrame);
    // Grid lines between the cells. A style sheet for the items takes over their painting, the
    // selection's too: the selected row is drawn in the highlight colours, also while another
    // window is active, as the tree draws its selected node.
    m_report->setStyleSheet(QStringLiteral("QTreeView::item { border-right: 1px solid #d0d0d0; "
                                           "border-bottom: 1px solid #d0d0d0; }"
                                           "QTreeView::item:selected { background: palette(highlight); "
                                           "color: palette(highlighted-text); }"));

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

void ListView::showIcons(const QStringList& captions, const QIcon& icon) {
    setViewStyle(ViewStyle::Icon);
    std::vector<QStringList> rows;
    rows.reserve(static_cast<size_t>(captions.size()));
    for (const QString& caption : captions)
        rows.push_back({caption});
    m_model->reset(m_model->columns(), std::move(rows), icon);
}

void ListView::showReport(const QStringList& columns, int columnWidth, std::vector<QStringList> rows) {
    setViewStyle(ViewStyle::Report);
    m_model->reset(columns, std::move(rows), QIcon());
    QHeaderView* header = m_report->header();
    header->setDefaultSectionSize(columnWidth);
    for (int i = 0; i < header->count(); ++i)
        header->resizeSection(i, columnWidth);
}

void ListView::clearItems() {
    m_model->reset(m_model->columns(), {}, QIcon());
}

int ListView::itemCount() const {
    return m_model->rowCount();
}

QStringList ListView::columns() const {
    return m_model->columns();
}

QStringList ListView::row(int index) const {
    return m_model->row(index);
}

QList<int> ListView::selectedRows() const {
    QList<int> rows;
    if (m_style != ViewStyle::Report)
        return rows;
    for (const QModelIndex& index : m_report->selectionModel()->selectedRows())
        rows << index.row();
    return rows;
}
