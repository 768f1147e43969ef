// The Domino Objects adapters against a small fake server: the arguments each member receives,
// Nothing as an empty pointer, arrays of objects, errors, and that no reference is leaked.
#include "TestServer.h"
#include "support/OleError.h"

#include "interfaces/DominoObjects.h"
#include "win32/Win32DominoObjects.h"
#include "win32/Win32ComClassFactory.h"

#include <gtest/gtest.h>

using namespace win32;
using testserver::FakeCall;
using testserver::FakeDispatch;
using testserver::VariantArray;

namespace {

constexpr HRESULT kFileNotFound = static_cast<HRESULT>(0x80040FA3);
constexpr HRESULT kBadUnid = static_cast<HRESULT>(0x80040FFB);

OwnedVariant Objects(LONG lower, std::initializer_list<IDispatch*> objects) {
    std::vector<OwnedVariant> values;
    for (auto* object : objects)
        values.push_back(ObjectArg(DispatchPtr::Share(object)));
    return VariantArray(lower, std::move(values));
}

class ForeignDocument : public IDocument {
public:
    std::u16string UniversalID() override { return {}; }
    Variant ColumnValues() override { return {}; }
    Variant Items() override { return {}; }
    bool HasEmbedded() override { return false; }
    std::shared_ptr<IEmbeddedObject> GetAttachment(const std::u16string&) override { return nullptr; }
    std::shared_ptr<IItem> GetFirstItem(const std::u16string&) override { return nullptr; }
    Variant GetItemValue(const std::u16string&) override { return {}; }
};

// A session with one database, two views, two documents, a rich text item with one
// attachment, a text item and a DXL exporter.
class DominoServer : public ::testing::Test {
protected:
    using Fake = testserver::FakeObject;

    ComApartment apartment;
    Fake sessionF, dbF, allF, byDateF, entriesF, doc1F, doc2F, bodyF, subjectF, attachmentF, exporterF;
    std::shared_ptr<ISession> session;

    void SetUp() override {
        DefineSession();
        DefineDatabase();
        DefineViews();
        DefineDocuments();
        DefineItems();
        session = WrapSession(sessionF.get());
        ASSERT_NE(session, nullptr);
    }

    void TearDown() override {
        session.reset();
        // Every reference the adapters took has been given back.
        for (const Fake* fake :
             {&sessionF, &dbF, &allF, &byDateF, &entriesF, &doc1F, &doc2F, &bodyF, &subjectF, &attachmentF, &exporterF})
            EXPECT_EQ(fake->raw->references(), 1u);
    }

    void DefineSession() {
        sessionF->Define(u"Initialize", [](FakeCall&) { return S_OK; });
        sessionF->Define(u"InitializeUsingNotesUserName", [](FakeCall&) { return S_OK; });
        sessionF->Define(u"GetDatabase", [this](FakeCall& call) {
            const auto path = call.TextArg(1);
            if (path == u"names.nsf")
                return call.ReturnObject(dbF.get());
            if (path == u"missing.nsf")
                return call.ReturnObject(nullptr);
            return call.Raise(u"File does not exist", kFileNotFound);
        });
        sessionF->Define(u"Evaluate", [](FakeCall& call) {
            std::vector<OwnedVariant> values;
            values.push_back(TextArg(call.TextArg(0)));
            values.push_back(IntArg(static_cast<int32_t>(call.args.size())));
            return call.ReturnValue(VariantArray(0, std::move(values)));
        });
        sessionF->DefineObject(u"CreateDXLExporter", exporterF.get());
        for (const char16_t* property :
             {u"ConvertNotesBitmapsToGIF", u"OmitRichtextAttachments", u"OmitMiscFileObjects"})
            exporterF->Define(property, [](FakeCall& call) {
                return call.flags == DISPATCH_PROPERTYPUT ? S_OK : DISP_E_MEMBERNOTFOUND;
            });
        exporterF->Define(u"Export", [this](FakeCall& call) {
            if (call.ArgType(0) != VT_DISPATCH || call.args[0].get()->pdispVal != doc1F.get())
                return call.Raise(u"Export needs a document", E_INVALIDARG);
            return call.ReturnText(u"<document unid='ABC'/>");
        });
    }

