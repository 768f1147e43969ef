#include "store/LocalStore.h"

#include "interfaces/Text.h"
#include "platform/ProfileFile.h"
#include "store/DbFile.h"
#include "store/Names.h"
#include "store/Password.h"
#include "store/ServerErrors.h"
#include "store/StoreDatabase.h"
#include "store/StoreDocument.h"
#include "store/ValueCodec.h"

#include <QFileInfo>
#include <QString>

namespace store {

namespace {

using namespace local;

// Is path (absolute, normalised) inside dir?
bool IsInside(const std::filesystem::path& path, const std::filesystem::path& dir) {
    const auto relative = path.lexically_relative(dir);
    if (relative.empty())
        return false;
    const auto first = *relative.begin();
    return first != ".." && first != ".";
}

class StoreSession : public ISession {
public:
    StoreSession(Installation installation, ForeignDatabaseReader readForeign)
        : m_installation(std::move(installation)), m_readForeign(std::move(readForeign)) {}

    void Initialize(const std::u16string&) override {
        // The installation keeps no ID file: local use needs no password.
        m_state = State::Local;
    }

    void InitializeUsingNotesUserName(const std::u16string& userName, const std::u16string& password) override {
        m_state = State::None;
        // An installation without a server of its own (a client's, the program's own) has no
        // server to log on to: as for a server that does not answer.
        if (TrimBlanks(m_installation.serverName).empty())
            Raise(notes_text::ServerNotResponding());
        const std::u16string name = TrimBlanks(userName);
        if (name.empty())
            Raise(notes_text::AnonymousRefused(), notes_code::kNoAccess);
        std::shared_ptr<DbFile> directory;
        try {
            directory = OpenDb(m_installation.dataDir / std::filesystem::path(m_installation.directoryFile));
        } catch (const EOleException& e) {
            Raise(notes_text::DirectoryUnavailable(e.message()), e.code());
        }
        const auto hashes = Guarded([&] { return PasswordsOf(*directory, name); });
        if (hashes.empty())
            Raise(notes_text::UserNotListed(name), notes_code::kNoAccess);
        if (hashes.size() > 1)
            Raise(notes_text::UserAmbiguous(name), notes_code::kNoAccess);
        if (!VerifyPassword(password, hashes.front()))
            Raise(notes_text::WrongPassword(), notes_code::kNoAccess);
        m_state = State::Server;
    }

    std::shared_ptr<IDatabase> GetDatabase(const std::u16string& server, const std::u16string& path, bool) override {
        if (m_state == State::None)
            Raise(notes_text::NotInitialized());
        const std::u16string serverName = TrimBlanks(server);
        const bool remote = !serverName.empty();
        if (remote && !IsOwnServer(serverName))
            Raise(notes_text::ServerNotResponding());
        std::u16string text = TrimBlanks(path);
        for (auto& c : text)
            if (c == u'\\')
                c = u'/';
        if (text.empty())
            Raise(notes_text::FileDoesNotExist(), notes_code::kFileNotFound);
        std::filesystem::path file(text);
        if (file.is_relative())
            file = m_installation.dataDir / file;
        file = file.lexically_normal();
        if (remote && !IsInside(file, m_installation.dataDir.lexically_normal()))
            Raise(notes_text::NotAuthorized(), notes_code::kNoAccess);
        // A database file of another kind (as Domino writes it) is read into a store database
        // and opened from there.
        if (m_readForeign) {
            try {
                if (auto read = m_readForeign(file))
                    file = std::move(*read);
            } catch (const EOleException&) {
                throw;
            } catch (const std::exception& e) {
                Raise(notes_text::ReadFailed(QString::fromUtf8(e.what()).toStdU16String()),
                      notes_code::kDatabaseOpenFailed);
            }
        }
        return CreateDatabase(OpenDb(file));
    }

    Variant Evaluate(const std::u16string& formula, const Variant& document) override {
        const auto doc = AsDocument(document);
        const NoteData& note = doc->note();
        return Guarded([&] { return ToVariantArray(Formula(formula).evaluate(note)); });
    }

    std::shared_ptr<IDXLExporter> CreateDXLExporter() override { return CreateDxlExporter(); }

private:
    enum class State { None, Local, Server };

    bool IsOwnServer(const std::u16string& name) const {
        return EqualsIgnoreCase(AbbreviateName(name), AbbreviateName(m_installation.serverName));
    }

    // Password hashes of the Person documents whose full or short name is name.
    static std::vector<std::u16string> PasswordsOf(DbFile& directory, const std::u16string& name) {
        std::vector<std::u16string> hashes;
        const std::u16string abbreviated = AbbreviateName(name);
        auto people = directory.db.prepare("SELECT note_id FROM notes WHERE form = 'Person' ORDER BY note_id");
        while (people.step()) {
            const auto person = LoadNote(directory.db, people.int64(0));
            if (!person)
                continue;
            bool match = false;
            for (const auto* itemName : {u"FullName", u"ShortName"})
                if (const ItemData* item = person->findItem(itemName))
                    for (const auto& value : item->values)
                        if (auto text = std::get_if<std::u16string>(&value))
                            match = match || EqualsIgnoreCase(*text, name) ||
                                    EqualsIgnoreCase(AbbreviateName(*text), abbreviated);
            if (!match)
                continue;
            const ItemData* password = person->findItem(u"HTTPPassword");
            hashes.push_back(password && !password->values.empty() &&
                                     std::holds_alternative<std::u16string>(password->values.front())
                                 ? std::get<std::u16string>(password->values.front())
                                 : std::u16string());
        }
        return hashes;
    }

    Installation m_installation;
    ForeignDatabaseReader m_readForeign;
    State m_state = State::None;
};

} // namespace

Installation ReadInstallation(const std::filesystem::path& programDir) {
    const QString iniPath = QString::fromStdU16String((programDir / "notes.ini").u16string());
    if (!QFileInfo(iniPath).isFile())
        Raise(notes_text::NoNotesIni(programDir.u16string()), hresult::kFail);
    const ProfileFile ini(iniPath);
    const auto value = [&ini](const char* key) {
        return ini.ReadString(QStringLiteral("Notes"), QString::fromLatin1(key), QString()).toStdU16String();
    };
    Installation installation;
    installation.programDir = programDir;
    const std::u16string directory = value("Directory");
    if (directory.empty())
        Raise(notes_text::NoDataDirectory(), hresult::kFail);
    installation.dataDir = std::filesystem::path(directory);
    if (installation.dataDir.is_relative())
        installation.dataDir = programDir / installation.dataDir;
    installation.serverName = value("ServerName");
    const std::u16string names = value("Names");
    if (!names.empty()) {
        // The first directory listed; ".nsf" may be left out.
        std::u16string first = TrimBlanks(names.substr(0, names.find(u',')));
        if (first.size() < 4 || !EqualsIgnoreCase(first.substr(first.size() - 4), u".nsf"))
            first += u".nsf";
        installation.directoryFile = first;
    }
    return installation;
}

std::shared_ptr<ISession> CreateSession(const std::filesystem::path& programDir, ForeignDatabaseReader readForeign) {
    return std::make_shared<StoreSession>(ReadInstallation(programDir), std::move(readForeign));
}

void RegisterLocalStore(PortableComClassFactory& factory, ForeignDatabaseReader readForeign) {
    factory.RegisterLoader(kComponentKind, [readForeign](const std::filesystem::path& componentFile) {
        return std::static_pointer_cast<IDispatchObject>(CreateSession(componentFile.parent_path(), readForeign));
    });
}

} // namespace store
