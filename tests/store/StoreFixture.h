// Builds store installations and databases for the tests in temporary folders.
#pragma once

#include "support/OleError.h"
#include "support/StoreInstallation.h"

#include "interfaces/DominoObjects.h"
#include "store/Build.h"
#include "store/LocalStore.h"
#include "store/StoreFile.h"
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

using namespace store::build;

inline std::u16string U16(const fs::path& p) {
    return p.u16string();
}

// An installation in a temporary folder: program/notes.ini and data/.
class StoreTest : public ::testing::Test {
protected:
    static constexpr char16_t kServer[] = u"CN=Hub01/O=Acme";

    void SetUp() override {
        ASSERT_TRUE(m_install.root.isValid());
        m_root = StoreInstallation::Path(m_install.root.path());
        programDir = StoreInstallation::Path(m_install.programDir);
        dataDir = StoreInstallation::Path(m_install.dataDir);
    }

    void writeNotesIni(const std::string& text) { m_install.WriteNotesIni(QString::fromStdString(text)); }

    // Creates data/<relative> with views and notes; returns the note UNIDs in order.
    std::vector<std::u16string> makeDb(const fs::path& relative, const std::vector<store::ViewDef>& views,
                                       std::vector<store::NoteData> notes) {
        return m_install.MakeDatabase(QString::fromStdU16String(relative.u16string()), views, std::move(notes));
    }

    std::shared_ptr<ISession> localSession() {
        auto session = store::CreateSession(programDir);
        session->Initialize(u"");
        return session;
    }

    std::shared_ptr<IDatabase> openLocal(const fs::path& relative) {
        return localSession()->GetDatabase(u"", relative.u16string(), false);
    }

    StoreInstallation m_install{QStringLiteral("CN=Hub01/O=Acme"), false};
    fs::path m_root, programDir, dataDir;
};

// The text of each element of an array variant.
inline std::vector<std::u16string> Texts(const Variant& array) {
    std::vector<std::u16string> out;
    for (const auto& v : array.asArray())
        out.push_back(v.kind() == Variant::Kind::Object ? v.asObject()->DefaultValueText() : v.asText());
    return out;
}

} // namespace storetest