    void DefineDatabase() {
        dbF->Define(u"Views", [this](FakeCall& call) {
            return call.ReturnValue(Objects(1, {allF.get(), byDateF.get()}));
        });
        dbF->Define(u"GetView", [this](FakeCall& call) {
            return call.ReturnObject(call.TextArg(0) == u"All" ? allF.get() : nullptr);
        });
        dbF->Define(u"GetDocumentByUNID", [this](FakeCall& call) {
            if (call.TextArg(0) == u"ABC")
                return call.ReturnObject(doc1F.get());
            return call.Raise(u"Invalid universal id", kBadUnid);
        });
    }

    void DefineViews() {
        allF->DefineDefault([](FakeCall& call) { return call.ReturnText(u"All"); });
        allF->DefineText(u"Name", u"All");
        allF->Define(u"ColumnCount", [](FakeCall& call) { return call.ReturnShort(3); });
        allF->Define(u"ColumnNames", [](FakeCall& call) {
            std::vector<OwnedVariant> names;
            for (auto name : {u"Subject", u"Date", u"Size"})
                names.push_back(TextArg(name));
            return call.ReturnValue(VariantArray(0, std::move(names)));
        });
        allF->DefineObject(u"AllEntries", entriesF.get());
        entriesF->Define(u"Count", [](FakeCall& call) { return call.ReturnInt(2); });
        allF->Define(u"GetNthDocument", [this](FakeCall& call) {
            const int32_t n = call.IntArg(0);
            return call.ReturnObject(n == 1 ? doc1F.get() : n == 2 ? doc2F.get() : nullptr);
        });
        allF->Define(u"GetNextDocument", [this](FakeCall& call) {
            IDispatch* doc = call.ArgType(0) == VT_DISPATCH ? call.args[0].get()->pdispVal : nullptr;
            if (doc == doc1F.get())
                return call.ReturnObject(doc2F.get());
            if (doc == doc2F.get())
                return call.ReturnObject(nullptr);
            return call.Raise(u"Document is not in this view", E_INVALIDARG);
        });
        byDateF->DefineDefault([](FakeCall& call) { return call.ReturnText(u"By date"); });
        byDateF->DefineText(u"Name", u"By date");
    }

    void DefineDocuments() {
        doc1F->DefineText(u"UniversalID", u"ABC");
        doc2F->DefineText(u"UniversalID", u"DEF");
        doc1F->Define(u"ColumnValues", [](FakeCall& call) {
            std::vector<OwnedVariant> inner;
            inner.push_back(IntArg(1));
            inner.push_back(IntArg(2));
            std::vector<OwnedVariant> values;
            values.push_back(TextArg(u"Hello"));
            values.push_back(ToVariant(Variant(OleDate{45000.5})));
            values.push_back(VariantArray(0, std::move(inner)));
            return call.ReturnValue(VariantArray(0, std::move(values)));
        });
        doc1F->Define(u"Items", [this](FakeCall& call) {
            return call.ReturnValue(Objects(0, {bodyF.get(), subjectF.get()}));
        });
        doc1F->Define(u"HasEmbedded", [](FakeCall& call) { return call.ReturnBool(true); });
        doc2F->Define(u"HasEmbedded", [](FakeCall& call) { return call.ReturnInt(0); });
        doc1F->Define(u"GetAttachment", [this](FakeCall& call) {
            return call.ReturnObject(call.TextArg(0) == u"a.txt" ? attachmentF.get() : nullptr);
        });
        doc1F->Define(u"GetFirstItem", [this](FakeCall& call) {
            const auto name = call.TextArg(0);
            return call.ReturnObject(name == u"Body" ? bodyF.get() : name == u"Subject" ? subjectF.get() : nullptr);
        });
        doc1F->Define(u"GetItemValue", [](FakeCall& call) {
            std::vector<OwnedVariant> values;
            values.push_back(TextArg(u"value of " + call.TextArg(0)));
            return call.ReturnValue(VariantArray(0, std::move(values)));
        });
    }

