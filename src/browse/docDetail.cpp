#include "browse/docDetail.h"

#include "access/Domino_TLB.h"
#include "access/VariantText.h"
#include "browse/FormRunner.h"
#include "browse/WindowFrame.h"

#include <QCoreApplication>
#include <QFrame>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>

namespace {

// A grid cell nobody edits; the fixed row and column are drawn as headers.
QTableWidgetItem* Cell(const QString& text, bool fixed) {
    auto* cell = new QTableWidgetItem(text);
    cell->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    cell->setToolTip(text); // a long value is readable whole
    if (fixed)
        cell->setBackground(QGuiApplication::palette().button());
    return cell;
}

// Lets the user widen a column of a grid without headers by dragging the line at its right edge,
// as a grid's column lines are dragged; a double click there fits the column to its texts.
class ColumnSizer : public QObject {
public:
    explicit ColumnSizer(QTableWidget* grid) : QObject(grid), m_grid(grid) {
        grid->viewport()->setMouseTracking(true);
        grid->viewport()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
        case QEvent::MouseMove: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            const int x = mouse->position().toPoint().x();
            if (m_column >= 0) {
                m_grid->setColumnWidth(m_column, std::max(16, x - m_grid->columnViewportPosition(m_column)));
                return true;
            }
            if (EdgeAt(x) >= 0)
                m_grid->viewport()->setCursor(Qt::SplitHCursor);
            else
                m_grid->viewport()->unsetCursor();
            return false;
        }
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            const int column = EdgeAt(mouse->position().toPoint().x());
            if (column < 0 || mouse->button() != Qt::LeftButton)
                return false;
            if (event->type() == QEvent::MouseButtonDblClick)
                m_grid->resizeColumnToContents(column);
            else
                m_column = column;
            return true;
        }
        case QEvent::MouseButtonRelease:
            if (m_column < 0)
                return false;
            m_column = -1;
            return true;
        default:
            return false;
        }
    }

private:
    // The column whose right edge lies under x (within a few pixels), or -1.
    int EdgeAt(int x) const {
        for (int column = 0; column < m_grid->columnCount(); ++column) {
            const int edge = m_grid->columnViewportPosition(column) + m_grid->columnWidth(column);
            if (std::abs(x - edge) <= 3)
                return column;
        }
        return -1;
    }

    QTableWidget* m_grid;
    int m_column = -1; // the column being widened
};

} // namespace

void ShowDocumentDetail(TNotesSession& session, const QString& server, const QString& path, const QString& id,
                        IFormRunner& forms, QWidget* parent) {
    TfrmdocDetail detail(DocumentItems(session, server, path, id), parent);
    forms.Run(detail);
}

TfrmdocDetail::TfrmdocDetail(const QList<ItemText>& items, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmdocDetail"));
    setWindowTitle(tr("文档详细资料"));
    SetDialogBorder(this);
    // It may be made larger (or maximised), and the grid grows with it.
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    setMinimumSize(568, 493);
    resize(568, 493);
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("WenQuanYi Micro Hei")});
    font.setPixelSize(11);
    setFont(font);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(0, 0, 568, 493);

    StringGrid1 = new QTableWidget(static_cast<int>(items.size()) + 1, 2, Panel1);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setGeometry(56, 16, 465, 409);
    StringGrid1->horizontalHeader()->hide();
    StringGrid1->verticalHeader()->hide();
    StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid1->setWordWrap(false);
    StringGrid1->setTextElideMode(Qt::ElideRight);
    StringGrid1->horizontalHeader()->setMinimumSectionSize(1);
    StringGrid1->setColumnWidth(0, 64);
    new ColumnSizer(StringGrid1);
    StringGrid1->setColumnWidth(1, 248);
    StringGrid1->verticalHeader()->setMinimumSectionSize(1);
    StringGrid1->verticalHeader()->setDefaultSectionSize(24);
    StringGrid1->setItem(0, 0, Cell(tr("文档域名"), true));
    StringGrid1->setItem(0, 1, Cell(tr("域值"), true));
    for (int r = 1; r <= items.size(); ++r) {
        StringGrid1->setItem(r, 0, Cell(items[r - 1].name, true));
        StringGrid1->setItem(r, 1, Cell(items[r - 1].value, false));
    }
    if (items.size() >= 1)
        StringGrid1->setRowHeight(1, 22);

    BitBtn1 = new QPushButton(tr("确   定"), Panel1);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(208, 440, 121, 33);
    connect(BitBtn1, &QPushButton::clicked, this, &TfrmdocDetail::BitBtn1Click);

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TfrmdocDetail::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    // The margins of the first size stay; the grid and the value column take what is gained.
    const int gained = width() - StringGrid1->width() - 103;
    Panel1->setGeometry(rect());
    StringGrid1->setGeometry(56, 16, width() - 103, height() - 84);
    StringGrid1->setColumnWidth(1, std::max(1, StringGrid1->columnWidth(1) + gained));
    BitBtn1->move(208 + (width() - 568) / 2, height() - 53);
}

void TfrmdocDetail::BitBtn1Click() {
    close();
}
