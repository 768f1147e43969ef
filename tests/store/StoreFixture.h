// Builds store installations and databases for the tests in temporary folders.
#pragma once

#include "access/Domino_TLB.h"
#include "store/LocalStore.h"
#include "store/NsfFile.h"
#include "store/RichText.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

namespace storetest {

namespace fs = std::filesystem;

inline store::ItemData Text(std::u16string name, std::vector<std::u16string> values, int32_t type = 1280) {
    store::ItemData item;
    item.name = std::move(name);
    item.type = type;
    item.flags = store::item_flag::kSummary;
    for (auto& v : values)
        item.values.emplace_back(std::move(v));
    return item;
}

inline store::ItemData Numbers(std::u16string name, std::vector<double> values) {
    store::ItemData item;
    item.name = std::move(name);
    item.type = 768;
    item.flags = store::item_flag::kSummary;
    for (double v : values)
        item.values.emplace_back(v);
    return item;
}

inline store::ItemData Dates(std::u16string name, std::vector<double> values) {
    store::ItemData item;
    item.name = std::move(name);
    item.type = 1024;
    item.flags = store::item_flag::kSummary;
    for (double v : values)
        item.values.emplace_back(OleDate{v});
    return item;
}

inline store::ItemData Rich(std::u16string name, std::string fragment) {
    store::ItemData item;
    item.name = std::move(name);
    item.type = 1;
    item.richText = std::move(fragment);
    return item;
}

inline store::NoteData Note(std::u16string form, std::vector<store::ItemData> items) {
    store::NoteData note;
    note.form = std::move(form);
    note.items = std::move(items);
    return note;
}

inline store::ViewDef View(std::u16string name, std::u16string selection, std::vector<store::ColumnDef> columns,
                           std::u16string alias = {}) {
    store::ViewDef view;
    view.name = std::move(name);
    view.alias = std::move(alias);
    view.selection = std::move(selection);
    view.columns = std::move(columns);
    return view;
}

inline store::ColumnDef Col(std::u16string title, std::u16string item, int sort = store::sort_order::kNone) {
    store::ColumnDef column;
    column.title = std::move(title);
    column.item = std::move(item);
    column.sort = sort;
    return column;
}

inline store::ColumnDef FormulaCol(std::u16string title, std::u16string formula) {
    store::ColumnDef column;
    column.title = std::move(title);
    column.formula = std::move(formula);
    return column;
}

inline std::u16string U16(const fs::path& p) {
    return p.u16string();
}

// An installation in a temporary folder: program/notes.ini and data/.
class StoreTest : public ::testing::Test {
protected:
    static constexpr char16_t kServer[] = u"CN=Hub01/O=Acme";

    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_root = fs::path(m_dir.path().toStdU16String());
        programDir = m_root / "program";
        dataDir = m_root / "data";
        fs::create_directories(programDir);
        fs::create_directories(dataDir);
        writeNotesIni("Directory=" + dataDir.string() + "\nServerName=CN=Hub01/O=Acme\n");
    }

    void writeNotesIni(const std::string& text) {
        std::ofstream out(programDir / "notes.ini", std::ios::binary | std::ios::trunc);
        out << "[Notes]\n" << text;
    }

    // Creates data/<relative> with views and notes; returns the note UNIDs in order.
    std::vector<std::u16string> makeDb(const fs::path& relative, const std::vector<store::ViewDef>& views,
                                       std::vector<store::NoteData> notes) {
        const fs::path file = relative.is_absolute() ? relative : dataDir / relative;
        fs::create_directories(file.parent_path());
        auto writer = store::DatabaseWriter::Create(file, u"test");
        for (const auto& view : views)
            writer->addView(view);
        std::vector<std::u16string> unids;
        for (auto& note : notes)
            unids.push_back(writer->addNote(std::move(note)));
        writer->commit();
        return unids;
    }

    std::shared_ptr<ISession> localSession() {
        auto session = store::CreateSession(programDir);
        session->Initialize(u"");
        return session;
    }

    std::shared_ptr<IDatabase> openLocal(const fs::path& relative) {
        return localSession()->GetDatabase(u"", relative.u16string(), false);
    }

    QTemporaryDir m_dir;
    fs::path m_root, programDir, dataDir;
};

// Runs f and returns the message of the EOleException it raises (fails the test if none).
inline std::u16string ErrorOf(const std::function<void()>& f, int32_t* code = nullptr) {
    try {
        f();
    } catch (const EOleException& e) {
        if (code)
            *code = e.code();
        return e.message();
    }
    ADD_FAILURE() << "no EOleException raised";
    return {};
}

// The text of each element of an array variant.
inline std::vector<std::u16string> Texts(const Variant& array) {
    std::vector<std::u16string> out;
    for (const auto& v : array.asArray())
        out.push_back(v.kind() == Variant::Kind::Object ? v.asObject()->DefaultValueText() : v.asText());
    return out;
}

} // namespace storetest