    void DefineItems() {
        bodyF->DefineDefault([](FakeCall& call) { return call.ReturnText(u"Body"); });
        bodyF->DefineText(u"Name", u"Body");
        bodyF->Define(u"Type", [](FakeCall& call) { return call.ReturnInt(item_type::kRichText); });
        bodyF->Define(u"EmbeddedObjects",
                      [this](FakeCall& call) { return call.ReturnValue(Objects(0, {attachmentF.get()})); });
        bodyF->Define(u"GetEmbeddedObject", [this](FakeCall& call) {
            return call.ReturnObject(call.TextArg(0) == u"a.txt" ? attachmentF.get() : nullptr);
        });
        bodyF->Define(u"GetFormattedText", [](FakeCall& call) {
            return call.ReturnText(u"text " + call.TextArg(0) + u" " + call.TextArg(1));
        });
        subjectF->DefineDefault([](FakeCall& call) { return call.ReturnText(u"Subject"); });
        subjectF->DefineText(u"Name", u"Subject");
        subjectF->Define(u"Type", [](FakeCall& call) { return call.ReturnInt(item_type::kText); });
        subjectF->Define(u"Values", [](FakeCall& call) {
            std::vector<OwnedVariant> values;
            values.push_back(TextArg(u"one"));
            values.push_back(TextArg(u"two"));
            return call.ReturnValue(VariantArray(0, std::move(values)));
        });
        attachmentF->DefineDefault([](FakeCall& call) { return call.ReturnText(u"a.txt"); });
        attachmentF->DefineText(u"Name", u"a.txt");
        attachmentF->Define(u"ExtractFile", [](FakeCall& call) {
            if (call.TextArg(0).find(u"locked") != std::u16string::npos)
                return call.Raise(u"Cannot write the file", E_ACCESSDENIED);
            return S_OK;
        });
    }

    std::shared_ptr<IDatabase> Database() { return session->GetDatabase(u"", u"names.nsf", false); }
    std::shared_ptr<IView> View() { return Database()->GetView(u"All"); }
    std::shared_ptr<IDocument> Document() { return Database()->GetDocumentByUNID(u"ABC"); }
};

} // namespace

using SessionAdapter = DominoServer;

TEST_F(SessionAdapter, InitializePassesTheTexts) {
    session->Initialize(u"pass word");
    EXPECT_EQ(sessionF->lastArgs[u"Initialize"], std::vector<Variant>{Variant(u"pass word")});
    session->InitializeUsingNotesUserName(u"CN=Ann/O=Org", u"pw");
    EXPECT_EQ(sessionF->lastArgs[u"InitializeUsingNotesUserName"],
              (std::vector<Variant>{Variant(u"CN=Ann/O=Org"), Variant(u"pw")}));
}

TEST_F(SessionAdapter, GetDatabaseArgumentsResultNothingAndError) {
    auto db = session->GetDatabase(u"Server/Org", u"names.nsf", true);
    ASSERT_NE(db, nullptr);
    EXPECT_EQ(DispatchOf(db).get(), dbF.get());
    EXPECT_EQ(sessionF->lastArgs[u"GetDatabase"],
              (std::vector<Variant>{Variant(u"Server/Org"), Variant(u"names.nsf"), Variant(true)}));
    EXPECT_EQ(sessionF->lastTypes[u"GetDatabase"], (std::vector<VARTYPE>{VT_BSTR, VT_BSTR, VT_BOOL}));

    EXPECT_EQ(session->GetDatabase(u"", u"missing.nsf", false), nullptr);

    int32_t code = 0;
    EXPECT_EQ(ErrorOf([&] { session->GetDatabase(u"", u"other.nsf", false); }, &code), u"File does not exist");
    EXPECT_EQ(code, kFileNotFound);
}

TEST_F(SessionAdapter, DatabaseReachedThroughTheSession) {
    auto db = session->GetDatabase(u"", u"names.nsf", false);
    ASSERT_NE(db, nullptr);
    EXPECT_EQ(db->GetView(u"All")->Name(), u"All");
}

TEST_F(SessionAdapter, EvaluateLeavesOutAMissingDocumentAndPassesAGivenOne) {
    EXPECT_EQ(session->Evaluate(u"@Now", Variant()), Variant(Variant::Array{u"@Now", 1}));

    auto doc = Document();
    EXPECT_EQ(session->Evaluate(u"Subject", Variant(Variant::Object(doc))), Variant(Variant::Array{u"Subject", 2}));
    EXPECT_EQ(sessionF->lastObjects[u"Evaluate"][1], doc1F.get());

    session->Evaluate(u"1", Variant(Variant::Object()));
    EXPECT_EQ(sessionF->lastTypes[u"Evaluate"], (std::vector<VARTYPE>{VT_BSTR, VT_DISPATCH}));
    EXPECT_EQ(sessionF->lastObjects[u"Evaluate"][1], nullptr);

    int32_t code = 0;
    ErrorOf([&] { session->Evaluate(u"1", Variant(Variant::Object(std::make_shared<ForeignDocument>()))); }, &code);
    EXPECT_EQ(code, DISP_E_TYPEMISMATCH);
}

