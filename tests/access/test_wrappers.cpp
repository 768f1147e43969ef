#include "access/Domino_TLB.h"
#include "platform/PortableComClassFactory.h"
#include "platform/PortableRegistry.h"

#include "support/OleError.h"

#include <gtest/gtest.h>

namespace {

struct CountingSession : ISession {
    int* created;
    explicit CountingSession(int* c) : created(c) { ++*created; }
    void Initialize(const std::u16string&) override {}
    void InitializeUsingNotesUserName(const std::u16string&, const std::u16string&) override {}
    std::shared_ptr<IDatabase> GetDatabase(const std::u16string&, const std::u16string&, bool) override {
        return nullptr;
    }
    Variant Evaluate(const std::u16string&, const Variant&) override { return {}; }
    std::shared_ptr<IDXLExporter> CreateDXLExporter() override { return nullptr; }
};

struct PlainItem : IItem2 {
    std::u16string Name() override { return u"Subject"; }
    int32_t Type() override { return item_type::kText; }
    Variant Values() override { return Variant(Variant::Array{}); }
};

// A factory that hands out new sessions and counts them.
struct SessionFactory : IComClassFactory {
    int created = 0;
    bool fail = false;
    std::shared_ptr<IDispatchObject> CreateByClass(const std::u16string& clsid) override {
        EXPECT_EQ(clsid, domino_ids::kNotesSessionClass);
        if (fail)
            throw EOleException(u"Class not registered", hresult::kClassNotRegistered);
        return std::make_shared<CountingSession>(&created);
    }
};

} // namespace

TEST(Wrappers, SessionConnectsByClassOnFirstUseAndAnewAfterDisconnect) {
    SessionFactory factory;
    TNotesSession session(factory);
    EXPECT_FALSE(session.IsBound());
    EXPECT_EQ(factory.created, 0) << "creating the wrapper starts nothing";
    session.Initialize(u"");
    session.GetDatabase(u"", u"a.nsf", false);
    EXPECT_EQ(factory.created, 1);
    session.Disconnect();
    session.InitializeUsingNotesUserName(u"u", u"p");
    EXPECT_EQ(factory.created, 2);

    SessionFactory failing;
    failing.fail = true;
    TNotesSession broken(failing);
    EXPECT_EQ(OleErrorCode([&] { broken.Initialize(u""); }), hresult::kClassNotRegistered);
    EXPECT_FALSE(broken.IsBound());
}

TEST(Wrappers, UnboundWrappersRaiseAClearErrorAndBindingEmptyIsAllowed) {
    TNotesDatabase database;
    database.ConnectTo(nullptr);
    EXPECT_EQ(OleErrorCode([&] { database.Views(); }), hresult::kPointer);
    TNotesView view;
    EXPECT_EQ(OleErrorCode([&] { view.EntryCount(); }), hresult::kPointer);
    TNotesDocument document;
    try {
        document.UniversalID();
        FAIL();
    } catch (const EOleException& e) {
        EXPECT_FALSE(e.message().empty());
    }
}

TEST(Wrappers, RichTextWrapperQueriesTheItemForItsInterface) {
    TNotesRichTextItem rich;
    EXPECT_EQ(OleErrorCode([&] { rich.ConnectToItem(std::make_shared<PlainItem>()); }), hresult::kNoInterface);
    EXPECT_FALSE(rich.IsBound());
    rich.ConnectToItem(nullptr);
    EXPECT_FALSE(rich.IsBound());
}
