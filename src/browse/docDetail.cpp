#include "browse/docDetail.h"

#include "access/Domino_TLB.h"
#include "browse/FormRunner.h"
#include "access/VariantText.h"
#include "browse/WindowFrame.h"

#include <QFrame>
#include <QGuiApplication>
#include <QHeaderView>
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

} // namespace

QList<ItemText> DocumentItems(TNotesSession& session, const QString& server, const QString& path, const QString& id) {
    TNotesDatabase db;
    db.ConnectTo(session.GetDatabase(ToU16(server), ToU16(path), false));
    TNotesDocument doc;
    doc.ConnectTo(db.GetDocumentByUNID(ToU16(id)));
    QList<ItemText> items;
    const Variant itemObjects = doc.Items();
    for (const Variant& element : itemObjects.asArray()) {
        const QString name = VariantToText(element);
        // Each row shows its own item's values (items may share a name), all of them joined.
        TNotesItem item;
        if (element.kind() == Variant::Kind::Object)
            item.ConnectTo(std::dynamic_pointer_cast<IItem>(element.asObject()));
        const Variant values = item.IsBound() ? item.Values() : doc.GetItemValue(ToU16(name));
        if (values.asArray().empty())
            throw EOleException(u"Subscript out of range", hresult::kBadIndex);
        items.append({name, JoinedValueText(values)});
    }
    return items;
}

void ShowDocumentDetail(TNotesSession& session, const QString& server, const QString& path, const QString& id,
                        IFormRunner& forms, QWidget* parent) {
    TfrmdocDetail detail(DocumentItems(session, server, path, id), parent);
    forms.Run(detail);
}

TfrmdocDetail::TfrmdocDetail(const QList<ItemText>& items, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmdocDetail"));
    setWindowTitle(QStringLiteral("文档详细资料"));
    SetDialogBorder(this);
    setFixedSize(568, 493);
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
    StringGrid1->setColumnWidth(1, 248);
    StringGrid1->verticalHeader()->setMinimumSectionSize(1);
    StringGrid1->verticalHeader()->setDefaultSectionSize(24);
    StringGrid1->setItem(0, 0, Cell(QStringLiteral("文档域名"), true));
    StringGrid1->setItem(0, 1, Cell(QStringLiteral("域值"), true));
    for (int r = 1; r <= items.size(); ++r) {
        StringGrid1->setItem(r, 0, Cell(items[r - 1].name, true));
        StringGrid1->setItem(r, 1, Cell(items[r - 1].value, false));
    }
    if (items.size() >= 1)
        StringGrid1->setRowHeight(1, 22);

    BitBtn1 = new QPushButton(QStringLiteral("确   定"), Panel1);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(208, 440, 121, 33);
    connect(BitBtn1, &QPushButton::clicked, this, &TfrmdocDetail::BitBtn1Click);

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TfrmdocDetail::BitBtn1Click() {
    close();
}
