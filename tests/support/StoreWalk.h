// Walks a database as the program does, for the checks that damaged or arbitrary input gives the
// server's errors and nothing else: a step that raises EOleException ends that step only, while
// any other exception escapes the walk as the fault it is.
#pragma once

#include "interfaces/DominoObjects.h"

#include <memory>
#include <stdexcept>
#include <string>

namespace storewalk {

template <class F> void EndStepOnServerError(F&& step) {
    try {
        step();
    } catch (const EOleException&) {
    }
}

// Every item's value, rich text with its embedded objects (extracted to extractTo), the
// attachments (likewise) and the DXL export.
inline void WalkDocument(ISession& session, const std::shared_ptr<IDocument>& doc, const std::u16string& extractTo) {
    const Variant document{Variant::Object(doc)};
    EndStepOnServerError([&] { doc->UniversalID(); });
    EndStepOnServerError([&] { doc->ColumnValues(); });
    EndStepOnServerError([&] {
        const Variant items = doc->Items();
        for (const Variant& item : items.asArray()) {
            if (item.kind() != Variant::Kind::Object || !item.asObject())
                continue;
            const std::u16string name = item.asObject()->DefaultValueText();
            EndStepOnServerError([&] { doc->GetItemValue(name); });
            EndStepOnServerError([&] {
                auto first = doc->GetFirstItem(name);
                if (!first || first->Type() != item_type::kRichText)
                    return;
                auto rich = std::dynamic_pointer_cast<IRichTextItem>(first);
                if (!rich)
                    throw std::logic_error("a rich-text item without the rich-text interface");
                rich->GetFormattedText(true, 80);
                const Variant objects = rich->EmbeddedObjects();
                for (const Variant& object : objects.asArray())
                    EndStepOnServerError([&] {
                        if (object.kind() != Variant::Kind::Object || !object.asObject())
                            return;
                        if (auto embedded = rich->GetEmbeddedObject(object.asObject()->DefaultValueText()))
                            embedded->ExtractFile(extractTo);
                    });
            });
        }
    });
    EndStepOnServerError([&] { doc->HasEmbedded(); });
    EndStepOnServerError([&] {
        const Variant names = session.Evaluate(u"@AttachmentNames", document);
        for (const Variant& name : names.asArray())
            EndStepOnServerError([&] {
                if (auto attachment = doc->GetAttachment(name.asText()))
                    attachment->ExtractFile(extractTo);
            });
    });
    EndStepOnServerError([&] {
        auto exporter = session.CreateDXLExporter();
        exporter->SetConvertNotesBitmapsToGIF(true);
        exporter->Export(document);
    });
}

// Opens the database at path and walks each view (looked up by name, as the program does) and
// its first documentsPerView documents. The server's error on opening, empty when it opened.
inline std::u16string WalkDatabase(ISession& session, const std::u16string& path, const std::u16string& extractTo,
                                   int documentsPerView) {
    std::shared_ptr<IDatabase> db;
    try {
        db = session.GetDatabase(u"", path, false);
    } catch (const EOleException& e) {
        return e.message();
    }
    if (!db)
        return {};
    EndStepOnServerError([&] {
        const Variant views = db->Views();
        for (const Variant& element : views.asArray()) {
            if (element.kind() != Variant::Kind::Object || !element.asObject())
                continue;
            EndStepOnServerError([&] {
                auto view = db->GetView(element.asObject()->DefaultValueText());
                if (!view)
                    return;
                view->Name();
                view->ColumnCount();
                view->ColumnNames();
                view->AllEntries()->Count();
                auto doc = view->GetNthDocument(1);
                for (int n = 0; doc && n < documentsPerView; ++n) {
                    EndStepOnServerError([&] { WalkDocument(session, doc, extractTo); });
                    doc = view->GetNextDocument(doc);
                }
            });
        }
    });
    return {};
}

} // namespace storewalk