TEST_F(SessionAdapter, DxlExporter) {
    auto exporter = session->CreateDXLExporter();
    ASSERT_NE(exporter, nullptr);
    exporter->SetConvertNotesBitmapsToGIF(true);
    exporter->SetOmitRichtextAttachments(true);
    exporter->SetOmitMiscFileObjects(false);
    EXPECT_EQ(exporterF->lastPut[u"ConvertNotesBitmapsToGIF"], Variant(true));
    EXPECT_EQ(exporterF->lastPut[u"OmitMiscFileObjects"], Variant(false));
    EXPECT_EQ(exporterF->log,
              (std::vector<std::u16string>{u"put:ConvertNotesBitmapsToGIF", u"put:OmitRichtextAttachments",
                                           u"put:OmitMiscFileObjects"}));

    auto doc = Document();
    EXPECT_EQ(exporter->Export(Variant(Variant::Object(doc))), u"<document unid='ABC'/>");
    int32_t code = 0;
    EXPECT_EQ(ErrorOf([&] { exporter->Export(Variant(u"not a document")); }, &code), u"Export needs a document");
    EXPECT_EQ(code, E_INVALIDARG);
}

using DatabaseAdapter = DominoServer;

TEST_F(DatabaseAdapter, ViewsAreViewObjectsNamedByTheirDefaultValue) {
    const Variant views = Database()->Views();
    ASSERT_EQ(views.kind(), Variant::Kind::Array);
    ASSERT_EQ(views.asArray().size(), 2u);
    EXPECT_EQ(views.asArray()[0].asObject()->DefaultValueText(), u"All");
    EXPECT_EQ(views.asArray()[1].asObject()->DefaultValueText(), u"By date");
    auto view = std::dynamic_pointer_cast<IView>(views.asArray()[1].asObject());
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->Name(), u"By date");
}

TEST_F(DatabaseAdapter, GetViewAndDocumentByUnid) {
    auto db = Database();
    EXPECT_NE(db->GetView(u"All"), nullptr);
    EXPECT_EQ(db->GetView(u"None"), nullptr);
    EXPECT_EQ(dbF->lastArgs[u"GetView"], std::vector<Variant>{Variant(u"None")});
    EXPECT_EQ(db->GetDocumentByUNID(u"ABC")->UniversalID(), u"ABC");
    int32_t code = 0;
    EXPECT_EQ(ErrorOf([&] { db->GetDocumentByUNID(u"XYZ"); }, &code), u"Invalid universal id");
    EXPECT_EQ(code, kBadUnid);
}

using ViewAdapter = DominoServer;

TEST_F(ViewAdapter, NameColumnsAndEntryCount) {
    auto view = View();
    EXPECT_EQ(view->Name(), u"All");
    EXPECT_EQ(view->DefaultValueText(), u"All");
    EXPECT_EQ(view->ColumnCount(), 3); // answered as a 16-bit integer
    EXPECT_EQ(view->ColumnNames(), Variant(Variant::Array{u"Subject", u"Date", u"Size"}));
    ASSERT_NE(view->AllEntries(), nullptr);
    EXPECT_EQ(view->AllEntries()->Count(), 2);
}

TEST_F(ViewAdapter, WalkingTheDocuments) {
    auto view = View();
    std::vector<std::u16string> unids;
    for (auto doc = view->GetNthDocument(1); doc; doc = view->GetNextDocument(doc))
        unids.push_back(doc->UniversalID());
    EXPECT_EQ(unids, (std::vector<std::u16string>{u"ABC", u"DEF"}));
    EXPECT_EQ(allF->lastTypes[u"GetNthDocument"], std::vector<VARTYPE>{VT_I4});
    EXPECT_EQ(allF->lastObjects[u"GetNextDocument"], std::vector<IDispatch*>{doc2F.get()});
    EXPECT_EQ(view->GetNthDocument(3), nullptr);
}

TEST_F(ViewAdapter, NextDocumentOfNothingOrAForeignDocument) {
    auto view = View();
    int32_t code = 0;
    EXPECT_EQ(ErrorOf([&] { view->GetNextDocument(nullptr); }, &code), u"Document is not in this view");
    EXPECT_EQ(code, E_INVALIDARG);
    EXPECT_EQ(allF->lastTypes[u"GetNextDocument"], std::vector<VARTYPE>{VT_DISPATCH});
    ErrorOf([&] { view->GetNextDocument(std::make_shared<ForeignDocument>()); }, &code);
    EXPECT_EQ(code, DISP_E_TYPEMISMATCH);
}

