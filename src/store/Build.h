// Short ways to write notes, items, files and views, for the code that builds databases (the demo,
// the tests, the benchmarks).
#pragma once

#include "store/Note.h"

#include <string>
#include <vector>

namespace store::build {

// A summary item of the given type holding values, each made a Scalar as Stored.
template <class Stored, class Value>
ItemData SummaryItem(std::u16string name, int32_t type, std::vector<Value> values) {
    ItemData item;
    item.name = std::move(name);
    item.type = type;
    item.flags = item_flag::kSummary;
    for (auto& v : values)
        item.values.emplace_back(Stored{std::move(v)});
    return item;
}

inline ItemData TextItem(std::u16string name, std::vector<std::u16string> values, int32_t type = item_type::kText) {
    return SummaryItem<std::u16string>(std::move(name), type, std::move(values));
}

inline ItemData NumberItem(std::u16string name, std::vector<double> values) {
    return SummaryItem<double>(std::move(name), item_type::kNumbers, std::move(values));
}

inline ItemData DateItem(std::u16string name, std::vector<double> values) {
    return SummaryItem<OleDate>(std::move(name), item_type::kDateTimes, std::move(values));
}

// fragment: a DXL <richtext> fragment (RichTextBuilder::fragment()).
inline ItemData RichItem(std::u16string name, std::string fragment) {
    ItemData item;
    item.name = std::move(name);
    item.type = item_type::kRichText;
    item.richText = std::move(fragment);
    return item;
}

inline FileData FileObject(std::u16string name, std::string bytes, int32_t kind = file_kind::kAttachment,
                           std::u16string objectClass = {}) {
    FileData file;
    file.name = std::move(name);
    file.kind = kind;
    file.objectClass = std::move(objectClass);
    file.bytes = std::move(bytes);
    return file;
}

inline ColumnDef Column(std::u16string title, std::u16string item, int sort = sort_order::kNone) {
    ColumnDef column;
    column.title = std::move(title);
    column.item = std::move(item);
    column.sort = sort;
    return column;
}

inline ColumnDef FormulaColumn(std::u16string title, std::u16string formula, int sort = sort_order::kNone) {
    ColumnDef column;
    column.title = std::move(title);
    column.formula = std::move(formula);
    column.sort = sort;
    return column;
}

inline ViewDef View(std::u16string name, std::u16string alias, std::u16string selection,
                    std::vector<ColumnDef> columns = {}) {
    ViewDef view;
    view.name = std::move(name);
    view.alias = std::move(alias);
    view.selection = std::move(selection);
    view.columns = std::move(columns);
    return view;
}

inline NoteData Note(std::u16string form, std::vector<ItemData> items) {
    NoteData note;
    note.form = std::move(form);
    note.items = std::move(items);
    return note;
}

} // namespace store::build
