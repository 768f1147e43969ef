// The store's documents and their embedded objects.
#pragma once

#include "interfaces/FileSystem.h"
#include "platform/WholeFile.h"
#include "store/DbFile.h"
#include "store/Names.h"
#include "store/RichText.h"
#include "store/ServerErrors.h"
#include "store/ValueCodec.h"
#include "store/ViewWindow.h"

#include <QByteArray>
#include <QString>

#include <cerrno>
#include <memory>

namespace store::local {

class StoreEmbeddedObject : public IEmbeddedObject {
public:
    StoreEmbeddedObject(std::shared_ptr<DbFile> file, FileData data)
        : m_file(std::move(file)), m_data(std::move(data)) {}

    std::u16string DefaultValueText() override { return m_data.name; }
    std::u16string Name() override { return m_data.name; }
    int32_t Type() override { return m_data.kind; }

    // The file appears whole or not at all: a full disk leaves no part of it under path.
    void ExtractFile(const std::u16string& path) override {
        const std::string bytes = Guarded([&] { return LoadFileBytes(m_file->fileData, m_data.fileId); });
        if (path.empty())
            Raise(notes_text::WriteFailed(SystemErrorText(ENOENT)), hresult::kFail);
        try {
            WriteThroughTemporary(QString::fromStdU16String(path),
                                  QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size())));
        } catch (const WholeFileError& error) {
            Raise(notes_text::WriteFailed(Utf8ToUtf16(error.what())), hresult::kFail);
        }
    }

private:
    std::shared_ptr<DbFile> m_file;
    FileData m_data;
};

class StoreDocument : public IDocument, public std::enable_shared_from_this<StoreDocument> {
public:
    StoreDocument(std::shared_ptr<DbFile> file, NoteData header) : m_file(std::move(file)), m_note(std::move(header)) {}

    // A document reached through a view: its place there and its column values; its body may
    // come with the window it was read in.
    void setViewEntry(int64_t viewId, int64_t position, std::string columns, std::weak_ptr<ViewWindow> window) {
        m_viewId = viewId;
        m_position = position;
        m_columns = std::move(columns);
        m_window = std::move(window);
    }

    const std::shared_ptr<DbFile>& file() const { return m_file; }
    int64_t noteId() const { return m_note.noteId; }
    int64_t viewId() const { return m_viewId; }
    int64_t position() const { return m_position; }

    const NoteData& note() {
        if (!m_loaded) {
            Guarded([&] {
                const auto window = m_window.lock();
                if (auto body = window ? window->takeBody(*m_file, m_note.noteId, m_position) : std::nullopt) {
                    m_note.items = std::move(body->items);
                    m_note.files = std::move(body->files);
                } else {
                    LoadNoteBody(m_file->noteBody, m_note);
                }
            });
            m_loaded = true;
        }
        return m_note;
    }

    std::u16string UniversalID() override { return m_note.unid; }

    Variant ColumnValues() override {
        if (m_viewId == 0)
            return {};
        return Guarded([&] {
            Variant::Array values;
            for (const auto& column : DecodeColumns(m_columns))
                values.push_back(ToVariant(column));
            return Variant(std::move(values));
        });
    }

    Variant Items() override;
    bool HasEmbedded() override { return !note().files.empty(); }

    std::shared_ptr<IEmbeddedObject> GetAttachment(const std::u16string& fileName) override {
        return GetNthAttachment(fileName, 1);
    }

    std::shared_ptr<IEmbeddedObject> GetNthAttachment(const std::u16string& fileName, int32_t n) override {
        for (const auto& file : note().files)
            if (file.kind == file_kind::kAttachment && EqualsIgnoreCase(file.name, fileName) && --n == 0)
                return std::make_shared<StoreEmbeddedObject>(m_file, file);
        return nullptr;
    }

    std::shared_ptr<IItem> GetFirstItem(const std::u16string& name) override;

    Variant GetItemValue(const std::u16string& name) override {
        const ItemData* item = note().findItem(name);
        if (!item)
            return ToVariantArray({});
        return itemValues(static_cast<size_t>(item - note().items.data()));
    }

    // The values of the item at index: an array; rich text gives its text.
    Variant itemValues(size_t index) {
        const ItemData& item = note().items.at(index);
        if (item.type == item_type::kRichText)
            return Guarded([&] { return Variant(Variant::Array{Variant(RichTextPlainText(richText(index)))}); });
        return ToVariantArray(item.values);
    }

    // Embedded objects the rich-text item at index refers to, in its order; the item is read
    // once however often they are asked for.
    const std::vector<std::shared_ptr<IEmbeddedObject>>& embeddedObjects(size_t index) {
        const auto known = m_objects.find(index);
        if (known != m_objects.end())
            return known->second;
        std::vector<std::shared_ptr<IEmbeddedObject>> objects;
        const auto& refs = Guarded([&]() -> const std::vector<RichTextRef>& { return richText(index).refs; });
        for (const auto& ref : refs)
            for (const auto& file : note().files)
                if (EqualsIgnoreCase(file.name, ref.name)) {
                    objects.push_back(std::make_shared<StoreEmbeddedObject>(m_file, file));
                    break;
                }
        return m_objects.emplace(index, std::move(objects)).first->second;
    }

    // What the rich-text item at index holds, read once. Raises CorruptData.
    const RichTextContent& richText(size_t index) {
        const auto known = m_richText.find(index);
        if (known != m_richText.end())
            return known->second;
        return m_richText.emplace(index, ReadRichText(note().items.at(index).richText)).first->second;
    }

private:
    std::shared_ptr<DbFile> m_file;
    NoteData m_note;
    bool m_loaded = false;
    int64_t m_viewId = 0;
    int64_t m_position = 0;
    std::string m_columns;
    std::weak_ptr<ViewWindow> m_window;
    std::unordered_map<size_t, std::vector<std::shared_ptr<IEmbeddedObject>>> m_objects; // by item index
    std::unordered_map<size_t, RichTextContent> m_richText;                              // by item index
};

// The store's document a value holds; raises a type mismatch for anything else.
std::shared_ptr<StoreDocument> AsDocument(const Variant& value);

std::shared_ptr<IDXLExporter> CreateDxlExporter();

} // namespace store::local
