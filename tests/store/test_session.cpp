// Logging on, the server-name and path rules of GetDatabase, and starting the store through the
// COM class factory.
#include "StoreFixture.h"

#include "access/Domino_TLB.h"
#include "platform/PortableRegistry.h"
#include "store/Password.h"

using namespace storetest;

namespace {

class SessionTest : public StoreTest {
protected:
    void SetUp() override {
        StoreTest::SetUp();
        auto person = [](std::u16string full, std::u16string shortName, std::u16string password) {
            auto note =
                Note(u"Person", {TextItem(u"Type", {u"Person"}), TextItem(u"FullName", {full, u"Alias Name"}, 1074),
                                 TextItem(u"ShortName", {shortName})});
            if (!password.empty())
                note.items.push_back(TextItem(u"HTTPPassword", {store::HashPassword(password, 1000)}));
            return note;
        };
        makeDb("names.nsf", {},
               {person(u"CN=张伟/O=Acme", u"zhangwei", u"demo123"), person(u"CN=Bob Lee/OU=Dev/O=Acme", u"blee", u"pw"),
                person(u"CN=Twin One/O=Acme", u"twin", u"a"), person(u"CN=Twin Two/O=Acme", u"twin", u"b"),
                person(u"CN=No Password/O=Acme", u"nopw", u""),
                Note(u"Group", {TextItem(u"ListName", {u"zhangwei"}), TextItem(u"HTTPPassword", {u"x"})})});
        makeDb("a.nsf", {View(u"All", u"", u"SELECT @All", {})}, {});
        makeDb("mail/b.nsf", {}, {});
    }
};

TEST_F(SessionTest, LogsOnWithFullOrShortNameAndTheRightPasswordOnly) {
    struct Case {
        std::u16string user, password;
        bool ok;
    };
    const Case cases[] = {
        {u"CN=张伟/O=Acme", u"demo123", true},
        {u"张伟/Acme", u"demo123", true},
        {u"zhangwei", u"demo123", true},
        {u"ZhangWei", u"demo123", true},
        {u"  zhangwei ", u"demo123", true},
        {u"cn=bob lee/ou=dev/o=acme", u"pw", true},
        {u"Bob Lee/Dev/Acme", u"pw", true},
        {u"Alias Name", u"pw", false}, // several people share it
        {u"zhangwei", u"Demo123", false},
        {u"zhangwei", u"", false},
        {u"zhangwei", u"demo1234", false},
        {u"nobody", u"demo123", false},
        {u"twin", u"a", false},
        {u"nopw", u"", false},
        {u"", u"", false},
        {u"Bob Lee", u"pw", false}, // the bare common name is not listed
    };
    for (const auto& c : cases) {
        auto session = store::CreateSession(programDir);
        SCOPED_TRACE(Utf16ToUtf8(c.user) + " / " + Utf16ToUtf8(c.password));
        if (c.ok) {
            EXPECT_NO_THROW(session->InitializeUsingNotesUserName(c.user, c.password));
            EXPECT_NO_THROW(session->GetDatabase(u"", u"a.nsf", false));
        } else {
            EXPECT_FALSE(ErrorOf([&] { session->InitializeUsingNotesUserName(c.user, c.password); }).empty());
            // A failed log-on leaves the session unusable.
            EXPECT_EQ(ErrorOf([&] { session->GetDatabase(u"", u"a.nsf", false); }),
                      store::notes_text::NotInitialized());
        }
    }
}

TEST_F(SessionTest, WrongPasswordAndUnknownUserSayWhatIsWrong) {
    auto session = store::CreateSession(programDir);
    EXPECT_NE(ErrorOf([&] { session->InitializeUsingNotesUserName(u"zhangwei", u"bad"); }).find(u"密码错误"),
              std::u16string::npos);
    EXPECT_NE(ErrorOf([&] { session->InitializeUsingNotesUserName(u"ghost", u"bad"); }).find(u"ghost"),
              std::u16string::npos);
}

TEST_F(SessionTest, PasswordHashesAreSaltedAndNeverThePassword) {
    const auto a = store::HashPassword(u"demo123", 1000);
    const auto b = store::HashPassword(u"demo123", 1000);
    EXPECT_NE(a, b);
    EXPECT_EQ(a.find(u"demo123"), std::u16string::npos);
    EXPECT_TRUE(store::VerifyPassword(u"demo123", a));
    EXPECT_TRUE(store::VerifyPassword(u"demo123", b));
    EXPECT_FALSE(store::VerifyPassword(u"demo12", a));
    // Made by another PBKDF2-HMAC-SHA256 implementation: stored hashes keep verifying.
    const std::u16string known =
        u"(PBKDF2-SHA256:1000:AAECAwQFBgcICQoLDA0ODw==:vwm8ZbY+YIQGUCDN+39pKH4LOopkq7oATUh1alloBCE=)";
    EXPECT_TRUE(store::VerifyPassword(u"密码s3cret", known));
    for (const std::u16string bad : {u"", u"demo123", u"(PBKDF2-SHA256:0:AAAA:AAAA)", u"(PBKDF2-SHA256:1000:!!:##)",
                                     u"(PBKDF2-SHA256:99999999999:AAAA:AAAA)"})
        EXPECT_FALSE(store::VerifyPassword(u"demo123", bad));
}

TEST_F(SessionTest, MissingDirectoryFailsTheLogOn) {
    fs::remove(dataDir / "names.nsf");
    auto session = store::CreateSession(programDir);
    EXPECT_NE(ErrorOf([&] {
                  session->InitializeUsingNotesUserName(u"zhangwei", u"demo123");
              }).find(store::notes_text::FileDoesNotExist()),
              std::u16string::npos);
}

TEST_F(SessionTest, CallsBeforeInitializeFail) {
    auto session = store::CreateSession(programDir);
    EXPECT_EQ(ErrorOf([&] { session->GetDatabase(u"", u"a.nsf", false); }), store::notes_text::NotInitialized());
    session->Initialize(u"");
    EXPECT_NO_THROW(session->GetDatabase(u"", u"a.nsf", false));
}

TEST_F(SessionTest, ServerNameMustBeThisInstallationsServer) {
    struct Case {
        std::u16string server;
        bool ok;
    };
    const Case cases[] = {{u"", true},           {u"CN=Hub01/O=Acme", true}, {u"Hub01/Acme", true},
                          {u"hub01/acme", true}, {u"cn=HUB01/o=ACME", true}, {u" Hub01/Acme ", true},
                          {u"Hub01", false},     {u"Hub02/Acme", false},     {u"CN=Hub01/O=Other", false},
                          {u"localhost", false}};
    auto session = localSession();
    for (const auto& c : cases) {
        SCOPED_TRACE(Utf16ToUtf8(c.server));
        if (c.ok)
            EXPECT_NO_THROW(session->GetDatabase(c.server, u"a.nsf", false));
        else
            EXPECT_EQ(ErrorOf([&] { session->GetDatabase(c.server, u"a.nsf", false); }),
                      store::notes_text::ServerNotResponding());
    }
}

TEST_F(SessionTest, PathsRelativeOrAbsoluteWithEitherSeparator) {
    fs::create_directories(dataDir / "folder.nsf");
    {
        std::ofstream text(dataDir / "notes.txt");
        text << "not a database";
    }
    makeDb(m_root / "outside.nsf", {}, {});
    struct Case {
        std::u16string server, path, error; // empty error: opens
    };
    const std::u16string missing = store::notes_text::FileDoesNotExist();
    const std::u16string notDb = store::notes_text::NotADatabase();
    const Case cases[] = {
        {u"", u"a.nsf", u""},
        {u"", u"mail\\b.nsf", u""},
        {u"", u"mail/b.nsf", u""},
        {u"Hub01/Acme", u"mail\\b.nsf", u""},
        {u"", U16(dataDir / "mail" / "b.nsf"), u""},
        {u"Hub01/Acme", U16(dataDir / "a.nsf"), u""},
        {u"", U16(m_root / "outside.nsf"), u""}, // a local session opens any file
        {u"Hub01/Acme", U16(m_root / "outside.nsf"), store::notes_text::NotAuthorized()},
        {u"Hub01/Acme", u"..\\outside.nsf", store::notes_text::NotAuthorized()},
        {u"", u"missing.nsf", missing},
        {u"", u"mail\\missing.nsf", missing},
        {u"", u"", missing},
        {u"", u"folder.nsf", notDb},
        {u"", u"mail", notDb},
        {u"", u"notes.txt", notDb},
    };
    auto session = localSession();
    for (const auto& c : cases) {
        SCOPED_TRACE(Utf16ToUtf8(c.server + u" " + c.path));
        if (c.error.empty()) {
            std::shared_ptr<IDatabase> db;
            EXPECT_NO_THROW(db = session->GetDatabase(c.server, c.path, false));
            EXPECT_TRUE(db);
        } else {
            EXPECT_EQ(ErrorOf([&] { session->GetDatabase(c.server, c.path, false); }), c.error);
        }
    }
}

TEST_F(SessionTest, InstallationNeedsNotesIniWithADataDirectory) {
    fs::remove(programDir / "notes.ini");
    EXPECT_FALSE(ErrorOf([&] { store::CreateSession(programDir); }).empty());
    writeNotesIni("ServerName=CN=Hub01/O=Acme\n");
    EXPECT_FALSE(ErrorOf([&] { store::CreateSession(programDir); }).empty());
    // A relative data directory is taken from the program folder.
    writeNotesIni("Directory=../data\r\nServerName=CN=Hub01/O=Acme\r\n");
    auto session = store::CreateSession(programDir);
    session->Initialize(u"");
    EXPECT_NO_THROW(session->GetDatabase(u"Hub01/Acme", u"a.nsf", false));
}

TEST_F(SessionTest, FactoryStartsTheStoreFromTheRegisteredComponentFile) {
    const fs::path component = programDir / "nlsxbe.dll";
    PortableComClassFactory::WriteComponentFile(component, store::kComponentKind);
    MemoryRegistry registry;
    PortableComClassFactory factory(registry);
    store::RegisterLocalStore(factory);

    int32_t code = 0;
    EXPECT_FALSE(ErrorOf([&] { factory.CreateByClass(domino_ids::kNotesSessionClass); }, &code).empty());
    EXPECT_EQ(code, hresult::kClassNotRegistered);

    registry.CreateKey(PortableComClassFactory::InprocServerKey(domino_ids::kNotesSessionClass))
        ->WriteString(u"", U16(programDir / "missing.dll"));
    EXPECT_FALSE(ErrorOf([&] { factory.CreateByClass(domino_ids::kNotesSessionClass); }, &code).empty());
    EXPECT_EQ(code, hresult::kClassNotRegistered);

    registry.CreateKey(PortableComClassFactory::InprocServerKey(domino_ids::kNotesSessionClass))
        ->WriteString(u"", U16(component));
    TNotesSession session(factory);
    session.InitializeUsingNotesUserName(u"zhangwei", u"demo123");
    EXPECT_TRUE(session.GetDatabase(u"Hub01/Acme", u"a.nsf", false));
}

} // namespace
