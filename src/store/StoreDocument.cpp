#include "store/StoreDocument.h"

#include "store/Dxl.h"
#include "store/Names.h"
#include "store/ServerErrors.h"

namespace store::local {

namespace {

class StoreItem : public IItem2 {
public:
    StoreItem(std::shared_ptr<StoreDocument> doc, size_t index) : m_doc(std::move(doc)), m_index(index) {}
    std::u16string DefaultValueText() override { return Name(); }
    std::u16string Name() override { return data().name; }
    int32_t Type() override { return data().type; }
    Variant Values() override { return m_doc->itemValues(m_index); }

private:
    const ItemData& data() { return m_doc->note().items.at(m_index); }
    std::shared_ptr<StoreDocument> m_doc;
    size_t m_index;
};

class StoreRichTextItem : public IRichTextItem {
public:
    StoreRichTextItem(std::shared_ptr<StoreDocument> doc, size_t index) : m_doc(std::move(doc)), m_index(index) {}
    std::u16string DefaultValueText() override { return Name(); }
    std::u16string Name() override { return data().name; }
    int32_t Type() override { return data().type; }

    Variant Values() override { return m_doc->itemValues(m_index); }

    Variant EmbeddedObjects() override {
        const auto& objects = m_doc->embeddedObjects(m_index);
        if (objects.empty())
            return {}; // the server gives no array when the item holds no objects
        Variant::Array array;
        for (const auto& object : objects)
            array.emplace_back(std::static_pointer_cast<IDispatchObject>(object));
        return Variant(std::move(array));
    }

    std::shared_ptr<IEmbeddedObject> GetEmbeddedObject(const std::u16string& name) override {
        for (const auto& object : m_doc->embeddedObjects(m_index))
            if (EqualsIgnoreCase(object->Name(), name))
                return object;
        return nullptr;
    }

    std::u16string GetFormattedText(bool stripTabs, int32_t lineLength) override {
        return Guarded([&] { return RichTextFormattedText(m_doc->richText(m_index), stripTabs, lineLength); });
    }

private:
    const ItemData& data() { return m_doc->note().items.at(m_index); }
    std::shared_ptr<StoreDocument> m_doc;
    size_t m_index;
};

std::shared_ptr<IItem> MakeItem(const std::shared_ptr<StoreDocument>& doc, size_t index) {
    if (doc->note().items[index].type == item_type::kRichText)
        return std::make_shared<StoreRichTextItem>(doc, index);
    return std::make_shared<StoreItem>(doc, index);
}

} // namespace

std::shared_ptr<IItem> StoreDocument::GetFirstItem(const std::u16string& name) {
    const auto& items = note().items;
    for (size_t i = 0; i < items.size(); ++i)
        if (EqualsIgnoreCase(items[i].name, name))
            return MakeItem(shared_from_this(), i);
    return nullptr;
}

Variant StoreDocument::Items() {
    // Items keep their document alive.
    const auto self = shared_from_this();
    Variant::Array items;
    for (size_t i = 0; i < note().items.size(); ++i)
        items.emplace_back(std::static_pointer_cast<IDispatchObject>(MakeItem(self, i)));
    return Variant(std::move(items));
}

std::shared_ptr<StoreDocument> AsDocument(const Variant& value) {
    if (value.kind() == Variant::Kind::Object)
        if (auto doc = std::dynamic_pointer_cast<StoreDocument>(value.asObject()))
            return doc;
    Raise(notes_text::DocumentRequired(), hresult::kTypeMismatch);
}

namespace {

class StoreDxlExporter : public IDXLExporter {
public:
    void SetConvertNotesBitmapsToGIF(bool value) override { m_convert = value; }
    void SetOmitRichtextAttachments(bool value) override { m_omitRichtext = value; }
    void SetOmitMiscFileObjects(bool value) override { m_omitMisc = value; }

    std::u16string Export(const Variant& what) override {
        const auto doc = AsDocument(what);
        const NoteData& note = doc->note();
        return Guarded([&] {
            DxlOptions options;
            options.convertNotesBitmapsToGif = m_convert;
            options.omitRichtextAttachments = m_omitRichtext;
            options.omitMiscFileObjects = m_omitMisc;
            options.replicaId = doc->file()->replicaId;
            const auto file = doc->file();
            return Utf8ToUtf16(DocumentToDxl(
                note, [&](const FileData& f) { return LoadFileBytes(file->fileData, f.fileId); }, options));
        });
    }

private:
    bool m_convert = false;
    bool m_omitRichtext = false;
    bool m_omitMisc = false;
};

} // namespace

std::shared_ptr<IDXLExporter> CreateDxlExporter() {
    return std::make_shared<StoreDxlExporter>();
}

} // namespace store::local
