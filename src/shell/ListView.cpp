#include "shell/ListView.h"

#include <QHeaderView>
#include <QListView>
#include <QStackedLayout>
#include <QStandardItemModel>
#include <QTreeView>

ListView::ListView(QWidget* parent)
    : QFrame(parent), m_model(new QStandardItemModel(this)), m_report(new QTreeView), m_icons(new QListView),
      m_stack(new QStackedLayout(this)) {
    m_report->setModel(m_model);
    m_report->setRootIsDecorated(false);
    m_report->setItemsExpandable(false);
    m_report->setUniformRowHeights(true);
    m_report->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_report->setSelectionMode(QAbstractItemView::SingleSelection);
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

void ListView::clearItems() {
    m_model->removeRows(0, m_model->rowCount());
}

int ListView::itemCount() const {
    return m_model->rowCount();
}
