#include "browse/DocumentItems.h"

#include "access/Domino_TLB.h"
#include "access/VariantText.h"

#include <QCoreApplication>

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
            throw EOleException(QCoreApplication::translate("docDetail", "下标越界").toStdU16String(),
                                hresult::kBadIndex);
        items.append({name, JoinedValueText(values)});
    }
    return items;
}
