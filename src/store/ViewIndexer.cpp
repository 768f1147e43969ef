#include "store/ViewIndexer.h"

#include "store/Names.h"
#include "store/RichText.h"
#include "store/ValueCodec.h"

#include <cmath>
#include <cstring>

namespace store {

namespace {

// Sort-key pieces: each column's piece is prefix-free, so byte order of whole keys is the order
// of their columns in turn; a descending column's piece is inverted.
void AppendNumberKey(std::string& key, char tag, double value) {
    uint64_t bits;
    if (value == 0)
        value = 0; // -0 sorts with 0
    std::memcpy(&bits, &value, sizeof bits);
    bits = (bits & 0x8000000000000000ull) ? ~bits : bits ^ 0x8000000000000000ull;
    key += tag;
    for (int i = 7; i >= 0; --i)
        key += static_cast<char>((bits >> (8 * i)) & 0xFF);
}

void AppendColumnKey(std::string& key, const ValueList& values, bool descending) {
    const size_t start = key.size();
    const Scalar* first = values.empty() ? nullptr : &values.front();
    if (!first || (std::holds_alternative<std::u16string>(*first) && std::get<std::u16string>(*first).empty())) {
        key += '\x01';
    } else if (auto number = std::get_if<double>(first)) {
        AppendNumberKey(key, '\x02', *number);
    } else if (auto date = std::get_if<OleDate>(first)) {
        AppendNumberKey(key, '\x03', date->value);
    } else {
        key += '\x04';
        for (char c : Utf16ToUtf8(FoldCase(std::get<std::u16string>(*first)))) {
            key += c;
            if (c == '\0')
                key += '\xFF';
        }
        key += '\0';
        key += '\0';
    }
    if (descending)
        for (size_t i = start; i < key.size(); ++i)
            key[i] = static_cast<char>(~key[i]);
}

void AppendNoteIdKey(std::string& key, int64_t noteId) {
    for (int i = 7; i >= 0; --i)
        key += static_cast<char>((static_cast<uint64_t>(noteId) >> (8 * i)) & 0xFF);
}

ValueList ItemColumnValues(const NoteData& note, const std::u16string& name) {
    const ItemData* item = note.findItem(name);
    if (!item) {
        if (EqualsIgnoreCase(name, u"Form"))
            return {Scalar(note.form)};
        return {};
    }
    if (item->type == item_type::kRichText)
        return {Scalar(RichTextPlainText(item->richText))};
    return item->values;
}

} // namespace

ViewIndexer::ViewIndexer(ViewDef def) : m_def(std::move(def)) {
    if (!m_def.selection.empty())
        m_selection.emplace(m_def.selection);
    for (const auto& column : m_def.columns) {
        if (column.item.empty() && !column.formula.empty())
            m_columnFormulas.emplace_back(std::in_place, column.formula);
        else
            m_columnFormulas.emplace_back();
    }
}

std::optional<ViewEntry> ViewIndexer::entryFor(const NoteData& note) const {
    if (m_selection && !m_selection->selects(note))
        return std::nullopt;
    std::vector<ValueList> columns;
    columns.reserve(m_def.columns.size());
    for (size_t i = 0; i < m_def.columns.size(); ++i) {
        if (m_columnFormulas[i]) {
            try {
                columns.push_back(m_columnFormulas[i]->evaluate(note, true));
            } catch (const FormulaError&) {
                columns.emplace_back();
            }
        } else {
            columns.push_back(ItemColumnValues(note, m_def.columns[i].item));
        }
    }
    // An index holds summary values of bounded size, as a view does: a long text is kept to its
    // beginning (the document keeps the whole of it).
    for (ValueList& column : columns)
        for (Scalar& value : column)
            if (auto* text = std::get_if<std::u16string>(&value); text && text->size() > kMaxColumnText)
                text->resize(text->at(kMaxColumnText - 1) >= 0xD800 && text->at(kMaxColumnText - 1) < 0xDC00
                                 ? kMaxColumnText - 1
                                 : kMaxColumnText);
    ViewEntry entry;
    for (size_t i = 0; i < m_def.columns.size(); ++i)
        if (m_def.columns[i].sort != sort_order::kNone)
            AppendColumnKey(entry.sortKey, columns[i], m_def.columns[i].sort == sort_order::kDescending);
    AppendNoteIdKey(entry.sortKey, note.noteId);
    entry.noteId = note.noteId;
    entry.columns = EncodeColumns(columns);
    return entry;
}

} // namespace store