using DocumentAdapter = DominoServer;

TEST_F(DocumentAdapter, ValuesOfTheDocument) {
    auto doc = Document();
    EXPECT_EQ(doc->UniversalID(), u"ABC");
    EXPECT_EQ(doc->ColumnValues(),
              Variant(Variant::Array{u"Hello", Variant(OleDate{45000.5}), Variant(Variant::Array{1, 2})}));
    EXPECT_TRUE(doc->HasEmbedded());
    EXPECT_FALSE(View()->GetNthDocument(2)->HasEmbedded());
    EXPECT_EQ(doc->GetItemValue(u"Subject"), Variant(Variant::Array{u"value of Subject"}));
}

TEST_F(DocumentAdapter, ItemsAreItemObjectsNamedByTheirDefaultValue) {
    const Variant items = Document()->Items();
    ASSERT_EQ(items.asArray().size(), 2u);
    EXPECT_EQ(items.asArray()[0].asObject()->DefaultValueText(), u"Body");
    EXPECT_EQ(items.asArray()[1].asObject()->DefaultValueText(), u"Subject");
    auto item = std::dynamic_pointer_cast<IItem>(items.asArray()[1].asObject());
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->Type(), item_type::kText);
    EXPECT_EQ(item->Values(), Variant(Variant::Array{u"one", u"two"})) << "the item's own values";
}

TEST_F(DocumentAdapter, FirstItemIsRichTextOnlyForRichTextItems) {
    auto doc = Document();
    auto body = doc->GetFirstItem(u"Body");
    ASSERT_NE(body, nullptr);
    EXPECT_NE(std::dynamic_pointer_cast<IRichTextItem>(body), nullptr);
    EXPECT_EQ(std::dynamic_pointer_cast<IRichTextItem>(body)->GetFormattedText(true, 80), u"text True 80");
    EXPECT_EQ(bodyF->lastTypes[u"GetFormattedText"], (std::vector<VARTYPE>{VT_BOOL, VT_I4}));

    auto subject = doc->GetFirstItem(u"Subject");
    ASSERT_NE(subject, nullptr);
    EXPECT_EQ(std::dynamic_pointer_cast<IRichTextItem>(subject), nullptr);
    EXPECT_NE(std::dynamic_pointer_cast<IItem2>(subject), nullptr);
    EXPECT_EQ(subject->Name(), u"Subject");

    EXPECT_EQ(doc->GetFirstItem(u"Nothing here"), nullptr);
}

TEST_F(DocumentAdapter, AttachmentsAndEmbeddedObjects) {
    auto doc = Document();
    EXPECT_EQ(doc->GetAttachment(u"none.txt"), nullptr);
    auto attachment = doc->GetAttachment(u"a.txt");
    ASSERT_NE(attachment, nullptr);
    EXPECT_EQ(attachment->Name(), u"a.txt");
    attachment->ExtractFile(u"C:\\out\\a.txt");
    EXPECT_EQ(attachmentF->lastArgs[u"ExtractFile"], std::vector<Variant>{Variant(u"C:\\out\\a.txt")});
    int32_t code = 0;
    EXPECT_EQ(ErrorOf([&] { attachment->ExtractFile(u"C:\\locked\\a.txt"); }, &code), u"Cannot write the file");
    EXPECT_EQ(code, E_ACCESSDENIED);

    auto rich = std::dynamic_pointer_cast<IRichTextItem>(doc->GetFirstItem(u"Body"));
    ASSERT_NE(rich, nullptr);
    const Variant objects = rich->EmbeddedObjects();
    ASSERT_EQ(objects.asArray().size(), 1u);
    EXPECT_EQ(objects.asArray()[0].asObject()->DefaultValueText(), u"a.txt");
    auto embedded = std::dynamic_pointer_cast<IEmbeddedObject>(objects.asArray()[0].asObject());
    ASSERT_NE(embedded, nullptr);
    EXPECT_EQ(embedded->Name(), u"a.txt");
    EXPECT_NE(rich->GetEmbeddedObject(u"a.txt"), nullptr);
    EXPECT_EQ(rich->GetEmbeddedObject(u"b.txt"), nullptr);
}
