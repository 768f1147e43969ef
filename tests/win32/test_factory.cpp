// The COM class factory and apartment: what CoCreateInstance failures become, and the session
// class coming back as an ISession.
#include "TestServer.h"
#include "support/OleError.h"

#include "interfaces/DominoObjects.h"
#include "win32/Win32ComClassFactory.h"

#include <gtest/gtest.h>

#include <objbase.h>

#include <thread>

using testserver::FakeCall;
using testserver::FakeDispatch;

namespace {

std::u16string ClassIdText(const CLSID& id) {
    wchar_t text[64] = {};
    StringFromGUID2(id, text, 64);
    return std::u16string(reinterpret_cast<const char16_t*>(text));
}

class Factory : public ::testing::Test {
protected:
    ComApartment apartment;
    Win32ComClassFactory factory;
};

} // namespace

TEST_F(Factory, UnregisteredClassGivesClassNotRegistered) {
    EXPECT_EQ(OleErrorCode([&] { factory.CreateByClass(u"{0F2B8E4A-5C1D-4E7F-9A3B-6D8C2E1F0A9B}"); }),
              hresult::kClassNotRegistered);
}

TEST_F(Factory, SessionClassIsNotRegisteredHere) {
    EXPECT_EQ(OleErrorCode([&] { factory.CreateByClass(domino_ids::kNotesSessionClass); }),
              hresult::kClassNotRegistered);
}

TEST_F(Factory, MalformedClassIdIsRefused) {
    EXPECT_EQ(OleErrorCode([&] { factory.CreateByClass(u"not a class id"); }), hresult::kInvalidClassString);
}

TEST_F(Factory, OtherClassesComeBackAsPlainObjects) {
    CLSID id{};
    ASSERT_EQ(CLSIDFromProgID(L"Scripting.Dictionary", &id), S_OK);
    auto object = factory.CreateByClass(ClassIdText(id));
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(std::dynamic_pointer_cast<ISession>(object), nullptr);
    EXPECT_NE(dynamic_cast<win32::DispatchHolder*>(object.get()), nullptr);
}

TEST_F(Factory, SessionClassComesBackAsASession) {
    FakeDispatch* fake = nullptr;
    auto server = FakeDispatch::Create(&fake);
    fake->Define(u"Initialize", [](FakeCall&) { return S_OK; });
    testserver::FakeClassFactory classFactory(server.get());
    CLSID id{};
    const std::wstring clsid(domino_ids::kNotesSessionClass,
                             domino_ids::kNotesSessionClass +
                                 std::char_traits<char16_t>::length(domino_ids::kNotesSessionClass));
    ASSERT_EQ(CLSIDFromString(clsid.c_str(), &id), S_OK);
    DWORD cookie = 0;
    ASSERT_EQ(CoRegisterClassObject(id, &classFactory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie), S_OK);
    {
        auto session = std::dynamic_pointer_cast<ISession>(factory.CreateByClass(domino_ids::kNotesSessionClass));
        ASSERT_NE(session, nullptr);
        session->Initialize(u"secret");
        EXPECT_EQ(fake->lastArgs[u"Initialize"], std::vector<Variant>{Variant(u"secret")});
        // Lower-case identifiers name the same class.
        auto again = factory.CreateByClass(u"{29131539-2eed-1069-bf5d-00dd011186b7}");
        EXPECT_NE(std::dynamic_pointer_cast<ISession>(again), nullptr);
    }
    CoRevokeClassObject(cookie);
    EXPECT_EQ(fake->references(), 1u);
}

TEST(ComApartmentTest, AThreadInitialisedMultithreadedIsReported) {
    int32_t code = 0;
    std::thread worker([&] {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
        code = OleErrorCode([] { ComApartment apartment; });
        CoUninitialize();
    });
    worker.join();
    EXPECT_EQ(code, static_cast<int32_t>(RPC_E_CHANGED_MODE));
}

TEST(ComApartmentTest, NestsOnTheSameThread) {
    ComApartment outer;
    { ComApartment inner; }
    IDispatch* raw = nullptr;
    CLSID id{};
    ASSERT_EQ(CLSIDFromProgID(L"Scripting.Dictionary", &id), S_OK);
    ASSERT_EQ(CoCreateInstance(id, nullptr, CLSCTX_ALL, IID_IDispatch, reinterpret_cast<void**>(&raw)), S_OK);
    raw->Release();
}
